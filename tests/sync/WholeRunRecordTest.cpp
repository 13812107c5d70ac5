// What a whole sync run does, recorded through the real window: the commands the server got, the
// messages, the program's own log lines, the upload journal and the server's tree afterwards.
// Both sync modes on vsftpd and pyftpdlib, refused commands, a file changed while sent, a cancel
// and a disconnect in each phase, and, on a server the test plays, a final reply before the data
// and a reset after it. Each expectation is the whole record: a change in any part of it is a
// change in what a run does.
#include <gtest/gtest.h>

#include <QTimer>
#include <chrono>
#include <filesystem>
#include <tuple>

#include "framework/UserCancel.h"
#include "shell/CommonModule.h"
#include "tests/support/CaseNames.h"
#include "tests/sync/RunRecordFixture.h"

namespace synctest {
namespace {

namespace fs = std::filesystem;

constexpr char kDone[] = "同期が終了しました。 [dat]";
constexpr char kDoneByCommand[] = "同期が終了しました。 [cmd]";
constexpr char kCancelled[] = "同期を中止しました。";
constexpr char kDeletingPart[] = "途中で切れたアップロードをサーバーから削除します: ";

// Large enough to go out in several pieces, so that something can happen while it is sent.
const std::string& BigFile() {
    static const std::string bytes = testsupport::ScrambledBytes(12'000'000, 31);
    return bytes;
}

// --- Both modes on both servers

// The local folder: new files and folders, a file the server has newer, one it has older, a
// folder both have. The server: those, and a file and a folder with a file that only it has.
const Tree kLocalSite = {{"a.txt", "a\n"},     {"both.txt", "same\n"}, {"older.bin", "new bytes"},
                         {"d", kFolder},       {"d/b.bin", "b"},       {"d/f", kFolder},
                         {"d/f/c.txt", "c\n"}, {"e", kFolder},         {"e/in.txt", "in\n"}};

const std::vector<std::string> kUploadCommands = {"TYPE I",
                                                  "PASV",
                                                  "STOR /site/a.txt",
                                                  "MKD /site/d",
                                                  "PASV",
                                                  "STOR /site/d/b.bin",
                                                  "MKD /site/d/f",
                                                  "PASV",
                                                  "STOR /site/d/f/c.txt",
                                                  "PASV",
                                                  "STOR /site/e/in.txt",
                                                  "PASV",
                                                  "STOR /site/older.bin"};
constexpr char kUploadList[] =
    "アップロード対象: a.txt, d, d/b.bin, d/f, d/f/c.txt, e/in.txt, older.bin";
const Tree kUploaded = {{"a.txt", "a\n"}, {"both.txt", "same\n"}, {"d", kFolder},
                        {"d/b.bin", "b"}, {"d/f", kFolder},       {"d/f/c.txt", "c\n"},
                        {"e", kFolder},   {"e/in.txt", "in\n"},   {"older.bin", "new bytes"}};

struct Mode {
    const char* name;
    int32_t mode;
    RunRecord expected;
};

void PrintTo(const Mode& m, std::ostream* os) {
    *os << m.name;
}

Tree With(Tree tree, const Tree& more) {
    tree.insert(more.begin(), more.end());
    return tree;
}

std::vector<std::string> Then(std::vector<std::string> first,
                              const std::vector<std::string>& more) {
    first.insert(first.end(), more.begin(), more.end());
    return first;
}

const Mode kModes[] = {
    {"upload only",
     0,
     {.commands = kUploadCommands,
      .messages = {kUploadList, kDone},
      .log = {},
      .journal = kNoJournal,
      .tree = With(kUploaded, {{"gone.txt", "g"}, {"olddir", kFolder}, {"olddir/x.txt", "x"}})}},
    {"upload and delete",
     1,
     {.commands = Then(kUploadCommands,
                       {"DELE /site/olddir/x.txt", "RMD /site/olddir", "DELE /site/gone.txt"}),
      .messages = {kUploadList, "削除対象: /site/olddir/x.txt, /site/olddir, /site/gone.txt",
                   kDoneByCommand},
      .log = {},
      .journal = kNoJournal,
      .tree = kUploaded}},
};

class BothModes : public RealServerRun,
                  public testing::WithParamInterface<std::tuple<ServerKind, Mode>> {};

TEST_P(BothModes, AWholeRun) {
    const Mode& mode = std::get<1>(GetParam());
    StartServer(std::get<0>(GetParam()));
    MakeTree(localRoot, kLocalSite);
    PutTree({{"both.txt", "same\n"},
             {"older.bin", "old"},
             {"e", kFolder},
             {"gone.txt", "g"},
             {"olddir", kFolder},
             {"olddir/x.txt", "x"}});
    fs::last_write_time(server->LocalRoot() + "/older.bin",
                        fs::file_time_type::clock::now() - std::chrono::hours(2));
    FillEditPage(*server, true, mode.mode);
    ASSERT_TRUE(ConnectAndCompare()) << LogText();

    RunRecorder run = Recorder();
    run.AnswerPrompts(mode.expected.messages.size());
    ASSERT_TRUE(Click(TagSync));
    ASSERT_TRUE(run.Settled()) << run.State();
    run.Expect(mode.expected);
}

INSTANTIATE_TEST_SUITE_P(Servers, BothModes,
                         testing::Combine(testing::Values(ServerKind::Vsftpd,
                                                          ServerKind::Pyftpdlib),
                                          testing::ValuesIn(kModes)),
                         [](const testing::TestParamInfo<std::tuple<ServerKind, Mode>>& info) {
                             return KindName(std::get<0>(info.param)) +
                                    testsupport::CaseName(std::get<1>(info.param).name);
                         });

// --- Refused commands

// Uploads, a folder among them, and removals, in the upload-and-delete mode: each case has the
// server refuse one of their commands.
const Tree kRefusedLocal = {{"a.txt", "a\n"}, {"d", kFolder}, {"d/b.txt", "b\n"}, {"z.txt", "z\n"}};
const Tree kRefusedRemote = {{"gone.txt", "g"}, {"old", kFolder}, {"old/x.txt", "x"}};
constexpr char kRefusedUploadList[] = "アップロード対象: a.txt, d, d/b.txt, z.txt";
// Stands for the server's own words of refusal in a case's messages.
constexpr char kRefusal[] = "{refusal}";

struct Refusal {
    const char* name;
    std::string vsftpdConfig;          // the setting that has vsftpd refuse it
    std::string pyftpdlibPermissions;  // pyftpdlib's rights without the one it takes
    RunRecord expected;
};

void PrintTo(const Refusal& r, std::ostream* os) {
    *os << r.name;
}

const Refusal kRefusals[] = {
    {"a refused MKD of a folder not there",
     "anon_mkdir_write_enable=NO",
     "elradfwMT",
     {.commands = {"TYPE I", "PASV", "STOR /site/a.txt", "MKD /site/d"},
      .messages = {kRefusedUploadList, "同期を中断しました。 / An error occurred: {refusal}"},
      .log = {"失敗した処理: MKD /site/d"},
      .journal = kNoJournal,
      .tree = With(kRefusedRemote, {{"a.txt", "a\n"}})}},
    {"a refused STOR",
     "anon_upload_enable=NO",
     "elradfmMT",
     {.commands = {"TYPE I", "PASV", "STOR /site/a.txt"},
      .messages = {kRefusedUploadList, "同期を中断しました。 / An error occurred: {refusal}"},
      .log = {"失敗した処理: STOR /site/a.txt"},
      // Kept, as for every upload without its final reply: sent again next time.
      .journal = "/site/a.txt\n",
      .tree = kRefusedRemote}},
    {"a refused DELE",
     "anon_other_write_enable=NO",
     "elrafmwMT",
     {.commands = {"TYPE I", "PASV", "STOR /site/a.txt", "MKD /site/d", "PASV",
                   "STOR /site/d/b.txt", "PASV", "STOR /site/z.txt", "DELE /site/old/x.txt"},
      .messages = {kRefusedUploadList, "削除対象: /site/old/x.txt, /site/old, /site/gone.txt",
                   "同期を中断しました。 / An error occurred: {refusal}"},
      .log = {"失敗した処理: DELE /site/old/x.txt"},
      .journal = kNoJournal,
      .tree = With(kRefusedRemote, kRefusedLocal)}},
};

class Refused : public RealServerRun,
                public testing::WithParamInterface<std::tuple<ServerKind, Refusal>> {};

TEST_P(Refused, StopsTheRun) {
    const ServerKind kind = std::get<0>(GetParam());
    const Refusal& refusal = std::get<1>(GetParam());
    if (kind == ServerKind::Vsftpd)
        StartServer(kind, {.vsftpdConfig = {refusal.vsftpdConfig}});
    else
        StartServer(kind, {.permissions = refusal.pyftpdlibPermissions});
    MakeTree(localRoot, kRefusedLocal);
    PutTree(kRefusedRemote);
    FillEditPage(*server, true, 1);
    ASSERT_TRUE(ConnectAndCompare()) << LogText();

    RunRecord expected = refusal.expected;
    for (std::string& message : expected.messages)
        message = fw::ReplaceAll(
            message, kRefusal,
            kind == ServerKind::Vsftpd ? "550 Permission denied." : "550 Not enough privileges.");
    RunRecorder run = Recorder();
    run.AnswerPrompts(expected.messages.size());
    ASSERT_TRUE(Click(TagSync));
    ASSERT_TRUE(run.Settled()) << run.State();
    run.Expect(expected);
}

INSTANTIATE_TEST_SUITE_P(Servers, Refused,
                         testing::Combine(testing::Values(ServerKind::Vsftpd,
                                                          ServerKind::Pyftpdlib),
                                          testing::ValuesIn(kRefusals)),
                         [](const testing::TestParamInfo<std::tuple<ServerKind, Refusal>>& info) {
                             return KindName(std::get<0>(info.param)) +
                                    testsupport::CaseName(std::get<1>(info.param).name);
                         });

// --- A file changed while it is sent, that keeps its name

class ChangedWhileSent : public RealServerRun, public testing::WithParamInterface<ServerKind> {};

TEST_P(ChangedWhileSent, IsPassedOverAndTheRunGoesOn) {
    StartServer(GetParam());
    MakeTree(localRoot, {{"a.txt", "a\n"}, {"log.bin", BigFile()}, {"z.txt", "z\n"}});
    FillEditPage(*server, true);
    ASSERT_TRUE(ConnectAndCompare()) << LogText();
    // A line more at every piece sent, as a log being written.
    GrowWhileSent("log.bin");

    RunRecorder run = Recorder();
    run.AnswerPrompts(2);
    ASSERT_TRUE(Click(TagSync));
    ASSERT_TRUE(run.Settled()) << run.State();
    run.Expect({.commands = {"TYPE I", "PASV", "STOR /site/a.txt", "PASV", "STOR /site/log.bin",
                             "DELE /site/log.bin", "PASV", "STOR /site/z.txt"},
                .messages = {"アップロード対象: a.txt, log.bin, z.txt", kDone},
                .log = {"送信中に変更されたため飛ばしました: log.bin",
                        kDeletingPart + std::string("/site/log.bin")},
                .journal = "/site/log.bin\n",
                .tree = {{"a.txt", "a\n"}, {"z.txt", "z\n"}}});
}

INSTANTIATE_TEST_SUITE_P(Servers, ChangedWhileSent,
                         testing::Values(ServerKind::Vsftpd, ServerKind::Pyftpdlib), KindTestName);

// --- A cancel and a disconnect while data flows, or while the removals run

// In the upload-and-delete mode: a folder, a file long enough to be caught while it is sent, a
// file after it; a file and a folder with a file to remove.
const Tree kInterruptedLocal = {{"a", kFolder}, {"big.bin", BigFile()}, {"z.txt", "z\n"}};
const Tree kInterruptedRemote = {{"gone.txt", "g"}, {"old", kFolder}, {"old/x.txt", "x"}};
constexpr char kInterruptedUploadList[] = "アップロード対象: a, big.bin, z.txt";
constexpr char kInterruptedRemovalList[] = "削除対象: /site/old/x.txt, /site/old, /site/gone.txt";
const std::vector<std::string> kInterruptedWholeRun = {
    "MKD /site/a",          "TYPE I",        "PASV",
    "STOR /site/big.bin",   "PASV",          "STOR /site/z.txt",
    "DELE /site/old/x.txt", "RMD /site/old", "DELE /site/gone.txt"};
const Tree kInterruptedRunDone = {
    {"a", kFolder}, {"big.bin", "<the local file>"}, {"z.txt", "z\n"}};

class Interrupted;

struct Interruption {
    const char* name;
    void (Interrupted::*interrupt)();
    RunRecord expected;
};

void PrintTo(const Interruption& i, std::ostream* os) {
    *os << i.name;
}

class Interrupted : public RealServerRun,
                    public testing::WithParamInterface<std::tuple<ServerKind, Interruption>> {
public:
    // The cancel key, once big.bin has begun to go.
    void CancelDuringAnUpload() {
        OnceBigFileSent([] { fw::LatchUserCancel(); });
    }
    // The cancel key, once the first removal has been answered. Nothing reads it there.
    void CancelDuringTheRemovals() {
        const auto reportLine = w->commandSocket.gotResponse;
        w->commandSocket.gotResponse = [this, reportLine, done = false](
                                           FtpCommandSocket& socket,
                                           const std::string& line) mutable {
            reportLine(socket, line);
            if (done || !w->pRun.Removing()) return;
            done = true;
            fw::LatchUserCancel();
        };
    }
    // 切断, clicked from the event loop once big.bin has begun to go.
    void DisconnectDuringAnUpload() {
        OnceBigFileSent([this] { QTimer::singleShot(0, [this] { Click(TagDiscon); }); });
    }

protected:
    void TearDown() override {
        fw::ClearUserCancelled();
        RealServerRun::TearDown();
    }
    void OnceBigFileSent(std::function<void()> act) {
        const auto reportBytes = w->dataSocket.bytesTransfered;
        w->dataSocket.bytesTransfered = [this, reportBytes, act, done = false](
                                            FtpDataSocket& socket, int32_t n) mutable {
            reportBytes(socket, n);
            if (done || socket.remoteFileName.find("big.bin") == std::string::npos ||
                w->totalBytes < 1'000'000)
                return;
            done = true;
            act();
        };
    }
};

const Interruption kInterruptions[] = {
    {"a cancel during an upload",
     &Interrupted::CancelDuringAnUpload,
     {.commands = {"MKD /site/a", "TYPE I", "PASV", "STOR /site/big.bin", "DELE /site/big.bin"},
      .messages = {kInterruptedUploadList, kCancelled},
      .log = {"An error 207occurred in the data port!",
              kDeletingPart + std::string("/site/big.bin")},
      .journal = "/site/big.bin\n",
      .tree = With(kInterruptedRemote, {{"a", kFolder}})}},
    {"a cancel during the removals",
     &Interrupted::CancelDuringTheRemovals,
     {.commands = kInterruptedWholeRun,
      .messages = {kInterruptedUploadList, kInterruptedRemovalList, kDoneByCommand},
      .log = {},
      .journal = kNoJournal,
      .tree = kInterruptedRunDone}},
    {"a disconnect during an upload",
     &Interrupted::DisconnectDuringAnUpload,
     {.commands = kInterruptedWholeRun,
      .messages = {kInterruptedUploadList, "データ接続中なので切断できません。",
                   kInterruptedRemovalList, kDoneByCommand},
      .log = {},
      .journal = kNoJournal,
      .tree = kInterruptedRunDone}},
};

TEST_P(Interrupted, TheRun) {
    const Interruption& interruption = std::get<1>(GetParam());
    StartServer(std::get<0>(GetParam()));
    MakeTree(localRoot, kInterruptedLocal);
    PutTree(kInterruptedRemote);
    FillEditPage(*server, true, 1);
    ASSERT_TRUE(ConnectAndCompare()) << LogText();

    RunRecorder run = Recorder();
    run.AnswerPrompts(interruption.expected.messages.size());
    (this->*interruption.interrupt)();
    ASSERT_TRUE(Click(TagSync));
    ASSERT_TRUE(run.Settled()) << run.State();
    run.Expect(interruption.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Servers, Interrupted,
    testing::Combine(testing::Values(ServerKind::Vsftpd, ServerKind::Pyftpdlib),
                     testing::ValuesIn(kInterruptions)),
    [](const testing::TestParamInfo<std::tuple<ServerKind, Interruption>>& info) {
        return KindName(std::get<0>(info.param)) +
               testsupport::CaseName(std::get<1>(info.param).name);
    });

// --- A disconnect while a step awaits its reply (a server the test plays holds it back)

struct HeldReply {
    const char* name;
    std::string command;  // whose reply is held until after the disconnect
    RunRecord expected;
};

void PrintTo(const HeldReply& h, std::ostream* os) {
    *os << h.name;
}

const HeldReply kHeldReplies[] = {
    {"a disconnect awaiting a folder",
     "MKD /site/a",
     {.commands = {"MKD /site/a", "QUIT"},
      .messages = {"アップロード対象: a, z.txt", kCancelled},
      .log = {},
      .journal = kNoJournal,
      .tree = With(kInterruptedRemote, {{"a", kFolder}})}},
    {"a disconnect awaiting a removal",
     "DELE /site/old/x.txt",
     {.commands = {"MKD /site/a", "TYPE I", "PASV", "STOR /site/z.txt", "DELE /site/old/x.txt",
                   "QUIT"},
      .messages = {"アップロード対象: a, z.txt", kInterruptedRemovalList, kCancelled},
      .log = {},
      .journal = kNoJournal,
      .tree = {{"a", kFolder}, {"gone.txt", "g"}, {"old", kFolder}, {"z.txt", "z\n"}}}},
};

class DisconnectedStep : public ScriptedSiteRun, public testing::WithParamInterface<HeldReply> {};

// The reply that was due comes after the disconnect: it takes no step.
TEST_P(DisconnectedStep, EndsTheRunAndNothingFollows) {
    MakeTree(localRoot, {{"a", kFolder}, {"z.txt", "z\n"}});
    SetRemoteTree(kInterruptedRemote);
    ASSERT_TRUE(ConnectAndCompare()) << LogText();
    w->PopupMenu1->SetListIndex(1);  // upload and delete
    holdReplyTo = GetParam().command;

    RunRecorder run = Recorder();
    run.AnswerPrompts(GetParam().expected.messages.size());
    ASSERT_TRUE(Click(TagSync));
    ASSERT_TRUE(testsupport::WaitUntil([&] { return ReplyHeld(); })) << run.State();
    ASSERT_TRUE(Click(TagDiscon));
    ASSERT_TRUE(site->server.WaitForLine("QUIT")) << run.State();
    ReleaseReply();
    ASSERT_TRUE(run.Settled()) << run.State();
    ASSERT_TRUE(testsupport::WaitUntil([&] { return !site->server.Connected(); }));
    run.Expect(GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Replies, DisconnectedStep, testing::ValuesIn(kHeldReplies),
                         [](const testing::TestParamInfo<HeldReply>& info) {
                             return testsupport::CaseName(info.param.name);
                         });

// --- A final reply before the data, and a reset after it (a server the test plays)

struct Upload {
    const char* name;
    StorReplies replies;
    RunRecord expected;
};

void PrintTo(const Upload& u, std::ostream* os) {
    *os << u.name;
}

const Upload kUploads[] = {
    // Every byte still goes, and the upload completes as with the reply after the data.
    {"a final reply before the data",
     StorReplies::FinalReplyFirst,
     {.commands = {"TYPE I", "PASV", "STOR /site/a.txt", "PASV", "STOR /site/big.bin", "PASV",
                   "STOR /site/z.txt"},
      .messages = {"アップロード対象: a.txt, big.bin, z.txt", kDone},
      .log = {},
      .journal = kNoJournal,
      .tree = {{"a.txt", "a\n"}, {"big.bin", "<the local file>"}, {"z.txt", "z\n"}}}},
    // The final reply came, but the data was cut off: the upload is broken off.
    {"a reset after the final reply",
     StorReplies::ResetAfterFinalReply,
     {.commands = {"TYPE I", "PASV", "STOR /site/a.txt", "PASV", "STOR /site/big.bin",
                   "DELE /site/big.bin"},
      .messages = {"アップロード対象: a.txt, big.bin, z.txt",
                   "同期を中断しました。 / An error 203occurred in the data port!"},
      .log = {"An error 203occurred in the data port!", "失敗した処理: STOR /site/big.bin",
              kDeletingPart + std::string("/site/big.bin")},
      .journal = "/site/big.bin\n",
      .tree = {{"a.txt", "a\n"}}}},
};

class RepliedUpload : public ScriptedSiteRun, public testing::WithParamInterface<Upload> {};

TEST_P(RepliedUpload, TheRun) {
    MakeTree(localRoot, {{"a.txt", "a\n"}, {"big.bin", BigFile()}, {"z.txt", "z\n"}});
    ASSERT_TRUE(ConnectAndCompare()) << LogText();
    storReplies = GetParam().replies;
    RunRecorder run = Recorder();
    run.AnswerPrompts(GetParam().expected.messages.size());
    ASSERT_TRUE(Click(TagSync));
    ASSERT_TRUE(run.Settled()) << run.State();
    run.Expect(GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Replies, RepliedUpload, testing::ValuesIn(kUploads),
                         [](const testing::TestParamInfo<Upload>& info) {
                             return testsupport::CaseName(info.param.name);
                         });

}  // namespace
}  // namespace synctest
