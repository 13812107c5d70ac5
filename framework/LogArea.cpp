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
    text_ = text;
    shown_ = text_.size();
    scrollPending_ = false;
    lineBytes_ = lineShownBytes_ = 0;
    lineCut_ = false;
    size_t taken = 0;
    Platform(*this)->ShowText(Shown(text_, std::numeric_limits<size_t>::max(), taken));
}

void LogArea::AppendText(const std::string& text) {
    if (text.empty()) return;
    text_ += text;
    if (!batch_->isActive()) batch_->start(kBatchMs);
}

void LogArea::ScrollToEnd() {
    if (batch_->isActive()) {
        scrollPending_ = true;
        return;
    }
    Platform(*this)->ScrollToEnd();
}

void LogArea::ShowPending() {
    // A CR shown last and an LF that follows it are one line break.
    size_t from = shown_;
    if (from > 0 && from < text_.size() && text_[from - 1] == '\r' && text_[from] == '\n') ++from;
    FollowingTextView* view = Platform(*this);
    size_t taken = 0;
    view->AppendShown(Shown(std::string_view(text_).substr(from), kAdditionBytes, taken));
    shown_ = from + taken;
    if (scrollPending_) view->ScrollToEnd();
    if (shown_ < text_.size()) {  // the rest once the loop has had its turn
        batch_->start(0);
        return;
    }
    scrollPending_ = false;
}

QString LogArea::Shown(std::string_view added, size_t maxShown, size_t& taken) {
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
    return ToQString(shown);
}

}  // namespace fw
