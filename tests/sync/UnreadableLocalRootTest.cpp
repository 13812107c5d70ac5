// A local folder that can't be read at its root, against real servers on 127.0.0.1:21: the
// comparison ends with a message naming the folder and the reason, nothing is ticked, sent or
// deleted, 同期 stays off, and 接続 compares anew once the folder can be read.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/support/AsAnOrdinaryUser.h"
#include "tests/sync/SyncWindowFixture.h"

namespace synctest {
namespace {

constexpr char kStopped[] = "ローカルフォルダを読み込めないため、比較を中止しました。";

class UnreadableLocalRoot : public SyncWindowTest, public testing::WithParamInterface<ServerKind> {
protected:
    void SetUp() override {
        SyncWindowTest::SetUp();
        if (IsSkipped()) return;
        StartServer(GetParam());
    }
};

TEST_P(UnreadableLocalRoot, EndsTheComparisonWithAMessageAndSendsNothing) {
    MakeTree(localRoot, {{"index.html", "index"}, {"sub", kFolder}, {"sub/a.txt", "a"}});
    server->Put("old.html", "old");  // only on the server: the upload-and-delete mode's to delete
    const Tree onServer = TreeOf(server->LocalRoot());
    FillEditPage(*server, true, 1);
    {
        testsupport::AsAnOrdinaryUser ordinaryUser;
        if (!ordinaryUser.Active()) GTEST_SKIP() << testsupport::AsAnOrdinaryUser::Why();
        ASSERT_EQ(chmod(localRoot.c_str(), 0), 0);
        ExpectMessage(kStopped, localRoot + "\n読み取り権限がありません");
        ASSERT_TRUE(Click(TagConnect));
        const bool told = WaitForScript();
        ASSERT_EQ(chmod(localRoot.c_str(), 0755), 0);
        ASSERT_TRUE(told) << LogText();
    }
    EXPECT_TRUE(Unexpected().empty()) << Unexpected()[0].message;
    EXPECT_EQ(LogLines("ローカルフォルダを読み込めないため"),
              std::vector<std::string>{"ローカルフォルダを読み込めないため、比較を中止しました: " +
                                       localRoot + "（読み取り権限がありません）"});
    EXPECT_TRUE(LogLines("読み込めないため比較から除外しました").empty()) << LogText();
    // The connection is closed with the comparison: 同期 stays off, 接続 is there to press.
    ASSERT_TRUE(testsupport::WaitUntil([&] { return server->Received("QUIT") == 1; }))
        << server->Log();
    EXPECT_FALSE(Enabled(TagSync));
    EXPECT_TRUE(Enabled(TagConnect));
    EXPECT_FALSE(Enabled(TagDiscon));
    for (const SyncEntry& e : w->pSyncR) EXPECT_FALSE(e.check) << e.path;
    for (const char* verb : {"STOR", "MKD", "DELE", "RMD"}) EXPECT_EQ(server->Received(verb), 0);
    EXPECT_EQ(TreeOf(server->LocalRoot()), onServer);

    // Once the folder can be read, 接続 compares it as ever.
    ExpectPress("実行");  // the results of the connection before are cleared
    ASSERT_TRUE(ConnectAndCompare()) << LogText();
    std::vector<std::string> ticked;
    for (const SyncEntry& e : w->pSyncL)
        if (e.check) ticked.push_back(e.path.substr(localRoot.size()));
    EXPECT_EQ(ticked, (std::vector<std::string>{"index.html", "sub/", "sub/a.txt"}));
}

INSTANTIATE_TEST_SUITE_P(Servers, UnreadableLocalRoot,
                         testing::Values(ServerKind::Vsftpd, ServerKind::Pyftpdlib), KindTestName);

}  // namespace
}  // namespace synctest
