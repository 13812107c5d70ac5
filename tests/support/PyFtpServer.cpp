#include "tests/support/PyFtpServer.h"

#include <filesystem>
#include <stdexcept>
#include <vector>

#include "tests/support/ServerProcess.h"
#include "tests/support/TestFiles.h"

namespace testsupport {

namespace {

constexpr const char* kPython = "/usr/bin/python3";  // Debian's, where pyftpdlib is installed
constexpr int kStartTimeoutMs = 10000;

std::vector<std::string> ScriptArguments(const PyFtpServerOptions& o) {
    std::vector<std::string> args = {std::string(QUILLOMAR_TEST_SUPPORT_DIR) + "/pyftpd_server.py",
                                     "--root",
                                     o.root,
                                     "--user",
                                     o.user,
                                     "--password",
                                     o.password,
                                     "--perm",
                                     o.permissions};
    if (o.allowAnonymous) args.push_back("--anonymous");
    if (o.banner) args.insert(args.end(), {"--banner", *o.banner});
    if (o.loginMessage) args.insert(args.end(), {"--login-message", *o.loginMessage});
    if (o.passivePortMin > 0) {
        args.insert(args.end(), {"--passive-ports", std::to_string(o.passivePortMin) + "-" +
                                                        std::to_string(o.passivePortMax)});
    }
    if (o.abortStorAfterBytes > 0) {
        args.insert(args.end(), {"--abort-stor-after", std::to_string(o.abortStorAfterBytes),
                                 "--abort-stor-times", std::to_string(o.abortStorTimes)});
    }
    if (o.earlyFinalReply) args.push_back("--early-final-reply");
    if (o.port > 0) args.insert(args.end(), {"--port", std::to_string(o.port)});
    if (o.logCommands) args.push_back("--log-commands");
    if (o.maxCommandLineBytes > 0)
        args.insert(args.end(), {"--max-command-line", std::to_string(o.maxCommandLineBytes)});
    if (!o.masqueradeAddress.empty()) {
        args.insert(args.end(), {"--masquerade-address", o.masqueradeAddress});
    }
    return args;
}

}  // namespace

PyFtpServer::PyFtpServer() : PyFtpServer(Options{}) {}

PyFtpServer::PyFtpServer(Options options)
    : options_(std::move(options)),
      folder_(std::make_unique<TempFolder>("pyftpd")),
      process_(std::make_unique<ServerProcess>()) {
    if (options_.root.empty()) options_.root = folder_->Path() + "/root";
    std::filesystem::create_directories(options_.root);
    std::string log = folder_->Path() + "/pyftpd.log";
    if (!process_->Start(kPython, ScriptArguments(options_), log,
                         ServerProcess::Output::kStdoutPiped)) {
        throw std::runtime_error("pyftpdlib server did not start: " + process_->ErrorText());
    }
    auto line = process_->WaitForStdoutLine("PORT ", kStartTimeoutMs);
    if (!line) {
        std::string why = process_->Running() ? "did not report its port within " +
                                                    std::to_string(kStartTimeoutMs / 1000) + " s"
                                              : "exited before it reported its port";
        process_->Stop();
        throw std::runtime_error("pyftpdlib server " + why + "; its log:\n" + process_->LogText());
    }
    port_ = std::stoi(line->substr(5));
}

PyFtpServer::~PyFtpServer() {
    process_->Stop();
}

void PyFtpServer::Signal(int signal) {
    process_->Signal(signal);
}

std::string PyFtpServer::LogText() const {
    return process_->LogText();
}

}  // namespace testsupport
