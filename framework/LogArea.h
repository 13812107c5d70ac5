#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <utility>

#include "Control.h"
#include "PiecedText.h"

class QTimer;

namespace fw {

// A read-only pane for a log: lines come one after another, hundreds a second while a transfer
// runs. Text answers every byte appended at once; the pane shows what came within one batch
// interval as one addition, with one scroll and one repaint, since adding, scrolling and painting
// line by line costs more than the work the lines report. Line ends show as in a text area; long
// lines wrap at the pane's width; the view follows the end while it is there. A line longer than
// kShownLineBytes shows its beginning and, once it has ended, how many bytes are left out; lines
// appended as left out show, once what follows them has come, as one line saying how many bytes
// they hold. The text keeps every byte. Megabytes of lines within one interval are shown in
// additions of about kAdditionBytes, the event loop taking its turn between them.
class LogArea : public Control {
public:
    static constexpr int kBatchMs = 100;
    // Taking in a megabyte holds the pane for tens of milliseconds; this much, for a few.
    static constexpr size_t kAdditionBytes = 64 * 1024;
    // The pane lays out a line without blanks in time that grows with the square of its length; a
    // line of this many bytes takes a few milliseconds, and no reply a server means is as long.
    static constexpr size_t kShownLineBytes = 4096;

    LogArea(Window& window, std::string name);

    std::string Text() const { return text_.Joined(); }
    void SetText(const std::string& text);
    void AppendText(const std::string& text);
    // Whole lines, each with its line end, that the pane leaves out: a server's flood past what
    // is worth reading. Those appended one after another are left out as one.
    void AppendLeftOut(const std::string& text);
    // Brings the end into view, with the batch on its way when there is one.
    void ScrollToEnd();

private:
    void ShowPending();
    // Whether the pane has more to take in now: text up to the end, or up to left-out lines that
    // something has followed.
    bool MoreToShow() const;
    // What the pane shows of text that follows what it shows already: of added, the whole lines
    // up to where what is shown reaches maxShown bytes (all of it when they do not), their count
    // of bytes left in taken.
    std::string Shown(std::string_view added, size_t maxShown, size_t& taken);

    PiecedText text_;   // kept in pieces: a flood's megabytes are never moved
    size_t shown_ = 0;  // bytes of text_ that the pane has taken in
    // The stretches of text_ left out of the pane, [first, second), from shown_ on.
    std::deque<std::pair<size_t, size_t>> leftOut_;
    // The line the pane shows last, still open: its bytes so far, those shown, and whether the
    // rest is left out.
    size_t lineBytes_ = 0;
    size_t lineShownBytes_ = 0;
    bool lineCut_ = false;
    bool scrollPending_ = false;
    QTimer* batch_ = nullptr;
};

}  // namespace fw
