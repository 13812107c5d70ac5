// The client against real servers, in both data connection modes: login, folders, listings,
// transfers, and the server's refusals.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <numeric>
#include <vector>

#include "ftp/FtpErrorCodes.h"
#include "ftp/UploadThread.h"
#include "tests/ftp/FtpClientHarness.h"
#include "tests/ftp/RealFtpServer.h"

namespace {

class FtpClientOnRealServer : public testing::TestWithParam<ServerAndMode> {
protected:
    void SetUp() override {
        server = std::make_unique<RealFtpServer>(GetParam().kind);
        client.Connect(server->Port(), server->User(), server->Password(), GetParam().passive);
        ASSERT_TRUE(client.WaitForLogin()) << server->Log();
        client.serverErrors.clear();
    }
    void TearDown() override {
        if (HasFailure()) ADD_FAILURE() << "server log:\n" << server->Log();
    }
    std::string LocalFile(const std::string& name, const std::string& bytes) {
        std::string path = std::string(getenv("QUILLOMAR_TEST_ROOT")) + "/" + name;
        testsupport::WriteFile(path, bytes);
        return path;
    }

    std::unique_ptr<RealFtpServer> server;
    FtpClientHarness client;
};

TEST_P(FtpClientOnRealServer, LogsInFromTheGreetingAndReportsEveryReply) {
    EXPECT_EQ(client.loginCount, 1);
    EXPECT_NE(client.loginText.find("257"), std::string::npos);
    EXPECT_TRUE(client.SawReply(220));
    // vsftpd's anonymous user needs no password: 230 answers USER itself.
    if (GetParam().kind == ServerKind::Pyftpdlib) {
        EXPECT_TRUE(client.SawReply(331));
    }
    EXPECT_TRUE(client.SawReply(230));
    EXPECT_EQ(client.command.userTries, 1);
    EXPECT_EQ(client.command.status, "");
}

TEST_P(FtpClientOnRealServer, ChangesFolderAndReportsTheNewWorkingFolder) {
    server->PutDir("site");
    ASSERT_TRUE(client.ChangeDir(server->Remote("site")));
    EXPECT_NE(client.dirChanges.back().find("site"), std::string::npos);
    EXPECT_EQ(client.command.status, "pwd");

    ASSERT_FALSE(client.ChangeDir(server->Remote("missing")));
    ASSERT_EQ(client.serverErrors.size(), 1u);
    EXPECT_EQ(client.serverErrors[0].substr(0, 3), "550");
    EXPECT_EQ(client.serverErrorCodes[0], 550);
}

TEST_P(FtpClientOnRealServer, ListsAFolder) {
    server->PutDir("site");
    server->Put("site/index.html", "<html></html>");
    server->Put("site/photo.jpg", std::string(3000, 'x'));
    ASSERT_TRUE(client.ChangeDir(server->Remote("site")));
    std::string listing = client.List();
    EXPECT_NE(listing.find("index.html\r\n"), std::string::npos) << listing;
    EXPECT_NE(listing.find("photo.jpg\r\n"), std::string::npos) << listing;
    EXPECT_TRUE(client.WaitFor([&] { return client.SawReply(226); }));
    EXPECT_TRUE(client.data.Carries(FtpDataSocket::Transfer::Listing));

    // An empty folder lists as an empty text, once.
    server->PutDir("site/empty");
    ASSERT_TRUE(client.ChangeDir(server->Remote("site/empty")));
    size_t before = client.lists.size();
    EXPECT_EQ(client.List(), "");
    EXPECT_EQ(client.lists.size(), before + 1);
}

TEST_P(FtpClientOnRealServer, UploadsABinaryFileByteForByte) {
    std::string bytes;
    for (int i = 0; i < 5000; ++i) bytes += static_cast<char>(i * 7 % 256);  // CR and LF among them
    std::string local = LocalFile("data.bin", bytes);
    ASSERT_TRUE(client.Store(local, server->Remote("data.bin"), "I"));
    EXPECT_EQ(testsupport::ReadFile(server->Local("data.bin")), bytes);
    EXPECT_EQ(client.bytes, 5000);
    EXPECT_EQ(client.progressEvents, 1);  // one piece
    EXPECT_TRUE(client.SawReply(226));

    // An empty file goes up as an empty file.
    std::string empty = LocalFile("empty.bin", "");
    ASSERT_TRUE(client.Store(empty, server->Remote("empty.bin"), "I"));
    EXPECT_TRUE(std::filesystem::exists(server->Local("empty.bin")));
    EXPECT_EQ(std::filesystem::file_size(server->Local("empty.bin")), 0u);
}

// The file is opened once, when the upload is asked for, and only that open file can go out: a
// file put in its place before the server accepts STOR is never sent. The file asked for lost its
// name meanwhile, which can't be told from a rewrite, so the upload ends as for a file changed
// while it was sent.
TEST_P(FtpClientOnRealServer, NeverSendsAFilePutInPlaceOfTheOneAskedFor) {
    const std::string local = LocalFile("asked.bin", "the file that was asked for");
    const std::string other = LocalFile("other.bin", "another file in its place");
    client.command.storFile(local, server->Remote("asked.bin"), "I");
    std::filesystem::rename(other, local);
    ASSERT_TRUE(client.WaitFor([&] { return !client.dataErrors.empty(); }));
    EXPECT_EQ(client.dataErrors[0], FtpLocalFileChanged);
    EXPECT_EQ(client.transfersComplete, 0);
    EXPECT_NE(testsupport::ReadFile(server->Local("asked.bin")), "another file in its place");
}

// Several of the largest pieces and a short one at the end.
TEST_P(FtpClientOnRealServer, UploadsALargeFileInPiecesOfTheSocketsSize) {
    const size_t size = 3 * UploadThread::kMaxPieceSize + 12345;
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7 % 256);
    std::vector<int32_t> pieces;
    client.data.bytesTransfered = [&](FtpDataSocket&, int32_t n) { pieces.push_back(n); };
    ASSERT_TRUE(client.Store(LocalFile("large.bin", bytes), server->Remote("large.bin"), "I"));
    EXPECT_TRUE(testsupport::ReadFile(server->Local("large.bin")) == bytes);
    ASSERT_FALSE(pieces.empty());
    EXPECT_EQ(std::accumulate(pieces.begin(), pieces.end(), int64_t{0}), int64_t(size));
    const auto outOfBounds = std::count_if(pieces.begin(), pieces.end() - 1, [](int32_t n) {
        return n < UploadThread::kMinPieceSize || n > UploadThread::kMaxPieceSize;
    });
    EXPECT_EQ(outOfBounds, 0) << pieces.size() << " pieces, the first of " << pieces[0];
}

