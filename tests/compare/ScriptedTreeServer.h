#pragma once

// A server the test plays, serving a tree of listings in either mode, for what real servers will
// not do on demand: name the working folder elsewhere than typed, refuse one command of one
// folder, name a dead data port, send listings of any depth.

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "tests/support/EventWait.h"
#include "tests/support/FreePort.h"
#include "tests/support/FtpServers.h"

class ScriptedTreeServer {
public:
    ScriptedTreeServer() {
        server.OnConnected = [this] { server.Send("220 Scripted tree ready\r\n"); };
        server.OnLine = [this](const std::string& line) { Answer(line); };
    }

    // The listing of a folder, by its path as the server names it.
    std::map<std::string, std::string> listings;
    std::string loginFolder = "/";
    // Paths where a command fails: "CWD", "PWD", "PORT", "PASV" (names a port where nothing
    // listens), "LIST"
    // (refused once the data connection is up), "LIST-AFTER" (refused after the listing was
    // sent whole), "LIST-RESET" (the listing sent, 226, and then its connection reset),
    // "LIST-ENDLESS" (a listing that goes on until the client breaks it off).
    std::map<std::string, std::string> failures;
    std::vector<std::string> cwds;  // every CWD argument received after the login
    // Whether the client has its end of the data connection up: a listing that is reset waits
    // for it, so that the reset ends a connection the client had, not one it was still making.
    std::function<bool()> clientDataConnected;
    // PWD: the folder named whatever the working folder is (when not empty), and whether a quote
    // inside it is doubled as RFC 959 says.
    std::string pwdAlways;
    bool doublesQuotes = false;

    static std::string Line(char type, const std::string& name, int size = 100) {
        return std::string(1, type) + "rw-r--r--   1 user  group  " + std::to_string(size) +
               " Jun 15  2020 " + name + "\r\n";
    }

    testsupport::ScriptedFtpServer server;

private:
    // A path as typed, made absolute against the working folder, "//" read as "/".
    std::string Resolve(const std::string& arg) const {
        std::string path = !arg.empty() && arg[0] == '/' ? arg : cwd_ + "/" + arg;
        std::string clean;
        for (char c : path)
            if (c != '/' || clean.empty() || clean.back() != '/') clean += c;
        if (clean.size() > 1 && clean.back() == '/') clean.pop_back();
        return clean;
    }
    bool Fails(const std::string& command) const {
        auto f = failures.find(cwd_);
        return f != failures.end() && f->second == command;
    }
    void Answer(const std::string& line) {
        const std::string command = line.substr(0, line.find(' '));
        const std::string arg = line.size() > command.size() ? line.substr(command.size() + 1) : "";
        if (command == "USER") {
            server.Send("331 Password please\r\n");
        } else if (command == "PASS") {
            loggedIn_ = true;
            cwd_ = loginFolder;
            server.Send("230 Logged in\r\n");
        } else if (!loggedIn_) {
            server.Send("530 Please log in first\r\n");
        } else if (command == "PWD") {
            if (Fails("PWD")) {
                server.Send("550 Cannot tell.\r\n");
                return;
            }
            std::string named = pwdAlways.empty() ? cwd_ : pwdAlways;
            if (doublesQuotes) {
                std::string doubled;
                for (char c : named) doubled += c == '"' ? std::string("\"\"") : std::string(1, c);
                named = doubled;
            }
            server.Send("257 \"" + named + "\" is the current directory\r\n");
        } else if (command == "CWD") {
            cwds.push_back(arg);
            const std::string target = Resolve(arg);
            auto f = failures.find(target);
            if (!listings.count(target) || (f != failures.end() && f->second == "CWD")) {
                server.Send("550 Failed to change directory.\r\n");
                return;
            }
            cwd_ = target;
            server.Send("250 Directory changed\r\n");
        } else if (command == "PASV") {
            deadPort_ = Fails("PASV");
            activePort_ = 0;
            int port = deadPort_ ? testsupport::PickFreeTcpPort() : server.OpenPassiveDataPort();
            server.Send("227 Entering Passive Mode (127,0,0,1," + std::to_string(port / 256) + "," +
                        std::to_string(port % 256) + ")\r\n");
        } else if (command == "PORT") {
            if (Fails("PORT")) {
                server.Send("500 Illegal PORT command.\r\n");
                return;
            }
            // h1,h2,h3,h4,p1,p2: the port is p1 * 256 + p2.
            const size_t last = arg.rfind(','), before = arg.rfind(',', last - 1);
            activePort_ = std::stoi(arg.substr(before + 1)) * 256 + std::stoi(arg.substr(last + 1));
            deadPort_ = false;
            server.Send("200 PORT command successful.\r\n");
        } else if (command == "LIST") {
            if (activePort_ != 0) server.ConnectData(activePort_);
            activePort_ = 0;
            if (deadPort_ || !server.WaitForDataConnection(5000)) {
                server.Send("425 Can't open data connection.\r\n");
                return;
            }
            if (Fails("LIST")) {
                server.Send("550 Permission denied.\r\n");
                return;
            }
            server.Send("150 Here comes the directory listing.\r\n");
            if (Fails("LIST-ENDLESS")) {
                // Up to 1 GiB, far past any bound, so that a client without one is seen
                // holding it all rather than the test streaming for ever.
                const std::string piece = listings[cwd_];
                auto left = std::make_shared<int64_t>(int64_t{1} << 30);
                server.StreamData([piece, left] {
                    if (*left <= 0) return std::string();
                    *left -= static_cast<int64_t>(piece.size());
                    return piece;
                });
                testsupport::WaitUntil([&] { return !server.DataConnected(); }, 60000);
                server.Send("426 Connection closed; transfer aborted.\r\n");
                return;
            }
            if (Fails("LIST-RESET") && clientDataConnected)
                testsupport::WaitUntil(clientDataConnected, 5000);
            server.SendData(listings[cwd_]);
            if (Fails("LIST-RESET")) {
                server.Send("226 Directory send OK.\r\n");
                server.AbortData();
                return;
            }
            server.CloseData();
            if (Fails("LIST-AFTER")) {
                // The listing went out and its connection ended normally, and yet.
                server.Send("451 Local error in processing.\r\n");
                return;
            }
            server.Send("226 Directory send OK.\r\n");
        } else if (command == "QUIT") {
            server.Send("221 Goodbye.\r\n");
            server.CloseClient();
        } else if (command == "TYPE") {
            server.Send("200 Switching mode.\r\n");
        } else {
            server.Send("502 Not implemented.\r\n");
        }
    }

    bool loggedIn_ = false;
    bool deadPort_ = false;
    int activePort_ = 0;
    std::string cwd_ = "/";
};
