// The two comparison lists through their real widgets: the rows a comparison leaves, the stripes,
// ticking and unticking by mouse and keyboard, opening and closing folders, and the reset.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QImage>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "compare/TreeMerge.h"
#include "framework/ListBoxView.h"
#include "framework/ToolbarItem.h"
#include "framework/UserCancel.h"
#include "shell/CommonModule.h"
#include "tests/compare/CompareWindow.h"
#include "tests/compare/ScriptedTreeServer.h"

namespace {

namespace fs = std::filesystem;

std::string Listed(char type, const std::string& name, const std::string& date = "Jun 15  2020") {
    return std::string(1, type) + "rw-r--r--   1 user  group  100 " + date + " " + name + "\r\n";
}

class ComparisonLists : public testing::Test {
protected:
    void SetUp() override {
        local = std::string(getenv("QUILLOMAR_TEST_ROOT")) + "/local/";
        fs::create_directories(local + "a/y");
        fs::create_directories(local + "c");
        File("a/x.txt", kSameStamp);
        File("a/y/z.txt", kNewerStamp);
        File("b.txt", kSameStamp);
        File("new.txt", kSameStamp);
        ASSERT_EQ(mkfifo((local + "fifo").c_str(), 0644), 0);
        listings["/site"] =
            Listed('d', "a") + Listed('-', "b.txt") + Listed('d', "c") + Listed('-', "old.txt");
        listings["/site/a"] = Listed('-', "x.txt") + Listed('d', "y");
        listings["/site/a/y"] = Listed('-', "z.txt");
        cw.CompareWithListings(local, listings);
        ASSERT_TRUE(cw.w->pFin);
    }
    void File(const std::string& name, time_t stamp) {
        ASSERT_TRUE(testsupport::WriteFile(local + name, "local " + name));
        SetStamp(local + name, stamp);
    }

    fw::ListBoxView* View(fw::ListBox& list) {
        auto* view = static_cast<fw::ListBoxView*>(list.Widget());
        EXPECT_TRUE(
            fw::RunEventLoopUntil([&] { return view->isVisible() && view->InSync(); }, 5000));
        return view;
    }
    void Click(fw::ListBox& list, const QPoint& at) {
        QTest::mouseClick(View(list)->viewport(), Qt::LeftButton, {}, at);
    }
    void ClickCheckBox(fw::ListBox& list, int row) {
        Click(list, View(list)->CellLayout(row, 0).checkBox.center());
    }
    void ClickText(fw::ListBox& list, int row, int column) {
        Click(list, View(list)->CellLayout(row, column).text.center());
    }
    void ClickDisclosure(fw::ListBox& list, int row) {
        Click(list, View(list)->CellLayout(row, 0).disclosure.center());
    }
    int RowOf(fw::ListBox& list, const std::string& name) {
        for (int r = 0; r < list.ListCount(); ++r)
            if (list.Cell(r, 0) == name) return r;
        ADD_FAILURE() << "no row " << name;
        return -1;
    }
    SyncEntry& Record(fw::ListBox& list, const std::string& name) {
        std::vector<SyncEntry>& tree = &list == cw.w->localListBox ? cw.w->pSyncL : cw.w->pSyncR;
        return tree.at(std::stoul(list.Cell(RowOf(list, name), 6)));
    }