// A text whose every CR LF is split wherever a piece ends (pieces are whole pages): each pair
// stays one line end, and every server stores the pairs as they were sent.
TEST_P(FtpClientOnRealServer, KeepsACRLFSplitBetweenTwoPiecesOneLineEnd) {
    const size_t pairs = UploadThread::kMaxPieceSize + 1000;
    std::string text = "a";
    for (size_t i = 0; i < pairs; ++i) text += "\r\n";
    client.data.lineEndMode = 1;
    ASSERT_TRUE(client.Store(LocalFile("split.txt", text), server->Remote("split.txt"), "A"));
    const std::string stored = testsupport::ReadFile(server->Local("split.txt"));
    EXPECT_EQ(stored.size(), text.size());
    EXPECT_TRUE(stored == text);
    EXPECT_EQ(client.bytes, int64_t(1 + pairs));  // counted in the LF form
}

TEST_P(FtpClientOnRealServer, UploadsOneAfterAnotherOnTheSameConnection) {
    for (int i = 0; i < 3; ++i) {
        std::string name = "file" + std::to_string(i) + ".bin";
        std::string bytes(2049 + i, static_cast<char>('a' + i));
        ASSERT_TRUE(client.Store(LocalFile(name, bytes), server->Remote(name), "I")) << name;
        EXPECT_EQ(testsupport::ReadFile(server->Local(name)), bytes);
    }
    EXPECT_EQ(client.transfersComplete, 3);
    EXPECT_TRUE(client.dataErrors.empty());
}

TEST_P(FtpClientOnRealServer, DownloadsAFileReplacingTheTargetOnlyAtTheEnd) {
    std::string bytes;
    for (int i = 0; i < 70000; ++i) bytes += static_cast<char>(i % 251);
    server->Put("get.bin", bytes);
    std::string target = LocalFile("got.bin", "old content");
    int before = client.transfersComplete;
    client.command.getFile(server->Remote("get.bin"), target, "I", "", "");
    ASSERT_TRUE(client.WaitFor([&] { return client.transfersComplete > before; }));
    EXPECT_EQ(testsupport::ReadFile(target), bytes);
    EXPECT_EQ(client.bytes, 70000);

    // A refused download leaves the existing file as it was.
    client.command.getFile(server->Remote("nothing-here.bin"), target, "I", "", "");
    ASSERT_TRUE(client.WaitFor([&] { return !client.serverErrors.empty(); }));
    EXPECT_EQ(client.serverErrors[0].substr(0, 1), "5");
    fw::ProcessPendingEvents();
    EXPECT_EQ(testsupport::ReadFile(target), bytes);
    EXPECT_EQ(client.transfersComplete, before + 1);
    for (const auto& entry :
         std::filesystem::directory_iterator(std::filesystem::path(target).parent_path()))
        EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos);
}

TEST_P(FtpClientOnRealServer, CreatesAndDeletesFoldersAndFiles) {
    client.command.makeDirectory(server->Remote("made"));
    ASSERT_TRUE(client.WaitForReply(257));
    EXPECT_TRUE(std::filesystem::is_directory(server->Local("made")));

    server->Put("made/gone.txt", "x");
    client.command.deleteFile(server->Remote("made/gone.txt"));
    ASSERT_TRUE(client.WaitForReply(250));
    EXPECT_FALSE(std::filesystem::exists(server->Local("made/gone.txt")));

    client.command.deleteDirectory(server->Remote("made"));
    ASSERT_TRUE(client.WaitForReply(250));
    EXPECT_FALSE(std::filesystem::exists(server->Local("made")));
    EXPECT_TRUE(client.serverErrors.empty());

    // Refusals come as server errors with their code.
    client.command.deleteFile(server->Remote("made/never.txt"));
    ASSERT_TRUE(client.WaitFor([&] { return client.serverErrors.size() == 1; }));
    client.command.deleteDirectory(server->Remote("never"));
    ASSERT_TRUE(client.WaitFor([&] { return client.serverErrors.size() == 2; }));
    server->PutDir("taken");
    client.command.makeDirectory(server->Remote("taken"));
    ASSERT_TRUE(client.WaitFor([&] { return client.serverErrors.size() == 3; }));
    for (int code : client.serverErrorCodes) EXPECT_GE(code, 500);
}

INSTANTIATE_TEST_SUITE_P(AllServers, FtpClientOnRealServer, EveryServerAndMode(),
                         ServerAndModeTestName);

}  // namespace
