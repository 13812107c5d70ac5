#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "compare/CompareRuns.h"
#include "compare/RemoteWalk.h"
#include "compare/SyncEntry.h"
#include "framework/BevelButton.h"
#include "framework/CheckBox.h"
#include "framework/Date.h"
#include "framework/FolderItem.h"
#include "framework/Label.h"
#include "framework/ListBox.h"
#include "framework/LogArea.h"
#include "framework/PagePanel.h"
#include "framework/PopupMenu.h"
#include "framework/ProgressBar.h"
#include "framework/Rectangle.h"
#include "framework/TextArea.h"
#include "framework/TextField.h"
#include "framework/Timer.h"
#include "framework/Window.h"
#include "ftp/FtpCommandSocket.h"
#include "ftp/FtpDataSocket.h"
#include "sync/SyncRun.h"

namespace fw {
class Graphics;
class ToolbarControl;
class ToolbarItem;
}  // namespace fw

// The value of pMode.
enum ConnectState : int32_t { ConnectCleared = 0, ConnectOpen = 1, ConnectClosed = 2 };
// The value of pThreadStep: what Timer3 is to do on the main thread.
enum ThreadStep : int32_t {
    StepProgress = 1,
    StepTransferDone = 2,
    StepUploadStarted = 3,
    StepPhaseDone = 4
};
// The pages of the profile panel PagePanel1.
enum ProfilePanelPage : int32_t { PageEmpty = 0, PageView = 1, PageEdit = 2 };
// The tags of the toolbar's buttons.
enum ToolbarItemTag : int32_t {
    TagConnect = 101,
    TagSync = 111,
    TagDiscon = 121,
    TagClear = 131,
    TagList = 201,
    TagPref = 301,
    TagLog = 401,
    TagSyncList = 411,
};

// The main window: the program's only document window and the switchboard of the whole system.
// It owns the controls, the two connections and the timers, and holds the run-time state of a
// connection, a comparison and a synchronisation. Its methods are defined in the folder of the
// subsystem each belongs to, in files named Window1*.cpp: the comparison in compare/, the
// connection and the sync run in sync/, the profile panel in profiles/, and its construction,
// window events and toolbar here.
class Window1 : public fw::Window {
public:
    // The open main window, or a new one. A window still being built counts as open.
    static Window1* Instance();

    // --- State

    // Transfer progress.
    int64_t bps = 0;
    std::optional<fw::Date> clock;  // when the current data connection opened
    int64_t totalBytes = 0;

    // Connection.
    // A reply's lines past this many bytes (a server's flood: no reply a server means is as long)
    // stay in the log and are left out of its pane, which shows in their place how many bytes
    // they hold, once the reply's last line (or whatever the log shows next) has come.
    static constexpr size_t kShownReplyBytes = 64 * 1024;
    bool closing = false;  // the program itself closes the control connection: errors unreported
    bool dataConnected = false;
    bool getList = false;  // a listing is due after the next "226" or "250" reply
    std::string path;      // the remote folder typed for the last connect
    bool usePassive = false;
    int32_t pMode = ConnectCleared;

    // Comparison.
    std::string currentPath;
    bool expanding = false;
    bool expandingL = false;
    std::vector<std::string> listData{""};  // lines of the last listing from element 1 on
    std::optional<fw::FolderItem> pLocalFolder;
    std::vector<SyncEntry> pSyncR;
    std::vector<SyncEntry> pSyncL;
    bool pSyncRFlg = false;
    bool pFin = false;
    int32_t pCountR = 0;
    int32_t pGroupR = -1;
    int32_t pGroupL = -1;
    int32_t pTimerRow = 0;
    std::string pRootR;
    std::vector<GroupRun> pRunsL;  // where each group's run stands in pSyncL
    std::vector<GroupRun> pRunsR;  // and in pSyncR
    RemoteWalk pWalk;
    fw::Timer pWalkWatch;       // reads the cancel key while the walk waits on the server
    bool pRootLOpaque = false;  // the local root could not be read
    std::string pRootLFailure;  // and why, for the user
    bool pComparePass = false;  // GetCompareList3 is running
    bool pCompareCancelled = false;
    bool pListsFilling = false;     // the lists are being filled and opened
    bool pExpandingAll = false;     // an expand-all is opening folder rows
    bool pTimerRowPending = false;  // pTimerRow holds a click not yet copied into its record

