// The preferences dialog: its design, what it shows of the five preference slots, and that only
// "保存" writes them back, each box to its own slot.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDialog>
#include <QPushButton>
#include <QTest>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "framework/MenuBar.h"
#include "profiles/PrefDlg.h"
#include "tests/profiles/ProfileWindowFixture.h"

namespace {

using profiletest::ProfileWindowTest;

// The boxes from top to bottom and the slot each one shows.
const std::array<std::pair<const char*, int>, 5> kBoxes = {{{"CheckBox1", PrefConnectOnSelect},
                                                            {"CheckBox2", PrefKeepWindowSize},
                                                            {"CheckBox3", PrefBeepOnDialog},
                                                            {"CheckBox4", PrefConfirmSync},
                                                            {"CheckBox5", PrefShowHelpTags}}};

QCheckBox* Box(QDialog* d, const std::string& name) {
    return d->findChild<QCheckBox*>(QString::fromStdString(name));
}

class PreferencesDialogTest : public ProfileWindowTest {
protected:
    void SetUp() override {
        ProfileWindowTest::SetUp();
        w = &StartWith({});
    }

    // Answers the dialog: records which boxes it showed ticked, clicks the named boxes, then
    // finishes with finish (a button press or a key).
    void Answer(std::vector<std::string> clicks, std::function<void(QDialog*)> finish) {
        fw::ModalHost::Expect(fw::ModalAnswer(
            fw::ModalAnswer::Action::Custom, "", [this, clicks, finish](QDialog* d) {
                shownTicked.clear();
                for (const auto& [name, slot] : kBoxes)
                    shownTicked.push_back(Box(d, name)->isChecked());
                for (const std::string& name : clicks)
                    QTest::mouseClick(Box(d, name), Qt::LeftButton);
                finish(d);
            }));
    }
    static std::function<void(QDialog*)> Press(const std::string& caption) {
        return [caption](QDialog* d) {
            for (QPushButton* b : d->findChildren<QPushButton*>())
                if (b->text().toStdString() == caption) return b->click();
            ADD_FAILURE() << "no button " << caption;
        };
    }
    std::vector<int32_t> Slots() const {
        std::vector<int32_t> v;
        for (const auto& [name, slot] : kBoxes) v.push_back(gPref[slot]);
        return v;
    }
    // Every slot but the five, as they stand.
    static std::vector<int32_t> CurrentPrefsExceptBoxes() {
        std::vector<int32_t> v = shelltest::CurrentPrefs();
        for (const auto& [name, slot] : kBoxes) v[slot] = -99;
        return v;
    }
    void SetSlots(const std::vector<int32_t>& values) {
        for (size_t i = 0; i < kBoxes.size(); ++i) gPref[kBoxes[i].second] = values[i];
    }

