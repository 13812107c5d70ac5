#include "mainwindow/Window1.h"

// The window's controls with their design-time properties, in the order of their creation, and
// the bindings of their events to the window's handlers. Positions are window coordinates at the
// design size of 800 x 600.

namespace {

using fw::LockBottom;
using fw::LockLeft;
using fw::LockRight;
using fw::LockTop;
using fw::RGB;

fw::ControlPlacement OnPage(fw::PagePanel* panel, int32_t page, int32_t left, int32_t top,
                            int32_t width, int32_t height, int32_t tab, int32_t locks) {
    return {.container = panel,
            .page = page,
            .left = left,
            .top = top,
            .width = width,
            .height = height,
            .locks = locks,
            .tab = tab};
}

void LabelLook(fw::Label* l, const std::string& text, double points = 10) {
    l->SetText(text);
    l->SetTextFont(points);
}

// The profile panel's value labels show "Untitled", disabled, until a profile is selected.
void ValueLabelLook(fw::Label* l, double points = 12) {
    LabelLook(l, "Untitled", points);
    l->SetEnabled(false);
}

void FieldLook(fw::TextField* f, double points = 12) {
    f->SetTextFont(points);
}

// A profile's value that the settings file stores behind a one-byte length.
void ShortValueField(fw::TextField* f) {
    f->SetMaxBytes(255);
}

void CheckBoxLook(fw::CheckBox* c, const std::string& caption, bool ticked) {
    c->SetCaption(caption);
    c->SetTextFont(10);
    c->SetValue(ticked);
}

void BevelLook(fw::BevelButton* b, const std::string& caption, double points) {
    b->SetCaption(caption);
    b->SetTextFont(points);
}

}  // namespace

