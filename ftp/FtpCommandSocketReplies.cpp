// The control connection's reply parser and state machine: everything the server sends passes
// through here. Complete lines are taken one at a time; a line whose CR LF has not arrived yet
// waits in the buffer. Lines are assembled into replies (RFC 959), every line of a reply below 400
// is reported as it arrives, and the state machine acts once a reply is complete.
#include <algorithm>

#include "framework/Strings.h"
#include "framework/Thread.h"
#include "ftp/FtpCommandSocket.h"
#include "ftp/FtpDataSocket.h"
#include "ftp/FtpErrorCodes.h"

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool StartsWithReplyCode(const std::string& line) {
    return line.size() >= 3 && IsDigit(line[0]) && IsDigit(line[1]) && IsDigit(line[2]);
}

// The line that ends a multi-line reply begins with the reply's code and a blank.
bool EndsMultiLineReply(const std::string& line, const std::string& code) {
    return line.compare(0, 3, code) == 0 && (line.size() == 3 || line[3] == ' ');
}

int32_t CodeValue(const std::string& code) {
    return static_cast<int32_t>(fw::Val(code));
}

}  // namespace

void FtpCommandSocket::Event_DataAvailable() {
    const size_t before = result.size();
    result += ReadAll();
    bytesReceived_ += static_cast<int64_t>(result.size() - before);
    // The lines are taken from a moving start, and the buffer is cut once the pass is over (or
    // left by an exception): cutting each line off the front would move the whole rest of the
    // buffer once per line. A line still open is looked through again only where new bytes came.
    size_t taken = 0;
    struct CutTaken {
        FtpCommandSocket& socket;
        size_t& upTo;
        ~CutTaken() {
            std::string& buffer = socket.result;
            const size_t cut = std::min(upTo, buffer.size());
            socket.bytesScanned_ += static_cast<int64_t>(cut > 0 ? buffer.size() - cut : 0);
            buffer.erase(0, cut);
            socket.scanFrom_ = socket.scanFrom_ > cut ? socket.scanFrom_ - cut : 0;
        }
    } cut{*this, taken};
    while (true) {
        const size_t from = std::max(taken, scanFrom_);
        const size_t end = result.find("\r\n", from);
        bytesScanned_ += static_cast<int64_t>((end == std::string::npos ? result.size() : end + 2) -
                                              std::min(from, result.size()));
        if (end == std::string::npos) {
            // Its CR may have come last: the next pass looks from there.
            scanFrom_ = std::max(taken, result.empty() ? 0 : result.size() - 1);
            break;
        }
        if (end - taken > kMaxReplyLineBytes) {
            ReplyTooLong();
            return;
        }
        std::string line = result.substr(taken, end - taken);
        taken = end + 2;
        // Every reply answers a command of its own: the replies after an error reply are read
        // like any other, so that a later command still gets its answer.
        HandleLine(line);
        if (reply_.text.size() > kMaxReplyBytes) {
            ReplyTooLong();
            return;
        }
    }
    // A line whose end has not come yet (its CR may have).
    if (result.size() - std::min(taken, result.size()) > kMaxReplyLineBytes + 1) ReplyTooLong();
}

// A server that sends without end must not take the memory, nor hold the program: the connection
// ends as lost.
void FtpCommandSocket::ReplyTooLong() {
    std::string().swap(result);
    scanFrom_ = 0;
    reply_ = PendingReply{};
    if (dataPort && (dataPort->TransferRunning() || TransferBeingSetUp()))
        dataPort->AbandonTransfer();
    awaitingFinalReply_ = false;
    Abort();
    PostError(FtpReplyTooLong);
}

bool FtpCommandSocket::Confirms(const std::string& code) const {
    if (code == expectedCode) return true;
    if (expectedCode == "150" && code == "125") return true;  // data connection already open
    if (status == "user" && code == "230") return true;       // logged in without a password
    if (status == "pass" && code == "202") return true;       // the password was not needed
    return false;
}

void FtpCommandSocket::HandleLine(const std::string& line) {
    if (!reply_.open) {
        reply_.open = true;
        reply_.code = line.size() >= 3 ? line.substr(0, 3) : line;
        reply_.multiLine = StartsWithReplyCode(line) && line.size() >= 4 && line[3] == '-';
        reply_.error = CodeValue(reply_.code) >= 400 && !Confirms(reply_.code);
        reply_.text.clear();
    }
    const bool first = reply_.text.empty();
    reply_.text += line + "\r\n";
    const bool complete = !reply_.multiLine || (!first && EndsMultiLineReply(line, reply_.code));
    const std::string code = reply_.code;

    if (reply_.error) {
        if (!complete) return;
        std::string text = std::move(reply_.text);
        reply_ = PendingReply{};
        replyAnswers_ = ++finalReplies_;
        HandleErrorReply(code, text);
        replyAnswers_ = 0;
        return;
    }

    if (complete && Confirms(code)) codeFound = true;
    lineCompletesReply_ = complete;
    replyCode_ = complete ? CodeValue(code) : 0;
    // A preliminary reply (1xx) leaves its command waiting for the final one.
    if (complete && !code.empty() && code[0] != '1') replyAnswers_ = ++finalReplies_;
    fw::RaiseEvent(gotResponse, *this, line);
    lineCompletesReply_ = false;
    replyCode_ = 0;
    replyAnswers_ = 0;
    if (!complete) {
        fw::GiveWay();
        return;
    }

    std::string text = std::move(reply_.text);
    reply_ = PendingReply{};
    // The reply that lets an upload's data go and the one that ends a transfer are acted on before
    // the yield: the data goes out, or the owner takes its next step, in the pass that follows.
    if (MovesTransferOn(code)) {
        ActOnReply(code, text);
        fw::GiveWay();
        return;
    }
    fw::GiveWay();
    ActOnReply(code, text);
}

