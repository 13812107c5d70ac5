#pragma once

// A scripted server that plays a well-behaved login, so that a test only scripts what it is about.

#include <string>

#include "tests/ftp/FtpClientHarness.h"
#include "tests/support/FtpServers.h"

class ScriptedSession {
public:
    ScriptedSession() {
        server.OnConnected = [this] {
            if (sendGreeting) server.Send("220 Scripted server ready\r\n");
        };
        server.OnLine = [this](const std::string& line) {
            if (OnCommand && OnCommand(line)) return;
            if (line.rfind("USER", 0) == 0)
                server.Send("331 Password please\r\n");
            else if (line.rfind("PASS", 0) == 0)
                server.Send("230 Logged in\r\n");
            else if (line == "PWD")
                server.Send("257 \"/\" is the current directory\r\n");
            else if (line.rfind("CWD", 0) == 0)
                server.Send("250 Okay\r\n");
            else if (line.rfind("TYPE", 0) == 0)
                server.Send("200 Type set\r\n");
        };
    }

    void Connect(bool passive = true) {
        client.Connect(server.Port(), "user", "secret", passive);
        server.WaitForConnection();
    }
    bool ConnectAndLogIn(bool passive = true) {
        Connect(passive);
        return client.WaitForLogin();
    }

    // Answers PASV with a data port of the server's; the reply names namedHost.
    void AnswerPasvFrom(const std::string& namedHost = "127,0,0,1") {
        int port = server.OpenPassiveDataPort();
        server.Send("227 Entering Passive Mode (" + namedHost + "," + std::to_string(port / 256) +
                    "," + std::to_string(port % 256) + ")\r\n");
    }

    testsupport::ScriptedFtpServer server;
    FtpClientHarness client;
    bool sendGreeting = true;
    // Answers a command itself when it returns true; otherwise the login script does.
    std::function<bool(const std::string&)> OnCommand;
};
