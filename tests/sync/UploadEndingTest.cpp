// How an upload ends, on a server the test plays, through the real window in passive and active
// mode: the server closes its end of the data connection in order, keeps it open, closes it late,
// confirms before the data or before its 150, reads a part and resets, reads all and resets, or
// refuses once it has read all. A file larger than the loopback connection's buffers, one smaller
// (so that a reset lands while the file is sent and after it has all gone), and an empty one. An
// upload is done only when the server has read it all: each case is the whole record of the run,
// and the next comparison ticks the file exactly when the upload did not complete.
#include <gtest/gtest.h>

#include <QTimer>
#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <thread>
#include <tuple>
#include <vector>

#include "shell/CommonModule.h"
#include "tests/support/CaseNames.h"
#include "tests/support/RawDataConnection.h"
#include "tests/sync/RunRecordFixture.h"

namespace synctest {
namespace {

using Clock = std::chrono::steady_clock;

// How the server takes an upload and ends it.
enum class Ending {
    InOrder,                  // 150; reads to the end, closes its end, 226
    KeepsItsEndOpen,          // 150; reads to the end, 226, and never closes its end
    ClosesItsEnd3sAfter226,   // 150; reads to the end, 226, closes its end 3 s later
    FinalReplyBeforeTheData,  // 150 and 226 at once; reads to the end, closes its end
    FinalReplyBefore150,      // 226, then 150; reads to the end, closes its end
    // 150; reads 128 KiB, resets, 226: while the client still sends (held back by the full
    // buffers), once its last byte has gone (from the upload's own progress event, before the
    // end of its sending), or after the end of its sending has come.
    ResetsAPartWhileSent,
    ResetsAPartOnceSent,
    ResetsAPartAfterTheEnd,
    ResetsAfterAll,         // 150; reads to the end, 226, resets
    ResetsAfterAll1sLater,  // 150; reads to the end, 226, resets a second later
    // 150; reads to the end, 226, resets just before the client's moment for it runs out, and
    // the client's loop is held until it has: the reset and the moment's end come together.
    ResetsAsTheMomentRunsOut,
    NeverConnects,       // 150 and 226 at once; takes no data connection (active mode)
    Refuses451AfterAll,  // 150; reads to the end, closes its end, 451
    Refuses552AfterAll,  // 150; reads to the end, closes its end, 552
};

constexpr size_t kPart = 128 * 1024;
constexpr char k150[] = "150 Ok to send data\r\n";
constexpr char k226[] = "226 Transfer complete\r\n";
constexpr char k451[] = "451 Local error in processing";
constexpr char k552[] = "552 Exceeded storage allocation";
// PASV in passive mode, PORT in active mode.
constexpr char kDataPort[] = "PASV or PORT";

// Beyond the loopback connection's buffers (a few megabytes each way) and well within them.
const std::string& LargeFile() {
    static const std::string bytes = testsupport::ScrambledBytes(16'000'000, 32);
    return bytes;
}
const std::string& SmallFile() {
    static const std::string bytes = testsupport::ScrambledBytes(kPart + 16 * 1024, 33);
    return bytes;
}

struct Case {
    const char* name;
    Ending ending;
    const std::string& (*file)();
    RunRecord expected;
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

const std::string& EmptyFile() {
    static const std::string none;
    return none;
}

constexpr char kUploadList[] = "アップロード対象: f.bin, z.txt";

RunRecord Done(const std::string& stored) {
    return {.commands = {"TYPE I", kDataPort, "STOR /site/f.bin", kDataPort, "STOR /site/z.txt"},
            .messages = {kUploadList, "同期が終了しました。 [dat]"},
            .log = {},
            .journal = kNoJournal,
            .tree = {{"f.bin", stored}, {"z.txt", "z\n"}}};
}
const RunRecord kDoneWhole = Done("<the local file>");

// Stopped at the upload: its copy deleted, its journal entry kept.
RunRecord Stopped(const std::string& reason, const std::vector<std::string>& logged) {
    RunRecord r{.commands = {"TYPE I", kDataPort, "STOR /site/f.bin", "DELE /site/f.bin"},
                .messages = {kUploadList, "同期を中断しました。 / " + reason},
                .log = logged,
                .journal = "/site/f.bin\n",
                .tree = {}};
    r.log.push_back("失敗した処理: STOR /site/f.bin");
    r.log.push_back("途中で切れたアップロードをサーバーから削除します: /site/f.bin");
    return r;
}
const RunRecord kBroken =
    Stopped("An error 203occurred in the data port!", {"An error 203occurred in the data port!"});
RunRecord Refused(const std::string& reply) {
    return Stopped("An error occurred: " + reply, {});
}

const Case kCases[] = {
    {"in order, large", Ending::InOrder, LargeFile, kDoneWhole},
    {"in order, small", Ending::InOrder, SmallFile, kDoneWhole},
    {"in order, empty", Ending::InOrder, EmptyFile, Done("")},
    // The server's word stands once the data has all gone, a moment after its final reply.
    {"keeps its end open after 226, large", Ending::KeepsItsEndOpen, LargeFile, kDoneWhole},
    {"keeps its end open after 226, small", Ending::KeepsItsEndOpen, SmallFile, kDoneWhole},
    {"keeps its end open after 226, empty", Ending::KeepsItsEndOpen, EmptyFile, Done("")},
    {"closes its end 3 s after 226, large", Ending::ClosesItsEnd3sAfter226, LargeFile, kDoneWhole},
    {"closes its end 3 s after 226, small", Ending::ClosesItsEnd3sAfter226, SmallFile, kDoneWhole},
    // The data still goes whole: the server reads it after its reply.
    {"226 before the data, large", Ending::FinalReplyBeforeTheData, LargeFile, kDoneWhole},
    {"226 before the data, small", Ending::FinalReplyBeforeTheData, SmallFile, kDoneWhole},
    {"226 before 150, large", Ending::FinalReplyBefore150, LargeFile, kDoneWhole},
    {"226 before 150, small", Ending::FinalReplyBefore150, SmallFile, kDoneWhole},
    {"226 before 150, empty", Ending::FinalReplyBefore150, EmptyFile, Done("")},
    // A reset is never a complete upload, whatever the final reply says: while the file is
    // sent (large) or once it has all gone (small).
    {"reads a part, resets while the file is sent and says 226", Ending::ResetsAPartWhileSent,
     LargeFile, kBroken},
    {"reads a part, resets once the file has gone and says 226", Ending::ResetsAPartOnceSent,
     SmallFile, kBroken},
    {"reads a part, resets after the files end and says 226", Ending::ResetsAPartAfterTheEnd,
     SmallFile, kBroken},
    // Can't be told from a reset with bytes unread: not done.
    {"reads all, says 226 and resets, large", Ending::ResetsAfterAll, LargeFile, kBroken},
    {"reads all, says 226 and resets, small", Ending::ResetsAfterAll, SmallFile, kBroken},
    {"reads all, says 226 and resets, empty", Ending::ResetsAfterAll, EmptyFile, kBroken},
    // While the server still has a moment to end its side.
    {"reads all, says 226 and resets 1 s later", Ending::ResetsAfterAll1sLater, SmallFile, kBroken},
    {"reads all, says 226 and resets as the moment runs out", Ending::ResetsAsTheMomentRunsOut,
     SmallFile, kBroken},
    // Nothing to carry: in active mode the server's word alone stands (in passive mode the
    // connection the client made ends in order).
    {"says 226 and never connects, empty", Ending::NeverConnects, EmptyFile, Done("")},
    {"451 after reading all", Ending::Refuses451AfterAll, SmallFile, Refused(k451)},
    {"552 after reading all", Ending::Refuses552AfterAll, LargeFile, Refused(k552)},
};

// The scripted site, whose STOR the case's server takes over: it stores what it read in the
// site's tree, and MKD, DELE and RMD change the tree as a server would.
class EndingSite : public ScriptedSiteTest {
protected:
    void SetUp() override {
        ScriptedSiteTest::SetUp();
        if (IsSkipped()) return;
        TakeOver([this](const std::string& line) { return Take(line); }, [this] { MoveUpload(); });
    }

