#include "LogArea.h"

#include <QTimer>

#include "FollowingTextView.h"

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
    Platform(*this)->ShowText(DisplayText(text));
}

void LogArea::AppendText(const std::string& text) {
    if (text.empty()) return;
    text_ += text;
    if (!batch_->isActive()) batch_->start();
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
    view->AppendShown(DisplayText(std::string_view(text_).substr(from)));
    shown_ = text_.size();
    if (scrollPending_) view->ScrollToEnd();
    scrollPending_ = false;
}

}  // namespace fw
