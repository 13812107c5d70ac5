#pragma once

// The main window as the program opens it, over a private settings folder, and the clicks and keys
// a user gives the profile list and the profile panel: rows clicked in the list's real view,
// buttons clicked, text typed into the fields, boxes ticked, pop-ups chosen.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <filesystem>
#include <string>
#include <vector>

#include "framework/BevelButton.h"
#include "framework/EventLoop.h"
#include "framework/ListBoxView.h"
#include "framework/ModalHost.h"
#include "framework/Toolbar.h"
#include "framework/ToolbarItem.h"
#include "mainwindow/Window1.h"
#include "tests/framework/ToolbarDriver.h"
#include "tests/shell/ShellTestFixture.h"
#include "tests/support/ToolbarButtons.h"

namespace profiletest {

namespace fs = std::filesystem;

class ProfileWindowTest : public shelltest::ShellTest {
protected:
    // A local folder that exists, under the test's own root.
    static std::string ExistingFolder(const std::string& name) {
        const std::string path = std::string(getenv("QUILLOMAR_TEST_ROOT")) + "/" + name + "/";
        fs::create_directories(path);
        return path;
    }

    // A profile whose local folder exists, so that selecting it shows no message.
    static Dataset LiveProfile(const std::string& name, const std::string& pass = "secret") {
        Dataset d = shelltest::Profile(name, pass);
        d.Path = ExistingFolder(name);
        return d;
    }

    // Starts the program with these profiles in "dataset2", as an earlier run left them.
    Window1& StartWith(const std::vector<Dataset>& profiles) {
        Put("pref2", shelltest::PrefFile(50, shelltest::DefaultPrefs()));
        NewApp();
        gDatasets = profiles;
        app().SaveSet2();
        EndRun();
        StartApp();
        Window1* w = MainWindow();
        EXPECT_NE(w, nullptr);
        EXPECT_TRUE(fw::RunEventLoopUntil([w] { return w->Widget()->isVisible(); }, 5000));
        return *w;
    }

    // --- The profile list

    static fw::ListBoxView* View(fw::ListBox* list) {
        return static_cast<fw::ListBoxView*>(list->Widget());
    }
    static QPoint RowCenter(fw::ListBox* list, int32_t row) {
        fw::ListBoxView* view = View(list);
        EXPECT_TRUE(fw::RunEventLoopUntil([view] { return view->InSync(); }, 5000));
        return view->visualRect(view->model()->index(row, 0)).center();
    }
    // A point of the list's empty area, below its last row.
    static QPoint BelowTheRows(fw::ListBox* list) {
        fw::ListBoxView* view = View(list);
        return {view->viewport()->width() / 2, view->viewport()->height() - 3};
    }
    static void ClickRow(fw::ListBox* list, int32_t row) {
        QTest::mouseClick(View(list)->viewport(), Qt::LeftButton, {}, RowCenter(list, row));
        fw::ProcessPendingEvents();
    }
    static void ClickBelowTheRows(fw::ListBox* list) {
        QTest::mouseClick(View(list)->viewport(), Qt::LeftButton, {}, BelowTheRows(list));
        fw::ProcessPendingEvents();
    }
    // As the platform sends it: a click, then the second press as a double click.
    static void DoubleClickAt(fw::ListBox* list, const QPoint& at) {
        QTest::mouseClick(View(list)->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(View(list)->viewport(), Qt::LeftButton, {}, at);
        fw::ProcessPendingEvents();
    }
    // The rows as names and the hidden profile indexes.
    static std::vector<std::pair<std::string, std::string>> Rows(fw::ListBox* list) {
        std::vector<std::pair<std::string, std::string>> rows;
        for (int32_t r = 0; r < list->ListCount(); ++r)
            rows.emplace_back(list->Cell(r, 0), list->Cell(r, 1));
        return rows;
    }

    // --- The panel's controls

    static void Click(fw::Control* control) {
        ASSERT_TRUE(control->Shown()) << control->Name() << " is not shown";
        ASSERT_TRUE(control->Enabled()) << control->Name() << " is disabled";
        QTest::mouseClick(control->Widget(), Qt::LeftButton);
        fw::ProcessPendingEvents();
    }
    // Types as the user does: the text replaces what the field holds, through its own filters.
    static void Type(fw::TextField* field, const std::string& text) {
        ASSERT_TRUE(field->Shown()) << field->Name() << " is not shown";
        auto* edit = qobject_cast<QLineEdit*>(field->Widget());
        ASSERT_NE(edit, nullptr);
        edit->setFocus(Qt::OtherFocusReason);
        edit->selectAll();
        edit->insert(QString::fromStdString(text));
        fw::ProcessPendingEvents();
    }
    static void Choose(fw::PopupMenu* menu, int index) {
        ASSERT_TRUE(menu->Shown()) << menu->Name() << " is not shown";
        auto* combo = qobject_cast<QComboBox*>(menu->Widget());
        ASSERT_NE(combo, nullptr);
        combo->setFocus(Qt::OtherFocusReason);
        while (combo->currentIndex() < index) QTest::keyClick(combo, Qt::Key_Down);
        while (combo->currentIndex() > index) QTest::keyClick(combo, Qt::Key_Up);
        fw::ProcessPendingEvents();
    }
    static void SetTicked(fw::CheckBox* box, bool ticked) {
        if (box->Value() != ticked) Click(box);
    }

    // Fills the edit page with a profile as a user does, the local folder through "選択...";
    // zone: whether to tick the time-zone correction and type the profile's hours.
    static void FillIn(Window1& w, const Dataset& d, bool zone) {
        Type(w.EditField7, d.Name);
        Type(w.EditField1, d.Adrs);
        Type(w.EditField2, d.User);
        Type(w.EditField3, d.Pass);
        Type(w.EditField4, d.rDir);
        SetTicked(w.CheckBox2, d.Pasv == "yes");
        Choose(w.PopupMenu1, d.Mode == "sync" ? 1 : 0);
        Choose(w.PopupMenu2, d.EOL == "win" ? 1 : d.EOL == "mac" ? 2 : 0);
        SetTicked(w.CheckBox4, zone);
        if (zone) Type(w.EditField8, d.Zone);
        fw::ModalHost::Expect(fw::ModalAnswer::Choose(d.Path));
        Click(w.BevelButton4);
    }

    // --- The toolbar

    static bool ConnectEnabled(Window1& w) {
        fw::ToolbarItem* button = testsupport::ToolbarButton(w, TagConnect);
        EXPECT_NE(button, nullptr) << "no Connect button";
        return button && button->Enabled();
    }
    static void ClickToolbarButton(Window1& w, int32_t tag) {
        fw::ToolbarItem* button = testsupport::ToolbarButton(w, tag);
        ASSERT_NE(button, nullptr) << tag;
        QTest::mouseClick(toolbartest::ButtonOf(*fw::Toolbar::Of(w), button), Qt::LeftButton);
        fw::ProcessPendingEvents();
    }

    static void ExpectMessage(const fw::ModalPrompt& p, const std::string& message) {
        EXPECT_EQ(p.kind, "message");
        EXPECT_EQ(p.message, message);
    }
    static constexpr const char* kMissingFolder =
        "ローカルフォルダが見つかりません。再指定して下さい。";
};

}  // namespace profiletest
