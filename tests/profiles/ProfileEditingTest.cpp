// Creating, editing and deleting profiles through the panel's own fields and buttons: what reaches
// the profile array, which row is selected afterwards, and the states of the buttons.

#include <gtest/gtest.h>

#include <QLineEdit>
#include <string>
#include <vector>

#include "tests/profiles/ProfileWindowFixture.h"

namespace {

using profiletest::ProfileWindowTest;

using ProfileEditingTest = ProfileWindowTest;

TEST_F(ProfileEditingTest, PlusFillInSaveAppendsALiveProfileAndSelectsIt) {
    Window1& w = StartWith({LiveProfile("alpha"), LiveProfile("beta")});
    ClickRow(w.ListBox1, 1);
    ClickBelowTheRows(w.ListBox1);  // nothing selected: "＋" can be pressed
    Click(w.BevelButton1);
    EXPECT_EQ(w.PagePanel1->Value(), PageEdit);
    EXPECT_FALSE(w.BevelButton1->Enabled());
    EXPECT_FALSE(w.BevelButton2->Enabled());
    // A blank form, but for the line end of the profile shown last.
    for (fw::TextField* f :
         {w.EditField7, w.EditField1, w.EditField2, w.EditField3, w.EditField4, w.EditField8})
        EXPECT_EQ(f->Text(), "") << f->Name();
    EXPECT_EQ(w.EditField6->Text(), "");
    EXPECT_TRUE(w.CheckBox2->Value());
    EXPECT_FALSE(w.CheckBox4->Value());
    EXPECT_EQ(w.PopupMenu1->ListIndex(), 0);
    EXPECT_EQ(w.PopupMenu2->ListIndex(), 1);  // "win", from beta
    for (fw::Label* l : {w.StaticText17, w.StaticText18, w.StaticText19, w.StaticText20,
                         w.StaticText21, w.StaticText22, w.StaticText25})
        EXPECT_EQ(l->Text(), "") << l->Name();
    EXPECT_EQ(w.StaticText24->Text(), "アップロードのみ");
    EXPECT_TRUE(w.CheckBox3->Value());
    EXPECT_FALSE(w.CheckBox5->Value());

    Dataset d;
    d.Name = "  新しいサイト ";  // every text kept exactly as typed
    d.Adrs = "ftp.new.example";
    d.User = " me";
    d.Pass = "p@ss word ";
    d.rDir = "public_html/";
    d.Pasv = "no";
    d.Path = ExistingFolder("new-site");
    d.Mode = "sync";
    d.Zone = "-7";
    d.EOL = "mac";
    FillIn(w, d, true);
    Click(w.BevelButton5);

    ASSERT_EQ(gDatasets.size(), 3u);
    shelltest::ExpectSameProfile(gDatasets[2], d);
    EXPECT_EQ(w.ListBox1->ListIndex(), 2);
    EXPECT_EQ(w.ListBox1->Cell(2, 1), "2");
    EXPECT_EQ(w.PagePanel1->Value(), PageView);
    EXPECT_EQ(w.StaticText17->Text(), d.Name);
    EXPECT_EQ(w.StaticText25->Text(), "-7H");
    EXPECT_FALSE(w.BevelButton1->Enabled());
    EXPECT_TRUE(w.BevelButton2->Enabled());
    EXPECT_TRUE(ConnectEnabled(w));

    // A second save updates the same record.
    Click(w.BevelButton3);
    Type(w.EditField1, "ftp.renamed.example");
    Click(w.BevelButton5);
    ASSERT_EQ(gDatasets.size(), 3u);
    EXPECT_EQ(gDatasets[2].Adrs, "ftp.renamed.example");
    EXPECT_EQ(w.ListBox1->ListIndex(), 2);
    EXPECT_EQ(fw::ModalHost::Shown().size(), 1u);  // the folder chooser only
    EXPECT_EQ(fw::ModalHost::PendingSteps(), 0u);
}

// After a profile in the middle was deleted, row numbers and profile indexes differ: saving and
// deleting a later profile must reach that profile's record.
TEST_F(ProfileEditingTest, EditAndDeleteReachTheProfileOfTheRowAfterADeletion) {
    Window1& w =
        StartWith({LiveProfile("a"), LiveProfile("b"), LiveProfile("c"), LiveProfile("d")});
    ClickRow(w.ListBox1, 1);
    ExpectPress("削除");
    Click(w.BevelButton2);
    EXPECT_FALSE(gDatasets[1].Eflg);
    EXPECT_EQ(w.ListBox1->ListCount(), 3);

    ClickRow(w.ListBox1, 1);  // "c", profile 2
    Click(w.BevelButton3);
    EXPECT_EQ(w.PagePanel1->Value(), PageEdit);
    EXPECT_TRUE(w.BevelButton2->Enabled());  // still on the selected profile
    Type(w.EditField7, "c2");
    Click(w.BevelButton5);
    EXPECT_EQ(gDatasets[2].Name, "c2");
    EXPECT_EQ(gDatasets[3].Name, "d");
    EXPECT_EQ(w.ListBox1->ListIndex(), 1);
    EXPECT_EQ(w.ListBox1->Cell(1, 0), "c2");
    EXPECT_EQ(w.StaticText17->Text(), "c2");

    ClickRow(w.ListBox1, 2);  // "d", profile 3
    ExpectPress("削除");
    Click(w.BevelButton2);
    EXPECT_TRUE(gDatasets[2].Eflg);
    EXPECT_FALSE(gDatasets[3].Eflg);
    EXPECT_EQ(Rows(w.ListBox1),
              (std::vector<std::pair<std::string, std::string>>{{"a", "0"}, {"c2", "2"}}));
    EXPECT_EQ(gDatasets.size(), 4u);  // deleted records keep their slots
}

TEST_F(ProfileEditingTest, DeletionAsksAndCancelChangesNothing) {
    Window1& w = StartWith({LiveProfile("only")});
    ClickRow(w.ListBox1, 0);
    ExpectPress("キャンセル");
    Click(w.BevelButton2);
    ASSERT_EQ(fw::ModalHost::Shown().size(), 1u);
    const fw::ModalPrompt& asked = fw::ModalHost::Shown()[0];
    EXPECT_EQ(asked.message, "本当に削除しますか？");
    EXPECT_EQ(asked.explanation, "この操作は取り消しができません。");
    EXPECT_EQ(asked.buttons, (std::vector<std::string>{"削除", "キャンセル"}));
    EXPECT_TRUE(gDatasets[0].Eflg);
    EXPECT_EQ(w.ListBox1->ListIndex(), 0);
    EXPECT_EQ(w.PagePanel1->Value(), PageView);

    // Deleting the only profile leaves an empty list and the empty page.
    ExpectPress("削除");
    Click(w.BevelButton2);
    EXPECT_FALSE(gDatasets[0].Eflg);
    EXPECT_EQ(w.ListBox1->ListCount(), 0);
    EXPECT_EQ(w.PagePanel1->Value(), PageEmpty);
    EXPECT_TRUE(w.BevelButton1->Enabled());
    EXPECT_FALSE(w.BevelButton2->Enabled());
    EXPECT_FALSE(ConnectEnabled(w));
}

// The zone box fills in the local offset and empties the field again; ticked with an empty field
// it saves no correction.
TEST_F(ProfileEditingTest, TheZoneBoxProposesTheLocalOffset) {
    Window1& w = StartWith({});
    Click(w.BevelButton1);
    for (int32_t offset : {9, -5, 0}) {
        gGmtOffset = offset;
        Click(w.CheckBox4);
        EXPECT_EQ(w.EditField8->Text(), std::to_string(offset));
        Click(w.CheckBox4);
        EXPECT_EQ(w.EditField8->Text(), "");
    }
    Type(w.EditField7, "zone off");
    Click(w.CheckBox4);
    Type(w.EditField8, "");
    ExpectPress("OK");  // no local folder chosen
    Click(w.BevelButton5);
    ASSERT_EQ(gDatasets.size(), 1u);
    EXPECT_EQ(gDatasets[0].Zone, "0");
    EXPECT_FALSE(w.CheckBox5->Value());
    EXPECT_EQ(w.StaticText25->Text(), "");
}

// The folder chooser answers a folder's path with its final "/"; cancelled, it changes nothing.
TEST_F(ProfileEditingTest, TheFolderChooserGivesAFolderPath) {
    Window1& w = StartWith({});
    Click(w.BevelButton1);
    const std::string folder = ExistingFolder("chosen");
    struct Case {
        fw::ModalAnswer answer;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {fw::ModalAnswer::Choose(folder), folder},
        {fw::ModalAnswer::Choose(folder.substr(0, folder.size() - 1)), folder},
        {fw::ModalAnswer::Cancel(), folder},
        {fw::ModalAnswer::Choose("/"), "/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer.text);
        fw::ModalHost::Expect(c.answer);
        Click(w.BevelButton4);
        EXPECT_EQ(w.EditField6->Text(), c.expected);
    }
    EXPECT_EQ(w.pLocalFolder, std::nullopt);  // resolved only when a saved profile is selected
    for (const fw::ModalPrompt& p : fw::ModalHost::Shown()) EXPECT_EQ(p.kind, "folder");
    EXPECT_TRUE(fw::ModalHost::Unexpected().empty());
}

// Values that the settings file keeps behind a one-byte length take at most 255 bytes as typed,
// cut at a character boundary; the password and the local folder are stored in longer fields.
TEST_F(ProfileEditingTest, ShortValuesTakeAtMost255BytesAsTyped) {
    Window1& w = StartWith({});
    Click(w.BevelButton1);
    Click(w.CheckBox4);
    const std::string ascii(300, 'x');
    std::string japanese;
    for (int i = 0; i < 100; ++i) japanese += "あ";  // 300 bytes, 3 a character
    for (fw::TextField* f :
         {w.EditField7, w.EditField1, w.EditField2, w.EditField4, w.EditField8}) {
        SCOPED_TRACE(f->Name());
        Type(f, ascii);
        EXPECT_EQ(f->Text(), ascii.substr(0, 255));
        Type(f, japanese);
        EXPECT_EQ(f->Text(), japanese.substr(0, 255));
        Type(f, "ab");
        auto* edit = qobject_cast<QLineEdit*>(f->Widget());
        edit->end(false);
        edit->insert(QString::fromStdString(ascii));  // typed on at the end
        EXPECT_EQ(f->Text(), "ab" + ascii.substr(0, 253));
    }
    Type(w.EditField3, ascii);
    EXPECT_EQ(w.EditField3->Text(), ascii);

    Type(w.EditField7, japanese);
    Type(w.EditField3, ascii + ascii);
    ExpectPress("OK");  // no local folder chosen
    Click(w.BevelButton5);
    ASSERT_EQ(gDatasets.size(), 1u);
    EXPECT_EQ(gDatasets[0].Name, japanese.substr(0, 255));
    EXPECT_EQ(gDatasets[0].Pass, ascii + ascii);
}

// "保存" while connected (possible when the edit page was up at connect) must not give "ー" back:
// the connection keeps the list and "ー" off until it ends.
TEST_F(ProfileEditingTest, SaveDuringAConnectionLeavesMinusOff) {
    Window1& w = StartWith({LiveProfile("alpha")});
    ClickRow(w.ListBox1, 0);
    Click(w.BevelButton3);
    // What the connect command does to the panel.
    w.pMode = ConnectOpen;
    w.ListBox1->SetEnabled(false);
    w.BevelButton2->SetEnabled(false);
    w.BevelButton3->SetEnabled(false);
    Type(w.EditField4, "/elsewhere");
    Click(w.BevelButton5);
    EXPECT_EQ(gDatasets[0].rDir, "/elsewhere");
    EXPECT_EQ(w.PagePanel1->Value(), PageView);
    EXPECT_FALSE(w.BevelButton2->Enabled());

    // Disconnected, a save selects the row and "ー" comes back.
    w.pMode = ConnectClosed;
    w.ListBox1->SetEnabled(true);
    w.BevelButton3->SetEnabled(true);
    Click(w.BevelButton3);
    Click(w.BevelButton5);
    EXPECT_EQ(w.ListBox1->ListIndex(), 0);
    EXPECT_TRUE(w.BevelButton2->Enabled());
}

// A new profile is saved with the line end that the pop-up shows: the one of the profile shown
// last, unless the user changes it.
TEST_F(ProfileEditingTest, ANewProfileKeepsTheLineEndShownLast) {
    Dataset cr = LiveProfile("cr");
    cr.EOL = "mac";
    Window1& w = StartWith({cr});
    ClickRow(w.ListBox1, 0);
    ClickBelowTheRows(w.ListBox1);
    Click(w.BevelButton1);
    EXPECT_EQ(w.Label3->Text(), "CR");
    Type(w.EditField7, "follows");
    fw::ModalHost::Expect(fw::ModalAnswer::Choose(ExistingFolder("follows")));
    Click(w.BevelButton4);
    Click(w.BevelButton5);
    ASSERT_EQ(gDatasets.size(), 2u);
    EXPECT_EQ(gDatasets[1].EOL, "mac");
    EXPECT_EQ(gDatasets[1].Mode, "up");
    EXPECT_EQ(gDatasets[1].Pasv, "yes");
    EXPECT_EQ(gDatasets[1].Zone, "0");
}

}  // namespace
