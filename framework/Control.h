#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "EventDispatcher.h"

class QWidget;

namespace fw {

class Window;

// The edges a control keeps its distance to when its container changes size. Locked to two
// opposite edges, it stretches; locked to neither of a pair, it keeps its place on that axis.
enum ControlLock : int32_t {
    LockLeft = 1,
    LockTop = 2,
    LockRight = 4,
    LockBottom = 8,
};

// Where a control stands: its container (nullptr: the window itself) and, in a page panel, the
// page; its bounds in window coordinates (the content area's, below the menu bar and the
// toolbar), its locks and its place in the focus order among its siblings (-1: takes no focus).
struct ControlPlacement {
    class Control* container = nullptr;
    int32_t page = -1;
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t locks = 0;
    int32_t tab = -1;
};

// A control of a window: a visible element (text field, button, list ...) with the program's
// model of geometry, locks, containment, focus order and help tag. The window owns its controls
// (Window::AddControl); each lives exactly as long as the window.
//
// Events that come from the user arrive through the event dispatcher (a control is an event
// source); events that the program causes by setting a value are raised at once, the same way.
class Control : public EventSource {
public:
    ~Control() override;

    const std::string& Name() const { return name_; }
    Window& Owner() const { return window_; }

    // Puts the control into its container with its design-time bounds, locks and focus place.
    void Place(const ControlPlacement& placement);
    Control* Container() const { return container_; }
    int32_t Page() const { return page_; }

    // Bounds in window coordinates.
    int32_t Left() const;
    int32_t Top() const;
    int32_t Width() const;
    int32_t Height() const;
    void SetLeft(int32_t v);
    void SetTop(int32_t v);
    void SetWidth(int32_t v);
    void SetHeight(int32_t v);
    void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height);

    int32_t Locks() const { return locks_; }
    void SetLocks(int32_t locks) { locks_ = locks; }
    int32_t TabIndex() const { return tab_; }

    bool Enabled() const;
    virtual void SetEnabled(bool enabled);
    // The control's own visibility; a control on a page that is not shown keeps it.
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    // Whether the user can see it now: visible itself, and its container and page shown.
    bool Shown() const;

    // The tool tip; shown for disabled controls too.
    const std::string& HelpTag() const { return helpTag_; }
    void SetHelpTag(const std::string& text);

    // The system font at a size in points. The program's layouts were made where a point is a
    // pixel, so the size is applied in pixels.
    void SetTextFont(double points, bool bold = false, bool italic = false);
    double TextSize() const { return textSize_; }

    void SetFocus();
    bool HasFocus() const;
    // Whether this control can take the keyboard focus (by Tab or by a click).
    virtual bool TakesFocus() const;

    // Redraws the control.
    void Refresh();

    // Called once for each control, in creation order, as its window opens (before the window's
    // own Open); a control with an Open event raises it here.
    virtual void RaiseOpen() {}

    // The platform widget, for the layer and for tests.
    QWidget* Widget() const { return widget_; }
    // Where the controls placed into this one go (a container's inside; a page panel's page).
    virtual QWidget* ContentWidget(int32_t page) const;

    // Containers keep their direct controls, in creation order, and move and stretch them by
    // their locks when they change size.
    const std::vector<Control*>& Contained() const { return contained_; }

protected:
    Control(Window& window, std::string name, QWidget* widget);

private:
    Window& window_;
    std::string name_;
    QWidget* widget_;  // owned by its parent widget
    Control* container_ = nullptr;
    int32_t page_ = -1;
    int32_t locks_ = 0;
    int32_t tab_ = -1;
    bool visible_ = true;
    double textSize_ = 0;
    std::string helpTag_;
    std::vector<Control*> contained_;
};

}  // namespace fw
