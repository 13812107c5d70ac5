#include "ToolbarControl.h"

#include <cstdio>

#include "ToolbarItem.h"

namespace fw {

std::string ToolbarControl::Description() const {
    return DescriptionAs("ToolbarControl");
}

std::string ToolbarControl::DescriptionAs(const char* className) const {
    char text[128];
    std::snprintf(text, sizeof text, "<%s: %p>", className, static_cast<const void*>(this));
    return text;
}

bool ToolbarControl::IsSelected(int32_t /*segment*/) const {
    return false;
}

int32_t ToolbarControl::TagForSegment(int32_t /*segment*/) const {
    return 0;
}

void ToolbarControl::SetSelected(bool /*selected*/, int32_t /*segment*/) {}

std::string ToolbarControl::ImageName(int32_t /*segment*/) const {
    return {};
}

void ToolbarControl::Changed() {
    if (item_) item_->Refresh();
}

}  // namespace fw