// Controls 1 to 30: the profile panel and most of its pages.
void Window1::_CreateControls0() {
    Rectangle1 = AddControl<fw::Rectangle>("Rectangle1");
    Rectangle1->Place({.left = -1, .top = 110, .width = 211, .height = 469, .locks = LockBottom});
    Rectangle1->SetFillColor(RGB(215, 221, 229));
    Rectangle1->SetBorderWidth(1);
    Rectangle1->SetBorderColors(RGB(178, 178, 178), RGB(178, 178, 178));

    PagePanel1 = AddControl<fw::PagePanel>("PagePanel1");
    PagePanel1->Place(
        {.container = Rectangle1, .left = 2, .top = 115, .width = 204, .height = 460});
    PagePanel1->SetPanelCount(3);
    PagePanel1->SetValue(PageEmpty);

    auto onPage = [this](int32_t page, int32_t left, int32_t top, int32_t width, int32_t height,
                         int32_t tab = -1, int32_t locks = 0) {
        return OnPage(PagePanel1, page, left, top, width, height, tab, locks);
    };

    StaticText1 = AddControl<fw::Label>("StaticText1");
    StaticText1->Place(onPage(PageEdit, 18, 160, 100, 20));
    LabelLook(StaticText1, "アドレス：");
    StaticText2 = AddControl<fw::Label>("StaticText2");
    StaticText2->Place(onPage(PageEdit, 18, 200, 100, 20));
    LabelLook(StaticText2, "ユーザ：");
    StaticText3 = AddControl<fw::Label>("StaticText3");
    StaticText3->Place(onPage(PageEdit, 18, 240, 100, 20));
    LabelLook(StaticText3, "パスワード：");
    StaticText4 = AddControl<fw::Label>("StaticText4");
    StaticText4->Place(onPage(PageEdit, 18, 280, 100, 20));
    LabelLook(StaticText4, "ディレクトリ：");

    EditField1 = AddControl<fw::TextField>("EditField1");
    EditField1->Place(onPage(PageEdit, 18, 177, 170, 22, 4));
    FieldLook(EditField1);
    ShortValueField(EditField1);
    EditField2 = AddControl<fw::TextField>("EditField2");
    EditField2->Place(onPage(PageEdit, 18, 217, 170, 22, 5));
    FieldLook(EditField2);
    ShortValueField(EditField2);
    EditField3 = AddControl<fw::TextField>("EditField3");
    EditField3->Place(onPage(PageEdit, 18, 257, 170, 22, 6));
    FieldLook(EditField3);
    EditField3->SetPassword(true);
    EditField4 = AddControl<fw::TextField>("EditField4");
    EditField4->Place(onPage(PageEdit, 18, 297, 170, 22, 7));
    FieldLook(EditField4);
    ShortValueField(EditField4);

    StaticText7 = AddControl<fw::Label>("StaticText7");
    StaticText7->Place(onPage(PageEdit, 18, 418, 120, 20));
    LabelLook(StaticText7, "ローカルフォルダ：");

    // Filled by the folder chooser only.
    EditField6 = AddControl<fw::TextArea>("EditField6");
    EditField6->Place(onPage(PageEdit, 16, 437, 170, 65, 9));
    EditField6->SetTextFont(10);
    EditField6->SetReadOnly(true);
    EditField6->SetScrollBars(false, false);

    CheckBox2 = AddControl<fw::CheckBox>("CheckBox2");
    CheckBox2->Place(onPage(PageEdit, 18, 324, 120, 20, 10));
    CheckBoxLook(CheckBox2, "パッシブモード", true);

    BevelButton3 = AddControl<fw::BevelButton>("BevelButton3");
    BevelButton3->Place(onPage(PageView, 145, 552, 40, 20, 11, LockBottom));
    BevelLook(BevelButton3, "編集", 12);
    BevelButton3->Action = [this](fw::BevelButton& b) { BevelButton3_Action(b); };

    StaticText11 = AddControl<fw::Label>("StaticText11");
    StaticText11->Place(onPage(PageEdit, 18, 120, 100, 20));
    LabelLook(StaticText11, "セット名：");
    EditField7 = AddControl<fw::TextField>("EditField7");
    EditField7->Place(onPage(PageEdit, 18, 137, 170, 22, 13));
    FieldLook(EditField7);
    ShortValueField(EditField7);

    StaticText8 = AddControl<fw::Label>("StaticText8");
    StaticText8->Place(onPage(PageView, 18, 418, 120, 20));
    LabelLook(StaticText8, "ローカルフォルダ：");
    CheckBox3 = AddControl<fw::CheckBox>("CheckBox3");
    CheckBox3->Place(onPage(PageView, 18, 324, 120, 20, 15));
    CheckBoxLook(CheckBox3, "パッシブモード", true);
    CheckBox3->SetEnabled(false);

    StaticText12 = AddControl<fw::Label>("StaticText12");
    StaticText12->Place(onPage(PageView, 18, 120, 100, 20));
    LabelLook(StaticText12, "セット名：");
    StaticText13 = AddControl<fw::Label>("StaticText13");
    StaticText13->Place(onPage(PageView, 18, 160, 100, 20));
    LabelLook(StaticText13, "アドレス：");
    StaticText14 = AddControl<fw::Label>("StaticText14");
    StaticText14->Place(onPage(PageView, 18, 200, 100, 20));
    LabelLook(StaticText14, "ユーザ：");
    StaticText15 = AddControl<fw::Label>("StaticText15");
    StaticText15->Place(onPage(PageView, 18, 240, 100, 20));
    LabelLook(StaticText15, "パスワード：");
    StaticText16 = AddControl<fw::Label>("StaticText16");
    StaticText16->Place(onPage(PageView, 18, 280, 100, 20));
    LabelLook(StaticText16, "ディレクトリ：");

    StaticText17 = AddControl<fw::Label>("StaticText17");  // profile name
    StaticText17->Place(onPage(PageView, 22, 138, 165, 20));
    ValueLabelLook(StaticText17);
    StaticText18 = AddControl<fw::Label>("StaticText18");  // server
    StaticText18->Place(onPage(PageView, 22, 178, 165, 20));
    ValueLabelLook(StaticText18);
    StaticText19 = AddControl<fw::Label>("StaticText19");  // user
    StaticText19->Place(onPage(PageView, 22, 218, 165, 20));
    ValueLabelLook(StaticText19);
    StaticText20 = AddControl<fw::Label>("StaticText20");  // password, masked
    StaticText20->Place(onPage(PageView, 22, 258, 165, 20));
    ValueLabelLook(StaticText20);
    StaticText21 = AddControl<fw::Label>("StaticText21");  // remote folder
    StaticText21->Place(onPage(PageView, 22, 298, 165, 20));
    ValueLabelLook(StaticText21);
    StaticText22 = AddControl<fw::Label>("StaticText22");  // local folder
    StaticText22->Place(onPage(PageView, 22, 438, 165, 60));
    ValueLabelLook(StaticText22, 10);
    StaticText22->SetMultiline(true);

    BevelButton4 = AddControl<fw::BevelButton>("BevelButton4");
    BevelButton4->Place(onPage(PageEdit, 146, 419, 40, 18, 27));
    BevelLook(BevelButton4, "選択...", 10);
    BevelButton4->Action = [this](fw::BevelButton& b) { BevelButton4_Action(b); };
}

