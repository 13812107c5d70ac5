// Connecting with the edit page's values and disconnecting: what reaches the server, the
// password prompt, the offer to clear an earlier connection, the local folder, and the states of
// the toolbar and the profile controls.
#include <gtest/gtest.h>

#include "shell/CommonModule.h"
#include "tests/sync/ScriptedSiteFixture.h"

namespace synctest {
namespace {

class Connection : public ScriptedSiteTest {};

TEST_F(Connection, ConnectsWithTheEditPageAsItStands) {
    w->EditField2->SetText("");          // no user: "ftp"
    w->EditField3->SetText(" ");         // a single blank is a password
    w->EditField4->SetText("site/www");  // as typed, without a leading "/"
    w->PopupMenu2->SetListIndex(LineEndCR);
    ASSERT_TRUE(ConnectAndCompare());
    EXPECT_EQ(site->server.CountLines("USER ftp"), 1);
    EXPECT_EQ(site->server.CountLines("PASS  "), 1);
    EXPECT_EQ(site->server.CountLines("CWD site/www"), 1);
    EXPECT_EQ(gLineEndMode, LineEndCR);
    EXPECT_EQ(w->dataSocket.lineEndMode, LineEndCR);
    EXPECT_EQ(w->path, "site/www");
    EXPECT_TRUE(w->usePassive);
    EXPECT_GE(site->server.CountLines("PASV"), 1);

    EXPECT_EQ(w->pMode, ConnectOpen);
    EXPECT_FALSE(Enabled(TagConnect));
    EXPECT_TRUE(Enabled(TagSync)) << "the comparison has ended";
    EXPECT_TRUE(Enabled(TagDiscon));
    EXPECT_FALSE(Enabled(TagClear));
    EXPECT_TRUE(Enabled(TagLog));
    EXPECT_FALSE(w->ListBox1->Enabled());
    EXPECT_FALSE(w->BevelButton2->Enabled());
    EXPECT_FALSE(w->BevelButton3->Enabled());

    ASSERT_TRUE(Click(TagDiscon));
    ASSERT_TRUE(site->server.WaitForLine("QUIT"));
    EXPECT_EQ(w->pMode, ConnectClosed);
    EXPECT_TRUE(Enabled(TagConnect));
    EXPECT_FALSE(Enabled(TagSync));
    EXPECT_FALSE(Enabled(TagDiscon));
    EXPECT_TRUE(Enabled(TagClear));
    EXPECT_TRUE(Enabled(TagLog));
    EXPECT_TRUE(w->ListBox1->Enabled());
    EXPECT_TRUE(w->BevelButton2->Enabled()) << "a profile is selected";
    EXPECT_TRUE(w->BevelButton3->Enabled());
    // The server's closing after QUIT is no error.
    ASSERT_TRUE(testsupport::WaitUntil([&] { return !site->server.Connected(); }));
    fw::ProcessPendingEvents();
    EXPECT_TRUE(Messages().empty());
}

TEST_F(Connection, AMissingPasswordIsAskedFor) {
    w->EditField3->SetText("");
    ExpectPress("キャンセル");
    ASSERT_TRUE(Click(TagConnect));
    ASSERT_TRUE(WaitForScript());
    EXPECT_EQ(w->pMode, ConnectCleared);
    EXPECT_TRUE(Enabled(TagConnect));

    fw::ModalHost::Expect(fw::ModalAnswer::Press("入力").WithText("EditField1", "typed pw"));
    ASSERT_TRUE(ConnectAndCompare());
    EXPECT_EQ(site->server.CountLines("PASS typed pw"), 1);
    EXPECT_EQ(w->EditField3->Text(), "") << "the edit page keeps what it had";
}

TEST_F(Connection, TheResultsOfAnEarlierConnectionAreClearedOnlyWhenTheUserAgrees) {
    ASSERT_TRUE(ConnectAndCompare());
    w->SetSyncResult("アップロード対象");
    w->ToolbarItemStatus(TagSyncList, true);
    ASSERT_TRUE(Click(TagDiscon));
    const std::string log = LogText();

    fw::ModalHost::ExpectStep([](const fw::ModalPrompt& p) {
        EXPECT_EQ(p.message, "前回接続時の情報が残っています。クリアして接続しますか？");
        EXPECT_EQ(p.explanation, "この操作は取り消しができません。");
        EXPECT_EQ(p.buttons, (std::vector<std::string>{"実行", "キャンセル"}));
        return fw::ModalAnswer::Press("キャンセル");
    });
    ASSERT_TRUE(Click(TagConnect));
    ASSERT_TRUE(WaitForScript());
    EXPECT_EQ(LogText(), log);
    EXPECT_EQ(w->pMode, ConnectClosed);
    EXPECT_TRUE(Enabled(TagConnect));
    EXPECT_FALSE(Enabled(TagDiscon));
    EXPECT_EQ(site->server.ConnectionCount(), 1);

    ExpectPress("実行");
    ASSERT_TRUE(ConnectAndCompare());
    EXPECT_EQ(LogText().find(log), std::string::npos) << "the log starts anew";
    EXPECT_EQ(w->pSyncResult, "アップロード対象\n") << "the sync list stays";
    EXPECT_TRUE(Enabled(TagSyncList));
    EXPECT_EQ(w->pMode, ConnectOpen);
}

TEST_F(Connection, TheLocalFolderIsTheOneTheEditPageShows) {
    // A file where the folder should be counts as missing: nothing happens beyond the message.
    ASSERT_TRUE(testsupport::WriteFile(localRoot + "file", "x"));
    w->EditField6->SetText(localRoot + "file");
    ExpectMessage("ローカルフォルダが見つかりません。再指定して下さい。");
    ASSERT_TRUE(Click(TagConnect));
    ASSERT_TRUE(WaitForScript());
    fw::ProcessPendingEvents();
    EXPECT_EQ(site->server.ConnectionCount(), 0);
    EXPECT_EQ(w->pMode, ConnectCleared);
    EXPECT_TRUE(Enabled(TagConnect));

    // Another folder chosen on the edit page, written without its final "/".
    std::filesystem::create_directories(localRoot + "other");
    w->EditField6->SetText(localRoot + "other");
    ASSERT_TRUE(ConnectAndCompare());
    ASSERT_TRUE(w->pLocalFolder.has_value());
    EXPECT_EQ(w->pLocalFolder->AbsolutePath(), localRoot + "other/");
}

}  // namespace
}  // namespace synctest
