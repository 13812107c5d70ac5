// The main window as it is built: every visible control where it belongs, with its text, and the
// way the controls follow a change of the window's size.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <string>
#include <vector>

#include "framework/BevelButton.h"
#include "framework/CheckBox.h"
#include "framework/EventLoop.h"
#include "framework/Label.h"
#include "framework/PopupMenu.h"
#include "mainwindow/Window1.h"
#include "tests/shell/ShellTestFixture.h"

namespace {

struct Expected {
    const char* name;
    const char* container;  // "" for the window itself
    int page;               // -1 when not on a page of the profile panel
    int left, top, width, height;
    const char* text;  // caption or text at construction; nullptr where the control has none
};

// The design-time table, at 800 x 600.
const std::vector<Expected> kControls = {
    {"Rectangle1", "", -1, -1, 110, 211, 469, nullptr},
    {"PagePanel1", "Rectangle1", -1, 2, 115, 204, 460, nullptr},
    {"StaticText1", "PagePanel1", 2, 18, 160, 100, 20, "アドレス："},
    {"StaticText2", "PagePanel1", 2, 18, 200, 100, 20, "ユーザ："},
    {"StaticText3", "PagePanel1", 2, 18, 240, 100, 20, "パスワード："},
    {"StaticText4", "PagePanel1", 2, 18, 280, 100, 20, "ディレクトリ："},
    {"EditField1", "PagePanel1", 2, 18, 177, 170, 22, ""},
    {"EditField2", "PagePanel1", 2, 18, 217, 170, 22, ""},
    {"EditField3", "PagePanel1", 2, 18, 257, 170, 22, ""},
    {"EditField4", "PagePanel1", 2, 18, 297, 170, 22, ""},
    {"StaticText7", "PagePanel1", 2, 18, 418, 120, 20, "ローカルフォルダ："},
    {"EditField6", "PagePanel1", 2, 16, 437, 170, 65, nullptr},
    {"CheckBox2", "PagePanel1", 2, 18, 324, 120, 20, "パッシブモード"},
    {"BevelButton3", "PagePanel1", 1, 145, 552, 40, 20, "編集"},
    {"StaticText11", "PagePanel1", 2, 18, 120, 100, 20, "セット名："},
    {"EditField7", "PagePanel1", 2, 18, 137, 170, 22, ""},
    {"StaticText8", "PagePanel1", 1, 18, 418, 120, 20, "ローカルフォルダ："},
    {"CheckBox3", "PagePanel1", 1, 18, 324, 120, 20, "パッシブモード"},
    {"StaticText12", "PagePanel1", 1, 18, 120, 100, 20, "セット名："},
    {"StaticText13", "PagePanel1", 1, 18, 160, 100, 20, "アドレス："},
    {"StaticText14", "PagePanel1", 1, 18, 200, 100, 20, "ユーザ："},
    {"StaticText15", "PagePanel1", 1, 18, 240, 100, 20, "パスワード："},
    {"StaticText16", "PagePanel1", 1, 18, 280, 100, 20, "ディレクトリ："},
    {"StaticText17", "PagePanel1", 1, 22, 138, 165, 20, "Untitled"},
    {"StaticText18", "PagePanel1", 1, 22, 178, 165, 20, "Untitled"},
    {"StaticText19", "PagePanel1", 1, 22, 218, 165, 20, "Untitled"},
    {"StaticText20", "PagePanel1", 1, 22, 258, 165, 20, "Untitled"},
    {"StaticText21", "PagePanel1", 1, 22, 298, 165, 20, "Untitled"},
    {"StaticText22", "PagePanel1", 1, 22, 438, 165, 60, "Untitled"},
    {"BevelButton4", "PagePanel1", 2, 146, 419, 40, 18, "選択..."},
    {"BevelButton5", "PagePanel1", 2, 145, 552, 40, 20, "保存"},
    {"CheckBox4", "PagePanel1", 2, 18, 350, 105, 20, "タイムゾーン補正"},
    {"EditField8", "PagePanel1", 2, 126, 350, 30, 20, ""},
    {"StaticText23", "PagePanel1", 1, 18, 508, 100, 20, "モード："},
    {"StaticText24", "PagePanel1", 1, 22, 526, 150, 20, "Untitled"},
    {"CheckBox5", "PagePanel1", 1, 18, 350, 105, 20, "タイムゾーン補正"},
    {"StaticText25", "PagePanel1", 1, 130, 349, 40, 20, "Untitled"},
    {"StaticText26", "PagePanel1", 2, 18, 508, 100, 20, "モード："},
    {"PopupMenu1", "PagePanel1", 2, 13, 526, 150, 20, "アップロードのみ"},
    {"PopupMenu2", "PagePanel1", 2, 13, 392, 80, 20, "LF"},
    {"Label1", "PagePanel1", 2, 18, 373, 100, 20, "改行コード："},
    {"Label2", "PagePanel1", 1, 18, 373, 100, 20, "改行コード："},
    {"Label3", "PagePanel1", 1, 22, 392, 100, 20, "名称未設定"},
    {"localListBox", "", -1, 210, 0, 295, 414, nullptr},
    {"remoteListBox", "", -1, 505, 0, 295, 414, nullptr},
    {"EditField5", "", -1, 549, 435, 252, 165, nullptr},
    {"ListBox1", "", -1, 0, 0, 210, 110, nullptr},
    {"StaticText27", "", -1, 310, 412, 95, 20, "ローカル"},
    {"StaticText28", "", -1, 605, 412, 95, 20, "サーバ"},
    {"Rectangle2", "", -1, -1, 577, 211, 23, nullptr},
    {"BevelButton2", "Rectangle2", -1, 27, 579, 22, 18, "ー"},
    {"BevelButton1", "Rectangle2", -1, 5, 579, 22, 18, "＋"},
    {"Rectangle3", "", -1, 500, 435, 50, 165, nullptr},
    {"Label4", "", -1, 500, 492, 50, 37, "サーバ\rログ"},
    {"Rectangle4", "", -1, 209, 435, 292, 165, nullptr},
    {"ProgressBar1", "Rectangle4", -1, 255, 490, 200, 18, nullptr},
    {"StaticText5", "Rectangle4", -1, 255, 510, 80, 20, "転送サイズ："},
    {"StaticText6", "Rectangle4", -1, 255, 525, 80, 20, "転送レート："},
    {"tBytesText", "Rectangle4", -1, 335, 510, 100, 20, "0"},
    {"bpsText", "Rectangle4", -1, 335, 525, 100, 20, "0"},
};

// The caption or text a control shows, whatever its kind.
std::string TextOf(fw::Control* c) {
    if (auto* l = dynamic_cast<fw::Label*>(c)) return l->Text();
    if (auto* f = dynamic_cast<fw::TextField*>(c)) return f->Text();
    if (auto* b = dynamic_cast<fw::CheckBox*>(c)) return b->Caption();
    if (auto* b = dynamic_cast<fw::BevelButton*>(c)) return b->Caption();
    if (auto* p = dynamic_cast<fw::PopupMenu*>(c)) return p->Text();
    return "";
}

class Window1LayoutTest : public shelltest::ShellTest {
protected:
    Window1& Open() {
        StartApp();
        Window1* w = MainWindow();
        EXPECT_NE(w, nullptr);
        return *w;
    }
};

TEST_F(Window1LayoutTest, EveryControlStandsWhereItWasDrawnWithItsText) {
    Window1& w = Open();
    EXPECT_EQ(w.Width(), 800);
    EXPECT_EQ(w.Height(), 600);
    EXPECT_EQ(w.Title(), "Quillomar");
    std::vector<std::string> created;
    for (const auto& c : w.Controls()) created.push_back(c->Name());
    std::vector<std::string> expectedOrder;
    for (const Expected& e : kControls) expectedOrder.push_back(e.name);
    EXPECT_EQ(created, expectedOrder) << "the controls in the order of their creation";

    for (const Expected& e : kControls) {
        SCOPED_TRACE(e.name);
        fw::Control* c = w.ControlNamed(e.name);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->Container() ? c->Container()->Name() : "", e.container);
        EXPECT_EQ(c->Page(), e.page);
        EXPECT_EQ(c->Left(), e.left);
        EXPECT_EQ(c->Top(), e.top);
        EXPECT_EQ(c->Width(), e.width);
        EXPECT_EQ(c->Height(), e.height);
        if (e.text) {
            EXPECT_EQ(TextOf(c), e.text);
        }
    }
}