    // Sync run.
    int32_t pUpload = UploadNone;
    bool pRemove = false;
    std::vector<int32_t> pSyncList;
    bool pFin2 = false;
    int32_t pSyncListIdx = 0;
    int32_t pThreadStep = 0;
    std::optional<fw::FolderItem> pThreadFI;
    int64_t pThreadLength = 0;  // pThreadFI's length when it was opened for the upload
    std::string pSyncResult;
    // Moves those flags on; bound to the window's effects by SyncRunBind.
    SyncRun pRun{pUpload, pRemove, pFin2, pSyncList, pSyncListIdx};
    bool pCompared = false;  // this connection's comparison is complete: Sync may run
    int64_t pLoginCwd = 0;   // the CWD sent after the login, until it is answered

    // --- Controls, in the order of their creation; the window owns them.
    fw::Rectangle* Rectangle1 = nullptr;
    fw::PagePanel* PagePanel1 = nullptr;
    fw::Label* StaticText1 = nullptr;
    fw::Label* StaticText2 = nullptr;
    fw::Label* StaticText3 = nullptr;
    fw::Label* StaticText4 = nullptr;
    fw::TextField* EditField1 = nullptr;  // server
    fw::TextField* EditField2 = nullptr;  // user
    fw::TextField* EditField3 = nullptr;  // password
    fw::TextField* EditField4 = nullptr;  // remote folder
    fw::Label* StaticText7 = nullptr;
    fw::TextArea* EditField6 = nullptr;  // local folder
    fw::CheckBox* CheckBox2 = nullptr;   // passive mode
    fw::BevelButton* BevelButton3 = nullptr;
    fw::Label* StaticText11 = nullptr;
    fw::TextField* EditField7 = nullptr;  // profile name
    fw::Label* StaticText8 = nullptr;
    fw::CheckBox* CheckBox3 = nullptr;
    fw::Label* StaticText12 = nullptr;
    fw::Label* StaticText13 = nullptr;
    fw::Label* StaticText14 = nullptr;
    fw::Label* StaticText15 = nullptr;
    fw::Label* StaticText16 = nullptr;
    fw::Label* StaticText17 = nullptr;
    fw::Label* StaticText18 = nullptr;
    fw::Label* StaticText19 = nullptr;
    fw::Label* StaticText20 = nullptr;
    fw::Label* StaticText21 = nullptr;
    fw::Label* StaticText22 = nullptr;
    fw::BevelButton* BevelButton4 = nullptr;
    fw::BevelButton* BevelButton5 = nullptr;
    fw::CheckBox* CheckBox4 = nullptr;
    fw::TextField* EditField8 = nullptr;  // time-zone correction
    fw::Label* StaticText23 = nullptr;
    fw::Label* StaticText24 = nullptr;
    fw::CheckBox* CheckBox5 = nullptr;
    fw::Label* StaticText25 = nullptr;
    fw::Label* StaticText26 = nullptr;
    fw::PopupMenu* PopupMenu1 = nullptr;  // sync mode
    fw::PopupMenu* PopupMenu2 = nullptr;  // line ends
    fw::Label* Label1 = nullptr;
    fw::Label* Label2 = nullptr;
    fw::Label* Label3 = nullptr;
    fw::ListBox* localListBox = nullptr;
    fw::ListBox* remoteListBox = nullptr;
    FtpCommandSocket commandSocket;
    FtpDataSocket dataSocket;
    fw::LogArea* EditField5 = nullptr;  // the server log
    fw::ListBox* ListBox1 = nullptr;    // the profile list
    fw::Timer Timer1;
    fw::Label* StaticText27 = nullptr;
    fw::Label* StaticText28 = nullptr;
    fw::Timer statusTimer;
    fw::Timer Timer2;
    fw::Timer Timer3;
    fw::Rectangle* Rectangle2 = nullptr;
    fw::BevelButton* BevelButton2 = nullptr;  // "ー"
    fw::BevelButton* BevelButton1 = nullptr;  // "＋"
    fw::Rectangle* Rectangle3 = nullptr;
    fw::Label* Label4 = nullptr;
    fw::Rectangle* Rectangle4 = nullptr;
    fw::ProgressBar* ProgressBar1 = nullptr;
    fw::Label* StaticText5 = nullptr;
    fw::Label* StaticText6 = nullptr;
    fw::Label* tBytesText = nullptr;
    fw::Label* bpsText = nullptr;

    // --- Construction (mainwindow/)
    void Layout() override;
    void CreateControls() override;
    void _CreateControls0();
    void _CreateControls1();
    void _CreateControls2();

