// What a run never does, against real servers on 127.0.0.1:21: open or send a special file, remove
// a remote folder it could not look into, send to paths made from a local root that has moved, or
// send a file with another transfer type than the file-type table means. And a refused step is
// named in the log.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "tests/sync/SyncWindowFixture.h"

namespace synctest {
namespace {

class RunSafety : public SyncWindowTest, public testing::WithParamInterface<ServerKind> {
protected:
    void SetUp() override {
        SyncWindowTest::SetUp();
        if (IsSkipped()) return;
        StartServer(GetParam());
    }
};

// A socket file at path, bound and left listening until the test ends.
class SocketFile {
public:
    explicit SocketFile(const std::string& path) : fd_(socket(AF_UNIX, SOCK_STREAM, 0)) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        bound_ = bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~SocketFile() { close(fd_); }
    bool Bound() const { return bound_; }

private:
    int fd_;
    bool bound_ = false;
};

// Whether anything opens a FIFO for reading while it lives: a FIFO opens for writing without
// waiting only while some reader has it open, and an open for reading waits for a writer. Its
// writer looks for a reader every few milliseconds, and lets one in with a byte to read.
class PipeReaderWatch {
public:
    explicit PipeReaderWatch(const std::string& path)
        : writer_([this, path] {
              while (!done_) {
                  const int fd = open(path.c_str(), O_WRONLY | O_NONBLOCK);
                  if (fd >= 0) {
                      opened_ = true;
                      (void)!write(fd, "x", 1);
                      close(fd);
                      return;
                  }
                  std::this_thread::sleep_for(std::chrono::milliseconds(5));
              }
          }) {}
    ~PipeReaderWatch() {
        done_ = true;
        writer_.join();
    }
    bool Opened() const { return opened_; }

private:
    std::atomic<bool> done_ = false, opened_ = false;
    std::thread writer_;
};

TEST_P(RunSafety, SpecialFilesInATickedFolderAreNeverOpenedOrSent) {
    MakeTree(localRoot, {{"d", kFolder}, {"d/b.txt", "b"}});
    const std::string pipe = localRoot + "d/a-pipe";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0644), 0);
    SocketFile socketFile(localRoot + "d/c-socket");
    ASSERT_TRUE(socketFile.Bound());
    // An open of the pipe would have held the window until a writer came, and sent what it wrote.
    PipeReaderWatch pipeReader(pipe);
    FillEditPage(*server, true);
    ASSERT_TRUE(ConnectAndCompare()) << LogText();
    ExpectConfirmation("アップロード対象", {"d", "d/b.txt"});
    ExpectMessage("同期が終了しました。 [dat]");
    ASSERT_TRUE(SyncAndWait()) << LogText();
    EXPECT_FALSE(pipeReader.Opened()) << "the program opened the pipe";
    EXPECT_EQ(server->Received("STOR "), 1) << server->Log();
    EXPECT_EQ(TreeOf(server->LocalRoot()), (Tree{{"d", kFolder}, {"d/b.txt", "b"}}));
    EXPECT_TRUE(Unexpected().empty());
}

