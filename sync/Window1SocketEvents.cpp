#include "framework/Strings.h"
#include "ftp/FtpErrorCodes.h"
#include "mainwindow/Window1.h"
#include "shell/CommonModule.h"

// The events of the control connection: replies go to the log as they arrive; the login and every
// confirmed change of folder lead to a listing; the final reply to a sync step's command moves
// the run on, and an error reply stops it; a lost connection ends the connection in the window.

namespace {

std::string WithoutCRLF(const std::string& text) {
    return fw::ReplaceAll(text, "\r\n", "");
}

}  // namespace

void Window1::updateStatus(const std::string& text) {
    EditField5->AppendText(text + "\n");
    EditField5->ScrollToEnd();
}

void Window1::commandSocket_gotResponse(FtpCommandSocket& socket, const std::string& line) {
    const std::string text = fw::ReplaceAll(line, "\r\n", "\n");
    const bool leftOut =
        socket.ReplyBytesSoFar() > kShownReplyBytes && !socket.LineCompletesReply();
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        if (!line.empty()) {
            const std::string piece = text.substr(start, end - start);
            if (leftOut)
                EditField5->AppendLeftOut(piece + "\n");
            else
                updateStatus(piece);
        }
        if (getList && (fw::StartsWith(line, "226") || fw::StartsWith(line, "250"))) {
            getList = false;
            commandSocket.getList();
            ProgressBar1->SetMaximum(0);
        }
        start = end + 1;
    }
    GetCompareList2rReply(socket);  // the end of a listing of the remote walk
    SyncCheckCompared();
    if (socket.ReplyAnswers() == 0) return;  // not the end of a final reply
    if (socket.ReplyAnswers() == pLoginCwd) pLoginCwd = 0;

    // The final reply to the pending MKD, DELE or RMD completes its step.
    pRun.OnReply(socket.ReplyAnswers(), socket.ReplyCode(), line);
}

void Window1::commandSocket_gotServerError(FtpCommandSocket& socket, const std::string& text) {
    // The remote walk takes the refusals of its own commands below the root.
    const bool walkTookIt = GetCompareList2rRefused(socket, text);
    SyncCheckCompared();
    if (walkTookIt) return;
    const std::string flat = WithoutCRLF(text);
    const int32_t code = socket.ServerErrorCode();
    const int64_t answers = socket.ReplyAnswers();

    // Only the refusal of the CWD after the login says that the remote folder is a file.
    if (code == 550 && answers != 0 && answers == pLoginCwd) {
        pLoginCwd = 0;
        // The table from its second entry on; the first entry whose extension ends the path.
        const FileTypeEntry* found = nullptr;
        for (size_t i = 1; i < gFileTypes.size() && !found; ++i) {
            const std::string& ext = gFileTypes[i].ext;
            if (fw::EqualsText(fw::Right(path, static_cast<int32_t>(ext.size())), ext))
                found = &gFileTypes[i];
        }
        getList = true;
        if (found) commandSocket.getFile(path, "", found->bin == "A" ? "A" : "I", "", "");
        updateStatus(flat);
        return;
    }
    if (answers == pLoginCwd) pLoginCwd = 0;

    // 421: the server is closing the connection. Its end is this one failure, not another.
    if (code == 421) {
        updateStatus(flat);
        closing = true;
        commandSocket.Close();
        ConnectionLost("An error occurred: " + flat);
        return;
    }

    dataConnected = DataConnectionOpen();  // the client has abandoned a transfer it refused
    ProgressBar1->SetMaximum(1);
    pRun.OnRefusal(answers, code, pSyncR, flat);
}

// After the login, the remote folder as typed is changed into (the login folder itself is
// listed when none was typed); either way a listing follows, unless the comparison it is for has
// been cancelled.
void Window1::commandSocket_loggedIn(FtpCommandSocket&, const std::string& text) {
    GetCompareList2rWorkingFolder(text, true);
    if (pWalk.cancelled) return;
    if (path.empty()) {
        commandSocket.getList();
    } else {
        commandSocket.sendCWD(path);
        pLoginCwd = commandSocket.CommandsWritten();
    }
}

// Every confirmed change of folder is followed by a listing of it, but for a walk cancelled since
// its CWD.
void Window1::commandSocket_remoteDirChanged(FtpCommandSocket&, const std::string& text) {
    GetCompareList2rWorkingFolder(text, false);
    if (pWalk.cancelled) return;
    commandSocket.getList();
    ProgressBar1->SetMaximum(0);
}

void Window1::commandSocket_userCancelledUpload(FtpCommandSocket&) {
    ProgressBar1->SetMaximum(1);
}

void Window1::commandSocket_Error(FtpCommandSocket& socket) {
    if (closing) {
        SyncCheckCompared();  // a comparison cut short by the disconnect has ended with it
        return;
    }
    if (socket.LastErrorCode() == FtpReplyTooLong) {
        ConnectionLost("サーバーの応答が長すぎるため、接続を切断しました。", true);
        return;
    }
    ConnectionLost("Error: " + std::to_string(socket.LastErrorCode()));
}

// The control connection has failed or the server has closed it: nothing can go on over it, so
// the window shows the connection as ended, and the run decides what it tells.
void Window1::ConnectionLost(const std::string& reason, bool logged) {
    if (dataSocket.TransferRunning()) dataSocket.AbandonTransfer();
    dataConnected = false;
    ProgressBar1->SetMaximum(1);
    ShowDisconnected();
    pMode = ConnectClosed;
    pRun.OnConnectionLost(reason, logged);
}
