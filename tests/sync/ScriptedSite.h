#pragma once

// A well-behaved FTP server that the test plays, on 127.0.0.1:21, for what a real server will not
// do on cue: hold a reply back, keep a data connection open, answer in pieces. It answers the
// commands of a login, a remote walk and a sync run of an empty site by itself; a test takes over
// any command it wants through Intercept, and releases what it held with the Send functions.

#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "tests/support/FtpServers.h"

namespace synctest {

class ScriptedSite {
public:
    ScriptedSite() : server(21) {
        server.OnConnected = [this] { server.Send("220 Scripted site ready\r\n"); };
        server.OnLine = [this](const std::string& line) {
            if (Intercept && Intercept(line)) return;
            Answer(line);
        };
        // Transfers move on as their data connection comes and goes.
        poll_.setInterval(2);
        QObject::connect(&poll_, &QTimer::timeout, [this] { MoveTransfers(); });
        poll_.start();
    }

    // The well-behaved answer to a command line.
    void Answer(const std::string& line) {
        const std::string verb = line.substr(0, line.find(' '));
        const std::string argument = line.size() > verb.size() ? line.substr(verb.size() + 1) : "";
        if (verb == "USER") {
            server.Send("331 Password please\r\n");
        } else if (verb == "PASS") {
            server.Send("230 Logged in\r\n");
        } else if (verb == "PWD") {
            server.Send("257 \"" + cwd_ + "\" is the current directory\r\n");
        } else if (verb == "CWD") {
            // Named absolute afterwards, as servers name their working folder.
            cwd_ = !argument.empty() && argument[0] == '/'
                       ? argument
                       : (cwd_ == "/" ? cwd_ : cwd_ + "/") + argument;
            server.Send("250 Okay\r\n");
        } else if (verb == "TYPE") {
            server.Send("200 Type set\r\n");
        } else if (verb == "PASV") {
            activePort_ = 0;
            server.Send(testsupport::ScriptedFtpServer::Pasv227Text(server.OpenPassiveDataPort()) +
                        "\r\n");
        } else if (verb == "PORT") {
            activePort_ = PortNamed(argument);
            server.Send(activePort_ > 0 ? "200 PORT command successful\r\n"
                                        : "501 Bad PORT argument\r\n");
        } else if (verb == "LIST") {
            ConnectActiveData();
            listing_ = true;
        } else if (verb == "STOR") {
            ConnectActiveData();
            storing_ = true;
            server.Send("150 Ok to send data\r\n");
        } else if (verb == "MKD") {
            server.Send("257 \"" + argument + "\" created\r\n");
        } else if (verb == "DELE" || verb == "RMD") {
            server.Send("250 Done\r\n");
        } else if (verb == "QUIT") {
            server.Send("221 Goodbye\r\n");
            server.CloseClient();
        } else {
            server.Send("502 Not here\r\n");
        }
    }

    // The local folder that holds the site's remote tree: the listing of a remote folder below
    // "/site" is made from the folder at the same place below it (empty when unset).
    std::string treeRoot;
    // While set, an upload's final reply waits for ReleaseUpload.
    bool holdUploadReply = false;
    bool UploadReplyHeld() const { return uploadHeld_; }
    void ReleaseUpload() {
        uploadHeld_ = false;
        server.Send("226 Transfer complete\r\n");
    }
    // While set, a listing's data connection stays open after its text until ReleaseListing.
    bool holdListing = false;
    bool ListingHeld() const { return listingHeld_; }
    void ReleaseListing() {
        listingHeld_ = false;
        server.CloseData();
        server.Send("226 Listing sent\r\n");
    }

    // A command on a path below /site: its verb and the local path that stands for the path in
    // treeRoot; none for any other line.
    struct OnSite {
        std::string verb;
        std::string local;
    };
    std::optional<OnSite> OnSitePath(const std::string& line) const {
        const size_t space = line.find(' ');
        if (space == std::string::npos || line.compare(space, 7, " /site/") != 0) return {};
        return OnSite{line.substr(0, space), treeRoot + line.substr(space + 6)};
    }
    // MKD, DELE and RMD change treeRoot as they would change the site's tree.
    void KeepInTree(const OnSite& command) const {
        std::error_code ignored;
        if (command.verb == "MKD") std::filesystem::create_directory(command.local, ignored);
        if (command.verb == "DELE" || command.verb == "RMD")
            std::filesystem::remove(command.local, ignored);
    }

    // In active mode, the transfer's data connection: the site connects to the port the client's
    // last PORT named (in passive mode the client connects itself).
    void ConnectActiveData() {
        if (activePort_ > 0) server.ConnectData(std::exchange(activePort_, 0));
    }

    std::function<bool(const std::string& line)> Intercept;
    testsupport::ScriptedFtpServer server;

private:
    // A long listing of a remote folder, as vsftpd writes one. Its entries are dated far ahead,
    // so that no local file is newer than its copy on the server.
    std::string ListingOf(const std::string& remote) const {
        namespace fs = std::filesystem;
        const std::string below = remote.rfind("/site", 0) == 0 ? remote.substr(5) : "/..";
        const fs::path local = treeRoot + below;
        if (treeRoot.empty() || !fs::is_directory(local)) return "";
        std::string text;
        for (const auto& e : fs::directory_iterator(local)) {
            const bool folder = e.is_directory();
            text += std::string(folder ? "drwxr-xr-x" : "-rw-r--r--") + "    1 ftp      ftp " +
                    std::to_string(folder ? 4096 : e.file_size()) + " Jan 01  2099 " +
                    e.path().filename().string() + "\r\n";
        }
        return text;
    }

    // The port of a PORT argument "h1,h2,h3,h4,p1,p2"; 0 when it names none.
    static int PortNamed(const std::string& argument) {
        const size_t last = argument.rfind(',');
        const size_t before = last == std::string::npos ? last : argument.rfind(',', last - 1);
        if (before == std::string::npos) return 0;
        return std::atoi(argument.substr(before + 1, last - before - 1).c_str()) * 256 +
               std::atoi(argument.substr(last + 1).c_str());
    }

    void MoveTransfers() {
        if (listing_ && server.DataConnected()) {
            listing_ = false;
            server.Send("150 Here comes the listing\r\n");
            server.SendData(ListingOf(cwd_));
            if (holdListing) {
                listingHeld_ = true;
            } else {
                server.CloseData();
                server.Send("226 Listing sent\r\n");
            }
        }
        if (storing_ && server.DataClosedByClient()) {
            storing_ = false;
            if (holdUploadReply)
                uploadHeld_ = true;
            else
                server.Send("226 Transfer complete\r\n");
        }
    }

    QTimer poll_;
    std::string cwd_ = "/";
    bool listing_ = false;
    bool listingHeld_ = false;
    bool storing_ = false;
    bool uploadHeld_ = false;
    int activePort_ = 0;  // named by the last PORT, until its transfer starts
};

}  // namespace synctest