TEST_F(Window1LayoutTest, TheWindowStartsWithAnEmptyPanelAndIdleTransferBox) {
    Window1& w = Open();
    EXPECT_EQ(w.PagePanel1->Value(), PageEmpty);
    EXPECT_TRUE(w.BevelButton1->Enabled());
    EXPECT_FALSE(w.BevelButton2->Enabled());
    EXPECT_EQ(w.BevelButton1->HelpTag(), "サーバ設定を新規作成します");
    EXPECT_EQ(w.BevelButton2->HelpTag(), "選択されているサーバ設定を削除します");
    EXPECT_TRUE(w.CheckBox2->Value());
    EXPECT_FALSE(w.CheckBox4->Value());
    EXPECT_EQ(w.PopupMenu1->ListIndex(), 0);
    EXPECT_EQ(w.PopupMenu2->ListIndex(), 0);
    EXPECT_EQ(w.ProgressBar1->Maximum(), 100);
    EXPECT_EQ(w.ProgressBar1->Value(), 0);
    EXPECT_EQ(w.EditField5->Text(), "");
    EXPECT_EQ(w.ListBox1->ListCount(), 0);
    EXPECT_EQ(w.localListBox->ListCount(), 0);
    EXPECT_EQ(w.remoteListBox->ListCount(), 0);
    EXPECT_EQ(w.localListBox->ColumnCount(), 7);
    EXPECT_EQ(w.localListBox->Heading(0), "名前");
    EXPECT_EQ(w.remoteListBox->Heading(2), "修正日");
    EXPECT_EQ(w.ListBox1->Heading(0), "セットリスト");
    EXPECT_EQ(w.statusTimer.GetMode(), fw::Timer::kModeMultiple);
    EXPECT_EQ(w.Timer1.GetMode(), fw::Timer::kModeOff);
    EXPECT_EQ(w.Timer3.GetPeriod(), 50);
}

