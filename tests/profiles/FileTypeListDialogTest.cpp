// The file-type list: the table as loaded, in order, once however often it is asked for; the
// dialog changes nothing and is destroyed by "閉じる".

#include <gtest/gtest.h>

#include <QTest>
#include <string>
#include <vector>

#include "profiles/MapDlg.h"
#include "tests/profiles/ProfileWindowFixture.h"

namespace {

using profiletest::ProfileWindowTest;
using RowList = std::vector<std::pair<std::string, std::string>>;

class FileTypeListDialogTest : public ProfileWindowTest {
protected:
    static MapDlg* Open() { return fw::Window::FindOpen<MapDlg>(); }
};

TEST_F(FileTypeListDialogTest, TheToolbarButtonShowsTheTableInItsOrder) {
    Window1& w = StartWith({});
    ASSERT_EQ(gFileTypes.size(), 19u);  // the built-in table
    ClickToolbarButton(w, TagList);
    MapDlg* d = Open();
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->Visible());
    EXPECT_EQ(d->Title(), "Untitled");
    EXPECT_EQ(d->Width(), 300);
    EXPECT_EQ(d->Height(), 300);
    EXPECT_EQ(d->localListBox->Heading(0), "拡張子");
    EXPECT_EQ(d->localListBox->Heading(1), "タイプ");
    EXPECT_EQ(d->localListBox->ColumnWidthActual(0), d->localListBox->ColumnWidthActual(1));
    EXPECT_EQ(d->PushButton1->Caption(), "閉じる");
    EXPECT_TRUE(d->PushButton1->Default());

    RowList expected;
    for (const char* ext : {"html", "htm", "shtml", "php", "css", "txt", "xml", "rdf", "exp", "js"})
        expected.emplace_back(ext, "A");
    for (const char* ext : {"jpg", "gif", "png", "sit", "bin", "zip", "dmg", "lzh", "gz"})
        expected.emplace_back(ext, "I");
    EXPECT_EQ(Rows(d->localListBox), expected);

    // Asked again while it is open: the same dialog, the table once.
    ClickToolbarButton(w, TagList);
    EXPECT_EQ(Open(), d);
    EXPECT_EQ(Rows(d->localListBox), expected);
    // Selecting a row changes nothing.
    ClickRow(d->localListBox, 3);
    EXPECT_EQ(gFileTypes.size(), 19u);
    EXPECT_TRUE(fw::ModalHost::Shown().empty());  // the program does not wait for it
}

TEST_F(FileTypeListDialogTest, ShowsEntriesAsLoadedAndAnEmptyTableAsNoRows) {
    Window1& w = StartWith({});
    gFileTypes = {{"TXT", "A"}, {"weird", "Z"}, {"", ""}};
    w.ShowMapDlg();
    EXPECT_EQ(Rows(Open()->localListBox), (RowList{{"TXT", "A"}, {"weird", "Z"}, {"", ""}}));
    Click(Open()->PushButton1);

    gFileTypes.clear();
    w.ShowMapDlg();
    ASSERT_NE(Open(), nullptr);
    EXPECT_EQ(Open()->localListBox->ListCount(), 0);
}

// "閉じる", or Return, destroys the dialog; the next command builds a new one.
TEST_F(FileTypeListDialogTest, CloseDestroysItAndTheNextCommandBuildsANewOne) {
    Window1& w = StartWith({});
    w.ShowMapDlg();
    Click(Open()->PushButton1);
    EXPECT_EQ(Open(), nullptr);
    fw::ProcessPendingEvents();

    w.ShowMapDlg();
    ASSERT_NE(Open(), nullptr);
    EXPECT_EQ(Open()->localListBox->ListCount(), 19);
    Open()->Widget()->activateWindow();
    QTest::keyClick(Open()->Widget(), Qt::Key_Return);
    fw::ProcessPendingEvents();
    EXPECT_EQ(Open(), nullptr);
    EXPECT_EQ(gFileTypes.size(), 19u);
}

}  // namespace
