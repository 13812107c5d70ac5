#include "compare/ListingLine.h"
#include "mainwindow/Window1.h"

// The events of the control and the data connection, and the transfer progress.

void Window1::updateStatus(const std::string& text) {
    EditField5->AppendText(text + "\n");
    EditField5->ScrollToEnd();
}

void Window1::commandSocket_Error(FtpCommandSocket&) {}

void Window1::commandSocket_gotResponse(FtpCommandSocket& socket, const std::string&) {
    GetCompareList2rReply(socket);  // the end of a listing of the remote walk
}

void Window1::commandSocket_gotServerError(FtpCommandSocket& socket, const std::string& text) {
    // The remote walk takes the refusals of its own commands below the root.
    if (GetCompareList2rRefused(socket, text)) return;
}

// After the login, the remote folder as typed is changed into (the login folder itself is
// listed when none was typed); either way a listing follows.
void Window1::commandSocket_loggedIn(FtpCommandSocket&, const std::string& text) {
    GetCompareList2rWorkingFolder(text, true);
    if (path.empty())
        commandSocket.getList();
    else
        commandSocket.sendCWD(path);
}

// Every confirmed change of folder is followed by a listing of it.
void Window1::commandSocket_remoteDirChanged(FtpCommandSocket&, const std::string& text) {
    GetCompareList2rWorkingFolder(text, false);
    commandSocket.getList();
    ProgressBar1->SetMaximum(0);
}

void Window1::commandSocket_userCancelledUpload(FtpCommandSocket&) {}
void Window1::dataSocket_bytesTransfered(FtpDataSocket&, int32_t) {}
void Window1::dataSocket_Connected(FtpDataSocket&) {}

void Window1::dataSocket_Error(FtpDataSocket& socket) {
    // The remote walk takes the failed listings of folders below the root.
    if (GetCompareList2rDataError(socket)) return;
}

void Window1::dataSocket_FileTransferComplete(FtpDataSocket&) {}

// A whole listing: its lines go to listData from element 1 on; while the remote walk collects,
// it takes them.
void Window1::dataSocket_gotList(FtpDataSocket&, const std::string& text) {
    dataConnected = false;
    listData.assign(1, "");
    for (std::string& line : ListingLines(text)) listData.push_back(std::move(line));
    ProgressBar1->SetMaximum(1);
    if (pSyncRFlg) GetCompareList2r();
}

void Window1::statusTimer_Action(fw::Timer&) {}
void Window1::Timer3_Action(fw::Timer&) {}
