// Whole synchronisations through the main window against real servers: connect, compare, sync
// upload-only, then upload-and-delete, with the server's tree checked byte for byte.
#include <gtest/gtest.h>

#include "tests/sync/SyncWindowFixture.h"

namespace synctest {
namespace {

struct Setting {
    ServerKind kind;
    bool passive;
    int32_t lineEnds;
};

void PrintTo(const Setting& s, std::ostream* os) {
    *os << KindName(s.kind) << (s.passive ? " passive" : " active") << " line ends " << s.lineEnds;
}

std::string SettingName(const testing::TestParamInfo<Setting>& info) {
    static const char* ends[] = {"LF", "CRLF", "CR"};
    return KindName(info.param.kind) + (info.param.passive ? "Passive" : "Active") +
           ends[info.param.lineEnds];
}

class SyncRun : public SyncWindowTest, public testing::WithParamInterface<Setting> {
protected:
    void SetUp() override {
        SyncWindowTest::SetUp();
        if (IsSkipped()) return;
        StartServer(GetParam().kind);
    }
    std::string AsStoredText(const std::string& text) const {
        return SyncWindowTest::AsStoredText(text, GetParam().lineEnds);
    }
};

const std::string kPage = "<html>\n<p>top</p>\r\n</html>\r";
const std::string kStyle = "body { margin: 0 }\n";
const std::string kReadme = "read\rme\r\n";
const std::string kJapanese = "日本語のテキスト\n二行目\n";

std::string AllBytes() {
    std::string bytes;
    for (int round = 0; round < 40; ++round)
        for (int i = 0; i < 256; ++i) bytes.push_back(static_cast<char>(i));
    return bytes + "\r\n\r";
}

TEST_P(SyncRun, UploadsEverythingThenRemovesWhatIsOnlyOnTheServer) {
    const Tree local = {{"index.html", kPage},
                        {"css", kFolder},
                        {"css/site.css", kStyle},
                        {"img", kFolder},
                        {"img/logo.png", AllBytes()},
                        {"img/empty.bin", ""},
                        {"img/icons", kFolder},
                        {"img/icons/dot.gif", "GIF89a"},
                        {"docs", kFolder},
                        {"docs/readme", kReadme},
                        {"docs/notes.dat", "\x01\x02\r\n"},
                        {"日本語.txt", kJapanese}};
    MakeTree(localRoot, local);
    server->PutAt(server->BesideRemote("outside.txt"), "not ours\n");
    FillEditPage(*server, GetParam().passive, 0, GetParam().lineEnds);
    ASSERT_TRUE(ConnectAndCompare()) << LogText();

    const std::vector<std::string> uploads = {
        "css",        "css/site.css",  "docs",      "docs/notes.dat",    "docs/readme",
        "img",        "img/empty.bin", "img/icons", "img/icons/dot.gif", "img/logo.png",
        "index.html", "日本語.txt"};
    ExpectConfirmation("アップロード対象", uploads);
    ExpectTypeQuestion("notes.dat", "I");
    ExpectTypeQuestion("readme", "A");
    ExpectMessage("同期が終了しました。 [dat]");
    ASSERT_TRUE(Click(TagSync));
    ASSERT_TRUE(WaitForScript()) << LogText() << server->Log();
    EXPECT_TRUE(Unexpected().empty());

    Tree expected = local;
    for (const char* text : {"index.html", "css/site.css", "docs/readme", "日本語.txt"})
        expected[text] = AsStoredText(local.at(text));
    EXPECT_EQ(TreeOf(server->LocalRoot()), expected) << server->Log();
    EXPECT_EQ(testsupport::ReadFile(server->BesideLocal("outside.txt")), "not ours\n");
    EXPECT_TRUE(Enabled(TagSync));
    EXPECT_TRUE(Enabled(TagSyncList));

    // Then on the server only: a folder with its content and a file; and one new local file.
    ASSERT_TRUE(Click(TagDiscon));
    server->Put("stale.txt", "old\n");
    server->Put("old/a.txt", "a");
    server->Put("old/b.txt", "b");
    server->Put("old/deeper/c.txt", "c");
    ASSERT_TRUE(testsupport::WriteFile(localRoot + "new.txt", "new\n"));
    w->PopupMenu1->SetListIndex(1);
    ExpectPress("実行");  // the results of the earlier connection are cleared
    ASSERT_TRUE(ConnectAndCompare()) << LogText();

    const std::string root = server->RemoteRoot();
    ExpectConfirmation("アップロード対象", {"new.txt"});
    ExpectConfirmation("削除対象",
                       {root + "/stale.txt", root + "/old/deeper/c.txt", root + "/old/deeper",
                        root + "/old/b.txt", root + "/old/a.txt", root + "/old"});
    ExpectMessage("同期が終了しました。 [cmd]");
    ASSERT_TRUE(Click(TagSync));
    ASSERT_TRUE(WaitForScript()) << LogText() << server->Log();
    EXPECT_TRUE(Unexpected().empty());

    expected["new.txt"] = AsStoredText("new\n");
    EXPECT_EQ(TreeOf(server->LocalRoot()), expected) << server->Log();
    EXPECT_EQ(testsupport::ReadFile(server->BesideLocal("outside.txt")), "not ours\n");
}

// When the data connection reports an upload complete, its handler has already sent the next
// step's first command: nothing waits for a timer in between.
TEST_P(SyncRun, TakesTheNextStepAsSoonAsAnUploadIsComplete) {
    MakeTree(localRoot, {{"a.bin", "one"}, {"b.bin", "two"}, {"c.txt", "three\n"}});
    FillEditPage(*server, GetParam().passive, 0, GetParam().lineEnds);
    ASSERT_TRUE(ConnectAndCompare()) << LogText();
    std::vector<int64_t> writtenByHandler;
    auto complete = w->dataSocket.FileTransferComplete;
    w->dataSocket.FileTransferComplete = [&, complete](FtpDataSocket& s) {
        const int64_t before = w->commandSocket.CommandsWritten();
        complete(s);
        writtenByHandler.push_back(w->commandSocket.CommandsWritten() - before);
    };
    ExpectConfirmation("アップロード対象", {"a.bin", "b.bin", "c.txt"});
    ExpectMessage("同期が終了しました。 [dat]");
    ASSERT_TRUE(Click(TagSync));
    ASSERT_TRUE(WaitForScript()) << LogText() << server->Log();
    EXPECT_TRUE(Unexpected().empty());
    // The next file's data port after each upload (the server has its type); nothing after the
    // last.
    EXPECT_EQ(writtenByHandler, (std::vector<int64_t>{1, 1, 0}));
    EXPECT_EQ(testsupport::ReadFile(server->LocalRoot() + "/b.bin"), "two");
}

INSTANTIATE_TEST_SUITE_P(Servers, SyncRun,
                         testing::Values(Setting{ServerKind::Vsftpd, true, LineEndCRLF},
                                         Setting{ServerKind::Vsftpd, false, LineEndCR},
                                         Setting{ServerKind::Pyftpdlib, true, LineEndLF},
                                         Setting{ServerKind::Pyftpdlib, false, LineEndCRLF}),
                         SettingName);

}  // namespace
}  // namespace synctest
