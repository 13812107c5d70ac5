// What a run puts on its work lists, in which order, and what it passes over: ticked entries and
// the direct entries of ticked folders, remote paths in byte order (descending for removals), the
// question about an unticked entry of a folder to remove, and names that must never be sent.
#include <gtest/gtest.h>

#include <algorithm>

#include "shell/CommonModule.h"
#include "tests/sync/ScriptedSiteFixture.h"

namespace synctest {
namespace {

class WorkList : public ScriptedSiteTest {
protected:
    SyncEntry& Local(const std::string& name) { return Entry(w->pSyncL, name); }
    SyncEntry& Remote(const std::string& name) { return Entry(w->pSyncR, name); }

private:
    static SyncEntry& Entry(std::vector<SyncEntry>& tree, const std::string& name) {
        auto it = std::find_if(tree.begin(), tree.end(),
                               [&](const SyncEntry& e) { return e.name == name; });
        EXPECT_NE(it, tree.end()) << name;
        return *it;
    }
};

TEST_F(WorkList, UploadsGoInByteOrderOfTheirRemotePathsAndRemovalsInReverse) {
    MakeTree(localRoot, {{"a.txt", "a"},
                         {"B.txt", "b"},
                         {"img", kFolder},
                         {"img/x.png", "x"},
                         {"img-old", kFolder}});
    SetRemoteTree({{"r", kFolder}, {"r/x.png", "x"}, {"r-old", kFolder}, {"r.txt", "t"}});
    w->PopupMenu1->SetListIndex(1);
    ASSERT_TRUE(ConnectAndCompare());

    ExpectConfirmation("アップロード対象", {"B.txt", "a.txt", "img", "img-old", "img/x.png"});
    ExpectConfirmation("削除対象", {"/site/r/x.png", "/site/r.txt", "/site/r-old", "/site/r"});
    ExpectMessage("同期が終了しました。 [cmd]");
    ASSERT_TRUE(SyncAndWait()) << LogText();
    EXPECT_EQ(
        Received({"MKD", "STOR", "DELE", "RMD"}),
        (std::vector<std::string>{"STOR /site/B.txt", "STOR /site/a.txt", "MKD /site/img",
                                  "MKD /site/img-old", "STOR /site/img/x.png", "DELE /site/r/x.png",
                                  "DELE /site/r.txt", "RMD /site/r-old", "RMD /site/r"}));
    EXPECT_EQ(w->pSyncResult,
              "アップロード対象\nB.txt\na.txt\nimg\nimg-old\nimg/x.png\n"
              "削除対象\nsite/r/x.png\nsite/r.txt\nsite/r-old\nsite/r\n");
}

TEST_F(WorkList, ATickedFolderBringsItsDirectEntriesTickedOrNot) {
    MakeTree(localRoot, {{"img", kFolder},
                         {"img/a.png", "a"},
                         {"img/sub", kFolder},
                         {"img/sub/deep.png", "d"},
                         {"other.txt", "o"}});
    ASSERT_TRUE(ConnectAndCompare());
    // The user leaves only the folder ticked.
    for (SyncEntry& e : w->pSyncL) e.check = e.name == "img";
    ExpectConfirmation("アップロード対象", {"img", "img/a.png", "img/sub"});
    ExpectMessage("同期が終了しました。 [cmd]");
    ASSERT_TRUE(SyncAndWait()) << LogText();
    EXPECT_EQ(
        Received({"MKD", "STOR"}),
        (std::vector<std::string>{"MKD /site/img", "STOR /site/img/a.png", "MKD /site/img/sub"}));
}

TEST_F(WorkList, AnUntickedEntryOfAFolderToRemoveIsAskedAbout) {
    MakeTree(localRoot, {{"keep.txt", "k"}});  // (an empty local folder gets no marks)
    SetRemoteTree({{"keep.txt", "k"}, {"old", kFolder}, {"old/a.txt", "a"}, {"old/b.txt", "b"}});
    w->PopupMenu1->SetListIndex(1);
    ASSERT_TRUE(ConnectAndCompare());
    Remote("b.txt").check = false;

    ExpectConfirmation("アップロード対象", {});
    fw::ModalHost::ExpectStep([](const fw::ModalPrompt& p) {
        EXPECT_EQ(p.message,
                  "フォルダが削除対象の場合はファイルを残せません。"
                  "以下のファイルを削除対象にして処理を継続しますか？");
        EXPECT_EQ(p.explanation, "b.txt");
        EXPECT_EQ(p.buttons, (std::vector<std::string>{"継続", "キャンセル"}));
        return fw::ModalAnswer::Press("継続");
    });
    ExpectConfirmation("削除対象", {"/site/old/b.txt", "/site/old/a.txt", "/site/old"});
    ExpectMessage("同期が終了しました。 [cmd]");
    ASSERT_TRUE(SyncAndWait()) << LogText();
    EXPECT_EQ(Received({"DELE", "RMD"}),
              (std::vector<std::string>{"DELE /site/old/b.txt", "DELE /site/old/a.txt",
                                        "RMD /site/old"}));
    EXPECT_TRUE(Remote("b.txt").check);
}

TEST_F(WorkList, CancellingTheQuestionEndsTheRunWithNothingRemoved) {
    MakeTree(localRoot, {{"keep.txt", "k"}});
    SetRemoteTree({{"keep.txt", "k"}, {"old", kFolder}, {"old/a.txt", "a"}});
    w->PopupMenu1->SetListIndex(1);
    ASSERT_TRUE(ConnectAndCompare());
    Remote("a.txt").check = false;
    const bool syncListButton = Enabled(TagSyncList);

    ExpectConfirmation("アップロード対象", {});
    ExpectPress("キャンセル");
    ExpectMessage("同期を中止しました。");
    ASSERT_TRUE(SyncAndWait());
    EXPECT_TRUE(Received({"DELE", "RMD"}).empty());
    EXPECT_EQ(w->pSyncResult, "");
    EXPECT_EQ(Enabled(TagSyncList), syncListButton);
    EXPECT_TRUE(Enabled(TagSync));
}

TEST_F(WorkList, DecliningTheUploadsGoesOnToTheRemovalsOnlyInTheUploadAndDeleteMode) {
    MakeTree(localRoot, {{"new.txt", "n"}});
    SetRemoteTree({{"old.txt", "o"}});
    ASSERT_TRUE(ConnectAndCompare());

    ExpectConfirmation("アップロード対象", {"new.txt"}, false);
    ExpectMessage("同期を中止しました。");
    ASSERT_TRUE(SyncAndWait());
    EXPECT_EQ(w->pSyncResult, "");

    w->PopupMenu1->SetListIndex(1);
    ExpectConfirmation("アップロード対象", {"new.txt"}, false);
    ExpectConfirmation("削除対象", {"/site/old.txt"});
    ExpectMessage("同期が終了しました。 [cmd]");
    ASSERT_TRUE(SyncAndWait());
    EXPECT_EQ(Received({"STOR", "DELE"}), std::vector<std::string>{"DELE /site/old.txt"});
    EXPECT_EQ(w->pSyncResult, "削除対象\nsite/old.txt\n");
}

TEST_F(WorkList, NothingToDoStillEndsTheRunWithItsMessage) {
    ASSERT_TRUE(ConnectAndCompare());
    gPref[PrefConfirmSync] = 0;
    ExpectMessage("同期が終了しました。 [cmd]");
    ASSERT_TRUE(SyncAndWait());

    // In the upload-and-delete mode the empty removal phase ends at once, with its heading.
    w->PopupMenu1->SetListIndex(1);
    ExpectMessage("同期が終了しました。 [cmd]");
    ASSERT_TRUE(SyncAndWait());
    EXPECT_EQ(w->pSyncResult, "削除対象\n");
    EXPECT_TRUE(Enabled(TagSyncList));
}

TEST_F(WorkList, NamesThatMustNotBeSentArePassedOverWithALogLine) {
    MakeTree(localRoot, {{"line\nbreak.txt", "1"}, {"cr\rname.txt", "2"}, {"ok.txt", "3"}});
    SetRemoteTree({{"gone.txt", "g"}});
    w->PopupMenu1->SetListIndex(1);
    gPref[PrefConfirmSync] = 0;
    ASSERT_TRUE(ConnectAndCompare());
    // Names as a listing might give them: with a slash, and the folder entries of a listing.
    for (const char* name : {"x/y", "..", "."}) {
        SyncEntry odd = Remote("gone.txt");
        odd.name = name;
        odd.path = "/site/" + odd.name;
        w->pSyncR.push_back(odd);
    }

    ExpectMessage("同期が終了しました。 [cmd]");
    ASSERT_TRUE(SyncAndWait()) << LogText();
    EXPECT_EQ(Received({"STOR", "DELE", "RMD"}),
              (std::vector<std::string>{"STOR /site/ok.txt", "DELE /site/gone.txt"}));
    EXPECT_EQ(LogLines("送信できない名前のため飛ばしました: "),
              (std::vector<std::string>{"送信できない名前のため飛ばしました: cr\\rname.txt",
                                        "送信できない名前のため飛ばしました: line\\nbreak.txt",
                                        "送信できない名前のため飛ばしました: site/x/y",
                                        "送信できない名前のため飛ばしました: site/..",
                                        "送信できない名前のため飛ばしました: site/."}));
    EXPECT_EQ(Messages(), std::vector<std::string>{"同期が終了しました。 [cmd]"});
}

TEST_F(WorkList, ALocalFileThatHasGoneIsPassedOverAndTheServerIsNotTouchedForIt) {
    MakeTree(localRoot, {{"a.txt", "a"}, {"b.txt", "b"}, {"c.txt", "c"}});
    ASSERT_TRUE(ConnectAndCompare());
    std::filesystem::remove(localRoot + "b.txt");

    ExpectConfirmation("アップロード対象", {"a.txt", "b.txt", "c.txt"});
    ExpectMessage("同期が終了しました。 [dat]");
    ASSERT_TRUE(SyncAndWait()) << LogText();
    EXPECT_EQ(Received({"TYPE", "STOR"}),
              (std::vector<std::string>{"TYPE I", "STOR /site/a.txt", "STOR /site/c.txt"}));
    EXPECT_EQ(LogLines("読み込めないファイルのため飛ばしました: "),
              std::vector<std::string>{"読み込めないファイルのため飛ばしました: b.txt"});
    EXPECT_EQ(w->pSyncResult, "アップロード対象\na.txt\nc.txt\n");
}

TEST_F(WorkList, CancellingTheTypeQuestionEndsTheRunWithItsMessage) {
    MakeTree(localRoot, {{"a.zzz", "a"}, {"b.txt", "b"}});
    ASSERT_TRUE(ConnectAndCompare());
    ExpectConfirmation("アップロード対象", {"a.zzz", "b.txt"});
    ExpectTypeQuestion("a.zzz", "C");
    ExpectMessage("同期を中止しました。");
    ASSERT_TRUE(SyncAndWait());
    EXPECT_TRUE(Received({"TYPE", "STOR"}).empty());
    EXPECT_EQ(w->ProgressBar1->Maximum(), 1);
    EXPECT_EQ(w->tBytesText->Text(), "0");
}

}  // namespace
}  // namespace synctest