TEST_P(RunSafety, ALocalRootMovedAfterTheComparisonSendsNothing) {
    MakeTree(localRoot, {{"img", kFolder}, {"img/a.png", "a"}});
    FillEditPage(*server, true);
    ASSERT_TRUE(ConnectAndCompare()) << LogText();
    const std::string root = localRoot.substr(0, localRoot.size() - 1);
    std::filesystem::rename(root, root + "-moved");

    ExpectMessage("比較したローカルフォルダが見つかりません。同期は行いません。");
    ASSERT_TRUE(SyncAndWait()) << LogText();
    EXPECT_EQ(server->Received("MKD "), 0) << server->Log();
    EXPECT_EQ(server->Received("STOR "), 0);
    EXPECT_TRUE(Enabled(TagSync)) << "a run may start once the folder is back";

    // Moved away while the run waits for its confirmation: every target is still named from the
    // root the comparison scanned; the file, gone, is passed over.
    std::filesystem::rename(root + "-moved", root);
    fw::ModalHost::ExpectStep([&](const fw::ModalPrompt&) {
        std::filesystem::rename(root, root + "-moved");
        return fw::ModalAnswer::Press("実行");
    });
    ExpectMessage("同期が終了しました。 [cmd]");
    ASSERT_TRUE(SyncAndWait()) << LogText();
    EXPECT_EQ(TreeOf(server->LocalRoot()), (Tree{{"img", kFolder}})) << server->Log();
    EXPECT_EQ(server->Received("STOR "), 0);
    EXPECT_EQ(LogLines("読み込めないファイルのため飛ばしました: img/a.png").size(), 1u);
}

// A table edited by hand in small letters: "i" is binary, "a" is text.
TEST_P(RunSafety, ATypeLetterInTheTableIsReadWithoutRegardToCase) {
    Put("filetype.txt", "dat\ti\nlog\ta\n");
    gFileTypes.clear();
    ASSERT_TRUE(app().LoadFileType());
    MakeTree(localRoot, {{"x.dat", "1\r\n2\n"}, {"y.log", "3\r\n4\n"}});
    FillEditPage(*server, true, 0, LineEndCRLF);
    ASSERT_TRUE(ConnectAndCompare()) << LogText();
    ExpectConfirmation("アップロード対象", {"x.dat", "y.log"});
    ExpectMessage("同期が終了しました。 [dat]");
    ASSERT_TRUE(SyncAndWait()) << LogText();
    EXPECT_EQ(TreeOf(server->LocalRoot()),
              (Tree{{"x.dat", "1\r\n2\n"}, {"y.log", AsStoredText("3\r\n4\n", LineEndCRLF)}}))
        << server->Log();
}

INSTANTIATE_TEST_SUITE_P(Servers, RunSafety,
                         testing::Values(ServerKind::Vsftpd, ServerKind::Pyftpdlib), KindTestName);

// vsftpd's anonymous user can't enter a folder without permissions: the comparison leaves it out.
class ClosedRemoteFolder : public SyncWindowTest {};

TEST_F(ClosedRemoteFolder, IsNeverTickedForRemovalNorIsItsContent) {
    StartServer(ServerKind::Vsftpd);
    server->Put("keep.txt", "k");
    server->Put("old/a.txt", "a");
    server->Put("old/closed/inside.txt", "i");
    MakeTree(localRoot, {{"keep.txt", "k"}});
    const std::string closed = server->LocalRoot() + "/old/closed";
    std::filesystem::permissions(closed, std::filesystem::perms::none);
    FillEditPage(*server, true, 1);
    ASSERT_TRUE(ConnectAndCompare()) << LogText();
    // What a removal would find, had it been sent.
    std::filesystem::permissions(closed, std::filesystem::perms::owner_all);

    const std::string root = server->RemoteRoot();
    ExpectConfirmation("アップロード対象", {});
    ExpectConfirmation("削除対象", {root + "/old/a.txt", root + "/old"});
    fw::ModalHost::ExpectStep([&](const fw::ModalPrompt& p) {
        EXPECT_EQ(p.message, "同期を中断しました。");
        // The refused step is named in the log before the message.
        EXPECT_EQ(LogLines("失敗した処理: "),
                  std::vector<std::string>{"失敗した処理: RMD " + root + "/old"});
        return fw::ModalAnswer::Press("OK");
    });
    ASSERT_TRUE(SyncAndWait()) << LogText();
    EXPECT_EQ(server->Received("RMD "), 1) << server->Log();
    EXPECT_EQ(testsupport::ReadFile(closed + "/inside.txt"), "i");
    EXPECT_TRUE(Unexpected().empty());
}

}  // namespace
}  // namespace synctest