bool FtpCommandSocket::MovesTransferOn(const std::string& code) const {
    const bool uploadAccepted = (status == "stor" && Confirms(code)) || ConfirmsUploadAtOnce(code);
    const bool transferEnded = awaitingFinalReply_ && code.size() == 3 && code[0] == '2';
    return uploadAccepted || transferEnded;
}

// A final reply to STOR before its 150: the server has taken the upload and confirmed it in one,
// and reads the data after its reply. The 150 that may follow confirms nothing more.
bool FtpCommandSocket::ConfirmsUploadAtOnce(const std::string& code) const {
    return status == "stor" && (code == "226" || code == "250");
}

// The server has taken the upload: its data goes, and its final reply is due.
void FtpCommandSocket::AcceptUpload() {
    status = "storing";
    awaitingFinalReply_ = true;
    dataPort->sendFile();
}

bool FtpCommandSocket::TransferBeingSetUp() const {
    return status == "list-port" || status == "nlist-port" || status == "retr-type" ||
           status == "retr-port" || status == "retr" || status == "stor-type" ||
           status == "stor-port" || status == "stor" || status == "storing" || awaitingFinalReply_;
}

void FtpCommandSocket::HandleErrorReply(const std::string& code, const std::string& text) {
    const int32_t value = CodeValue(code);
    const bool loggingIn = status == "user" || status == "pass" || status == "login-pwd";
    if (value == 530 && loggingIn && userTries < 3) {
        status = "user";  // a refused login is tried again, silently
        sendUSER();
        return;
    }
    // The operation under way is abandoned where it stands; the owner decides what follows.
    if (dataPort && (dataPort->TransferRunning() || TransferBeingSetUp()))
        dataPort->AbandonTransfer();
    awaitingFinalReply_ = false;
    serverErrorCode_ = value;
    fw::RaiseEvent(gotServerError, *this, text);
    serverErrorCode_ = 0;
}

void FtpCommandSocket::ActOnReply(const std::string& code, const std::string& text) {
    if (awaitingGreeting_ && code == "220") {
        awaitingGreeting_ = false;
        status = "user";
        sendUSER();
        return;
    }
    if (awaitingFinalReply_ && code.size() == 3 && code[0] == '2') {
        awaitingFinalReply_ = false;
        if (dataPort) dataPort->FinalReply(CodeValue(code));
    }
    if ((oneFile || dOneFile) && code == "226") {
        status = "quit";
        oneFile = false;
        dOneFile = false;
        sendQUIT();
        return;
    }
    if (ConfirmsUploadAtOnce(code)) {
        codeFound = false;
        expectedCode.clear();
        AcceptUpload();  // as its 150 would, and then the reply is the final one
        awaitingFinalReply_ = false;
        dataPort->FinalReply(CodeValue(code));
        return;
    }
    if (!codeFound) return;
    // A command is confirmed once: a stray reply with the same code confirms nothing more.
    codeFound = false;
    expectedCode.clear();
    Transition(code, text);
}

bool FtpCommandSocket::OpenPassiveDataConnection(const std::string& text) {
    return !usePASV || setupPasvPort(text) != 0;
}

void FtpCommandSocket::Transition(const std::string& code, const std::string& text) {
    if (status == "user") {
        if (code == "230") {  // no password wanted: the login is complete
            status = "login-pwd";
            sendPWD();
            return;
        }
        status = "pass";
        sendPASS();
    } else if (status == "pass") {
        status = "login-pwd";
        sendPWD();
    } else if (status == "login-pwd") {
        status = "";
        fw::RaiseEvent(loggedIn, *this, text);
        if (oneFile) {
            StartTransfer("stor-type", "stor-port", UploadRepresentation(type));
        } else if (dOneFile) {
            getFile(fileName, dataPort->path, type, macType, macCreator);
        }
    } else if (status == "cwd") {
        status = "pwd";
        sendPWD();
    } else if (status == "pwd") {
        fw::RaiseEvent(remoteDirChanged, *this, text);
    } else if (status == "list-port" || status == "nlist-port") {
        const bool names = status == "nlist-port";
        status = "";
        if (!OpenPassiveDataConnection(text)) return;
        if (names)
            sendNLST();
        else
            sendLIST();
    } else if (status == "retr-type" || status == "stor-type") {
        serverType_ = typeRequested_;
        status = status == "retr-type" ? "retr-port" : "stor-port";
        SendDataPortCommand();
    } else if (status == "retr-port" || status == "stor-port") {
        const bool download = status == "retr-port";
        status = download ? "retr" : "stor";
        if (!OpenPassiveDataConnection(text)) {
            status = "";
            return;
        }
        if (download)
            sendRETR();
        else
            sendSTOR();
    } else if (status == "retr") {
        status = "";
        awaitingFinalReply_ = true;  // the download runs on the data connection
    } else if (status == "stor") {
        AcceptUpload();
    } else if (status == "syst") {
        systemstr = fw::NthField(text, " ", 2);
        status = "";
    } else if (status == "mkd" || status == "dele" || status == "rmd") {
        status = "";  // done; nothing follows
    }
}
