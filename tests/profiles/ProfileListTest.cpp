// The profile list and the selection: which profiles are listed, what a selected profile shows on
// the panel's two pages, the local-folder check, the help tags and the states of the buttons.

#include <gtest/gtest.h>

#include <QImage>
#include <QToolTip>
#include <fstream>
#include <string>
#include <vector>

#include "framework/Label.h"
#include "tests/profiles/ProfileWindowFixture.h"
#include "tests/support/HelpTagHover.h"

namespace {

using profiletest::ProfileWindowTest;
using RowList = std::vector<std::pair<std::string, std::string>>;

class ProfileListTest : public ProfileWindowTest {};

TEST_F(ProfileListTest, StartUpListsTheLiveProfilesWithTheirIndexesAndSelectsNone) {
    Window1& w = StartWith({LiveProfile("alpha"), LiveProfile("ベータ"), LiveProfile("gamma")});
    EXPECT_EQ(Rows(w.ListBox1), (RowList{{"alpha", "0"}, {"ベータ", "1"}, {"gamma", "2"}}));
    EXPECT_EQ(w.ListBox1->ListIndex(), -1);
    EXPECT_EQ(w.ListBox1->ColumnWidths(), "100%,0");
    EXPECT_EQ(w.ListBox1->ColumnWidthActual(1), 0);
    EXPECT_EQ(w.ListBox1->HeaderType(0), 1);
    EXPECT_EQ(w.ListBox1->HeaderType(1), 1);
    EXPECT_EQ(w.PagePanel1->Value(), PageEmpty);
    EXPECT_TRUE(w.BevelButton1->Enabled());
    EXPECT_FALSE(w.BevelButton2->Enabled());
    EXPECT_FALSE(ConnectEnabled(w));

    // A deleted profile keeps its slot: the rows after it carry indexes one above their row.
    gDatasets[1].Eflg = false;
    w.InitSetlist();
    EXPECT_EQ(Rows(w.ListBox1), (RowList{{"alpha", "0"}, {"gamma", "2"}}));
    ClickRow(w.ListBox1, 1);
    EXPECT_EQ(w.StaticText17->Text(), "gamma");
    EXPECT_EQ(w.EditField1->Text(), "ftp.gamma.example");

    // With every profile deleted the list is empty and the panel stays empty.
    gDatasets[0].Eflg = gDatasets[2].Eflg = false;
    w.InitSetlist();
    EXPECT_EQ(w.ListBox1->ListCount(), 0);
    EXPECT_EQ(w.PagePanel1->Value(), PageEmpty);
    EXPECT_TRUE(fw::ModalHost::Shown().empty());
}

struct PanelCase {
    const char* what;
    Dataset record;  // Name, Pass, Pasv, Mode, Zone and EOL set; the rest from LiveProfile
    // View page.
    const char* passwordMask;
    bool passive;
    const char* modeText;
    bool zoneTicked;
    const char* zoneLabel;
    const char* eolLabel;
    // Edit page.
    int modeItem;
    const char* zoneField;
    int eolItem;
};

Dataset With(const char* pass, const char* pasv, const char* mode, const char* zone,
             const char* eol) {
    Dataset d;
    d.Pass = pass;
    d.Pasv = pasv;
    d.Mode = mode;
    d.Zone = zone;
    d.EOL = eol;
    return d;
}

TEST_F(ProfileListTest, ASelectedProfileFillsTheViewPageAndTheEditPage) {
    const std::vector<PanelCase> cases = {
        {"upload and delete, CR LF", With("12345678", "yes", "sync", "-5", "win"), "********", true,
         "アップロード＆削除", true, "-5H", "CR+LF", 1, "-5", 1},
        {"upload only, no zone, CR", With("", "no", "up", "0", "mac"), "", false,
         "アップロードのみ", false, "", "CR", 0, "", 2},
        {"unknown words are the otherwise case", With("pässwörd", "YES!", "mirror", "9", "amiga"),
         "********", false, "アップロードのみ", true, "9H", "LF", 0, "9", 0},
        {"letter case is not looked at", With("鍵", "Yes", "SYNC", "0", "Win"), "*", true,
         "アップロード＆削除", false, "", "CR+LF", 1, "", 1},
        {"an older profile's line end", With(" ", "yes", "up", "+3", "unix"), "*", true,
         "アップロードのみ", true, "+3H", "LF", 0, "+3", 0},
    };
    std::vector<Dataset> profiles;
    for (const PanelCase& c : cases) {
        Dataset d = LiveProfile(std::string("p") + std::to_string(profiles.size()));
        d.Pass = c.record.Pass;
        d.Pasv = c.record.Pasv;
        d.Mode = c.record.Mode;
        d.Zone = c.record.Zone;
        d.EOL = c.record.EOL;
        profiles.push_back(d);
    }
    Window1& w = StartWith(profiles);
    for (size_t i = 0; i < cases.size(); ++i) {
        const PanelCase& c = cases[i];
        const Dataset& d = profiles[i];
        SCOPED_TRACE(c.what);
        ClickRow(w.ListBox1, static_cast<int32_t>(i));
        EXPECT_EQ(w.PagePanel1->Value(), PageView);
        EXPECT_TRUE(w.StaticText17->Shown());

        EXPECT_EQ(w.StaticText17->Text(), d.Name);
        EXPECT_EQ(w.StaticText18->Text(), d.Adrs);
        EXPECT_EQ(w.StaticText19->Text(), d.User);
        EXPECT_EQ(w.StaticText20->Text(), c.passwordMask);
        EXPECT_EQ(w.StaticText21->Text(), d.rDir);
        EXPECT_EQ(w.CheckBox3->Value(), c.passive);
        EXPECT_EQ(w.StaticText22->Text(), d.Path);
        EXPECT_EQ(w.StaticText24->Text(), c.modeText);
        EXPECT_EQ(w.CheckBox5->Value(), c.zoneTicked);
        EXPECT_EQ(w.StaticText25->Text(), c.zoneLabel);
        EXPECT_EQ(w.Label3->Text(), c.eolLabel);

        EXPECT_EQ(w.EditField7->Text(), d.Name);
        EXPECT_EQ(w.EditField1->Text(), d.Adrs);
        EXPECT_EQ(w.EditField2->Text(), d.User);
        EXPECT_EQ(w.EditField3->Text(), d.Pass);
        EXPECT_EQ(w.EditField4->Text(), d.rDir);
        EXPECT_EQ(w.CheckBox2->Value(), c.passive);
        EXPECT_EQ(w.EditField6->Text(), d.Path);
        EXPECT_EQ(w.PopupMenu1->ListIndex(), c.modeItem);
        EXPECT_EQ(w.CheckBox4->Value(), c.zoneTicked);
        EXPECT_EQ(w.EditField8->Text(), c.zoneField);  // the record's, not the box handler's
        EXPECT_EQ(w.PopupMenu2->ListIndex(), c.eolItem);

        ASSERT_TRUE(w.pLocalFolder.has_value());
        EXPECT_EQ(w.pLocalFolder->AbsolutePath(), d.Path);
        EXPECT_FALSE(w.BevelButton1->Enabled());
        EXPECT_TRUE(w.BevelButton2->Enabled());
        EXPECT_TRUE(ConnectEnabled(w));
    }
    EXPECT_TRUE(fw::ModalHost::Shown().empty());
}

// Removing the selection empties the panel and switches the buttons back; the fields keep the
// profile shown last.
TEST_F(ProfileListTest, NoSelectionShowsTheEmptyPageAndKeepsTheLastValues) {
    Window1& w = StartWith({LiveProfile("alpha"), LiveProfile("beta")});
    ClickRow(w.ListBox1, 1);
    ASSERT_EQ(w.PagePanel1->Value(), PageView);
    ClickBelowTheRows(w.ListBox1);
    EXPECT_EQ(w.ListBox1->ListIndex(), -1);
    EXPECT_EQ(w.PagePanel1->Value(), PageEmpty);
    EXPECT_TRUE(w.BevelButton1->Enabled());
    EXPECT_FALSE(w.BevelButton2->Enabled());
    EXPECT_FALSE(ConnectEnabled(w));
    EXPECT_EQ(w.EditField7->Text(), "beta");
    ASSERT_TRUE(w.pLocalFolder.has_value());
    EXPECT_EQ(w.pLocalFolder->AbsolutePath(), gDatasets[1].Path);
}

// The local folder is checked on every selection; the profile is loaded all the same.
TEST_F(ProfileListTest, AMissingLocalFolderIsReportedOnEverySelection) {
    const std::string root = getenv("QUILLOMAR_TEST_ROOT");
    const std::string file = root + "/plain-file";
    std::ofstream(file) << "not a folder";
    struct Case {
        const char* what;
        std::string path;
        bool reported;
    };
    const std::vector<Case> cases = {
        {"a folder that exists", ExistingFolder("site"), false},
        {"the same folder without the final slash", root + "/site", false},
        {"a folder that does not exist", root + "/gone/", true},
        {"a file, not a folder", file, true},
        {"a file named like a folder", file + "/", true},
        {"a relative path", "site/", true},
        {"no path at all", "", true},
    };
    std::vector<Dataset> profiles;
    for (const Case& c : cases) {
        Dataset d = LiveProfile(c.what);
        d.Path = c.path;
        profiles.push_back(d);
    }
    Window1& w = StartWith(profiles);
    for (int pass = 0; pass < 2; ++pass) {
        for (size_t i = 0; i < cases.size(); ++i) {
            SCOPED_TRACE(cases[i].what);
            const size_t before = fw::ModalHost::Shown().size();
            if (cases[i].reported) ExpectPress("OK");
            ClickRow(w.ListBox1, static_cast<int32_t>(i));
            ASSERT_EQ(fw::ModalHost::Shown().size(), before + (cases[i].reported ? 1 : 0));
            if (cases[i].reported) {
                ExpectMessage(fw::ModalHost::Shown().back(), kMissingFolder);
                EXPECT_EQ(fw::ModalHost::Shown().back().buttons, std::vector<std::string>{"OK"});
            }
            // Loaded and shown all the same.
            EXPECT_EQ(w.PagePanel1->Value(), PageView);
            EXPECT_EQ(w.EditField6->Text(), cases[i].path);
            EXPECT_EQ(w.StaticText17->Text(), cases[i].what);
            EXPECT_TRUE(ConnectEnabled(w));
        }
    }
    EXPECT_EQ(fw::ModalHost::PendingSteps(), 0u);
}

TEST_F(ProfileListTest, HelpTagsFollowTheLabelsOnlyWhileThePreferenceIsOne) {
    Dataset a = LiveProfile("alpha"), b = LiveProfile("beta");
    Window1& w = StartWith({a, b});
    const std::vector<fw::Label*> tagged = {w.StaticText17, w.StaticText18, w.StaticText19,
                                            w.StaticText21, w.StaticText22};
    const std::vector<fw::Label*> untagged = {w.StaticText20, w.StaticText24, w.StaticText25,
                                              w.Label3};
    ASSERT_EQ(gPref[PrefShowHelpTags], 1);  // the default
    ClickRow(w.ListBox1, 0);
    for (fw::Label* label : tagged) EXPECT_EQ(label->HelpTag(), label->Text()) << label->Name();
    for (fw::Label* label : untagged) EXPECT_EQ(label->HelpTag(), "") << label->Name();
    EXPECT_EQ(w.StaticText18->HelpTag(), a.Adrs);
    // The tag shows where the mouse rests on the label: a long address or path is cut in the
    // single-line label, and the tag is the way to read it whole.
    for (fw::Label* label : tagged) EXPECT_TRUE(testsupport::TipShowsOver(label)) << label->Name();
    QToolTip::hideText();

    // Any other value leaves the tags of the last selection in place.
    for (int32_t value : {0, 2}) {
        gPref[PrefShowHelpTags] = value;
        ClickRow(w.ListBox1, 1);
        EXPECT_EQ(w.StaticText18->Text(), b.Adrs);
        EXPECT_EQ(w.StaticText18->HelpTag(), a.Adrs) << value;
        ClickRow(w.ListBox1, 0);
    }
}

// While connected the panel keeps the connection's profile, whatever the program selects.
TEST_F(ProfileListTest, WhileConnectedSelectionChangesTouchNothing) {
    Window1& w = StartWith({LiveProfile("alpha"), LiveProfile("beta")});
    ClickRow(w.ListBox1, 0);
    w.pMode = ConnectOpen;
    w.BevelButton2->SetEnabled(false);
    w.ToolbarItemStatus(TagConnect, false);
    for (int32_t row : {1, -1}) {
        w.ListBox1->SetListIndex(row);
        EXPECT_EQ(w.StaticText17->Text(), "alpha");
        EXPECT_EQ(w.PagePanel1->Value(), PageView);
        EXPECT_FALSE(w.BevelButton1->Enabled());
        EXPECT_FALSE(w.BevelButton2->Enabled());
        EXPECT_FALSE(ConnectEnabled(w));
    }
    // Closed again, a selection works as before.
    w.pMode = ConnectClosed;
    w.ListBox1->SetListIndex(1);
    EXPECT_EQ(w.StaticText17->Text(), "beta");
    EXPECT_TRUE(w.BevelButton2->Enabled());
    EXPECT_TRUE(ConnectEnabled(w));
}

// Every row that is not selected shows the colour of the left column's panel.
TEST_F(ProfileListTest, RowsAreDrawnInThePanelsColourAndTheSelectionHighlighted) {
    Window1& w = StartWith({LiveProfile("a"), LiveProfile("b")});
    ClickRow(w.ListBox1, 1);
    fw::ListBoxView* view = View(w.ListBox1);
    const QImage image = view->viewport()->grab().toImage();
    const QColor panel(215, 221, 229);
    auto colourAtRowEnd = [&](int32_t row) {
        const QRect r = view->visualRect(view->model()->index(row, 0));
        return image.pixelColor(r.right() - 3, r.center().y());
    };
    EXPECT_EQ(colourAtRowEnd(0), panel);
    EXPECT_NE(colourAtRowEnd(1), panel);  // the list's highlight over the selected row
}

}  // namespace
