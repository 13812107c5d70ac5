#pragma once

#include <functional>
#include <map>
#include <string>

#include "EventDispatcher.h"

namespace fw {

class MenuBar;

// The application object: one per run. It owns the event loop and the one quit path, which the
// quit menu item (Ctrl+Q), the main window's close box and a session logout all take.
class Application : public EventSource {
public:
    Application();
    ~Application() override;

    static Application* Instance();

    // The menu bar shared by the application and its main window.
    void SetMenuBar(MenuBar* bar) { menuBar_ = bar; }
    MenuBar* GetMenuBar() const { return menuBar_; }

    // Binds the handler of a menu item by the item's name. Window handlers come first.
    void AddMenuHandler(const std::string& itemName, std::function<bool()> handler);
    bool HandleMenu(const std::string& itemName);

    // Raises Open, then calls initCallback (which opens the default window). Run does this and
    // then runs the event loop until the application quits, answering the exit status.
    void Start(const std::function<void()>& initCallback);
    int Run(const std::function<void()>& initCallback);

    // The quit path: every open window may cancel it in its CancelClose; then the application's
    // CancelClose runs, the windows close and the event loop ends. A quit requested while one is
    // already under way is ignored.
    void Quit();
    bool Quitting() const { return quitting_; }
    bool HasQuit() const { return quit_; }

protected:
    virtual void Event_Open() {}
    // Answer true to cancel the quit.
    virtual bool Event_CancelClose() { return false; }

private:
    MenuBar* menuBar_ = nullptr;
    std::map<std::string, std::function<bool()>> menuHandlers_;
    bool quitting_ = false;
    bool quit_ = false;
    bool inEventLoop_ = false;
};

// Creates the platform's application (Qt) once per process if nothing has yet. Safe to call again.
void EnsurePlatformApplication();

}  // namespace fw
