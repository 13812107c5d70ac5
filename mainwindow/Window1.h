#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "compare/SyncEntry.h"
#include "framework/Date.h"
#include "framework/FolderItem.h"
#include "framework/Window.h"
#include "ftp/FtpCommandSocket.h"
#include "ftp/FtpDataSocket.h"

// The value of pUpload: the upload step that is waiting for its completion.
enum PendingUpload : int32_t { UploadNone = 0, UploadFile = 1, UploadFolder = 2 };
// The value of pMode.
enum ConnectState : int32_t { ConnectCleared = 0, ConnectOpen = 1, ConnectClosed = 2 };
// The value of pThreadStep: what Timer3 is to do on the main thread.
enum ThreadStep : int32_t {
    StepProgress = 1,
    StepTransferDone = 2,
    StepUploadStarted = 3,
    StepPhaseDone = 4
};

// The main window: the program's only document window and the switchboard of the whole system.
// It owns the controls, the two connections and the timers, and holds the run-time state of a
// connection, a comparison and a synchronisation. Its methods are defined in the folder of the
// subsystem each belongs to.
class Window1 : public fw::Window {
public:
    // The open main window, or a new one. A window still being built counts as open.
    static Window1* Instance();

    // The control and the data connection.
    FtpCommandSocket commandSocket;
    FtpDataSocket dataSocket;

    // Transfer progress.
    int32_t bps = 0;
    std::optional<fw::Date> clock;  // when the current data connection opened
    int32_t totalBytes = 0;

    // Connection.
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

    // Sync run.
    int32_t pUpload = UploadNone;
    bool pRemove = false;
    std::vector<int32_t> pSyncList;
    bool pFin2 = false;
    int32_t pSyncListIdx = 0;
    int32_t pThreadStep = 0;
    std::optional<fw::FolderItem> pThreadFI;
    std::string pSyncResult;

    // Window events.
    void Layout() override;
    void CreateControls() override;
    void AddMenuHandlers() override;
    void Event_Open() override;
    bool Event_CancelClose(bool appQuitting) override;
    void Event_Close() override;
    void Event_Moved() override;

private:
    Window1() = default;
    void InitApp();
};
