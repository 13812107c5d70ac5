#include "LogArea.h"

#include <QTimer>
#include <limits>

#include "FollowingTextView.h"
#include "PlatformInternal.h"
#include "Strings.h"

namespace fw {

namespace {

FollowingTextView* Platform(const LogArea& a) {
    return static_cast<FollowingTextView*>(a.Widget());
}

}  // namespace

LogArea::LogArea(Window& window, std::string name)
    : Control(window, std::move(name), new FollowingTextView) {
    FollowingTextView* view = Platform(*this);
    view->setReadOnly(true);
    view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    SetTextFont(12);
    batch_ = new QTimer(view);
    batch_->setSingleShot(true);
    batch_->setInterval(kBatchMs);
    QObject::connect(batch_, &QTimer::timeout, view, [this] { ShowPending(); });
}

void LogArea::SetText(const std::string& text) {
    batch_->stop();
    text_.Clear();
    text_.Append(text);
    shown_ = text_.Size();
    leftOut_.clear();
    scrollPending_ = false;
    lineBytes_ = lineShownBytes_ = 0;
    lineCut_ = false;
    size_t taken = 0;
    Platform(*this)->ShowText(ToQString(Shown(text, std::numeric_limits<size_t>::max(), taken)));
}

void LogArea::AppendText(const std::string& text) {
    if (text.empty()) return;
    text_.Append(text);
    if (!batch_->isActive()) batch_->start(kBatchMs);
}

void LogArea::AppendLeftOut(const std::string& text) {
    if (text.empty()) return;
    if (leftOut_.empty() || leftOut_.back().second != text_.Size())
        leftOut_.emplace_back(text_.Size(), text_.Size());
    text_.Append(text);
    leftOut_.back().second = text_.Size();
    // Nothing to show until something follows.
}

void LogArea::ScrollToEnd() {
    if (batch_->isActive()) {
        scrollPending_ = true;
        return;
    }
    Platform(*this)->ScrollToEnd();
}

bool LogArea::MoreToShow() const {
    const bool atOpenLeftOut = !leftOut_.empty() && leftOut_.front().first == shown_ &&
                               leftOut_.front().second == text_.Size();
    return shown_ < text_.Size() && !atOpenLeftOut;
}

void LogArea::ShowPending() {
    std::string shown;
    while (shown.size() < kAdditionBytes && MoreToShow()) {
        if (!leftOut_.empty() && leftOut_.front().first == shown_) {
            const auto [begin, end] = leftOut_.front();
            leftOut_.pop_front();
            shown += LeftOutMarker(end - begin) + "\n";
            shown_ = end;
            continue;
        }
        // A CR shown last and an LF that follows it are one line break.
        if (shown_ > 0 && text_.At(shown_ - 1) == '\r' && text_.At(shown_) == '\n') {
            ++shown_;
            continue;
        }
        const size_t upTo = leftOut_.empty() ? text_.Size() : leftOut_.front().first;
        size_t taken = 0;
        shown += Shown(text_.Stretch(shown_, upTo), kAdditionBytes - shown.size(), taken);
        shown_ += taken;
    }
    FollowingTextView* view = Platform(*this);
    view->AppendShown(ToQString(shown));
    if (scrollPending_) view->ScrollToEnd();
    if (MoreToShow()) {  // the rest once the loop has had its turn
        batch_->start(0);
        return;
    }
    scrollPending_ = false;
}

std::string LogArea::Shown(std::string_view added, size_t maxShown, size_t& taken) {
    std::string shown;
    size_t at = 0;
    while (at < added.size() && shown.size() < maxShown) {
        const size_t end = added.find_first_of("\r\n", at);
        const std::string_view piece = added.substr(at, end == added.npos ? added.npos : end - at);
        if (!lineCut_) {
            const size_t room = kShownLineBytes - lineShownBytes_;
            if (piece.size() <= room) {
                shown += piece;
                lineShownBytes_ += piece.size();
            } else {  // cut where a character begins
                const std::string kept = TruncateUtf8(std::string(piece.substr(0, room + 1)), room);
                shown += kept;
                lineShownBytes_ += kept.size();
                lineCut_ = true;
            }
        }
        lineBytes_ += piece.size();
        if (end == added.npos) {  // the line goes on in what comes next
            at = added.size();
            break;
        }
        if (lineCut_) shown += LeftOutMarker(lineBytes_ - lineShownBytes_);
        shown += '\n';
        lineBytes_ = lineShownBytes_ = 0;
        lineCut_ = false;
        at = end + 1;
        if (added[end] == '\r' && at < added.size() && added[at] == '\n') ++at;  // CR LF
    }
    taken = at;
    return shown;
}

}  // namespace fw
