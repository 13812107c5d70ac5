#pragma once

// A real FTP server on 127.0.0.1:21 (the port the program connects to; see PrivateNetwork.h),
// holding the remote folder of a site, with the face the sync tests need: the folder as the
// profile names it and as a local path, and a place beside it that no sync may touch.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/FtpServers.h"

namespace synctest {

enum class ServerKind { Vsftpd, Pyftpdlib };

struct SiteServerOptions {
    std::string permissions = "elradfmwMT";  // pyftpdlib's
    int64_t abortStorAfterBytes = 0;  // pyftpdlib: break STOR uploads (see PyFtpServerOptions)
    int abortStorTimes = 0;
    bool earlyFinalReply =
        false;  // pyftpdlib: STOR confirmed before its data (see PyFtpServerOptions)
    std::vector<std::string> vsftpdConfig = {};  // vsftpd: "key=value" lines over the defaults
    std::string pyftpdlibRoot = "";              // pyftpdlib: the folder it serves (a restart)
    int pyftpdlibCommandLineBytes = 0;           // pyftpdlib: the longest command line (0: its own)
};

class SiteServer {
public:
    explicit SiteServer(ServerKind kind, SiteServerOptions options = {}) : kind_(kind) {
        if (kind == ServerKind::Vsftpd) {
            testsupport::VsftpdServer::Options o;
            o.port = 21;
            // Every command in its log, so that a test can see what reached the server.
            o.extraConfig = {"xferlog_enable=YES", "log_ftp_protocol=YES"};
            o.extraConfig.insert(o.extraConfig.end(), options.vsftpdConfig.begin(),
                                 options.vsftpdConfig.end());
            vs_ = std::make_unique<testsupport::VsftpdServer>(o);
            remoteRoot_ = vs_->RemoteWritableDir() + "/site";
            beside_ = vs_->RemoteWritableDir();
        } else {
            testsupport::PyFtpServer::Options o;
            o.port = 21;
            o.permissions = options.permissions;
            o.abortStorAfterBytes = options.abortStorAfterBytes;
            o.abortStorTimes = options.abortStorTimes;
            o.earlyFinalReply = options.earlyFinalReply;
            o.logCommands = true;
            o.root = options.pyftpdlibRoot;
            o.maxCommandLineBytes = options.pyftpdlibCommandLineBytes;
            py_ = std::make_unique<testsupport::PyFtpServer>(o);
            remoteRoot_ = "/site";
            beside_ = "";
        }
        PutDir("");
    }

    ServerKind Kind() const { return kind_; }
    std::string User() const { return vs_ ? vs_->User() : py_->User(); }
    std::string Password() const { return vs_ ? vs_->Password() : py_->Password(); }
    // The site's remote folder as the profile names it, and its local path on this machine.
    const std::string& RemoteRoot() const { return remoteRoot_; }
    std::string LocalRoot() const { return Local(remoteRoot_); }
    // A path beside the site's folder, as the server names it and as a local path.
    std::string BesideRemote(const std::string& name) const { return beside_ + "/" + name; }
    std::string BesideLocal(const std::string& name) const { return Local(BesideRemote(name)); }

    // A file or folder below the site's folder, which the client may overwrite and delete.
    void Put(const std::string& relative, const std::string& bytes) const {
        PutAt(remoteRoot_ + "/" + relative, bytes);
    }
    void PutDir(const std::string& relative) const {
        PutDirAt(relative.empty() ? remoteRoot_ : remoteRoot_ + "/" + relative);
    }
    void PutAt(const std::string& remotePath, const std::string& bytes) const {
        if (vs_)
            vs_->PutFile(remotePath, bytes);
        else
            testsupport::WriteFile(Local(remotePath), bytes);
    }
    void PutDirAt(const std::string& remotePath) const {
        if (vs_)
            vs_->PutDir(remotePath);
        else
            std::filesystem::create_directories(Local(remotePath));
    }
    std::string Log() const { return vs_ ? vs_->LogText() : py_->LogText(); }
    // The folder pyftpdlib serves, for a server started again over the same files.
    std::string PyftpdlibRoot() const { return py_ ? py_->Root() : ""; }
    // SIGSTOP: the server stops reading and answering; SIGCONT: it goes on.
    void Signal(int signal) const {
        if (vs_)
            vs_->Signal(signal);
        else
            py_->Signal(signal);
    }
    // How many commands with this verb (and the argument's start) the server received.
    int Received(const std::string& command) const {
        const std::string needle = vs_ ? "\"" + command : "<- " + command;
        const std::string log = Log();
        int count = 0;
        for (size_t at = log.find(needle); at != std::string::npos; at = log.find(needle, at + 1))
            ++count;
        return count;
    }
    // Every command the server received, in order, as "VERB argument".
    std::vector<std::string> Commands() const {
        const std::string log = Log();
        // vsftpd: FTP command: Client "127.0.0.1", "MKD /x"; pyftpdlib: ...-[user] <- MKD /x
        const std::string marker = vs_ ? "FTP command: Client \"" : "<- ";
        std::vector<std::string> commands;
        for (size_t at = log.find(marker); at != std::string::npos; at = log.find(marker, at)) {
            at += marker.size();
            const size_t end = std::min(log.find('\n', at), log.size());
            std::string line = log.substr(at, end - at);
            if (vs_) {
                const size_t start = line.find("\", \"");
                line = start == std::string::npos ? line : line.substr(start + 4);
                if (!line.empty() && line.back() == '"') line.pop_back();
            }
            commands.push_back(line);
        }
        return commands;
    }

private:
    std::string Local(const std::string& remotePath) const {
        if (vs_)
            return vs_->Root() + (remotePath.rfind(vs_->Root(), 0) == 0
                                      ? remotePath.substr(vs_->Root().size())
                                      : remotePath);
        return py_->Root() + remotePath;
    }

    ServerKind kind_;
    std::unique_ptr<testsupport::VsftpdServer> vs_;
    std::unique_ptr<testsupport::PyFtpServer> py_;
    std::string remoteRoot_;
    std::string beside_;
};

inline std::string KindName(ServerKind kind) {
    return kind == ServerKind::Vsftpd ? "Vsftpd" : "Pyftpdlib";
}
// Names the cases of a test run on each kind of server after the server.
inline std::string KindTestName(const testing::TestParamInfo<ServerKind>& info) {
    return KindName(info.param);
}

}  // namespace synctest