    RunRecorder Recorder() {
        // The data port's command, whatever the mode, so that both modes share a record.
        const auto commands = [this] {
            std::vector<std::string> lines = site->server.ReceivedLines();
            for (std::string& line : lines)
                if (line == "PASV" || line.rfind("PORT ", 0) == 0) line = kDataPort;
            return lines;
        };
        return RunRecorder(*w, localRoot, {commands, site->treeRoot, "/site", "user"});
    }

    std::set<std::string> TickedLocally() const {
        std::set<std::string> names;
        for (const SyncEntry& e : w->pSyncL)
            if (e.check) names.insert(e.name);
        return names;
    }

    std::optional<Ending> ending;  // how the server ends f.bin's upload; unset: as a server does
    bool everyFile = false;        // ... and every other file's
    // Resets the upload's data connection here and now, stores what it read so far and
    // confirms the upload, all in one step (the client's DELE comes after it).
    void ResetNow() {
        if (phase_ != Phase::Reading || !data_.back()->Open()) return;
        data_.back()->ReadWhatHasCome();
        ResetStoreAndConfirm();
    }

private:
    enum class Phase { None, Connecting, Reading, Done };

    bool Take(const std::string& line) {
        const std::optional<ScriptedSite::OnSite> command = site->OnSitePath(line);
        if (!command) return false;
        site->KeepInTree(*command);
        if (command->verb != "STOR" || !ending) return false;  // answered as the site answers it
        storing_ = command->local;
        // The case's ending is f.bin's; z.txt's, in order.
        ending_ = everyFile || line == "STOR /site/f.bin" ? *ending : Ending::InOrder;
        if (ending_ == Ending::NeverConnects) {
            testsupport::WriteFile(storing_, "");
            site->server.Send(std::string(k150) + k226);
            phase_ = Phase::Done;
            return true;
        }
        site->ConnectActiveData();
        phase_ = Phase::Connecting;
        return true;
    }

