#include "TextArea.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>

#include "PlatformInternal.h"

namespace fw {

namespace {

// The text as shown: CR LF, CR and LF each break the line.
QString DisplayText(const std::string& text) {
    QString shown = ToQString(text);
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(u'\r', u'\n');
    return shown;
}

// Holds the view at the end while it is there: when the text changes (or the area changes size)
// and the view was at the end, it stays at the end; once the user scrolls up, it stays put.
class TextAreaWidget : public QPlainTextEdit {
public:
    TextAreaWidget() {
        QScrollBar* bar = verticalScrollBar();
        QObject::connect(bar, &QScrollBar::valueChanged, this,
                         [this, bar](int value) { atEnd = value >= bar->maximum(); });
        QObject::connect(bar, &QScrollBar::rangeChanged, this, [this, bar](int, int max) {
            if (atEnd) bar->setValue(max);
        });
    }

    bool atEnd = true;
    bool programChange = false;  // the program changes the text, not the user
};

TextAreaWidget* Platform(const TextArea& a) {
    return static_cast<TextAreaWidget*>(a.Widget());
}

}  // namespace

TextArea::TextArea(Window& window, std::string name)
    : Control(window, std::move(name), new TextAreaWidget) {
    TextAreaWidget* edit = Platform(*this);
    edit->setTabChangesFocus(true);
    edit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    edit->setUndoRedoEnabled(false);
    // The selection shows only while the window is active.
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight,
                     palette.color(QPalette::Inactive, QPalette::Base));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Inactive, QPalette::Text));
    edit->setPalette(palette);
    SetTextFont(12);
    QObject::connect(edit, &QPlainTextEdit::textChanged, edit, [this] {
        TextAreaWidget* edit = Platform(*this);
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
    TextAreaWidget* edit = Platform(*this);
    const bool wasAtEnd = edit->atEnd;
    edit->programChange = true;
    edit->setPlainText(DisplayText(text));
    edit->programChange = false;
    if (wasAtEnd) ScrollToEnd();
}

void TextArea::AppendText(const std::string& text) {
    if (text.empty()) return;
    // A CR at the end and an LF at the start of what follows are one line break.
    const bool joinsLineEnd = !text_.empty() && text_.back() == '\r' && text.front() == '\n';
    text_ += text;
    QString added = DisplayText(joinsLineEnd ? text.substr(1) : text);
    if (added.isEmpty()) return;
    TextAreaWidget* edit = Platform(*this);
    QScrollBar* bar = edit->verticalScrollBar();
    const bool wasAtEnd = edit->atEnd || bar->value() >= bar->maximum();
    edit->programChange = true;
    QTextCursor end(edit->document());
    end.movePosition(QTextCursor::End);
    end.insertText(added);
    edit->programChange = false;
    if (wasAtEnd) ScrollToEnd();
}

void TextArea::SetReadOnly(bool readOnly) {
    Platform(*this)->setReadOnly(readOnly);
}

bool TextArea::ReadOnly() const {
    return Platform(*this)->isReadOnly();
}

void TextArea::SetScrollBars(bool vertical, bool horizontal) {
    TextAreaWidget* edit = Platform(*this);
    edit->setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    edit->setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    // Without a horizontal scroll bar long lines wrap at the area's width.
    edit->setLineWrapMode(horizontal ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
}

void TextArea::ScrollToEnd() {
    TextAreaWidget* edit = Platform(*this);
    QScrollBar* bar = edit->verticalScrollBar();
    edit->atEnd = true;
    bar->setValue(bar->maximum());
}

}  // namespace fw
