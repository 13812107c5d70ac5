// The view page as drawn: its values stay disabled, yet every one of them reads on the panel.

#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>
#include <string>
#include <vector>

#include "framework/Label.h"
#include "tests/framework/Contrast.h"
#include "tests/profiles/ProfileWindowFixture.h"

namespace {

using contrasttest::Contrast;
using profiletest::ProfileWindowTest;

class ViewPageContrastTest : public ProfileWindowTest {};

TEST_F(ViewPageContrastTest, TheDisabledValuesReadOnThePanel) {
    Dataset d = LiveProfile("見本サイト");
    d.Pass = "12345678";
    d.Zone = "-5";
    Window1& w = StartWith({d});
    ClickRow(w.ListBox1, 0);
    ASSERT_EQ(w.PagePanel1->Value(), PageView);

    QWidget* page = w.PagePanel1->Widget();
    const QImage image = page->grab().toImage();
    const QColor panel(215, 221, 229);  // the fill of the profile panel
    const std::vector<fw::Label*> values = {w.StaticText17, w.StaticText18, w.StaticText19,
                                            w.StaticText20, w.StaticText21, w.StaticText22,
                                            w.StaticText24, w.StaticText25};
    for (fw::Label* label : values) {
        SCOPED_TRACE(label->Name() + " \"" + label->Text() + "\"");
        ASSERT_TRUE(label->Shown());
        EXPECT_FALSE(label->Enabled()) << "the values are shown, not edited";
        const QRect area(label->Widget()->mapTo(page, QPoint(0, 0)), label->Widget()->size());
        // The text's pixels are those that are not the panel; the darkest of them is the ink.
        int textPixels = 0;
        QColor darkest = panel;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c == panel) continue;
                ++textPixels;
                if (contrasttest::Luminance(c) < contrasttest::Luminance(darkest)) darkest = c;
            }
        }
        ASSERT_GT(textPixels, 0) << "nothing drawn on the panel's colour";
        EXPECT_LT(textPixels, area.width() * area.height() / 2) << "the label's background is "
                                                                   "not the panel's";
        EXPECT_GE(Contrast(darkest, panel), contrasttest::kReadable)
            << darkest.name().toStdString();
    }
}

}  // namespace
