#pragma once

#include <memory>
#include <string>

#include "ToolbarControl.h"

class QAction;

namespace fw {

// One item of a toolbar: a button (an item whose view is a control) or a standard space. Items
// are made by the toolbar's delegate, or by the toolbar itself for the standard identifiers.
class ToolbarItem {
public:
    explicit ToolbarItem(std::string identifier);
    ToolbarItem(const ToolbarItem&) = delete;
    ToolbarItem& operator=(const ToolbarItem&) = delete;
    ~ToolbarItem();

    const std::string& Identifier() const { return identifier_; }

    // Shown under the picture on the bar.
    const std::string& Label() const { return label_; }
    void SetLabel(const std::string& label);
    // Shown in the customisation dialog.
    const std::string& PaletteLabel() const { return paletteLabel_; }
    void SetPaletteLabel(const std::string& label);
    const std::string& ToolTip() const { return toolTip_; }
    void SetToolTip(const std::string& text);

    // A disabled item is greyed and takes no clicks.
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);

    ToolbarControl* View() const { return view_.get(); }
    void SetView(std::unique_ptr<ToolbarControl> view);

    // A standard space or flexible space.
    bool IsSpace() const;

    // The platform action that stands for the item on a bar; made on first use. For the layer,
    // and for tests that look for the item's button.
    QAction* PlatformAction();

private:
    friend class Toolbar;
    friend class ToolbarControl;
    void Refresh();  // shows the item's state on its platform action

    std::string identifier_;
    std::string label_;
    std::string paletteLabel_;
    std::string toolTip_;
    bool enabled_ = true;
    std::unique_ptr<ToolbarControl> view_;
    QAction* action_ = nullptr;  // owned
};

}  // namespace fw
