// Profiles made through the window reach the settings file at quit, and the next run brings them
// back: exactly the live profiles, in order, with passwords that decrypt.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/profiles/ProfileWindowFixture.h"

namespace {

using profiletest::ProfileWindowTest;

class ProfileRunTest : public ProfileWindowTest {
protected:
    void Create(Window1& w, const Dataset& d) {
        if (w.ListBox1->ListIndex() >= 0) ClickBelowTheRows(w.ListBox1);
        Click(w.BevelButton1);
        FillIn(w, d, d.Zone != "0");
        Click(w.BevelButton5);
    }
};

TEST_F(ProfileRunTest, TheLiveProfilesAreSavedAtQuitAndComeBackWithTheirPasswords) {
    Window1& w = StartWith({LiveProfile("existing", "old-secret")});

    Dataset a = LiveProfile("サイトA", "pässwörd with blanks ");
    a.EOL = "unix";
    a.Zone = "9";
    Dataset b = LiveProfile("site-b", "");  // no password: connecting will ask
    b.Pasv = "no";
    b.Mode = "up";
    b.Zone = "0";
    b.EOL = "mac";
    Dataset c = LiveProfile("site-c", std::string(300, 'k'));  // longer than one RSA block
    Create(w, a);
    Create(w, b);
    Create(w, c);
    ASSERT_EQ(gDatasets.size(), 4u);

    // Edit b, delete the existing one and c.
    ClickRow(w.ListBox1, 2);
    ASSERT_EQ(w.StaticText17->Text(), "site-b");
    Click(w.BevelButton3);
    b.User = "changed user";
    Type(w.EditField2, b.User);
    Click(w.BevelButton5);
    for (int32_t row : {0, 2}) {
        ClickRow(w.ListBox1, row);
        ExpectPress("削除");
        Click(w.BevelButton2);
    }
    ASSERT_EQ(w.ListBox1->ListCount(), 2);

    app().Quit();
    fw::ProcessPendingEvents();
    ASSERT_TRUE(app().HasQuit());
    const std::vector<shelltest::StoredProfile> stored = shelltest::DecodeProfiles(Get("dataset2"));
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[0].name, a.Name);
    EXPECT_EQ(stored[1].name, b.Name);
    EXPECT_EQ(stored[1].user, "changed user");
    for (const auto& s : stored) EXPECT_EQ(s.cipher.find("pässwörd"), std::string::npos);

    EndRun();
    StartApp();
    ASSERT_NE(MainWindow(), nullptr);
    Window1& next = *MainWindow();
    ASSERT_EQ(gDatasets.size(), 2u);
    shelltest::ExpectSameProfile(gDatasets[0], a);
    shelltest::ExpectSameProfile(gDatasets[1], b);
    EXPECT_EQ(Rows(next.ListBox1),
              (std::vector<std::pair<std::string, std::string>>{{a.Name, "0"}, {b.Name, "1"}}));
    ClickRow(next.ListBox1, 0);
    EXPECT_EQ(next.EditField3->Text(), a.Pass);
    EXPECT_EQ(next.StaticText20->Text(), std::string(21, '*'));
    EXPECT_TRUE(fw::ModalHost::Unexpected().empty());
}

}  // namespace