    std::string local;
    std::map<std::string, std::string> listings;
    CompareWindow cw;
};

TEST_F(ComparisonLists, ShowBothTreesOpenWithTheirMarks) {
    EXPECT_EQ(CompareWindow::Outline(*cw.w->localListBox),
              (std::vector<std::string>{"[ ] a", "  [ ] x.txt", "  [ ] y", "    [x] z.txt",
                                        "[ ] b.txt", "[ ] c", "[ ] fifo", "[x] new.txt"}));
    EXPECT_EQ(CompareWindow::Outline(*cw.w->remoteListBox),
              (std::vector<std::string>{"[ ] a", "  [ ] x.txt", "  [ ] y", "    [ ] z.txt",
                                        "[ ] b.txt", "[ ] c", "[x] old.txt"}));
    // Every row shows its own record; the hidden columns lead back to it and to its entries.
    for (auto [list, tree] : {std::pair{cw.w->localListBox, &cw.w->pSyncL},
                              std::pair{cw.w->remoteListBox, &cw.w->pSyncR}}) {
        for (const CompareWindow::Row& row : CompareWindow::Rows(*list)) {
            const SyncEntry& e = tree->at(std::stoul(row.index));
            EXPECT_EQ(row.name, e.name);
            EXPECT_EQ(row.check, e.check);
            EXPECT_EQ(row.date, e.date);
            EXPECT_EQ(row.path, e.path);
            EXPECT_EQ(row.kind, e.kind);
            if (e.kind == "d") {
                EXPECT_EQ(row.size, "-");
                EXPECT_EQ(row.group,
                          e.childCount > 0
                              ? std::to_string(tree->at(static_cast<size_t>(e.child)).group)
                              : "");
            } else {
                EXPECT_EQ(row.size, e.size);
                EXPECT_EQ(row.group, "");
            }
        }
    }
    EXPECT_EQ(cw.w->localListBox->Cell(RowOf(*cw.w->localListBox, "b.txt"), 1), "11 bytes");
    EXPECT_EQ(cw.w->remoteListBox->Cell(RowOf(*cw.w->remoteListBox, "b.txt"), 2),
              "2020/06/15 23:59");
    for (fw::ListBox* list : {cw.w->localListBox, cw.w->remoteListBox})
        for (int column = 0; column < 7; ++column) EXPECT_EQ(list->HeaderType(column), 1);
}

TEST_F(ComparisonLists, OddRowsAreStriped) {
    for (fw::ListBox* list : {cw.w->localListBox, cw.w->remoteListBox}) {
        fw::ListBoxView* view = View(*list);
        const QImage image = view->viewport()->grab().toImage();
        for (int row = 0; row < 6; ++row) {
            // The right end of the date cell, where no text reaches.
            const QRect cell = view->visualRect(view->model()->index(row, 2));
            const QColor pixel = image.pixelColor(cell.right() - 2, cell.center().y());
            if (row % 2 == 1) {
                EXPECT_EQ(pixel, QColor(237, 243, 254)) << "row " << row;
            } else {
                EXPECT_NE(pixel, QColor(237, 243, 254)) << "row " << row;
            }
        }
    }
}

TEST_F(ComparisonLists, ATickOrAnUntickGoesIntoItsRecord) {
    fw::ListBox& l = *cw.w->localListBox;
    ClickCheckBox(l, RowOf(l, "new.txt"));
    ASSERT_TRUE(fw::RunEventLoopUntil([&] { return !Record(l, "new.txt").check; }, 5000));

    // Two clicks in quick succession: neither is lost.
    ClickCheckBox(l, RowOf(l, "b.txt"));
    ClickCheckBox(l, RowOf(l, "x.txt"));
    ASSERT_TRUE(fw::RunEventLoopUntil(
        [&] { return Record(l, "b.txt").check && Record(l, "x.txt").check; }, 5000));
    ASSERT_TRUE(fw::RunEventLoopUntil([&] { return !cw.w->pTimerRowPending; }, 5000));

    // The keyboard's space toggles the selected row's box, and that is copied too.
    ClickText(l, RowOf(l, "c"), 0);
    ASSERT_EQ(l.ListIndex(), RowOf(l, "c"));
    View(l)->setFocus();
    QTest::keyClick(View(l), Qt::Key_Space);
    EXPECT_TRUE(l.CellCheck(RowOf(l, "c"), 0));
    EXPECT_TRUE(Record(l, "c").check);

    // A click beside the box changes nothing.
    ClickText(l, RowOf(l, "a"), 1);
    ASSERT_TRUE(fw::RunEventLoopUntil([&] { return !cw.w->pTimerRowPending; }, 5000));
    EXPECT_FALSE(Record(l, "a").check);

    // A remote row's record is the remote tree's.
    fw::ListBox& r = *cw.w->remoteListBox;
    ClickCheckBox(r, RowOf(r, "old.txt"));
    ASSERT_TRUE(fw::RunEventLoopUntil([&] { return !Record(r, "old.txt").check; }, 5000));
    EXPECT_FALSE(Record(l, "new.txt").check);
}

TEST_F(ComparisonLists, AnOpaqueEntryCannotBeTicked) {
    fw::ListBox& l = *cw.w->localListBox;
    ASSERT_TRUE(Record(l, "fifo").opaque);
    ClickCheckBox(l, RowOf(l, "fifo"));
    ASSERT_TRUE(fw::RunEventLoopUntil([&] { return !cw.w->pTimerRowPending; }, 5000));
    EXPECT_FALSE(Record(l, "fifo").check);
    EXPECT_FALSE(l.CellCheck(RowOf(l, "fifo"), 0));
}

TEST_F(ComparisonLists, AReopenedFolderShowsItsEntriesMarksAsTheyAreNow) {
    fw::ListBox& l = *cw.w->localListBox;
    ClickCheckBox(l, RowOf(l, "z.txt"));
    ASSERT_TRUE(fw::RunEventLoopUntil([&] { return !Record(l, "z.txt").check; }, 5000));
    // Ticking a folder marks the folder alone.
    ClickCheckBox(l, RowOf(l, "a"));
    ASSERT_TRUE(fw::RunEventLoopUntil([&] { return Record(l, "a").check; }, 5000));
    EXPECT_FALSE(Record(l, "x.txt").check);

    ClickDisclosure(l, RowOf(l, "y"));
    ASSERT_TRUE(fw::RunEventLoopUntil([&] { return l.ListCount() == 7; }, 5000));
    ClickDisclosure(l, RowOf(l, "y"));
    ASSERT_TRUE(fw::RunEventLoopUntil([&] { return l.ListCount() == 8; }, 5000));
    EXPECT_EQ(CompareWindow::Outline(l),
              (std::vector<std::string>{"[x] a", "  [ ] x.txt", "  [ ] y", "    [ ] z.txt",
                                        "[ ] b.txt", "[ ] c", "[ ] fifo", "[x] new.txt"}));
    // An empty folder opens to nothing.
    ClickDisclosure(l, RowOf(l, "c"));
    fw::ProcessPendingEvents();
    EXPECT_EQ(l.ListCount(), 8);
}

TEST_F(ComparisonLists, OpeningOrClosingAFolderLeavesNoRowSelected) {
    fw::ListBox& l = *cw.w->localListBox;
    fw::ListBox& r = *cw.w->remoteListBox;
    ClickText(l, RowOf(l, "b.txt"), 0);
    ClickText(r, RowOf(r, "b.txt"), 0);
    ASSERT_NE(l.ListIndex(), -1);
    ClickDisclosure(r, RowOf(r, "a"));
    ASSERT_TRUE(
        fw::RunEventLoopUntil([&] { return l.ListIndex() == -1 && r.ListIndex() == -1; }, 5000));

    // With both lists empty there is no row 0 to select, and nothing goes wrong.
    cw.w->ClearVal();
    cw.w->Timer2_Action(cw.w->Timer2);
    EXPECT_EQ(l.ListIndex(), -1);
    EXPECT_EQ(r.ListIndex(), -1);
}

TEST_F(ComparisonLists, TheResetEmptiesTheListsAndTheNextComparisonStartsAfresh) {
    Window1& w = *cw.w;
    const size_t local = w.pSyncL.size(), remote = w.pSyncR.size();
    w.pUpload = UploadFolder;
    w.pRemove = true;
    w.getList = true;
    w.ClearVal();
    EXPECT_EQ(w.localListBox->ListCount(), 0);
    EXPECT_EQ(w.remoteListBox->ListCount(), 0);
    EXPECT_EQ(w.pGroupL, -1);
    EXPECT_EQ(w.pGroupR, -1);
    EXPECT_EQ(w.pUpload, UploadNone);
    EXPECT_FALSE(w.pRemove);
    EXPECT_FALSE(w.getList);
    EXPECT_EQ(w.pSyncL.size(), local);
    EXPECT_EQ(w.pSyncR.size(), remote);

    cw.CompareWithListings(this->local, listings);
    EXPECT_EQ(w.pSyncR[0].group, 0);
    EXPECT_EQ(w.localListBox->ListCount(), 8);
    EXPECT_EQ(w.remoteListBox->ListCount(), 7);
}

TEST(ComparisonRunning, SyncAndClearWaitForThePass) {
    const std::string local = std::string(getenv("QUILLOMAR_TEST_ROOT")) + "/many/";
    fs::create_directories(local);
    // Enough files that the pass gives way while it scans them.
    for (int i = 0; i < 5000; ++i) testsupport::WriteFile(local + "f" + std::to_string(i), "");
    CompareWindow cw;
    bool sawPass = false, runningInPass = false;
    std::function<void()> probe = [&] {
        if (!cw.w->pComparePass) {
            if (!cw.w->pFin) QTimer::singleShot(0, probe);
            return;
        }
        sawPass = true;
        runningInPass = cw.w->CompareRunning();
        cw.w->ClearLog();
        cw.w->ClearVal();
    };
    QTimer::singleShot(0, probe);
    cw.CompareWithListings(local, {{"/site", Listed('-', "f1")}});
    ASSERT_TRUE(sawPass);
    EXPECT_TRUE(runningInPass);
    EXPECT_FALSE(cw.w->CompareRunning());
    // The clearing in the middle of the pass was refused: the lists and groups are whole.
    EXPECT_EQ(cw.w->localListBox->ListCount(), 5000);
    EXPECT_EQ(cw.w->pGroupL, 0);
    EXPECT_EQ(cw.w->remoteListBox->ListCount(), 1);
}

// A local folder of many files, so that the pass gives way while it scans them.
std::string ManyLocalFiles() {
    const std::string local = std::string(getenv("QUILLOMAR_TEST_ROOT")) + "/many/";
    fs::create_directories(local);
    for (int i = 0; i < 5000; ++i) testsupport::WriteFile(local + "f" + std::to_string(i), "");
    return local;
}

TEST(ComparisonRunning, AConnectDuringThePassWaitsForItsEnd) {
    const std::string local = ManyLocalFiles();
    ScriptedTreeServer tree;
    tree.listings["/"] = Listed('-', "f1") + Listed('-', "remote-only.txt");
    CompareWindow cw;
    Window1& w = *cw.w;
    // The connection as the connect command leaves it, and the edit page of another profile.
    w.pMode = ConnectOpen;
    w.ToolbarItemStatus(TagConnect, false);
    bool connectOnInPass = true;
    int32_t modeAfterConnect = -1;
    // The user disconnects in the middle of the pass, and connects with the other profile.
    cw.DuringThePass([&] {
        w.CloseConnection();
        fw::ToolbarItem* connect = w.ToolbarItemGetButton(TagConnect);
        connectOnInPass = connect == nullptr || connect->Enabled();
        w.EditField6->SetText(local);
        w.EditField3->SetText("secret");
        w.EditField4->SetText("/other");
        w.makeConnection();
        modeAfterConnect = w.pMode;
    });
    cw.Start({tree.server.Port(), "user", "secret", true, "/", local, ""});
    ASSERT_TRUE(cw.WaitForComparison());
    ASSERT_TRUE(fw::RunEventLoopUntil([&] { return modeAfterConnect != -1; }, 10000))
        << w.pMode << " " << w.EditField5->Text();
    ASSERT_NE(w.ToolbarItemGetButton(TagConnect), nullptr);
    EXPECT_FALSE(connectOnInPass);
    // The connect found the pass at work: it neither asked nor connected.
    EXPECT_EQ(modeAfterConnect, ConnectClosed);
    EXPECT_EQ(w.pRootR, "/");
    EXPECT_TRUE(w.ToolbarItemGetButton(TagConnect)->Enabled());
    EXPECT_FALSE(w.pCompared);

    // Once the pass has ended, a connect starts its comparison from nothing.
    ScriptedTreeServer other;
    other.listings["/other"] = Listed('-', "b.txt");
    ASSERT_TRUE(cw.Compare({other.server.Port(), "user", "secret", true, "/other", local, ""}));
    EXPECT_EQ(w.pRootR, "/other");
    ASSERT_EQ(w.pSyncR.size(), 1u);
    EXPECT_EQ(w.pSyncR[0].path, "/other/b.txt");
}

// A disconnect in the middle of the pass, then another profile chosen in the list: Connect (and
// Clear) stay off while the pass works on the trees, and come on once it has ended.
TEST(ComparisonRunning, AProfileChosenDuringThePassLeavesConnectOffUntilItsEnd) {
    const std::string local = ManyLocalFiles();
    ScriptedTreeServer tree;
    tree.listings["/"] = Listed('-', "f1");
    Dataset other;
    other.Name = "other";
    other.rDir = "/other";
    other.Path = local;
    gDatasets.assign(1, other);
    CompareWindow cw;
    Window1& w = *cw.w;
    w.InitSetlist();
    w.pMode = ConnectOpen;
    for (int32_t tag : {TagConnect, TagClear}) w.ToolbarItemStatus(tag, false);
    auto enabled = [&w](int32_t tag) {
        fw::ToolbarItem* item = w.ToolbarItemGetButton(tag);
        return item != nullptr && item->Enabled();
    };
    bool acted = false;
    cw.DuringThePass([&] {
        w.CloseConnection();
        // The server has closed the connection: only the pass is still running.
        EXPECT_TRUE(fw::RunEventLoopUntil([&] { return !w.commandSocket.IsConnected(); }, 10000));
        EXPECT_FALSE(enabled(TagClear));
        w.ListBox1->SetListIndex(0);  // another profile is chosen
        EXPECT_FALSE(enabled(TagConnect));
        acted = w.pComparePass;
    });
    cw.Start({tree.server.Port(), "user", "secret", true, "/", local, ""});
    ASSERT_TRUE(cw.WaitForComparison());
    ASSERT_TRUE(acted) << "the pass ended before the disconnect";
    EXPECT_TRUE(enabled(TagConnect));
    EXPECT_TRUE(enabled(TagClear));
    gDatasets.clear();
}

TEST(ComparisonRunning, TheListsGiveWayWhileTheyAreFilledAndOpened) {
    // Many folders of one file each: a fill and an expand-all that take some milliseconds.
    const std::string local = std::string(getenv("QUILLOMAR_TEST_ROOT")) + "/folders/";
    for (int i = 0; i < 15000; ++i) {
        const std::string folder = local + "d" + std::to_string(i) + "/";
        fs::create_directories(folder);
        testsupport::WriteFile(folder + "f", "");
    }
    CompareWindow cw;
    bool clickable = true;
    cw.DuringThePass(
        [&] {
            clickable = cw.w->localListBox->Enabled();
            fw::LatchUserCancel();
        },
        [&] { return cw.w->pListsFilling && cw.w->localListBox->ListCount() > 0; });
    cw.CompareWithListings(local, {{"/site", Listed('-', "f")}});
    ASSERT_TRUE(cw.w->pFin);
    // The cancel was seen: folder rows were left closed.
    EXPECT_FALSE(clickable);
    EXPECT_LT(cw.w->localListBox->ListCount(), 30000);
    EXPECT_GE(cw.w->localListBox->ListCount(), 15000);
    EXPECT_TRUE(cw.w->localListBox->Enabled());
}

TEST(ComparisonLog, ACancelledComparisonSaysSoAndKeepsSyncOff) {
    const std::string local = ManyLocalFiles();
    CompareWindow cw;
    cw.DuringThePass([] { fw::LatchUserCancel(); });
    cw.CompareWithListings(local, {{"/site", Listed('-', "remote-only.txt")}});
    ASSERT_TRUE(cw.w->pFin);
    EXPECT_TRUE(cw.w->pCompareCancelled);
    int said = 0;
    for (const std::string& line : cw.LogLines())
        said += line == "比較を中止しました。同期するには、もう一度接続して比較し直してください。";
    EXPECT_EQ(said, 1);
    cw.w->pMode = ConnectOpen;
    cw.w->SyncCheckCompared();
    EXPECT_FALSE(cw.w->pCompared);
}

TEST(ComparisonLog, AFileAndAFolderOfOneNameAreNamedAndLeftUnticked) {
    const std::string local = std::string(getenv("QUILLOMAR_TEST_ROOT")) + "/clash/";
    fs::create_directories(local + "pages");
    testsupport::WriteFile(local + "pages/index.html", "i");
    testsupport::WriteFile(local + "logo", "l");
    testsupport::WriteFile(local + "new.txt", "n");
    CompareWindow cw;
    cw.CompareWithListings(local, {{"/site", Listed('-', "pages") + Listed('d', "logo")},
                                   {"/site/logo", Listed('-', "a.png")}});
    Window1& w = *cw.w;
    ASSERT_TRUE(w.pFin);
    EXPECT_EQ(CompareWindow::Marked(w.pSyncL, local), std::set<std::string>{"new.txt"});
    EXPECT_EQ(CompareWindow::Marked(w.pSyncR, "/site/"), std::set<std::string>{});
    for (const auto& [l, r] : {std::pair{"pages/", "pages"}, std::pair{"logo", "logo"}}) {
        const SyncEntry* le = CompareWindow::Find(w.pSyncL, local + l);
        const SyncEntry* re = CompareWindow::Find(w.pSyncR, std::string("/site/") + r);
        ASSERT_TRUE(le && re) << l;
        EXPECT_TRUE(cw.Logged(KindClashText(*le, *re))) << l;
    }
    EXPECT_TRUE(cw.Logged("ローカルとサーバーでファイルとフォルダが食い違うため同期しません: " +
                          local + "pages/（フォルダ） / /site/pages（ファイル）"));
}

TEST(ComparisonLog, RemoteNamesKeptFromRemovalAreNamed) {
    const std::string local = std::string(getenv("QUILLOMAR_TEST_ROOT")) + "/kept/";
    fs::create_directories(local);
    testsupport::WriteFile(local + "Index.html", "i");
    testsupport::WriteFile(local + "a.txt", "a");
    CompareWindow cw;
    cw.CompareWithListings(local, {{"/site", Listed('-', "index.html") + Listed('-', "a.txt") +
                                                 Listed('-', "a.txt") + Listed('-', "old.txt")}});
    Window1& w = *cw.w;
    ASSERT_TRUE(w.pFin);
    EXPECT_EQ(CompareWindow::Marked(w.pSyncR, "/site/"), std::set<std::string>{"old.txt"});
    EXPECT_TRUE(
        cw.Logged("ローカルの名前と大文字・小文字だけが異なるため削除しません: "
                  "/site/index.html（ローカル: " +
                  local + "Index.html）"));
    EXPECT_TRUE(cw.Logged("サーバーの一覧に同じ名前が二度あるため削除しません: /site/a.txt"));
}

}  // namespace
