// A tree once synchronised, compared again on the same server: nothing is left to do.
#include <gtest/gtest.h>

#include "tests/sync/SyncWindowFixture.h"

namespace synctest {
namespace {

class ComparisonAfterSync : public SyncWindowTest, public testing::WithParamInterface<ServerKind> {
protected:
    void SetUp() override {
        SyncWindowTest::SetUp();
        if (IsSkipped()) return;
        StartServer(GetParam());
    }
    std::set<std::string> Ticked(const std::vector<SyncEntry>& tree) const {
        std::set<std::string> ticked;
        for (const SyncEntry& e : tree)
            if (e.check) ticked.insert(e.path);
        return ticked;
    }
};

TEST_P(ComparisonAfterSync, NamesThatBeginWithBlanksAreTheirOwnNamesOnTheServer) {
    MakeTree(localRoot, {{" leading blank.txt", "one\n"},
                         {"  two blanks", kFolder},
                         {"  two blanks/in.txt", "two\n"},
                         {"plain.txt", "plain\n"}});
    FillEditPage(*server, true);
    ASSERT_TRUE(ConnectAndCompare()) << LogText();
    ExpectConfirmation("アップロード対象",
                       {"  two blanks", "  two blanks/in.txt", " leading blank.txt", "plain.txt"});
    ExpectMessage("同期が終了しました。 [dat]");
    ASSERT_TRUE(Click(TagSync));
    ASSERT_TRUE(WaitForScript()) << LogText() << server->Log();
    ASSERT_EQ(testsupport::ReadFile(server->LocalRoot() + "/ leading blank.txt"), "one\n");

    // Compared again in the upload-and-delete mode: no upload, and no deletion of a name the
    // server does not have.
    ASSERT_TRUE(Click(TagDiscon));
    w->PopupMenu1->SetListIndex(1);
    ExpectPress("実行");  // the results of the earlier connection are cleared
    ASSERT_TRUE(ConnectAndCompare()) << LogText();
    EXPECT_EQ(Ticked(w->pSyncL), std::set<std::string>{}) << LogText();
    EXPECT_EQ(Ticked(w->pSyncR), std::set<std::string>{}) << LogText();
    EXPECT_TRUE(Unexpected().empty());
}

INSTANTIATE_TEST_SUITE_P(Servers, ComparisonAfterSync,
                         testing::Values(ServerKind::Vsftpd, ServerKind::Pyftpdlib), KindTestName);

}  // namespace
}  // namespace synctest
