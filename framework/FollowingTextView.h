#pragma once

#include <QPlainTextEdit>
#include <string_view>

namespace fw {

// The text as shown: CR LF, CR and LF each break the line.
QString DisplayText(std::string_view text);

// The platform view of the layer's text areas. It holds the view at the end while it is there:
// when the text changes (or the view changes size) and the view was at the end, it stays at the
// end; once the user scrolls up, it stays put.
class FollowingTextView : public QPlainTextEdit {
public:
    FollowingTextView();

    // Replaces or extends the shown text as the program's change, not the user's.
    void ShowText(const QString& shown);
    void AppendShown(const QString& added);
    void ScrollToEnd();
    bool EndInView() const;

    bool atEnd = true;
    bool programChange = false;  // the program changes the text, not the user
};

}  // namespace fw
