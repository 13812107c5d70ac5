#pragma once

#include <cstdint>
#include <functional>

#include "Control.h"

namespace fw {

// A panel of pages, one shown at a time. A control placed on a page (ControlPlacement::page) is
// shown only while its page is the current one.
class PagePanel : public Control {
public:
    PagePanel(Window& window, std::string name);

    void SetPanelCount(int32_t count);
    int32_t PanelCount() const;
    int32_t Value() const { return value_; }  // the current page
    // Raises Change when the page changes.
    void SetValue(int32_t page);

    QWidget* ContentWidget(int32_t page) const override;

    std::function<void(PagePanel&)> Change;

private:
    int32_t value_ = 0;
};

}  // namespace fw