    // --- Control event handlers
    // Profile editing (profiles/).
    void BevelButton3_Action(fw::BevelButton& button);
    void BevelButton4_Action(fw::BevelButton& button);
    void BevelButton5_Action(fw::BevelButton& button);
    void CheckBox4_Action(fw::CheckBox& box);
    void BevelButton2_Action(fw::BevelButton& button);
    void BevelButton1_Action(fw::BevelButton& button);
    // The comparison lists (compare/).
    bool localListBox_CellBackgroundPaint(fw::ListBox& list, fw::Graphics& g, int32_t row,
                                          int32_t column);
    void localListBox_ExpandRow(fw::ListBox& list, int32_t row);
    bool localListBox_CellClick(fw::ListBox& list, int32_t row, int32_t column, int32_t x,
                                int32_t y);
    void localListBox_CollapseRow(fw::ListBox& list, int32_t row);
    void localListBox_Open(fw::ListBox& list);
    void remoteListBox_ExpandRow(fw::ListBox& list, int32_t row);
    bool remoteListBox_CellBackgroundPaint(fw::ListBox& list, fw::Graphics& g, int32_t row,
                                           int32_t column);
    bool remoteListBox_CellClick(fw::ListBox& list, int32_t row, int32_t column, int32_t x,
                                 int32_t y);
    void remoteListBox_CollapseRow(fw::ListBox& list, int32_t row);
    void remoteListBox_Open(fw::ListBox& list);
    void Timer1_Action(fw::Timer& timer);
    void Timer2_Action(fw::Timer& timer);
    // The sockets and the progress (sync/).
    void commandSocket_Error(FtpCommandSocket& socket);
    void commandSocket_gotResponse(FtpCommandSocket& socket, const std::string& line);
    void commandSocket_gotServerError(FtpCommandSocket& socket, const std::string& text);
    void commandSocket_loggedIn(FtpCommandSocket& socket, const std::string& text);
    void commandSocket_remoteDirChanged(FtpCommandSocket& socket, const std::string& text);
    void commandSocket_userCancelledUpload(FtpCommandSocket& socket);
    void dataSocket_bytesTransfered(FtpDataSocket& socket, int32_t n);
    void dataSocket_Connected(FtpDataSocket& socket);
    void dataSocket_Error(FtpDataSocket& socket);
    void dataSocket_FileTransferComplete(FtpDataSocket& socket);
    void dataSocket_gotList(FtpDataSocket& socket, const std::string& text);
    void statusTimer_Action(fw::Timer& timer);
    void Timer3_Action(fw::Timer& timer);
    // The profile list (profiles/). row: the row double-clicked, -1 below the rows.
    void ListBox1_Change(fw::ListBox& list);
    bool ListBox1_CellBackgroundPaint(fw::ListBox& list, fw::Graphics& g, int32_t row,
                                      int32_t column);
    void ListBox1_DoubleClick(fw::ListBox& list, int32_t row);
    void ListBox1_Open(fw::ListBox& list);

    // --- Window events and menu actions (mainwindow/)
    void AddMenuHandlers() override;
    bool Event_CancelClose(bool appQuitting) override;
    void Event_Close() override;
    void Event_Open() override;
    void Event_Resizing() override;
    void Event_Resized() override;
    void Event_Moved() override;
    void Event_EnableMenuItems() override;
    bool _FileSaveLog_Action();
    bool _EditPreferences_Action();
    bool _FileSaveSyncList_Action();

