#pragma once

// One of the real servers the client is tried against, behind one face, so that a test runs
// unchanged on each.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <ostream>
#include <string>

#include "tests/support/FtpServers.h"

enum class ServerKind { Pyftpdlib, Vsftpd };

struct RealFtpServer {
    explicit RealFtpServer(ServerKind kind) : kind(kind) {
        if (kind == ServerKind::Pyftpdlib) {
            py = std::make_unique<testsupport::PyFtpServer>();
        } else {
            testsupport::VsftpdServer::Options options;
            options.createSampleContent = true;
            vs = std::make_unique<testsupport::VsftpdServer>(options);
        }
    }

    int Port() const { return py ? py->Port() : vs->Port(); }
    std::string User() const { return py ? py->User() : vs->User(); }
    std::string Password() const { return py ? py->Password() : vs->Password(); }
    // Where the client may write, remotely and as a local path on this machine.
    std::string RemoteDir() const { return py ? "/" : vs->RemoteWritableDir(); }
    std::string LocalDir() const { return py ? py->Root() : vs->WritableDir(); }
    std::string Remote(const std::string& name) const {
        return RemoteDir() == "/" ? "/" + name : RemoteDir() + "/" + name;
    }
    std::string Local(const std::string& name) const { return LocalDir() + "/" + name; }
    // Puts a file where the client may read, overwrite and delete it.
    void Put(const std::string& name, const std::string& bytes) const {
        if (vs)
            vs->PutFile(Remote(name), bytes);
        else
            testsupport::WriteFile(Local(name), bytes);
    }
    void PutDir(const std::string& name) const {
        if (vs)
            vs->PutDir(Remote(name));
        else
            std::filesystem::create_directories(Local(name));
    }
    std::string Log() const { return py ? py->LogText() : vs->LogText(); }

    ServerKind kind;
    std::unique_ptr<testsupport::PyFtpServer> py;
    std::unique_ptr<testsupport::VsftpdServer> vs;
};

struct ServerAndMode {
    ServerKind kind;
    bool passive;
};

inline std::string ServerAndModeName(const ServerAndMode& p) {
    return std::string(p.kind == ServerKind::Pyftpdlib ? "Pyftpdlib" : "Vsftpd") +
           (p.passive ? "Passive" : "Active");
}

// How gtest shows the parameter: by its name rather than its bytes.
inline void PrintTo(const ServerAndMode& p, std::ostream* os) {
    *os << ServerAndModeName(p);
}

// Both servers, each in passive and in active mode, for a parameterised suite.
inline auto EveryServerAndMode() {
    return testing::Values(
        ServerAndMode{ServerKind::Pyftpdlib, true}, ServerAndMode{ServerKind::Pyftpdlib, false},
        ServerAndMode{ServerKind::Vsftpd, true}, ServerAndMode{ServerKind::Vsftpd, false});
}

// The test names of such a suite.
inline std::string ServerAndModeTestName(const testing::TestParamInfo<ServerAndMode>& info) {
    return ServerAndModeName(info.param);
}
