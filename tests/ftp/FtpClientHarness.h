#pragma once

// A small owner of the FTP client for the tests: it holds a control and a data connection the way
// the main window does, and records every event they raise.

#include <string>
#include <vector>

#include "framework/EventLoop.h"
#include "ftp/FtpCommandSocket.h"
#include "ftp/FtpDataSocket.h"

struct RecordedResponse {
    std::string line;
    bool completesReply;
    int code;
};

class FtpClientHarness {
public:
    FtpClientHarness() {
        command.dataPort = &data;
        command.gotResponse = [this](FtpCommandSocket& s, const std::string& line) {
            responses.push_back({line, s.LineCompletesReply(), s.ReplyCode()});
            if (onResponse) onResponse(s, line);
        };
        command.gotServerError = [this](FtpCommandSocket& s, const std::string& text) {
            serverErrors.push_back(text);
            serverErrorCodes.push_back(s.ServerErrorCode());
        };
        command.loggedIn = [this](FtpCommandSocket&, const std::string& text) {
            ++loginCount;
            loginText = text;
        };
        command.remoteDirChanged = [this](FtpCommandSocket&, const std::string& text) {
            dirChanges.push_back(text);
        };
        command.userCancelledUpload = [this](FtpCommandSocket&) { ++cancelledSaves; };
        command.Error = [this](fw::TCPSocket& s) { commandErrors.push_back(s.LastErrorCode()); };
        data.gotList = [this](FtpDataSocket&, const std::string& text) { lists.push_back(text); };
        data.FileTransferComplete = [this](FtpDataSocket&) { ++transfersComplete; };
        data.bytesTransfered = [this](FtpDataSocket&, int32_t n) {
            bytes += n;
            ++progressEvents;
        };
        data.Connected = [this](fw::TCPSocket&) { ++dataConnects; };
        data.Error = [this](fw::TCPSocket& s) { dataErrors.push_back(s.LastErrorCode()); };
    }

    void Connect(int port, const std::string& user, const std::string& pass, bool passive) {
        command.Address = "127.0.0.1";
        command.Port = port;
        command.userID = user;
        command.password = pass;
        command.usePASV = passive;
        command.Connect();
    }

    bool WaitFor(const std::function<bool()>& cond, int timeoutMs = 10000) {
        return fw::RunEventLoopUntil(cond, timeoutMs);
    }
    bool WaitForLogin() {
        return WaitFor([this] { return loginCount > 0 || !serverErrors.empty(); }) &&
               loginCount > 0;
    }
    // Waits for the next listing (or an error); answers it.
    std::string List() {
        size_t before = lists.size();
        size_t errorsBefore = serverErrors.size() + dataErrors.size();
        command.getList();
        WaitFor([&] {
            return lists.size() > before || serverErrors.size() + dataErrors.size() > errorsBefore;
        });
        return lists.size() > before ? lists.back() : std::string("<no listing>");
    }
    bool ChangeDir(const std::string& dir) {
        size_t before = dirChanges.size();
        size_t errorsBefore = serverErrors.size();
        command.sendCWD(dir);
        WaitFor([&] { return dirChanges.size() > before || serverErrors.size() > errorsBefore; });
        return dirChanges.size() > before;
    }
    // Runs an upload to its end: true when FileTransferComplete came, false on any error.
    bool Store(const std::string& localPath, const std::string& remoteName,
               const std::string& type) {
        int before = transfersComplete;
        size_t errorsBefore = serverErrors.size() + dataErrors.size() + commandErrors.size();
        command.storFile(localPath, remoteName, type);
        WaitFor(
            [&] {
                return transfersComplete > before ||
                       serverErrors.size() + dataErrors.size() + commandErrors.size() >
                           errorsBefore;
            },
            30000);
        return transfersComplete > before;
    }
    // Waits for the next complete reply with this code to be reported.
    bool WaitForReply(int code) {
        size_t from = responses.size();
        return WaitFor([&] {
            for (size_t i = from; i < responses.size(); ++i)
                if (responses[i].completesReply && responses[i].code == code) return true;
            return false;
        });
    }
    bool SawReply(int code) const {
        for (const auto& r : responses)
            if (r.completesReply && r.code == code) return true;
        return false;
    }

    FtpCommandSocket command;
    FtpDataSocket data;

    std::function<void(FtpCommandSocket&, const std::string&)> onResponse;
    std::vector<RecordedResponse> responses;
    std::vector<std::string> serverErrors;
    std::vector<int> serverErrorCodes;
    int loginCount = 0;
    std::string loginText;
    std::vector<std::string> dirChanges;
    int cancelledSaves = 0;
    std::vector<int> commandErrors;
    std::vector<std::string> lists;
    int transfersComplete = 0;
    int64_t bytes = 0;
    int progressEvents = 0;
    int dataConnects = 0;
    std::vector<int> dataErrors;
};
