#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Control.h"
#include "EventDispatcher.h"

class QWidget;

namespace fw {

class MenuBar;

// A window of the program. It is built in a fixed order by Build: Layout (window properties),
// CreateControls (then the focus order of its controls is set), AddMenuHandlers, then it opens:
// it is registered as open, its Open event runs and it is shown when Visible.
//
// In a dialog window Return presses the push button marked default and Escape the one marked
// cancel; no other button answers either key. The window manager's close box counts as the cancel
// button; without one, a modal dialog stays open and a modeless one closes as any window does.
class Window : public EventSource {
public:
    enum class Kind { Document, ModelessDialog, ModalDialog };

    explicit Window(Kind kind = Kind::Document);
    ~Window() override;

    // Builds and opens the window (see above). Call once, right after construction.
    void Build();

    // The open window of class T (hidden or not), or nullptr.
    template <class T>
    static T* FindOpen() {
        for (Window* w : OpenWindows())
            if (auto* t = dynamic_cast<T*>(w)) return t;
        return nullptr;
    }
    // Open windows, in the order they were opened.
    static std::vector<Window*> OpenWindows();
    static Window* Frontmost();

    int32_t Left() const;
    int32_t Top() const;
    int32_t Width() const;
    int32_t Height() const;
    void SetLeft(int32_t v);
    void SetTop(int32_t v);
    void SetWidth(int32_t v);
    void SetHeight(int32_t v);
    void SetMinimumSize(int32_t w, int32_t h);
    void SetMaximumSize(int32_t w, int32_t h);
    void SetResizable(bool r);
    void SetTitle(const std::string& title);
    std::string Title() const;
    void SetVisibleOnOpen(bool v) { visibleOnOpen_ = v; }
    void CenterOnScreen();

    void Show();
    void Hide();
    bool Visible() const;
    // Closes and destroys the window: Close runs, the window leaves the open windows and is
    // deleted once the current event has been handled.
    void Close();
    // The user's close box: CancelClose may keep the window open. A window that quits the
    // application when closed takes the quit path instead.
    void RequestClose();
    void SetClosingQuitsApp(bool q) { closingQuitsApp_ = q; }
    bool ClosingQuitsApp() const { return closingQuitsApp_; }
    bool IsClosed() const { return closed_; }
    // Built and not closed: its window events reach the program.
    bool IsOpen() const { return opened_ && !closed_; }

    // Shows the window modally through the modal host, application-modal; returns when it is
    // hidden or closed. A dialog window only; a document window is just shown.
    virtual void ShowModal();
    // The same, modal to parent only (a sheet); without a parent, application-modal.
    void ShowModalWithin(Window* parent);
    // Whether the window is running modally now.
    bool InModal() const { return modalRuns_ > 0; }

    void SetMenuBar(MenuBar* bar);
    MenuBar* GetMenuBar() const { return menuBar_; }
    void AddMenuHandler(const std::string& itemName, std::function<bool()> handler);
    bool HandleMenu(const std::string& itemName);

    // The window's platform widget (its content area), for the layer's controls.
    QWidget* Widget() const;

    // Controls, owned by the window and destroyed with it, in creation order. Each is created
    // into the window's content area; Place puts it where it belongs.
    template <class T, class... Args>
    T* AddControl(const std::string& name, Args&&... args) {
        auto control = std::make_unique<T>(*this, name, std::forward<Args>(args)...);
        T* raw = control.get();
        controls_.push_back(std::move(control));
        return raw;
    }
    Control* ControlNamed(const std::string& name) const;
    const std::vector<std::unique_ptr<Control>>& Controls() const { return controls_; }

    // Window events, for the subclass.
    virtual void Layout() {}
    virtual void CreateControls() {}
    virtual void AddMenuHandlers() {}
    virtual void Event_Open() {}
    virtual void Event_Close() {}
    // Answer true to keep the window open. appQuitting: the application is quitting.
    virtual bool Event_CancelClose(bool appQuitting) {
        (void)appQuitting;
        return false;
    }
    virtual void Event_Moved() {}
    virtual void Event_Resized() {}
    virtual void Event_Resizing() {}
    virtual void Event_EnableMenuItems() {}
    // Answer true to receive the rest of the click's mouse events.
    virtual bool Event_MouseDown(int32_t x, int32_t y) {
        (void)x;
        (void)y;
        return false;
    }

    struct Impl;

private:
    void RunModal(Window* parent);
    void DeleteWhenIdle(int delayMs = 0);
    bool HandlerRunning() const;
    void ApplyTabOrder();
    friend struct Impl;
    std::unique_ptr<Impl> d;
    Kind kind_;
    MenuBar* menuBar_ = nullptr;
    std::map<std::string, std::function<bool()>> menuHandlers_;
    std::vector<std::unique_ptr<Control>> controls_;
    bool visibleOnOpen_ = true;
    bool closingQuitsApp_ = false;
    bool built_ = false;
    bool opened_ = false;
    bool closed_ = false;
    int modalRuns_ = 0;
};

}  // namespace fw
