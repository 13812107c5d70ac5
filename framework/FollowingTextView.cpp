#include "FollowingTextView.h"

#include <QScrollBar>
#include <QTextCursor>

#include "PlatformInternal.h"

namespace fw {

QString DisplayText(std::string_view text) {
    QString shown = ToQString(text);
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(u'\r', u'\n');
    return shown;
}

FollowingTextView::FollowingTextView() {
    QScrollBar* bar = verticalScrollBar();
    QObject::connect(bar, &QScrollBar::valueChanged, this,
                     [this, bar](int value) { atEnd = value >= bar->maximum(); });
    QObject::connect(bar, &QScrollBar::rangeChanged, this, [this, bar](int, int max) {
        if (atEnd) bar->setValue(max);
    });
    setTabChangesFocus(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setUndoRedoEnabled(false);
    // The selection shows only while the window is active.
    QPalette colours = palette();
    colours.setColor(QPalette::Inactive, QPalette::Highlight,
                     colours.color(QPalette::Inactive, QPalette::Base));
    colours.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     colours.color(QPalette::Inactive, QPalette::Text));
    setPalette(colours);
}

void FollowingTextView::ShowText(const QString& shown) {
    const bool wasAtEnd = atEnd;
    programChange = true;
    setPlainText(shown);
    programChange = false;
    if (wasAtEnd) ScrollToEnd();
}

void FollowingTextView::AppendShown(const QString& added) {
    if (added.isEmpty()) return;
    QScrollBar* bar = verticalScrollBar();
    const bool wasAtEnd = atEnd || bar->value() >= bar->maximum();
    programChange = true;
    QTextCursor end(document());
    end.movePosition(QTextCursor::End);
    end.insertText(added);
    programChange = false;
    if (wasAtEnd) ScrollToEnd();
}

void FollowingTextView::ScrollToEnd() {
    QScrollBar* bar = verticalScrollBar();
    atEnd = true;
    bar->setValue(bar->maximum());
    if (EndInView()) return;
    // The range is worked out from the blocks' line counts, and the last blocks are laid out,
    // wrapped into more lines, only while it is worked out: its maximum can then stop short of
    // the end. Working it out once more (a change of the scroll mode does) reaches the end.
    setCenterOnScroll(true);
    setCenterOnScroll(false);
    bar->setValue(bar->maximum());
}

bool FollowingTextView::EndInView() const {
    QTextCursor end(document());
    end.movePosition(QTextCursor::End);
    return viewport()->rect().contains(cursorRect(end));
}

}  // namespace fw
