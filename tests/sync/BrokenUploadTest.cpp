// Uploads that end before their final reply, against real servers on 127.0.0.1:21: the server
// dies, the program itself ends, the user cancels while the server has stopped reading. Whatever
// ended the upload, the next comparison against the same folder ticks the file, and the next sync
// sends it whole.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>

#include "framework/UserCancel.h"
#include "shell/CommonModule.h"
#include "tests/support/TestFiles.h"
#include "tests/sync/SyncWindowFixture.h"

namespace synctest {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr char kUnfinishedLine[] =
    "前回のアップロードが完了していないため、アップロード対象にしました: ";

const std::string& BigFile() {
    static const std::string big = testsupport::ScrambledBytes(12 * 1000 * 1000, 12345);
    return big;
}

class UnfinishedUpload : public SyncWindowTest {
protected:
    void SetUp() override {
        SyncWindowTest::SetUp();
        if (IsSkipped()) return;
        MakeTree(localRoot, {{"big.bin", BigFile()}, {"small.txt", "s\n"}});
    }

    // Sync without the confirmation, and the loop run until the upload under way has sent bytes.
    bool SyncUntilSent(int64_t bytes) {
        gPref[PrefConfirmSync] = 0;
        return Click(TagSync) && testsupport::WaitUntil([&] {
                   return w->totalBytes >= bytes || !w->pRun.Uploading();
               }) &&
               w->totalBytes >= bytes;
    }