    void Store() { testsupport::WriteFile(storing_, data_.back()->Received()); }
    void ResetStoreAndConfirm() {
        phase_ = Phase::Done;
        Store();
        data_.back()->Reset();
        site->server.Send(k226);
    }

    void MoveUpload() {
        testsupport::ScriptedFtpServer& server = site->server;
        if (phase_ == Phase::Connecting) {
            if (!server.DataConnected()) return;
            data_.push_back(std::make_unique<testsupport::RawDataConnection>(server.TakeData()));
            if (ReadsAPart()) data_.back()->ReadUpTo(kPart);
            server.Send(ending_ == Ending::FinalReplyBefore150       ? std::string(k226) + k150
                        : ending_ == Ending::FinalReplyBeforeTheData ? std::string(k150) + k226
                                                                     : std::string(k150));
            phase_ = Phase::Reading;
            unread_ = 0;
            unreadSince_ = Clock::now();
            return;
        }
        if (phase_ != Phase::Reading) return;
        testsupport::RawDataConnection& data = *data_.back();
        if (data.ResetSeen()) {  // the client broke the upload off
            phase_ = Phase::Done;
            server.Send("426 Connection closed; transfer aborted\r\n");
            return;
        }
        if (ReadsAPart()) {
            // Once the file has gone, the upload's own progress event resets it (ResetNow).
            const bool due = ending_ == Ending::ResetsAPartWhileSent     ? ClientHeldBack(data)
                             : ending_ == Ending::ResetsAPartAfterTheEnd ? data.ClientEnded()
                                                                         : false;
            if (due) ResetStoreAndConfirm();
            return;
        }
        if (!data.EndRead()) return;
        phase_ = Phase::Done;
        Store();
        switch (ending_) {
            case Ending::InOrder:
                data.Close();
                server.Send(k226);
                break;
            case Ending::KeepsItsEndOpen:
                server.Send(k226);
                break;
            case Ending::ClosesItsEnd3sAfter226:
                server.Send(k226);
                QTimer::singleShot(3000, &transfersPoll, [&data] { data.Close(); });
                break;
            case Ending::ResetsAfterAll:
                server.Send(k226);
                data.Reset();
                break;
            case Ending::ResetsAfterAll1sLater:
                server.Send(k226);
                QTimer::singleShot(1000, &transfersPoll, [&data] { data.Reset(); });
                break;
            case Ending::ResetsAsTheMomentRunsOut:
                server.Send(k226);
                QTimer::singleShot(FtpDataSocket::kServerEndGraceMs - 300, &transfersPoll, [&data] {
                    data.Reset();
                    std::this_thread::sleep_for(std::chrono::seconds(1));
                });
                break;
            case Ending::Refuses451AfterAll:
            case Ending::Refuses552AfterAll:
                data.Close();
                server.Send(std::string(ending_ == Ending::Refuses451AfterAll ? k451 : k552) +
                            "\r\n");
                break;
            default:  // the final reply went before the data
                data.Close();
                break;
        }
    }

    bool ReadsAPart() const {
        return ending_ == Ending::ResetsAPartWhileSent || ending_ == Ending::ResetsAPartOnceSent ||
               ending_ == Ending::ResetsAPartAfterTheEnd;
    }

    // The client's bytes wait unread and no more have come for a while: its sending is held
    // back by the full buffers.
    bool ClientHeldBack(const testsupport::RawDataConnection& data) {
        if (data.Received().size() < kPart) return false;
        const size_t unread = data.Unread();
        if (unread != unread_) {
            unread_ = unread;
            unreadSince_ = Clock::now();
        }
        return Clock::now() - unreadSince_ > std::chrono::milliseconds(300);
    }

