#pragma once

#include <cstdint>
#include <string>

namespace fw {

class Toolbar;
class ToolbarItem;

// The view of a toolbar item, and what a click on the item names as its sender. This plain
// control has no segments: a click on it carries no tag. The toolbar's buttons use the segmented
// control (ToolbarSegmentedControl).
class ToolbarControl {
public:
    ToolbarControl() = default;
    ToolbarControl(const ToolbarControl&) = delete;
    ToolbarControl& operator=(const ToolbarControl&) = delete;
    virtual ~ToolbarControl() = default;

    // A text that names the control's class and tells this control from others.
    virtual std::string Description() const;

    virtual int32_t SegmentCount() const { return 0; }
    // The selected segment, or -1 when none is selected.
    virtual int32_t SelectedSegment() const { return -1; }
    virtual bool IsSelected(int32_t segment) const;
    // A segment's tag; 0 for a segment that does not exist.
    virtual int32_t TagForSegment(int32_t segment) const;
    virtual void SetSelected(bool selected, int32_t segment);
    // The name of a segment's picture; empty when it has none.
    virtual std::string ImageName(int32_t segment) const;

protected:
    // What a click does to the control itself, before the click is sent on.
    virtual void TrackClick() {}
    // Shows a change of the control's state on the item that carries it.
    void Changed();
    // "<className: address>"
    std::string DescriptionAs(const char* className) const;

private:
    friend class Toolbar;
    friend class ToolbarItem;
    ToolbarItem* item_ = nullptr;  // the item whose view this is
};

}  // namespace fw
