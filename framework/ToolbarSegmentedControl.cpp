#include "ToolbarSegmentedControl.h"

namespace fw {

ToolbarSegmentedControl::ToolbarSegmentedControl(int32_t width, int32_t height)
    : width_(width), height_(height) {}

std::string ToolbarSegmentedControl::Description() const {
    return DescriptionAs("ToolbarSegmentedControl");
}

int32_t ToolbarSegmentedControl::SelectedSegment() const {
    return selected_ ? 0 : -1;
}

bool ToolbarSegmentedControl::IsSelected(int32_t segment) const {
    return Exists(segment) && selected_;
}

int32_t ToolbarSegmentedControl::TagForSegment(int32_t segment) const {
    return Exists(segment) ? tag_ : 0;
}

void ToolbarSegmentedControl::SetSelected(bool selected, int32_t segment) {
    if (!Exists(segment) || selected_ == selected) return;
    selected_ = selected;
    Changed();
}

std::string ToolbarSegmentedControl::ImageName(int32_t segment) const {
    return Exists(segment) ? imageName_ : std::string();
}

void ToolbarSegmentedControl::SetTag(int32_t tag, int32_t segment) {
    if (Exists(segment)) tag_ = tag;
}

void ToolbarSegmentedControl::SetImage(const std::string& imageName, int32_t segment) {
    if (!Exists(segment)) return;
    imageName_ = imageName;
    Changed();
}

// A click selects the segment and leaves it so; the click's handler clears it.
void ToolbarSegmentedControl::TrackClick() {
    selected_ = true;
    Changed();
}

}  // namespace fw
