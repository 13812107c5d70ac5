#include "TextArea.h"

#include "FollowingTextView.h"
#include "PlatformInternal.h"

namespace fw {

namespace {

FollowingTextView* Platform(const TextArea& a) {
    return static_cast<FollowingTextView*>(a.Widget());
}

}  // namespace

TextArea::TextArea(Window& window, std::string name)
    : Control(window, std::move(name), new FollowingTextView) {
    FollowingTextView* edit = Platform(*this);
    SetTextFont(12);
    QObject::connect(edit, &QPlainTextEdit::textChanged, edit, [this] {
        FollowingTextView* edit = Platform(*this);
        if (edit->programChange) return;
        // Typed by the user: the text takes the platform's line ends.
        text_ = FromQString(edit->toPlainText());
        Deliver([this] {
            if (TextChange) TextChange(*this);
        });
    });
}

void TextArea::SetText(const std::string& text) {
    text_ = text;
    Platform(*this)->ShowText(DisplayText(text));
}

void TextArea::AppendText(const std::string& text) {
    if (text.empty()) return;
    // A CR at the end and an LF at the start of what follows are one line break.
    const bool joinsLineEnd = !text_.empty() && text_.back() == '\r' && text.front() == '\n';
    text_ += text;
    Platform(*this)->AppendShown(DisplayText(std::string_view(text).substr(joinsLineEnd ? 1 : 0)));
}

void TextArea::SetReadOnly(bool readOnly) {
    Platform(*this)->setReadOnly(readOnly);
}

bool TextArea::ReadOnly() const {
    return Platform(*this)->isReadOnly();
}

void TextArea::SetScrollBars(bool vertical, bool horizontal) {
    FollowingTextView* edit = Platform(*this);
    edit->setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    edit->setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    // Without a horizontal scroll bar long lines wrap at the area's width.
    edit->setLineWrapMode(horizontal ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
}

void TextArea::ScrollToEnd() {
    Platform(*this)->ScrollToEnd();
}

}  // namespace fw