// Controls 31 to 60: the rest of the pages, the comparison lists, the connections, the log, the
// profile list, the timers and the "＋"/"ー" bar.
void Window1::_CreateControls1() {
    auto onPage = [this](int32_t page, int32_t left, int32_t top, int32_t width, int32_t height,
                         int32_t tab = -1, int32_t locks = 0) {
        return OnPage(PagePanel1, page, left, top, width, height, tab, locks);
    };

    BevelButton5 = AddControl<fw::BevelButton>("BevelButton5");
    BevelButton5->Place(onPage(PageEdit, 145, 552, 40, 20, 28));
    BevelLook(BevelButton5, "保存", 12);
    BevelButton5->Action = [this](fw::BevelButton& b) { BevelButton5_Action(b); };

    CheckBox4 = AddControl<fw::CheckBox>("CheckBox4");
    CheckBox4->Place(onPage(PageEdit, 18, 350, 105, 20, 29));
    CheckBoxLook(CheckBox4, "タイムゾーン補正", false);
    CheckBox4->Action = [this](fw::CheckBox& c) { CheckBox4_Action(c); };

    EditField8 = AddControl<fw::TextField>("EditField8");
    EditField8->Place(onPage(PageEdit, 126, 350, 30, 20, 30));
    FieldLook(EditField8, 10);
    ShortValueField(EditField8);

    StaticText23 = AddControl<fw::Label>("StaticText23");
    StaticText23->Place(onPage(PageView, 18, 508, 100, 20));
    LabelLook(StaticText23, "モード：");
    StaticText24 = AddControl<fw::Label>("StaticText24");  // sync mode
    StaticText24->Place(onPage(PageView, 22, 526, 150, 20));
    ValueLabelLook(StaticText24);

    CheckBox5 = AddControl<fw::CheckBox>("CheckBox5");
    CheckBox5->Place(onPage(PageView, 18, 350, 105, 20, 33));
    CheckBoxLook(CheckBox5, "タイムゾーン補正", false);
    CheckBox5->SetEnabled(false);

    StaticText25 = AddControl<fw::Label>("StaticText25");  // time-zone correction
    StaticText25->Place(onPage(PageView, 130, 349, 40, 20));
    ValueLabelLook(StaticText25, 10);

    StaticText26 = AddControl<fw::Label>("StaticText26");
    StaticText26->Place(onPage(PageEdit, 18, 508, 100, 20));
    LabelLook(StaticText26, "モード：");

    PopupMenu1 = AddControl<fw::PopupMenu>("PopupMenu1");
    PopupMenu1->Place(onPage(PageEdit, 13, 526, 150, 20, 36));
    PopupMenu1->SetTextFont(12);
    PopupMenu1->AddRow("アップロードのみ");
    PopupMenu1->AddRow("アップロード＆削除");
    PopupMenu1->SetListIndex(0);

    PopupMenu2 = AddControl<fw::PopupMenu>("PopupMenu2");
    PopupMenu2->Place(onPage(PageEdit, 13, 392, 80, 20, 37, LockLeft | LockTop));
    PopupMenu2->SetTextFont(12);
    PopupMenu2->AddRow("LF");
    PopupMenu2->AddRow("CR+LF");
    PopupMenu2->AddRow("CR");
    PopupMenu2->SetListIndex(0);

    Label1 = AddControl<fw::Label>("Label1");
    Label1->Place(onPage(PageEdit, 18, 373, 100, 20, -1, LockLeft | LockTop));
    LabelLook(Label1, "改行コード：");
    Label1->SetTransparent(true);
    Label2 = AddControl<fw::Label>("Label2");
    Label2->Place(onPage(PageView, 18, 373, 100, 20, -1, LockLeft | LockTop));
    LabelLook(Label2, "改行コード：");
    Label2->SetTransparent(true);
    Label3 = AddControl<fw::Label>("Label3");  // line ends
    Label3->Place(onPage(PageView, 22, 392, 100, 20, -1, LockLeft | LockTop));
    LabelLook(Label3, "名称未設定", 12);
    Label3->SetTransparent(true);

    localListBox = AddControl<fw::ListBox>("localListBox");
    localListBox->Place({.left = 210,
                         .top = 0,
                         .width = 295,
                         .height = 414,
                         .locks = LockTop | LockBottom,
                         .tab = 2});
    remoteListBox = AddControl<fw::ListBox>("remoteListBox");
    remoteListBox->Place({.left = 505,
                          .top = 0,
                          .width = 295,
                          .height = 414,
                          .locks = LockTop | LockBottom,
                          .tab = 3});
    for (fw::ListBox* list : {localListBox, remoteListBox}) {
        list->SetTextFont(12);
        list->SetColumnCount(7);
        list->SetColumnWidths("45%,22%,*,0,0,0,0");
        list->SetHasHeading(true);
        list->SetHeading(0, "名前");
        list->SetHeading(1, "サイズ");
        list->SetHeading(2, "修正日");
        list->SetHierarchical(true);
        list->SetColumnsResizable(true);
        list->SetScrollBars(true, false);
    }
    localListBox->CellBackgroundPaint = [this](fw::ListBox& l, fw::Graphics& g, int32_t row,
                                               int32_t column) {
        return localListBox_CellBackgroundPaint(l, g, row, column);
    };
    localListBox->ExpandRow = [this](fw::ListBox& l, int32_t row) {
        localListBox_ExpandRow(l, row);
    };
    localListBox->CellClick = [this](fw::ListBox& l, int32_t row, int32_t column, int32_t x,
                                     int32_t y) {
        return localListBox_CellClick(l, row, column, x, y);
    };
    localListBox->CollapseRow = [this](fw::ListBox& l, int32_t row) {
        localListBox_CollapseRow(l, row);
    };
    localListBox->Open = [this](fw::ListBox& l) { localListBox_Open(l); };
    remoteListBox->ExpandRow = [this](fw::ListBox& l, int32_t row) {
        remoteListBox_ExpandRow(l, row);
    };
    remoteListBox->CellBackgroundPaint = [this](fw::ListBox& l, fw::Graphics& g, int32_t row,
                                                int32_t column) {
        return remoteListBox_CellBackgroundPaint(l, g, row, column);
    };
    remoteListBox->CellClick = [this](fw::ListBox& l, int32_t row, int32_t column, int32_t x,
                                      int32_t y) {
        return remoteListBox_CellClick(l, row, column, x, y);
    };
    remoteListBox->CollapseRow = [this](fw::ListBox& l, int32_t row) {
        remoteListBox_CollapseRow(l, row);
    };
    remoteListBox->Open = [this](fw::ListBox& l) { remoteListBox_Open(l); };

    // The two connections are members of the window, built with it; only their events are bound
    // here. The control connection's own Connected event stays unbound.
    commandSocket.Error = [this](fw::TCPSocket&) { commandSocket_Error(commandSocket); };
    commandSocket.gotResponse = [this](FtpCommandSocket& s, const std::string& line) {
        commandSocket_gotResponse(s, line);
    };
    commandSocket.gotServerError = [this](FtpCommandSocket& s, const std::string& text) {
        commandSocket_gotServerError(s, text);
    };
    commandSocket.loggedIn = [this](FtpCommandSocket& s, const std::string& text) {
        commandSocket_loggedIn(s, text);
    };
    commandSocket.remoteDirChanged = [this](FtpCommandSocket& s, const std::string& text) {
        commandSocket_remoteDirChanged(s, text);
    };
    commandSocket.userCancelledUpload = [this](FtpCommandSocket& s) {
        commandSocket_userCancelledUpload(s);
    };
    dataSocket.bytesTransfered = [this](FtpDataSocket& s, int32_t n) {
        dataSocket_bytesTransfered(s, n);
    };
    dataSocket.Connected = [this](fw::TCPSocket&) { dataSocket_Connected(dataSocket); };
    dataSocket.Error = [this](fw::TCPSocket&) { dataSocket_Error(dataSocket); };
    dataSocket.FileTransferComplete = [this](FtpDataSocket& s) {
        dataSocket_FileTransferComplete(s);
    };
    dataSocket.gotList = [this](FtpDataSocket& s, const std::string& text) {
        dataSocket_gotList(s, text);
    };

    // The server log.
    EditField5 = AddControl<fw::LogArea>("EditField5");
    EditField5->Place({.left = 549,
                       .top = 435,
                       .width = 252,
                       .height = 165,
                       .locks = LockLeft | LockRight | LockBottom,
                       .tab = 7});
    EditField5->SetTextFont(10);

    // The profile list; its column widths are set at start-up.
    ListBox1 = AddControl<fw::ListBox>("ListBox1");
    ListBox1->Place({.left = 0,
                     .top = 0,
                     .width = 210,
                     .height = 110,
                     .locks = LockTop | LockBottom,
                     .tab = 8});
    ListBox1->SetTextFont(12);
    ListBox1->SetColumnCount(2);
    ListBox1->SetHasHeading(true);
    ListBox1->SetHeading(0, "セットリスト");
    ListBox1->SetScrollBars(true, false);
    ListBox1->Change = [this](fw::ListBox& l) { ListBox1_Change(l); };
    ListBox1->CellBackgroundPaint = [this](fw::ListBox& l, fw::Graphics& g, int32_t row,
                                           int32_t column) {
        return ListBox1_CellBackgroundPaint(l, g, row, column);
    };
    ListBox1->DoubleClick = [this](fw::ListBox& l, int32_t row) { ListBox1_DoubleClick(l, row); };
    ListBox1->Open = [this](fw::ListBox& l) { ListBox1_Open(l); };

    Timer1.SetPeriod(100);
    Timer1.SetMode(fw::Timer::kModeOff);
    Timer1.Action = [this](fw::Timer& t) { Timer1_Action(t); };

    StaticText27 = AddControl<fw::Label>("StaticText27");
    StaticText27->Place({.left = 310, .top = 412, .width = 95, .height = 20, .locks = LockBottom});
    LabelLook(StaticText27, "ローカル", 12);
    StaticText27->SetAlignment(fw::Label::Align::Center);
    StaticText28 = AddControl<fw::Label>("StaticText28");
    StaticText28->Place({.left = 605, .top = 412, .width = 95, .height = 20, .locks = LockBottom});
    LabelLook(StaticText28, "サーバ", 12);
    StaticText28->SetAlignment(fw::Label::Align::Center);

    // Runs twice a second from now on; its handler decides whether to act.
    statusTimer.SetPeriod(500);
    statusTimer.Action = [this](fw::Timer& t) { statusTimer_Action(t); };
    statusTimer.SetMode(fw::Timer::kModeMultiple);

    Timer2.SetPeriod(100);
    Timer2.SetMode(fw::Timer::kModeOff);
    Timer2.Action = [this](fw::Timer& t) { Timer2_Action(t); };
    Timer3.SetPeriod(50);
    Timer3.SetMode(fw::Timer::kModeOff);
    Timer3.Action = [this](fw::Timer& t) { Timer3_Action(t); };
    SyncRunBind();

    Rectangle2 = AddControl<fw::Rectangle>("Rectangle2");
    Rectangle2->Place(
        {.left = -1, .top = 577, .width = 211, .height = 23, .locks = LockLeft | LockBottom});
    Rectangle2->SetFillColor(RGB(215, 221, 229));
    Rectangle2->SetBorderWidth(1);
    Rectangle2->SetBorderColors(RGB(179, 179, 179), RGB(178, 178, 178));

    BevelButton2 = AddControl<fw::BevelButton>("BevelButton2");
    BevelButton2->Place({.container = Rectangle2,
                         .left = 27,
                         .top = 579,
                         .width = 22,
                         .height = 18,
                         .locks = LockBottom,
                         .tab = 0});
    BevelLook(BevelButton2, "ー", 12);
    BevelButton2->SetEnabled(false);
    BevelButton2->SetHelpTag("選択されているサーバ設定を削除します");
    BevelButton2->Action = [this](fw::BevelButton& b) { BevelButton2_Action(b); };

    BevelButton1 = AddControl<fw::BevelButton>("BevelButton1");
    BevelButton1->Place({.container = Rectangle2,
                         .left = 5,
                         .top = 579,
                         .width = 22,
                         .height = 18,
                         .locks = LockBottom,
                         .tab = 1});
    BevelLook(BevelButton1, "＋", 12);
    BevelButton1->SetHelpTag("サーバ設定を新規作成します");
    BevelButton1->Action = [this](fw::BevelButton& b) { BevelButton1_Action(b); };

    Rectangle3 = AddControl<fw::Rectangle>("Rectangle3");
    Rectangle3->Place(
        {.left = 500, .top = 435, .width = 50, .height = 165, .locks = LockLeft | LockBottom});
    Rectangle3->SetFillColor(RGB(251, 251, 251));
    Rectangle3->SetBorderWidth(1);
    Rectangle3->SetBorderColors(RGB(178, 178, 178), RGB(178, 178, 178));

    Label4 = AddControl<fw::Label>("Label4");
    Label4->Place(
        {.left = 500, .top = 492, .width = 50, .height = 37, .locks = LockLeft | LockBottom});
    LabelLook(Label4, "サーバ\rログ", 12);
    Label4->SetAlignment(fw::Label::Align::Center);
    Label4->SetMultiline(true);
    Label4->SetTransparent(true);
}

