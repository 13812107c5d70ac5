// A message that quotes a server's reply of megabytes is shown cut: the box lays out its first
// 4 KiB and the count of bytes left out, whatever the text's length.

#include <gtest/gtest.h>

#include <QMessageBox>
#include <QTest>
#include <algorithm>
#include <functional>
#include <string>

#include "framework/MessageDialog.h"
#include "framework/ModalHost.h"
#include "tests/support/ModalScript.h"

namespace {

using fw::ModalAnswer;
using fw::ModalHost;

struct Shown {
    std::string text;
    std::string informative;
};

// Answers the next box with Return, noting what it showed.
ModalAnswer ReadAndConfirm(Shown& shown) {
    return {ModalAnswer::Action::Custom, {}, [&shown](QDialog* d) {
                auto* box = qobject_cast<QMessageBox*>(d);
                ASSERT_NE(box, nullptr);
                shown.text = box->text().toStdString();
                shown.informative = box->informativeText().toStdString();
                QTest::keyClick(d, Qt::Key_Return);
            }};
}

struct Way {
    const char* name;
    // Shows text the way this case does and answers what the box showed of it.
    std::function<std::string(const std::string&, Shown&)> show;
};

class LongMessageTest : public testing::Test {
protected:
    void SetUp() override { testsupport::BeginModalScript(); }
    void TearDown() override { testsupport::EndModalScript(); }
};

TEST_F(LongMessageTest, ALongTextShowsItsBeginningCutWithoutStoppingTheWindow) {
    const Way ways[] = {
        {"MsgBox",
         [](const std::string& text, Shown& shown) {
             ModalHost::Expect(ReadAndConfirm(shown));
             fw::MsgBox(text);
             return shown.text;
         }},
        {"message",
         [](const std::string& text, Shown& shown) {
             fw::MessageDialog d;
             d.Message = text;
             ModalHost::Expect(ReadAndConfirm(shown));
             d.ShowModal();
             return shown.text;
         }},
        {"explanation",
         [](const std::string& text, Shown& shown) {
             fw::MessageDialog d;
             d.Message = "Error: ";
             d.Explanation = text;
             ModalHost::Expect(ReadAndConfirm(shown));
             d.ShowModal();
             return shown.informative;
         }},
    };
    constexpr size_t kShown = 4096;
    // Shortest first, and the first shown whole ends the test: before the cut a box of 256 KiB
    // stood the window still for a second, and one of 4 MiB for minutes.
    for (size_t length : {kShown, kShown + 1, size_t{256} << 10, size_t{4} << 20}) {
        // A reply without blanks, as a flood is, ending in a character of three bytes.
        const std::string text = "500 " + std::string(length - 7, 'x') + "応";
        for (const Way& way : ways) {
            SCOPED_TRACE(std::string(way.name) + ", " + std::to_string(length) + " bytes");
            Shown shown;
            const std::string seen = way.show(text, shown);
            // Compared whole but never printed whole: a failure would print megabytes.
            if (length <= kShown) {
                EXPECT_TRUE(seen == text) << seen.size() << " bytes shown of " << length;
                continue;
            }
            // The cut goes before a character it would split: the last one starts 3 bytes before
            // the end.
            const size_t kept = std::min(kShown, length - 3);
            const std::string expected =
                text.substr(0, kept) + "…（" + std::to_string(length - kept) + " バイト省略）";
            ASSERT_TRUE(seen == expected) << seen.size() << " bytes shown, " << expected.size()
                                          << " expected: ..." << seen.substr(seen.size() - 40);
        }
    }
}

}  // namespace