// Enlarged by 200 x 200: what is locked to the bottom moves down, what is locked to top and bottom
// grows, the log grows in width, and the resize handlers share the new width between the lists.
TEST_F(Window1LayoutTest, EnlargingMovesAndStretchesExactlyTheLockedControls) {
    Window1& w = Open();
    w.SetWidth(1000);
    w.SetHeight(800);
    ASSERT_TRUE(fw::RunEventLoopUntil(
        [&] { return w.localListBox->Height() == 614 && w.localListBox->Width() == 395; }, 5000));

    struct Moved {
        const char* name;
        int left, top, width, height;
    };
    const std::vector<Moved> after = {
        {"ListBox1", 0, 0, 210, 310},        {"Rectangle1", -1, 310, 211, 469},
        {"PagePanel1", 2, 315, 204, 460},    {"BevelButton3", 145, 752, 40, 20},
        {"localListBox", 210, 0, 395, 614},  {"remoteListBox", 605, 0, 395, 614},
        {"StaticText27", 360, 612, 95, 20},  {"StaticText28", 755, 612, 95, 20},
        {"Rectangle2", -1, 777, 211, 23},    {"BevelButton1", 5, 779, 22, 18},
        {"BevelButton2", 27, 779, 22, 18},   {"Rectangle3", 500, 635, 50, 165},
        {"Label4", 500, 692, 50, 37},        {"Rectangle4", 209, 635, 292, 165},
        {"ProgressBar1", 255, 690, 200, 18}, {"EditField5", 549, 635, 452, 165},
    };
    for (const Moved& m : after) {
        SCOPED_TRACE(m.name);
        fw::Control* c = w.ControlNamed(m.name);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->Left(), m.left);
        EXPECT_EQ(c->Top(), m.top);
        EXPECT_EQ(c->Width(), m.width);
        EXPECT_EQ(c->Height(), m.height);
    }
}

// With an odd width left for the lists, each gets half of it made whole and the remote list starts
// right after the local one.
TEST_F(Window1LayoutTest, AnOddSpareWidthNeverMakesTheListsOverlap) {
    Window1& w = Open();
    w.SetWidth(901);
    ASSERT_TRUE(fw::RunEventLoopUntil([&] { return w.localListBox->Width() == 345; }, 5000));
    EXPECT_EQ(w.remoteListBox->Width(), 345);
    EXPECT_EQ(w.remoteListBox->Left(), 555);
}

TEST_F(Window1LayoutTest, TheWindowCannotBeMadeSmallerThanItsDesignSize) {
    Window1& w = Open();
    w.SetWidth(500);
    w.SetHeight(300);
    fw::ProcessPendingEvents();
    EXPECT_EQ(w.Width(), 800);
    EXPECT_EQ(w.Height(), 600);
}

// Focus on the edit page: the profile name comes after the passive-mode box; the bevel buttons take
// none.
TEST_F(Window1LayoutTest, FocusMovesThroughTheEditPageInItsTabOrder) {
    Window1& w = Open();
    w.Show();
    w.PagePanel1->SetValue(PageEdit);
    const std::vector<fw::Control*> order = {w.EditField1, w.EditField2, w.EditField3, w.EditField4,
                                             w.EditField6, w.CheckBox2,  w.EditField7, w.CheckBox4,
                                             w.EditField8, w.PopupMenu1, w.PopupMenu2};
    order.front()->SetFocus();
    ASSERT_TRUE(fw::RunEventLoopUntil([&] { return order.front()->HasFocus(); }, 5000));
    for (size_t i = 1; i < order.size(); ++i) {
        SCOPED_TRACE(order[i]->Name());
        QWidget* focused = QApplication::focusWidget();
        ASSERT_NE(focused, nullptr);
        QTest::keyClick(focused, Qt::Key_Tab);
        EXPECT_TRUE(order[i]->HasFocus());
    }
    EXPECT_FALSE(w.BevelButton4->TakesFocus());
    EXPECT_FALSE(w.BevelButton5->TakesFocus());
}

}  // namespace
