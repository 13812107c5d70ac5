#include "MenuBar.h"

#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTextEdit>

#include "Application.h"
#include "EventDispatcher.h"
#include "PlatformInternal.h"
#include "Window.h"

namespace fw {

void MenuItem::Append(std::unique_ptr<MenuItem> item) {
    children_.push_back(std::move(item));
}

MenuItem* MenuItem::Child(const std::string& name) const {
    for (const auto& c : children_)
        if (c->Name == name) return c.get();
    return nullptr;
}

MenuItem* MenuItem::Find(const std::string& name) {
    if (Name == name) return this;
    for (const auto& c : children_)
        if (MenuItem* found = c->Find(name)) return found;
    return nullptr;
}

namespace {

EventSource& MenuCommands() {
    static EventSource source;
    return source;
}

QString ShortcutText(const std::string& shortcut) {
    // The program writes the command modifier as "Cmd"; here it is Ctrl.
    QString s = ToQString(shortcut);
    s.replace("Cmd", "Ctrl");
    return s;
}

// The standard editing commands act on the focused text field.
bool EditFocusedText(const std::string& name) {
    QWidget* focus = QApplication::focusWidget();
    if (auto* line = qobject_cast<QLineEdit*>(focus)) {
        if (name == "EditUndo")
            line->undo();
        else if (name == "EditRedo")
            line->redo();
        else if (name == "EditCut")
            line->cut();
        else if (name == "EditCopy")
            line->copy();
        else if (name == "EditPaste")
            line->paste();
        else if (name == "EditClear")
            line->del();
        else if (name == "EditSelectAll")
            line->selectAll();
        else
            return false;
        return true;
    }
    auto apply = [&name](auto* edit) {
        if (name == "EditUndo")
            edit->undo();
        else if (name == "EditRedo")
            edit->redo();
        else if (name == "EditCut")
            edit->cut();
        else if (name == "EditCopy")
            edit->copy();
        else if (name == "EditPaste")
            edit->paste();
        else if (name == "EditClear")
            edit->textCursor().removeSelectedText();
        else if (name == "EditSelectAll")
            edit->selectAll();
        else
            return false;
        return true;
    };
    if (auto* text = qobject_cast<QTextEdit*>(focus)) return apply(text);
    if (auto* plain = qobject_cast<QPlainTextEdit*>(focus)) return apply(plain);
    return false;
}

void AddItems(MenuItem* model, QMenu* menu) {
    for (int i = 0; i < model->Count(); ++i) {
        MenuItem* item = model->Item(i);
        if (!item->Visible) continue;
        if (item->IsSeparator()) {
            menu->addSeparator();
            continue;
        }
        if (item->Count() > 0) {
            AddItems(item, menu->addMenu(ToQString(item->Text)));
            continue;
        }
        QAction* action = menu->addAction(ToQString(item->Text));
        action->setObjectName(ToQString(item->Name));
        if (!item->KeyboardShortcut.empty()) {
            action->setShortcut(QKeySequence(ShortcutText(item->KeyboardShortcut)));
            action->setShortcutContext(Qt::ApplicationShortcut);
        }
        std::string name = item->Name;
        QObject::connect(action, &QAction::triggered, action, [name] { ChooseMenuItem(name); });
    }
    // Before a menu opens, the front window may enable its items.
    QObject::connect(menu, &QMenu::aboutToShow, menu, [model, menu] {
        if (Window* front = Window::Frontmost())
            RunGuarded([front] { front->Event_EnableMenuItems(); });
        for (QAction* a : menu->actions()) {
            if (a->objectName().isEmpty()) continue;
            if (MenuItem* item = model->Find(FromQString(a->objectName())))
                a->setEnabled(item->AutoEnable || item->Enabled);
        }
    });
}

}  // namespace

QMenuBar* BuildPlatformMenuBar(MenuBar* model, QWidget* parent) {
    auto* bar = new QMenuBar(parent);
    for (int i = 0; i < model->Count(); ++i) {
        MenuItem* menuModel = model->Item(i);
        if (!menuModel->Visible) continue;
        QMenu* menu = bar->addMenu(ToQString(menuModel->Text));
        menu->setObjectName(ToQString(menuModel->Name));
        AddItems(menuModel, menu);
    }
    return bar;
}

void ChooseMenuItem(const std::string& name) {
    MenuCommands().Deliver([name] {
        if (Window* front = Window::Frontmost(); front && front->HandleMenu(name)) return;
        Application* app = Application::Instance();
        if (app && app->HandleMenu(name)) return;
        MenuBar* bar = app ? app->GetMenuBar() : nullptr;
        MenuItem* item = bar ? bar->Find(name) : nullptr;
        if (item && item->GetRole() == MenuItem::Role::Quit) {
            app->Quit();
            return;
        }
        EditFocusedText(name);
    });
}

}  // namespace fw