// Controls 61 to 66: the transfer box.
void Window1::_CreateControls2() {
    Rectangle4 = AddControl<fw::Rectangle>("Rectangle4");
    Rectangle4->Place(
        {.left = 209, .top = 435, .width = 292, .height = 165, .locks = LockLeft | LockBottom});
    Rectangle4->SetFillColor(RGB(224, 224, 224));
    Rectangle4->SetBorderWidth(1);
    Rectangle4->SetBorderColors(RGB(177, 177, 177), RGB(178, 178, 178));

    auto inBox = [this](int32_t left, int32_t top, int32_t width, int32_t height) {
        return fw::ControlPlacement{
            .container = Rectangle4, .left = left, .top = top, .width = width, .height = height};
    };

    ProgressBar1 = AddControl<fw::ProgressBar>("ProgressBar1");
    ProgressBar1->Place(inBox(255, 490, 200, 18));
    ProgressBar1->SetMaximum(100);
    ProgressBar1->SetValue(0);

    StaticText5 = AddControl<fw::Label>("StaticText5");
    StaticText5->Place(inBox(255, 510, 80, 20));
    LabelLook(StaticText5, "転送サイズ：");
    StaticText5->SetAlignment(fw::Label::Align::Right);
    StaticText6 = AddControl<fw::Label>("StaticText6");
    StaticText6->Place(inBox(255, 525, 80, 20));
    LabelLook(StaticText6, "転送レート：");
    StaticText6->SetAlignment(fw::Label::Align::Right);

    tBytesText = AddControl<fw::Label>("tBytesText");
    tBytesText->Place(inBox(335, 510, 100, 20));
    LabelLook(tBytesText, "0");
    bpsText = AddControl<fw::Label>("bpsText");
    bpsText->Place(inBox(335, 525, 100, 20));
    LabelLook(bpsText, "0");
}
