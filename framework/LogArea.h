#pragma once

#include <string>

#include "Control.h"

class QTimer;

namespace fw {

// A read-only pane for a log: lines come one after another, hundreds a second while a transfer
// runs. Text answers every byte appended at once; the pane shows what came within one batch
// interval as one addition, with one scroll and one repaint, since adding, scrolling and painting
// line by line costs more than the work the lines report. Line ends show as in a text area; long
// lines wrap at the pane's width; the view follows the end while it is there.
class LogArea : public Control {
public:
    static constexpr int kBatchMs = 100;

    LogArea(Window& window, std::string name);

    const std::string& Text() const { return text_; }
    void SetText(const std::string& text);
    void AppendText(const std::string& text);
    // Brings the end into view, with the batch on its way when there is one.
    void ScrollToEnd();

private:
    void ShowPending();

    std::string text_;
    size_t shown_ = 0;  // bytes of text_ that the pane shows
    bool scrollPending_ = false;
    QTimer* batch_ = nullptr;
};

}  // namespace fw
