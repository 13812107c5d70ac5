// Quitting while an upload runs, answered "切断": the upload thread is stopped before the window
// goes, no event of the transfer reaches a window that is closing, and the server is not left with
// a short file that looks like a complete upload.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "framework/EventLoop.h"
#include "ftp/UploadThread.h"
#include "tests/shell/ShellTestFixture.h"
#include "tests/support/FtpServers.h"

namespace {

using namespace shelltest;

// One of the test servers, as the upload sees it.
struct UploadTarget {
    std::string host, user, password;
    int port = 0;
    bool passive = false;
    std::string remoteName;                // what STOR names
    std::string storedPath;                // where the server keeps it
    std::function<std::string()> logText;  // the server's log, for a failure
    std::shared_ptr<void> server;          // keeps it running
};

UploadTarget OnPyFtpServer() {
    auto server = std::make_shared<testsupport::PyFtpServer>();
    return {server->Host(),
            server->User(),
            server->Password(),
            server->Port(),
            true,
            "/big.bin",
            server->Root() + "/big.bin",
            [server] { return server->LogText(); },
            server};
}

UploadTarget OnVsftpd() {
    auto server = std::make_shared<testsupport::VsftpdServer>();
    return {server->Host(),
            server->User(),
            server->Password(),
            server->Port(),
            false,
            server->RemoteWritableDir() + "/big.bin",
            server->WritableDir() + "/big.bin",
            [server] { return server->LogText(); },
            server};
}

class QuitDuringUploadTest : public ShellTest,
                             public testing::WithParamInterface<UploadTarget (*)()> {};

TEST_P(QuitDuringUploadTest, DisconnectStopsTheUploadAndLeavesNoPartialFileOnTheServer) {
    const UploadTarget target = GetParam()();
    Put("pref2", PrefFile(50, DefaultPrefs()));
    StartApp();
    Window1* w = MainWindow();
    ASSERT_NE(w, nullptr);

    const int64_t size = 64 * 1024 * 1024;
    const std::string local = std::string(getenv("QUILLOMAR_TEST_ROOT")) + "/big.bin";
    std::filesystem::resize_file((std::ofstream(local), local), size);

    // The window's own connections, set up as the connect command does, to the test's server.
    // The test drives them itself: the login is only recorded.
    int logins = 0;
    int64_t sent = 0;
    int eventsAfterClose = 0;
    auto stillTheOpenWindow = [w] { return fw::Window::FindOpen<Window1>() == w; };
    w->commandSocket.loggedIn = [&](FtpCommandSocket&, const std::string&) { ++logins; };
    auto progress = w->dataSocket.bytesTransfered;
    w->dataSocket.bytesTransfered = [&, progress](FtpDataSocket& s, int32_t n) {
        if (!stillTheOpenWindow()) ++eventsAfterClose;
        sent += n;
        if (progress) progress(s, n);
    };
    auto complete = w->dataSocket.FileTransferComplete;
    w->dataSocket.FileTransferComplete = [&, complete](FtpDataSocket& s) {
        if (!stillTheOpenWindow()) ++eventsAfterClose;
        if (complete) complete(s);
    };
    auto dataError = w->dataSocket.Error;
    w->dataSocket.Error = [&, dataError](fw::TCPSocket& s) {
        if (!stillTheOpenWindow()) ++eventsAfterClose;
        if (dataError) dataError(s);
    };
    w->commandSocket.Address = target.host;
    w->commandSocket.Port = target.port;
    w->commandSocket.userID = target.user;
    w->commandSocket.password = target.password;
    w->commandSocket.dataPort = &w->dataSocket;
    w->commandSocket.usePASV = target.passive;
    w->commandSocket.Connect();
    ASSERT_TRUE(fw::RunEventLoopUntil([&] { return logins > 0; }, 10000)) << target.logText();

    w->commandSocket.storFile(local, target.remoteName, "I");
    ASSERT_TRUE(fw::RunEventLoopUntil([&] { return sent >= UploadThread::kMinPieceSize; }, 10000))
        << target.logText();
    ASSERT_TRUE(std::filesystem::exists(target.storedPath));
    w->dataConnected = true;  // as the data connection's Connected left it

    ExpectPress("切断");
    app().Quit();
    ASSERT_TRUE(app().HasQuit());
    EXPECT_EQ(Shown("message").size(), 1u);
    const int64_t sentAtQuit = sent;
    ASSERT_LT(sentAtQuit, size) << "the upload ended before the quit";
    // Closed, not yet deleted: its upload is over already.
    EXPECT_TRUE(w->IsClosed());
    EXPECT_TRUE(w->closing);
    EXPECT_FALSE(w->dataSocket.TransferRunning());
    ASSERT_NE(w->dataSocket.upthd, nullptr);
    EXPECT_FALSE(w->dataSocket.upthd->Running());
    EXPECT_EQ(w->Timer3.GetMode(), fw::Timer::kModeOff);

    // Kept, the partial file would look like a complete upload, newer than the local file, and
    // the next sync would not send it again.
    EXPECT_TRUE(
        fw::RunEventLoopUntil([&] { return !std::filesystem::exists(target.storedPath); }, 10000))
        << target.logText();
    EXPECT_EQ(sent, sentAtQuit);
    EXPECT_EQ(eventsAfterClose, 0);

    // The window went, no new one came, and the settings were written.
    EXPECT_TRUE(fw::Window::OpenWindows().empty());
    EXPECT_EQ(FolderNames(), (std::vector<std::string>{"dataset2", "filetype.txt", "pref2"}));
}

INSTANTIATE_TEST_SUITE_P(Servers, QuitDuringUploadTest, testing::Values(&OnPyFtpServer, &OnVsftpd),
                         [](const testing::TestParamInfo<UploadTarget (*)()>& info) {
                             return info.param == &OnPyFtpServer ? std::string("PyFtpdPassive")
                                                                 : std::string("VsftpdActive");
                         });

}  // namespace