    // The whole next round on a server: connect, compare (big.bin ticked, with its log line, and
    // small.txt, which the broken run never sent), sync, and the file on the server whole.
    void NextSyncSendsItWhole(const std::string& onServer) {
        ASSERT_TRUE(ConnectAndCompare()) << LogText();
        ASSERT_EQ(w->pSyncL.size(), 2u);
        for (const SyncEntry& e : w->pSyncL) EXPECT_TRUE(e.check) << e.name << " " << LogText();
        EXPECT_EQ(LogLines(kUnfinishedLine),
                  std::vector<std::string>{std::string(kUnfinishedLine) + "big.bin"});
        ExpectMessage("同期が終了しました。 [dat]");
        gPref[PrefConfirmSync] = 0;
        ASSERT_TRUE(Click(TagSync));
        ASSERT_TRUE(WaitForScript(60000)) << LogText();
        EXPECT_TRUE(testsupport::ReadFile(onServer) == BigFile()) << fs::file_size(onServer);
        EXPECT_FALSE(Has("uploading.txt")) << Get("uploading.txt");
        EXPECT_TRUE(Unexpected().empty());
    }
};

TEST_F(UnfinishedUpload, AnUploadCutByAServerThatDiedIsSentWholeAfterTheRestart) {
    testsupport::TempFolder served("served");
    StartServer(ServerKind::Pyftpdlib, {.pyftpdlibRoot = served.Path()});
    FillEditPage(*server, true);
    ASSERT_TRUE(ConnectAndCompare()) << LogText();

    fw::ModalHost::ExpectStep([](const fw::ModalPrompt& p) {
        EXPECT_EQ(p.message, "同期を中断しました。");
        return fw::ModalAnswer::Press("OK");
    });
    ASSERT_TRUE(SyncUntilSent(3'200'000)) << LogText();
    server->Signal(SIGKILL);
    ASSERT_TRUE(WaitForScript()) << LogText();
    ASSERT_TRUE(testsupport::WaitUntil([&] { return Enabled(TagConnect); }));
    server.reset();
    // The journal keeps the upload that broke off, and nothing the run had only meant to send.
    EXPECT_EQ(Get("uploading.txt"), "127.0.0.1\tuser\t/site/big.bin\n");
    const std::string onServer = served.Path() + "/site/big.bin";
    ASSERT_TRUE(fs::exists(onServer));
    ASSERT_LT(fs::file_size(onServer), BigFile().size()) << "the server kept a partial file";

    StartServer(ServerKind::Pyftpdlib, {.pyftpdlibRoot = served.Path()});
    ExpectPress("実行");  // the results of the earlier connection are cleared
    NextSyncSendsItWhole(onServer);
}

// A run killed mid-upload leaves the journal as it was on disk at that moment, and the server the
// part it had received; the next start of the program finds both.
TEST_F(UnfinishedUpload, AnUploadCutByTheProgramsOwnEndIsSentWholeByTheNextRun) {
    StartServer(ServerKind::Vsftpd);
    FillEditPage(*server, true);
    ASSERT_TRUE(ConnectAndCompare()) << LogText();
    ASSERT_TRUE(SyncUntilSent(3'200'000)) << LogText();
    const std::string journal = Get("uploading.txt");
    ASSERT_FALSE(journal.empty()) << "no journal of the upload under way";

    EndRun();
    // Ended in order, the program deletes the part it had sent, and the server does so once its
    // STOR is over, after EndRun has returned. A killed run sends no DELE: the part and the journal
    // are put back as it leaves them once that DELE is done, so that nothing removes them after.
    const std::string partial = server->LocalRoot() + "/big.bin";
    ASSERT_TRUE(testsupport::WaitUntil([&] { return !fs::exists(partial); }, 20000))
        << "the partial upload is still on the server: " << server->Log();
    ASSERT_TRUE(testsupport::WriteFile(PathOf("uploading.txt"), journal));
    server->Put("big.bin", BigFile().substr(0, 3'200'000));  // newer than the local file
    ExpectMessage("初期設定ファイルがありません。デフォルトの設定で起動します。");
    StartApp();
    w = MainWindow();
    ASSERT_NE(w, nullptr);
    FillEditPage(*server, true);
    NextSyncSendsItWhole(server->LocalRoot() + "/big.bin");
}

// Where the server stops: 2 MB into big.bin (the upload waits for its data to leave), or once all
// of small.bin has been handed over (the upload waits for the final reply).
struct Stop {
    ServerKind kind;
    std::string file;
    int64_t atBytes;
};

// A server that a test stops with SIGSTOP is let go again at the end.
class StoppingServer : public UnfinishedUpload {
protected:
    void TearDown() override {
        if (stopped_) server->Signal(SIGCONT);
        UnfinishedUpload::TearDown();
    }
    // The cancel key, with the server stopped: the run reads it and ends as cancelled, the data
    // connection closed and 切断 possible; the file stays in the journal, so that the next
    // comparison against the server ticks it. An upload waiting on a server that had stopped
    // reading used to wait for good; the bounds are seconds (how soon it ends is the benchmarks'
    // figure).
    void CancelEndsTheRun(const std::string& file) {
        ExpectMessage("同期を中止しました。");
        fw::LatchUserCancel();
        ASSERT_TRUE(testsupport::WaitUntil([] { return !fw::UserCancelPending(); }, 20000))
            << "the key was not read: " << LogText();
        ASSERT_TRUE(WaitForScript(20000)) << LogText();
        EXPECT_FALSE(w->DataConnectionOpen());
        EXPECT_TRUE(Enabled(TagDiscon));
        EXPECT_NE(Get("uploading.txt").find(server->RemoteRoot() + "/" + file), std::string::npos);
    }
    bool stopped_ = false;
};

class StoppedServer : public StoppingServer, public testing::WithParamInterface<Stop> {};

TEST_P(StoppedServer, TheCancelKeyEndsTheUpload) {
    const Stop stop = GetParam();
    MakeTree(localRoot, {{"small.bin", testsupport::ScrambledBytes(200'000, 12345)}});
    StartServer(stop.kind);
    FillEditPage(*server, true);
    ASSERT_TRUE(ConnectAndCompare()) << LogText();
    for (SyncEntry& e : w->pSyncL) e.check = e.name == stop.file;
    // The server stops as soon as the bytes have been handed to the connection.
    const auto reportBytes = w->dataSocket.bytesTransfered;
    w->dataSocket.bytesTransfered = [&](FtpDataSocket& socket, int32_t n) {
        reportBytes(socket, n);
        if (w->totalBytes < stop.atBytes || stopped_) return;
        server->Signal(SIGSTOP);
        stopped_ = true;
    };
    ASSERT_TRUE(SyncUntilSent(stop.atBytes)) << LogText();
    // The buffers on both sides fill, then nothing moves.
    int64_t seen = -1;
    Clock::time_point since = Clock::now();
    ASSERT_TRUE(testsupport::WaitUntil(
        [&] {
            if (w->totalBytes != seen) {
                seen = w->totalBytes;
                since = Clock::now();
            }
            return Clock::now() - since > std::chrono::milliseconds(500);
        },
        20000));
    ASSERT_TRUE(w->DataConnectionOpen());

    CancelEndsTheRun(stop.file);
    EXPECT_EQ(Messages(), std::vector<std::string>{"同期を中止しました。"});
}

INSTANTIATE_TEST_SUITE_P(Servers, StoppedServer,
                         testing::Values(Stop{ServerKind::Vsftpd, "big.bin", 2'000'000},
                                         Stop{ServerKind::Pyftpdlib, "big.bin", 2'000'000},
                                         Stop{ServerKind::Vsftpd, "small.bin", 200'000},
                                         Stop{ServerKind::Pyftpdlib, "small.bin", 200'000}),
                         [](const testing::TestParamInfo<Stop>& info) {
                             return KindName(info.param.kind) + (info.param.file == "big.bin"
                                                                     ? "MidUpload"
                                                                     : "BeforeFinalReply");
                         });

// The server stops right after it has named the data port for an upload, before it takes the
// STOR: in passive mode the data connection is made by the kernel all the same, in active mode
// the program waits for the server to connect. Either way the transfer is under way (切断 is
// refused), so the cancel key must end it.
struct StopBeforeTaken {
    ServerKind kind;
    bool passive;
};

class StoppedBeforeTheUpload : public StoppingServer,
                               public testing::WithParamInterface<StopBeforeTaken> {};

TEST_P(StoppedBeforeTheUpload, TheCancelKeyEndsTheRun) {
    const StopBeforeTaken stop = GetParam();
    StartServer(stop.kind);
    FillEditPage(*server, stop.passive);
    ASSERT_TRUE(ConnectAndCompare()) << LogText();
    for (SyncEntry& e : w->pSyncL) e.check = e.name == "small.txt";
    int64_t portCommand = 0;  // the number of the PASV or PORT the stopped server answered
    const auto reportLine = w->commandSocket.gotResponse;
    w->commandSocket.gotResponse = [&](FtpCommandSocket& socket, const std::string& line) {
        reportLine(socket, line);
        // The reply that names the upload's data port: PASV's, or PORT's while the port listens.
        const bool portNamed = socket.ReplyCode() == 227 ||
                               (socket.ReplyCode() == 200 && w->dataSocket.TransferRunning());
        if (!portNamed || stopped_) return;
        server->Signal(SIGSTOP);
        stopped_ = true;
        portCommand = socket.ReplyAnswers();
    };
    gPref[PrefConfirmSync] = 0;
    ASSERT_TRUE(Click(TagSync));
    ASSERT_TRUE(testsupport::WaitUntil([&] { return stopped_; })) << LogText();
    // The 227 or 200 came before the stop: the STOR, the command after, goes out all the same.
    ASSERT_TRUE(testsupport::WaitUntil([&] {
        return w->commandSocket.CommandsWritten() > portCommand;
    })) << LogText();
    ASSERT_TRUE(w->DataConnectionOpen());
    ASSERT_TRUE(w->pRun.Uploading());

    CancelEndsTheRun("small.txt");
}

INSTANTIATE_TEST_SUITE_P(Servers, StoppedBeforeTheUpload,
                         testing::Values(StopBeforeTaken{ServerKind::Vsftpd, true},
                                         StopBeforeTaken{ServerKind::Vsftpd, false},
                                         StopBeforeTaken{ServerKind::Pyftpdlib, true},
                                         StopBeforeTaken{ServerKind::Pyftpdlib, false}),
                         [](const testing::TestParamInfo<StopBeforeTaken>& info) {
                             return KindName(info.param.kind) +
                                    (info.param.passive ? "Passive" : "Active");
                         });

}  // namespace
}  // namespace synctest
