// The log pane and the sync list: Clear with its question, the sync list kept over runs, and both
// saved as text files through the save dialog, exactly as held, or a failure said so.
#include <gtest/gtest.h>

#include <QFileDialog>

#include "shell/CommonModule.h"
#include "tests/sync/ScriptedSiteFixture.h"

namespace synctest {
namespace {

class LogAndSyncList : public ScriptedSiteTest {
protected:
    // The save dialog, checked and answered with a file (or cancelled when path is empty).
    void ExpectSave(const std::string& suggested, const std::string& path) {
        fw::ModalHost::ExpectStep([suggested, path](const fw::ModalPrompt& p) {
            EXPECT_EQ(p.kind, "save");
            EXPECT_EQ(p.suggestedName, suggested);
            return path.empty() ? fw::ModalAnswer::Cancel() : fw::ModalAnswer::Choose(path);
        });
    }
    std::string Desktop() const { return getenv("XDG_DESKTOP_DIR"); }
};

TEST_F(LogAndSyncList, ClearAsksAndThenEmptiesTheLogButNotTheSyncList) {
    MakeTree(localRoot, {{"a.txt", "a"}});
    ASSERT_TRUE(ConnectAndCompare());
    gPref[PrefConfirmSync] = 0;
    ExpectMessage("同期が終了しました。 [dat]");
    ASSERT_TRUE(SyncAndWait());
    ASSERT_TRUE(Click(TagDiscon));
    const std::string log = LogText();

    fw::ModalHost::ExpectStep([](const fw::ModalPrompt& p) {
        EXPECT_EQ(p.message, "本当にクリアしますか？");
        EXPECT_EQ(p.explanation, "この操作は取り消しができません。");
        EXPECT_EQ(p.buttons, (std::vector<std::string>{"クリア", "キャンセル"}));
        return fw::ModalAnswer::Press("キャンセル");
    });
    ASSERT_TRUE(Click(TagClear));
    ASSERT_TRUE(WaitForScript());
    EXPECT_EQ(LogText(), log);
    EXPECT_FALSE(Enabled(TagClear));
    EXPECT_TRUE(Enabled(TagLog));
    EXPECT_TRUE(Enabled(TagSyncList));
    EXPECT_EQ(w->pMode, ConnectClosed);

    // The next disconnect switches Clear on again.
    ExpectPress("実行");
    ASSERT_TRUE(ConnectAndCompare());
    ASSERT_TRUE(Click(TagDiscon));
    ExpectPress("クリア");
    ASSERT_TRUE(Click(TagClear));
    ASSERT_TRUE(WaitForScript());
    EXPECT_EQ(LogText(), "");
    EXPECT_FALSE(Enabled(TagLog));
    EXPECT_FALSE(Enabled(TagSyncList));
    EXPECT_EQ(w->localListBox->ListCount(), 0);
    EXPECT_EQ(w->pMode, ConnectCleared);
    EXPECT_EQ(w->pSyncResult, "アップロード対象\na.txt\n");

    // The menu still saves the sync list; the next connect asks nothing.
    const std::string target = Desktop() + "/sync.txt";
    ExpectSave("sync", target);
    ASSERT_TRUE(w->HandleMenu("FileSaveSyncList"));
    ASSERT_TRUE(WaitForScript());
    EXPECT_EQ(testsupport::ReadFile(target), "アップロード対象\na.txt\n");
    ASSERT_TRUE(ConnectAndCompare());
    EXPECT_TRUE(Unexpected().empty());
}

TEST_F(LogAndSyncList, TheLogAndTheSyncListAreSavedAsTheyAre) {
    ExpectMessage("出力対象となる項目がありません。");
    w->SaveSyncList();  // nothing yet: no dialog
    ASSERT_TRUE(WaitForScript());

    ExpectSave("log", Desktop() + "/empty.txt");
    ASSERT_TRUE(w->HandleMenu("FileSaveLog"));
    ASSERT_TRUE(WaitForScript());
    EXPECT_TRUE(std::filesystem::exists(Desktop() + "/empty.txt"));
    EXPECT_EQ(testsupport::ReadFile(Desktop() + "/empty.txt"), "");

    w->updateStatus("226 日本語 done");
    w->SetSyncResult("削除対象");
    w->SetSyncResult("");
    ASSERT_TRUE(
        testsupport::WriteFile(Desktop() + "/log.txt", "an older file, longer than the log"));
    ExpectSave("log", Desktop() + "/log.txt");
    ASSERT_TRUE(w->HandleMenu("FileSaveLog"));
    ExpectSave("sync", "");  // cancelled: nothing written
    w->SaveSyncList();
    ASSERT_TRUE(WaitForScript());
    EXPECT_EQ(testsupport::ReadFile(Desktop() + "/log.txt"), "226 日本語 done\n");
    EXPECT_EQ(w->pSyncResult, "削除対象\n\n");
    // Written through a temporary file beside it, which is gone.
    for (const auto& e : std::filesystem::directory_iterator(Desktop()))
        EXPECT_TRUE(e.path().filename() == "log.txt" || e.path().filename() == "empty.txt")
            << e.path();
    EXPECT_TRUE(Messages().size() == 1);
}

TEST_F(LogAndSyncList, AFileThatCannotBeWrittenIsReported) {
    // The folder chosen in the dialog is gone by the time the file is written.
    const std::string folder = Desktop() + "/gone";
    std::filesystem::create_directories(folder);
    w->updateStatus("line");
    fw::ModalHost::ExpectStep([folder](const fw::ModalPrompt&) {
        return fw::ModalAnswer{fw::ModalAnswer::Action::Custom, {}, [folder](QDialog* d) {
                                   auto* files = qobject_cast<QFileDialog*>(d);
                                   ASSERT_NE(files, nullptr);
                                   files->setOption(QFileDialog::DontConfirmOverwrite, true);
                                   files->selectFile(QString::fromStdString(folder + "/log.txt"));
                                   static_cast<QDialog*>(files)->accept();
                                   std::filesystem::remove_all(folder);
                               }};
    });
    fw::ModalHost::ExpectStep([folder](const fw::ModalPrompt& p) {
        EXPECT_EQ(p.message, "ファイルを保存できませんでした。");
        EXPECT_EQ(p.explanation.rfind(folder + "/log.txt\n", 0), 0u) << p.explanation;
        return fw::ModalAnswer::Press("OK");
    });
    w->SaveLog();
    ASSERT_TRUE(WaitForScript());
    EXPECT_FALSE(std::filesystem::exists(folder));
}

}  // namespace
}  // namespace synctest
