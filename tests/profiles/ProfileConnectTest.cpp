// The profile list connects: on a double click on a profile's row (not on the empty area below the
// rows), on a selection while the preference asks for it, and after a save that selects the
// profile. The connect command asks for the missing password first, which shows that it ran.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/profiles/ProfileWindowFixture.h"

namespace {

using profiletest::ProfileWindowTest;

class ProfileConnectTest : public ProfileWindowTest {
protected:
    // A profile without a password: connecting asks for one, and "キャンセル" ends it quietly.
    static Dataset WithoutPassword(const std::string& name) { return LiveProfile(name, ""); }
    static size_t PasswordPrompts() {
        size_t n = 0;
        for (const fw::ModalPrompt& p : fw::ModalHost::Shown()) n += p.kind == "window";
        return n;
    }
};

TEST_F(ProfileConnectTest, ADoubleClickOnARowConnectsAndOneBelowTheRowsDoesNot) {
    Window1& w = StartWith({WithoutPassword("a"), WithoutPassword("b")});
    ExpectPress("キャンセル");
    DoubleClickAt(w.ListBox1, RowCenter(w.ListBox1, 1));
    EXPECT_EQ(PasswordPrompts(), 1u);
    EXPECT_EQ(w.StaticText17->Text(), "b");

    DoubleClickAt(w.ListBox1, BelowTheRows(w.ListBox1));
    EXPECT_EQ(PasswordPrompts(), 1u);
    EXPECT_EQ(w.ListBox1->ListIndex(), -1);
    EXPECT_EQ(fw::ModalHost::PendingSteps(), 0u);
}

TEST_F(ProfileConnectTest, ASelectionConnectsOnlyWhileThePreferenceIsOne) {
    Window1& w = StartWith({WithoutPassword("a"), WithoutPassword("b")});
    for (int32_t value : {0, 2}) {
        gPref[PrefConnectOnSelect] = value;
        ClickRow(w.ListBox1, value == 0 ? 0 : 1);
        EXPECT_EQ(PasswordPrompts(), 0u) << value;
    }
    gPref[PrefConnectOnSelect] = 1;
    ExpectPress("キャンセル");
    ClickRow(w.ListBox1, 0);
    EXPECT_EQ(PasswordPrompts(), 1u);

    // A profile whose folder is missing is reported twice: by the selection and by the connect
    // command, which then does not connect.
    gDatasets[1].Path = "/no/such/folder/";
    ExpectPress("OK");
    ExpectPress("OK");
    ClickRow(w.ListBox1, 1);
    std::vector<std::string> messages;
    for (const fw::ModalPrompt& p : fw::ModalHost::Shown())
        if (p.kind == "message") messages.push_back(p.message);
    EXPECT_EQ(messages, (std::vector<std::string>{kMissingFolder, kMissingFolder}));
    EXPECT_EQ(fw::ModalHost::PendingSteps(), 0u);
}

TEST_F(ProfileConnectTest, SaveConnectsWithTheSavedProfileWhileThePreferenceIsOne) {
    Window1& w = StartWith({WithoutPassword("a")});
    gPref[PrefConnectOnSelect] = 1;
    Click(w.BevelButton1);
    Type(w.EditField7, "new");
    fw::ModalHost::Expect(fw::ModalAnswer::Choose(ExistingFolder("new")));
    Click(w.BevelButton4);
    ExpectPress("キャンセル");
    Click(w.BevelButton5);
    EXPECT_EQ(PasswordPrompts(), 1u);
    EXPECT_EQ(w.ListBox1->ListIndex(), 1);
    EXPECT_EQ(fw::ModalHost::PendingSteps(), 0u);
}

}  // namespace