    // --- Methods
    // Connection and sync run (sync/).
    void updateStatus(const std::string& text);
    void makeConnection2(const std::string& password);
    void CloseConnection();
    bool EnableConnect();
    void makeConnection();
    void ClearLog();
    void SaveLog();
    void SaveSyncList();
    void SetSyncResult(const std::string& text);
    void SyncUpload();
    void SyncUpload2();
    void SyncUploadSort();
    void SyncAppend(const std::string& side, int32_t index);
    std::string SyncUpload2Path(int32_t index, const std::string& name) const;
    void SyncRemove();
    void SyncRemove2();
    void SyncRemoveSort();
    std::string SyncRemove2Path(int32_t index);
    bool ShowSyncDlg(const std::string& title);
    // The run's course (sync/): whether a run is under way; what its start and end leave in the
    // window; the effects through which the run's decisions are carried out; the window's switch
    // to disconnected.
    bool SyncRunActive() const;
    void SyncRunBind();
    void SyncRunSettle();
    void SyncCheckCompared();
    void SyncRunEnableSync();
    bool DataConnectionOpen() const;
    bool ConnectionsQuiet() const;
    void ShowDisconnected();
    // logged: the reason goes to the log as well.
    void ConnectionLost(const std::string& reason, bool logged = false);
    // The transfer display and Timer3's mailbox (sync/).
    void SyncResetTransferDisplay();
    void SyncDisplayAtRest();
    void SyncShowUploadStarted(const fw::FolderItem& file, int64_t length);
    void SyncEndPhaseLater();
    // A run's faults (sync/): the local root's depth as the comparison scanned it; a partial
    // upload deleted by one rule, in a stopped run, a passed-over file and at quit; the journal of
    // uploads under way, and the marks it adds after a comparison.
    size_t SyncLocalDepth() const;
    bool SyncPartialUploadDeletable() const;           // a DELE of the broken-off upload may go
    std::optional<int64_t> SyncDeletePartialUpload();  // the DELE's number, if one went
    void SyncLetUploadGo();
    UploadJournal::Entry SyncJournalEntry(const std::string& remotePath) const;
    std::vector<UploadJournal::Entry> SyncJournalAhead() const;
    void SyncJournalEnter(const std::string& remotePath);
    void SyncJournalLeave(const std::string& remotePath);
    void SyncMarkUnfinishedUploads();
    void SyncSettleJournal();
    // Profiles, file types and dialogs (profiles/).
    void ShowMapDlg();
    std::string ChkFileType(const std::string& name);
    std::string GenSelectDlg(const std::string& ext);
    void SetDataset(int32_t index);
    void InitSetlist();
    int32_t EditDataset(int32_t index);
    bool DelDataset(int32_t index);
    void ClearDataset();
    void ShowPrefDlg();
    // The comparison (compare/).
    void GetCompareList();
    void GetCompareList2r();
    void GetCompareList2rSort(std::vector<SyncEntry>& entries);
    // The remote walk's view of the connection: a working folder confirmed (after the login or a
    // CWD), every reply line, a refusal, a failed data connection. The last two answer whether
    // the walk took the failure as its own (a folder below the root): it is then in the log, and
    // the handler shows no message for it.
    void GetCompareList2rWorkingFolder(const std::string& reply, bool atLogin);
    void GetCompareList2rReply(FtpCommandSocket& socket);
    bool GetCompareList2rRefused(FtpCommandSocket& socket, const std::string& text);
    bool GetCompareList2rDataError(FtpDataSocket& socket);
    void GetCompareList2rLateReply(bool refused);
    void GetCompareList2rWrongRoot(const std::string& reply);
    void GetCompareList2rFolderDone();
    void GetCompareList2rNext();
    // The cancel key during the walk: read by a watch while the walk waits, and at each step; it
    // ends the walk at once, its listing's data connection closed, and the comparison with it.
    void GetCompareList2rWatchStart();
    void GetCompareList2rWatch();
    void GetCompareList2rCancel();
    void GetCompareList2rDropListing();
    void GetCompareList3();
    void GetCompareList3Steps();
    void GetCompareList3LocalRootUnreadable();
    std::string LocalRootPath() const;
    void GetCompareList32l(const fw::FolderItem& folder);
    void GetCompareList32lSort(std::vector<SyncEntry>& entries);
    void GetCompareList33c();
    void GetCompareList34c(int32_t localIndex, bool localDone, int32_t localGroup,
                           int32_t remoteIndex, bool remoteDone, int32_t remoteGroup);
    void GetCompareList34cAdd(int32_t index, const std::string& side, const std::string& reason);
    void GetCompareList34l();
    void GetCompareList34r();
    void GetCompareList35r(int32_t groupNumber);
    void GetCompareList35r2();
    void GetCompareList36l(int32_t groupNumber);
    void GetCompareList36l2();
    void ClearVal();
    // Whether a comparison is under way (walking a connected server, or in its pass): the
    // commands that would change its trees or lists wait for it.
    bool CompareRunning() const;
    void CompareListCopyCheck(fw::ListBox& list, int32_t row);
    // Start-up and the toolbar (mainwindow/).
    void InitApp();
    void ToolbarItemClicked(fw::ToolbarControl* sender);
    fw::ToolbarItem* ToolbarItemGetButton(int32_t tag);
    void ToolbarItemStatus(int32_t tag, bool enabled);

private:
    Window1() = default;
};