    Window1* w = nullptr;
    std::vector<bool> shownTicked;
};

TEST_F(PreferencesDialogTest, TheDialogAsDesigned) {
    PrefDlg* shown = nullptr;
    fw::ModalHost::Expect(
        fw::ModalAnswer(fw::ModalAnswer::Action::Custom, "", [&shown](QDialog* d) {
            shown = fw::Window::FindOpen<PrefDlg>();
            ASSERT_NE(shown, nullptr);
            EXPECT_TRUE(shown->InModal());
            struct Expected {
                const char* name;
                int left, top, width, height, tab;
                const char* caption;
            };
            const std::vector<Expected> controls = {
                {"PushButton1", 256, 220, 82, 20, 0, "キャンセル"},
                {"PushButton2", 350, 220, 70, 20, 1, "保存"},
                {"CheckBox5", 30, 160, 300, 20, 8, "セットのヘルプタグ（ツールチップ）を表示する"},
                {"CheckBox4", 30, 130, 250, 20, 9, "同期前に、確認ダイアログを表示する"},
                {"CheckBox3", 30, 100, 250, 20, 10, "ダイアログ表示時、ビープ音を鳴らす"},
                {"CheckBox2", 30, 70, 249, 20, 11, "ウィンドウサイズを保持する"},
                {"CheckBox1", 30, 40, 238, 20, 12, "セットを選択したら直ちに接続する"},
            };
            ASSERT_EQ(shown->Controls().size(), controls.size());
            for (size_t i = 0; i < controls.size(); ++i) {
                const Expected& e = controls[i];
                fw::Control* c = shown->Controls()[i].get();
                SCOPED_TRACE(e.name);
                EXPECT_EQ(c->Name(), e.name);
                EXPECT_EQ(c->Left(), e.left);
                EXPECT_EQ(c->Top(), e.top);
                EXPECT_EQ(c->Width(), e.width);
                EXPECT_EQ(c->Height(), e.height);
                EXPECT_EQ(c->TabIndex(), e.tab);
                EXPECT_EQ(c->TextSize(), 12);
                std::string caption;
                if (auto* b = dynamic_cast<fw::CheckBox*>(c)) caption = b->Caption();
                if (auto* b = dynamic_cast<fw::PushButton*>(c)) caption = b->Caption();
                EXPECT_EQ(caption, e.caption);
            }
            EXPECT_TRUE(shown->PushButton2->Default());
            EXPECT_FALSE(shown->PushButton1->Cancel());
            EXPECT_EQ(d->windowTitle().toStdString(), "Untitled");
            EXPECT_EQ(shown->Width(), 440);
            EXPECT_EQ(shown->Height(), 260);
            shown->PushButton1->Push();
        }));
    w->ShowPrefDlg();
    ASSERT_EQ(fw::ModalHost::Shown().size(), 1u);
    EXPECT_EQ(fw::ModalHost::Shown()[0].kind, "window");
    EXPECT_EQ(fw::ModalHost::Shown()[0].buttons, (std::vector<std::string>{"キャンセル", "保存"}));
    // Closed after use: the next command builds a new one from the slots.
    EXPECT_EQ(fw::Window::FindOpen<PrefDlg>(), nullptr);
}

// A slot of 1 or more shows a ticked box, 0 or less an unticked one; "保存" writes 1 and 0.
TEST_F(PreferencesDialogTest, SaveWritesTheBoxesAsOneAndZero) {
    const std::vector<std::vector<int32_t>> tables = {
        {0, 1, 0, 1, 0}, {1, 0, 1, 0, 1}, {2, -1, 7, 0, -5}, {1, 1, 1, 1, 1}};
    for (const std::vector<int32_t>& values : tables) {
        SCOPED_TRACE(testing::PrintToString(values));
        SetSlots(values);
        std::vector<int32_t> others = CurrentPrefsExceptBoxes();
        Answer({}, Press("保存"));
        w->ShowPrefDlg();
        std::vector<bool> expectedShown;
        std::vector<int32_t> expectedSaved;
        for (int32_t v : values) {
            expectedShown.push_back(v >= 1);
            expectedSaved.push_back(v >= 1 ? 1 : 0);
        }
        EXPECT_EQ(shownTicked, expectedShown);
        EXPECT_EQ(Slots(), expectedSaved);
        EXPECT_EQ(CurrentPrefsExceptBoxes(), others);  // no other slot is touched
    }
}

TEST_F(PreferencesDialogTest, EachBoxWritesItsOwnSlot) {
    for (size_t i = 0; i < kBoxes.size(); ++i) {
        SCOPED_TRACE(kBoxes[i].first);
        SetSlots({0, 0, 0, 0, 0});
        Answer({kBoxes[i].first}, Press("保存"));
        w->ShowPrefDlg();
        std::vector<int32_t> expected(kBoxes.size(), 0);
        expected[i] = 1;
        EXPECT_EQ(Slots(), expected);  // the second box from the top is slot 11, not 10
    }
}

TEST_F(PreferencesDialogTest, CancelLeavesEverySlotAndReopeningShowsThemAgain) {
    SetSlots({1, 0, 2, 0, 1});
    Answer({"CheckBox1", "CheckBox2", "CheckBox3", "CheckBox4", "CheckBox5"}, Press("キャンセル"));
    w->ShowPrefDlg();
    EXPECT_EQ(Slots(), (std::vector<int32_t>{1, 0, 2, 0, 1}));
    Answer({}, Press("キャンセル"));
    w->ShowPrefDlg();
    EXPECT_EQ(shownTicked, (std::vector<bool>{true, false, true, false, true}));
}

// Return presses "保存"; Escape has no button to press and leaves the dialog up.
TEST_F(PreferencesDialogTest, ReturnSavesAndEscapeDoesNothing) {
    SetSlots({0, 0, 0, 0, 0});
    bool stillUp = false;
    Answer({"CheckBox5"}, [&stillUp](QDialog* d) {
        QTest::keyClick(d, Qt::Key_Escape);
        fw::ProcessPendingEvents();
        stillUp = d->isVisible();
        QTest::keyClick(d, Qt::Key_Return);
    });
    w->ShowPrefDlg();
    EXPECT_TRUE(stillUp);
    EXPECT_EQ(Slots(), (std::vector<int32_t>{0, 0, 0, 0, 1}));
}

// The menu item "環境設定..." and the toolbar's "環境設定" both open it.
TEST_F(PreferencesDialogTest, TheMenuItemAndTheToolbarButtonOpenIt) {
    SetSlots({0, 0, 0, 0, 0});
    Answer({"CheckBox1"}, Press("保存"));
    EXPECT_TRUE(w->HandleMenu("EditPreferences"));
    EXPECT_EQ(gPref[PrefConnectOnSelect], 1);

    Answer({"CheckBox1"}, Press("保存"));
    fw::ChooseMenuItem("EditPreferences");
    fw::ProcessPendingEvents();
    EXPECT_EQ(gPref[PrefConnectOnSelect], 0);

    Answer({"CheckBox4"}, Press("保存"));
    ClickToolbarButton(*w, TagPref);
    EXPECT_EQ(gPref[PrefConfirmSync], 1);
    EXPECT_EQ(fw::ModalHost::Shown().size(), 3u);
    EXPECT_EQ(fw::ModalHost::PendingSteps(), 0u);
}

}  // namespace