    Phase phase_ = Phase::None;
    Ending ending_ = Ending::InOrder;  // the ending of the upload under way
    std::string storing_;              // the local path of the file the STOR stores
    std::vector<std::unique_ptr<testsupport::RawDataConnection>> data_;
    size_t unread_ = 0;
    Clock::time_point unreadSince_;
};

class UploadEnding : public EndingSite,
                     public testing::WithParamInterface<std::tuple<Case, bool>> {};

TEST_P(UploadEnding, TheRunAndTheNextComparison) {
    const Case& c = std::get<0>(GetParam());
    FillEditPage("user", "secret", "/site", std::get<1>(GetParam()));
    MakeTree(localRoot, {{"f.bin", c.file()}, {"z.txt", "z\n"}});
    ASSERT_TRUE(ConnectAndCompare()) << LogText();

    ending = c.ending;
    if (c.ending == Ending::ResetsAPartOnceSent) {
        // The reset lands between the last piece handed to the system and the end of the
        // sending: the piece is taken, and the upload ends only after its progress event.
        ChangeWhileSent("f.bin", [this, size = c.file().size()] {
            if (w->totalBytes >= static_cast<int64_t>(size)) ResetNow();
        });
    }
    RunRecorder run = Recorder();
    run.AnswerPrompts(c.expected.messages.size());
    ASSERT_TRUE(Click(TagSync));
    // Every case ends within seconds: no wait for the stall watchdog (minutes).
    ASSERT_TRUE(run.Settled(20000)) << run.State();
    run.Expect(c.expected);

    ending.reset();
    StopChangingWhileSent();
    ASSERT_TRUE(Click(TagDiscon));
    ExpectPress("実行");  // the results of the earlier connection are cleared
    ASSERT_TRUE(ConnectAndCompare()) << LogText();
    const std::set<std::string> unfinished = c.expected.journal == kNoJournal
                                                 ? std::set<std::string>{}
                                                 : std::set<std::string>{"f.bin", "z.txt"};
    EXPECT_EQ(TickedLocally(), unfinished) << LogText();
    EXPECT_TRUE(Unexpected().empty());
}

// A server that has kept its end open after a final reply once is taken at its word at once for
// the rest of the connection: a run of many files does not wait a moment for each. A new
// connection gives its server the moment again, in which a reset still breaks the upload.
class KeptEndOpen : public EndingSite, public testing::WithParamInterface<bool> {};

TEST_P(KeptEndOpen, IsTakenAtItsWordAtOnceFromTheSecondUploadOfTheConnection) {
    FillEditPage("user", "secret", "/site", GetParam());
    constexpr int kFiles = 10;
    Tree files;
    for (int i = 0; i < kFiles; ++i) files["k" + std::to_string(i) + ".bin"] = SmallFile();
    MakeTree(localRoot, files);
    ASSERT_TRUE(ConnectAndCompare()) << LogText();

    ending = Ending::KeepsItsEndOpen;
    everyFile = true;
    gPref[PrefConfirmSync] = 0;
    ExpectMessage("同期が終了しました。 [dat]");
    const auto start = Clock::now();
    ASSERT_TRUE(Click(TagSync));
    ASSERT_TRUE(WaitForScript(60000)) << LogText();
    // One moment's wait in all, not one for each file.
    EXPECT_LT(Clock::now() - start,
              std::chrono::milliseconds(kFiles / 2 * FtpDataSocket::kServerEndGraceMs));
    EXPECT_EQ(TreeOf(site->treeRoot), files);
    EXPECT_FALSE(Has("uploading.txt")) << Get("uploading.txt");

    ending = Ending::ResetsAfterAll1sLater;
    ASSERT_TRUE(Click(TagDiscon));
    MakeTree(localRoot, {{"new.bin", SmallFile()}});
    ExpectPress("実行");  // the results of the earlier connection are cleared
    ASSERT_TRUE(ConnectAndCompare()) << LogText();
    ExpectStopped("An error 203occurred in the data port!");
    ASSERT_TRUE(Click(TagSync));
    ASSERT_TRUE(WaitForScript(20000)) << LogText();
    EXPECT_EQ(Get("uploading.txt"), "127.0.0.1\tuser\t/site/new.bin\n");
}

INSTANTIATE_TEST_SUITE_P(Servers, UploadEnding,
                         testing::Combine(testing::ValuesIn(kCases), testing::Bool()),
                         [](const testing::TestParamInfo<std::tuple<Case, bool>>& info) {
                             return testsupport::CaseName(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) ? "Passive" : "Active");
                         });

INSTANTIATE_TEST_SUITE_P(Modes, KeptEndOpen, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "Passive" : "Active");
                         });

}  // namespace
}  // namespace synctest
