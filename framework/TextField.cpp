#include "TextField.h"

#include <QLineEdit>
#include <QValidator>
#include <algorithm>

#include "PlatformInternal.h"

namespace fw {

namespace {

bool Forbidden(QChar c) {
    return c == u'\r' || c == u'\n' || c == QChar(0);
}

// The UTF-8 length of the character that starts at i of s (a surrogate pair is one character).
int CharBytes(const QString& s, qsizetype i, qsizetype* units) {
    const QChar c = s.at(i);
    *units = 1;
    if (c.isHighSurrogate() && i + 1 < s.size() && s.at(i + 1).isLowSurrogate()) {
        *units = 2;
        return 4;
    }
    if (c.unicode() < 0x80) return 1;
    if (c.unicode() < 0x800) return 2;
    return 3;
}

int Utf8Bytes(const QString& s, qsizetype from, qsizetype to) {
    int bytes = 0;
    qsizetype units = 1;
    for (qsizetype i = from; i < to; i += units) bytes += CharBytes(s, i, &units);
    return bytes;
}

// How many UTF-16 units of s from `from` on fit into budget bytes of UTF-8, whole characters only.
qsizetype UnitsWithin(const QString& s, qsizetype from, qsizetype to, int budget) {
    qsizetype i = from;
    qsizetype units = 1;
    while (i < to) {
        const int bytes = CharBytes(s, i, &units);
        if (bytes > budget) break;
        budget -= bytes;
        i += units;
    }
    return i - from;
}

QString WithoutLineBreaks(const QString& text) {
    QString clean = text;
    clean.removeIf(Forbidden);
    return clean;
}

QString CutToBytes(const QString& text, int maxBytes) {
    if (maxBytes <= 0) return text;
    return text.left(UnitsWithin(text, 0, text.size(), maxBytes));
}

// Keeps CR, LF and NUL out of the field and its text within the byte limit, whichever way the
// text changes (typing, pasting, dropping, undo, the program). Of an edit that would pass the
// limit, the end of what was inserted is cut off.
class FieldFilter : public QValidator {
public:
    explicit FieldFilter(QObject* parent) : QValidator(parent) {}

    int maxBytes = 0;
    mutable QString accepted;  // the text as last validated

    State validate(QString& input, int& pos) const override {
        qsizetype before = 0;
        for (qsizetype i = 0; i < input.size() && i < pos; ++i)
            if (Forbidden(input.at(i))) ++before;
        input.removeIf(Forbidden);
        pos -= static_cast<int>(before);
        if (maxBytes > 0) LimitInsertion(input, pos);
        accepted = input;
        return Acceptable;
    }

private:
    void LimitInsertion(QString& input, int& pos) const {
        const int over = Utf8Bytes(input, 0, input.size()) - maxBytes;
        if (over <= 0) return;
        // The inserted part: what lies between the text kept at the start and at the end.
        qsizetype head = 0;
        const qsizetype common = std::min(input.size(), accepted.size());
        while (head < common && input.at(head) == accepted.at(head)) ++head;
        qsizetype tail = 0;
        while (tail < common - head &&
               input.at(input.size() - 1 - tail) == accepted.at(accepted.size() - 1 - tail))
            ++tail;
        const qsizetype insertEnd = input.size() - tail;
        const int insertedBytes = Utf8Bytes(input, head, insertEnd);
        if (insertedBytes < over) {  // the old text alone is too long (a lowered limit)
            input = CutToBytes(input, maxBytes);
            pos = std::min(pos, static_cast<int>(input.size()));
            return;
        }
        const qsizetype keep = UnitsWithin(input, head, insertEnd, insertedBytes - over);
        input.remove(head + keep, insertEnd - head - keep);
        pos = static_cast<int>(head + keep);
    }
};

QLineEdit* Platform(const TextField& f) {
    return static_cast<QLineEdit*>(f.Widget());
}

FieldFilter* Filter(const TextField& f) {
    return static_cast<FieldFilter*>(const_cast<QValidator*>(Platform(f)->validator()));
}

}  // namespace

TextField::TextField(Window& window, std::string name)
    : Control(window, std::move(name), new QLineEdit) {
    QLineEdit* edit = Platform(*this);
    edit->setValidator(new FieldFilter(edit));
    edit->setFrame(true);
    SetTextFont(12);
    QObject::connect(edit, &QLineEdit::textChanged, edit, [this](const QString& now) {
        std::string text = FromQString(now);
        if (text == text_) return;
        text_ = std::move(text);
        Deliver([this] {
            if (TextChange) TextChange(*this);
        });
    });
}

std::string TextField::Text() const {
    return text_;
}

void TextField::SetText(const std::string& text) {
    QString clean = CutToBytes(WithoutLineBreaks(ToQString(text)), Filter(*this)->maxBytes);
    Filter(*this)->accepted = clean;
    Platform(*this)->setText(clean);
}

void TextField::SetPassword(bool masked) {
    Platform(*this)->setEchoMode(masked ? QLineEdit::Password : QLineEdit::Normal);
}

bool TextField::Password() const {
    return Platform(*this)->echoMode() == QLineEdit::Password;
}

void TextField::SetReadOnly(bool readOnly) {
    Platform(*this)->setReadOnly(readOnly);
}

void TextField::SetMaxBytes(int32_t maxBytes) {
    Filter(*this)->maxBytes = std::max(0, maxBytes);
    if (maxBytes > 0 && text_.size() > static_cast<size_t>(maxBytes)) SetText(text_);
}

void TextField::SelectAll() {
    Platform(*this)->selectAll();
}

}  // namespace fw
