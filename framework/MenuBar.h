#pragma once

#include <memory>
#include <string>
#include <vector>

namespace fw {

// A menu item of the program's model. Items are found by Name; Text is the caption ("-" makes a
// separator). KeyboardShortcut uses "Cmd" for the command modifier ("Cmd+Shift+S"), which is
// Ctrl here.
class MenuItem {
public:
    enum class Role { Normal, Quit, Preferences, About };

    explicit MenuItem(Role role = Role::Normal) : role_(role) {}
    virtual ~MenuItem() = default;

    std::string Name;
    std::string Text;
    std::string KeyboardShortcut;
    bool AutoEnable = true;
    bool Visible = true;
    bool Enabled = true;

    Role GetRole() const { return role_; }
    bool IsSeparator() const { return Text == "-"; }

    // Adds an item at the end of this menu; the menu owns it.
    void Append(std::unique_ptr<MenuItem> item);
    // The direct child with this name, or nullptr.
    MenuItem* Child(const std::string& name) const;
    int Count() const { return static_cast<int>(children_.size()); }
    MenuItem* Item(int index) const { return children_.at(index).get(); }
    // This item or any item below it with this name, or nullptr.
    MenuItem* Find(const std::string& name);

private:
    Role role_;
    std::vector<std::unique_ptr<MenuItem>> children_;
};

// The special items of the application menu.
class QuitMenuItem : public MenuItem {
public:
    QuitMenuItem() : MenuItem(Role::Quit) {}
};
class PrefsMenuItem : public MenuItem {
public:
    PrefsMenuItem() : MenuItem(Role::Preferences) {}
};
class AppleMenuItem : public MenuItem {
public:
    AppleMenuItem() : MenuItem(Role::About) {}
};

// The menu bar: its children are the menus.
class MenuBar : public MenuItem {
public:
    MenuBar() = default;
};

// What choosing an item does: the front window's handler of that name, else the application's;
// without a handler the quit item quits and the Edit items act on the focused text field.
void ChooseMenuItem(const std::string& name);

}  // namespace fw
