// Uploads as a server stores them: an upload the server breaks off, an upload the user cancels, a
// file cut short while it is sent. (Text line ends: TransferTypeTest.cpp.)
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "framework/UserCancel.h"
#include "ftp/FtpErrorCodes.h"
#include "ftp/UploadThread.h"
#include "tests/ftp/FtpClientHarness.h"
#include "tests/support/FtpServers.h"

namespace {

std::string TestFile(const std::string& name, const std::string& bytes) {
    std::string path = std::string(getenv("QUILLOMAR_TEST_ROOT")) + "/" + name;
    testsupport::WriteFile(path, bytes);
    return path;
}

TEST(BrokenUpload, AServerThatClosesTheDataConnectionMidwayEndsTheUploadWithAnError) {
    testsupport::PyFtpServer::Options options;
    options.abortStorAfterBytes = 10000;
    testsupport::PyFtpServer server(options);
    FtpClientHarness client;
    client.Connect(server.Port(), server.User(), server.Password(), true);
    ASSERT_TRUE(client.WaitForLogin());
    EXPECT_FALSE(client.Store(TestFile("big.bin", std::string(400000, 'b')), "/big.bin", "I"));
    fw::ProcessPendingEvents();
    EXPECT_EQ(client.transfersComplete, 0);
    // The server says so on the control connection, the data connection says so too.
    EXPECT_FALSE(client.serverErrors.empty() && client.dataErrors.empty());
    EXPECT_FALSE(client.data.TransferRunning());
    // The partial file is left for the user to see; nothing deletes it.
    EXPECT_LT(testsupport::ReadFile(server.Root() + "/big.bin").size(), 400000u);
}

TEST(CancelledUpload, TheCancelKeystrokeAbortsTheDataConnectionAndTellsTheOwner) {
    testsupport::VsftpdServer server;
    FtpClientHarness client;
    client.Connect(server.Port(), server.User(), server.Password(), true);
    ASSERT_TRUE(client.WaitForLogin());
    const size_t size = 5 * UploadThread::kMaxPieceSize;
    int64_t atCancel = 0;
    client.data.bytesTransfered = [&](FtpDataSocket&, int32_t n) {
        client.bytes += n;
        if (++client.progressEvents == 3) {
            atCancel = client.bytes;
            fw::LatchUserCancel();
        }
    };
    EXPECT_FALSE(
        client.Store(TestFile("huge.bin", std::string(size, 'h')), "/upload/huge.bin", "I"));
    ASSERT_FALSE(client.dataErrors.empty());
    EXPECT_EQ(client.dataErrors[0], FtpUploadCancelled);
    EXPECT_EQ(client.progressEvents, 3);  // stopped before the next piece
    EXPECT_EQ(client.bytes, atCancel);
    EXPECT_FALSE(client.data.TransferRunning());
    fw::ProcessPendingEvents();
    EXPECT_EQ(client.transfersComplete, 0);
    // The connection stays usable.
    client.command.makeDirectory("/upload/after");
    EXPECT_TRUE(client.WaitForReply(257));
}

// A file that changes while it goes out is not reported as uploaded: the server got neither what
// the file had when the upload began nor what it has now. The error says so, apart from a file
// that can't be read, so that the owner can pass that file over; the connection stays usable.
TEST(FileChangedWhileSent, EndsTheUploadWithAnErrorOfItsOwn) {
    struct Change {
        const char* name;
        std::function<void(const std::string& path)> make;
    };
    const auto write = [](const std::string& path, bool atEnd) {
        std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
        if (atEnd) file.seekp(0, std::ios::end);
        file << "written while it was sent";
    };
    const Change changes[] = {
        {"shrinks", [](const std::string& path) { std::filesystem::resize_file(path, 1000); }},
        {"grows", [&](const std::string& path) { write(path, true); }},
        {"changes-in-place", [&](const std::string& path) { write(path, false); }},
    };
    testsupport::VsftpdServer server;
    for (const Change& change : changes) {
        SCOPED_TRACE(change.name);
        FtpClientHarness client;
        client.Connect(server.Port(), server.User(), server.Password(), true);
        ASSERT_TRUE(client.WaitForLogin());
        const std::string name = std::string(change.name) + ".bin";
        const std::string path = TestFile(name, std::string(3 * UploadThread::kMaxPieceSize, 's'));
        client.data.bytesTransfered = [&](FtpDataSocket&, int32_t n) {
            client.bytes += n;
            if (++client.progressEvents == 1) change.make(path);
        };
        EXPECT_FALSE(client.Store(path, "/upload/" + name, "I"));
        ASSERT_FALSE(client.dataErrors.empty());
        EXPECT_EQ(client.dataErrors[0], FtpLocalFileChanged);
        fw::ProcessPendingEvents();
        EXPECT_EQ(client.transfersComplete, 0);
        EXPECT_FALSE(client.data.TransferRunning());
        // The STOR's final reply comes, then the next command gets its own.
        client.command.makeDirectory("/upload/after-" + name);
        EXPECT_TRUE(client.WaitForReply(257));
    }
}

TEST(RefusedLogin, ThreeUserCommandsThenOneServerError) {
    testsupport::PyFtpServer server;
    FtpClientHarness client;
    client.Connect(server.Port(), server.User(), "wrong password", true);
    ASSERT_TRUE(client.WaitFor([&] { return !client.serverErrors.empty(); }));
    EXPECT_EQ(client.command.userTries, 3);
    EXPECT_EQ(client.serverErrorCodes[0], 530);
    EXPECT_EQ(client.loginCount, 0);
}

}  // namespace

namespace {

TEST(MultiLineRepliesOnRealServers, LogInThroughMultiLineGreetingAndWelcome) {
    testsupport::PyFtpServer::Options options;
    options.banner = "Welcome\n220 is not the end of this\nReady";
    options.loginMessage = "Hello\nthere";
    testsupport::PyFtpServer py(options);
    FtpClientHarness viaPy;
    viaPy.Connect(py.Port(), py.User(), py.Password(), true);
    ASSERT_TRUE(viaPy.WaitForLogin()) << py.LogText();
    EXPECT_EQ(viaPy.command.userTries, 1);

    testsupport::VsftpdServer::Options vsOptions;
    vsOptions.banner = "Line one\nLine two";
    testsupport::VsftpdServer vs(vsOptions);
    FtpClientHarness viaVs;
    viaVs.Connect(vs.Port(), vs.User(), vs.Password(), false);
    ASSERT_TRUE(viaVs.WaitForLogin()) << vs.LogText();
    int greetingLines = 0;
    for (const auto& r : viaVs.responses) greetingLines += r.line.rfind("220", 0) == 0;
    EXPECT_EQ(greetingLines, 3);
    EXPECT_NE(viaVs.List().find("upload"), std::string::npos)
        << (viaVs.serverErrors.empty() ? "" : viaVs.serverErrors[0]) << vs.LogText();
}

}  // namespace
