#pragma once

#include <memory>
#include <string>

#include "framework/MenuBar.h"

// The program's one menu bar, shared by the application and the main window: the File and the
// Edit menu. Its items carry no logic; each reaches its handler by name.
class MenuBar1 : public fw::MenuBar {
public:
    static MenuBar1* Instance();
    static void Release();  // at the clean-up after the event loop

private:
    MenuBar1() { Constructor(); }
    void Constructor();
    void Untitled0();  // the File menu
    void Untitled1();  // the Edit menu
    void AddItem(const std::string& menuName, std::unique_ptr<fw::MenuItem> item,
                 const std::string& name, const std::string& text, const char* shortcut);
};
