#pragma once

// Drives a toolbar through its real widgets: its buttons, its context menu and its customisation
// dialog (answered from inside the modal host's loop).

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDialog>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/ModalHost.h"
#include "framework/Toolbar.h"
#include "framework/ToolbarItem.h"
#include "tests/support/EventWait.h"

namespace toolbartest {

inline QToolButton* ButtonOf(fw::Toolbar& toolbar, fw::ToolbarItem* item) {
    return qobject_cast<QToolButton*>(toolbar.Widget()->widgetForAction(item->PlatformAction()));
}

inline std::vector<std::string> Identifiers(const fw::Toolbar& toolbar) {
    std::vector<std::string> ids;
    for (fw::ToolbarItem* item : toolbar.VisibleItems()) ids.push_back(item->Identifier());
    return ids;
}

inline std::vector<std::string> Texts(const QListWidget* list) {
    std::vector<std::string> texts;
    for (int i = 0; i < list->count(); ++i) texts.push_back(list->item(i)->text().toStdString());
    return texts;
}

// The customisation dialog while it is up.
class CustomizationDialog {
public:
    explicit CustomizationDialog(QDialog* dialog) : dialog_(dialog) {}

    QListWidget* Palette() const { return dialog_->findChild<QListWidget*>("palette"); }
    QListWidget* Items() const { return dialog_->findChild<QListWidget*>("items"); }
    QPushButton* Button(const std::string& caption) const {
        for (QPushButton* b : dialog_->findChildren<QPushButton*>())
            if (b->text().toStdString() == caption) return b;
        ADD_FAILURE() << "no button " << caption;
        return nullptr;
    }
    // Picks an entry of the palette by its text, and one of the bar's items by its row.
    void ChoosePaletteEntry(const std::string& text) const {
        QList<QListWidgetItem*> found =
            Palette()->findItems(QString::fromStdString(text), Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << text;
        Palette()->setCurrentItem(found.front());
    }
    void ChooseItem(int row) const { Items()->setCurrentRow(row); }
    void Press(const std::string& caption) const {
        QPushButton* b = Button(caption);
        ASSERT_NE(b, nullptr);
        ASSERT_TRUE(b->isEnabled()) << caption;
        QTest::mouseClick(b, Qt::LeftButton);
    }
    void Add(const std::string& paletteText, int afterRow) const {
        ChoosePaletteEntry(paletteText);
        ChooseItem(afterRow);
        Press("追加");
    }
    void Remove(int row) const {
        ChooseItem(row);
        Press("削除");
    }

private:
    QDialog* dialog_;
};

// Opens the dialog from the bar's context menu, lets act work in it, then closes it with "完了".
// Answers whether the dialog was shown and closed.
inline bool Customize(fw::Toolbar& toolbar, std::function<void(const CustomizationDialog&)> act) {
    QToolBar* bar = toolbar.Widget();
    const QPoint at(bar->width() - 5, bar->height() / 2);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, bar->mapToGlobal(at));
    QApplication::sendEvent(bar, &event);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu || menu->actions().size() != 1) {
        ADD_FAILURE() << "the bar has no customisation menu";
        if (menu) menu->close();
        return false;
    }
    EXPECT_EQ(menu->actions().front()->text().toStdString(), "ツールバーをカスタマイズ…");

    auto done = std::make_shared<bool>(false);
    fw::ModalHost::ExpectStep([done, act](const fw::ModalPrompt& prompt) {
        EXPECT_EQ(prompt.title, "ツールバーのカスタマイズ");
        return fw::ModalAnswer{fw::ModalAnswer::Action::Custom, {}, [done, act](QDialog* d) {
                                   CustomizationDialog dialog(d);
                                   act(dialog);
                                   dialog.Press("完了");
                                   *done = true;
                               }};
    });
    QTest::mouseClick(menu, Qt::LeftButton, {},
                      menu->actionGeometry(menu->actions().front()).center());
    return testsupport::WaitUntil([&] { return *done && !fw::ModalHost::Active(); }, 5000);
}

}  // namespace toolbartest
