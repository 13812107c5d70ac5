#pragma once

#include <cstdint>
#include <string>

#include "ToolbarControl.h"

namespace fw {

// A one-segment control, the view of a toolbar button. Segment 0 carries the button's picture,
// its integer tag and a selected state; a click leaves segment 0 selected, and whoever handles the
// click clears it again.
class ToolbarSegmentedControl : public ToolbarControl {
public:
    // The control's size in pixels: the button is at least this wide.
    ToolbarSegmentedControl(int32_t width, int32_t height);

    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }

    std::string Description() const override;
    int32_t SegmentCount() const override { return 1; }
    int32_t SelectedSegment() const override;
    bool IsSelected(int32_t segment) const override;
    int32_t TagForSegment(int32_t segment) const override;
    void SetSelected(bool selected, int32_t segment) override;
    std::string ImageName(int32_t segment) const override;

    void SetTag(int32_t tag, int32_t segment);
    // The picture by its name; a name without a picture leaves the segment without one.
    void SetImage(const std::string& imageName, int32_t segment);

protected:
    void TrackClick() override;

private:
    static bool Exists(int32_t segment) { return segment == 0; }
    int32_t width_;
    int32_t height_;
    int32_t tag_ = 0;
    bool selected_ = false;
    std::string imageName_;
};

}  // namespace fw
