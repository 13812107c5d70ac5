// A disabled label shows a value that cannot be changed here: it looks disabled, fainter than an
// enabled one, and still reads on whatever it stands on.
#include <gtest/gtest.h>

#include <QImage>
#include <optional>

#include "framework/Label.h"
#include "framework/Rectangle.h"
#include "tests/framework/Contrast.h"
#include "tests/framework/ControlTestWindow.h"

namespace {

using contrasttest::Contrast;

class DisabledLabelTest : public ControlTest {
protected:
    // The strongest contrast of a pixel of the label against the background: its ink.
    static double InkContrast(fw::Label* label, const QColor& background) {
        const QImage image = label->Widget()->grab().toImage();
        double strongest = 1;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                strongest = std::max(strongest, Contrast(image.pixelColor(x, y), background));
        return strongest;
    }
};

TEST_F(DisabledLabelTest, ReadsOnItsBackgroundAndStaysFainterThanAnEnabledOne) {
    struct Case {
        const char* what;
        std::optional<fw::Color> fill;    // of the panel the labels stand in; none: the window
        std::optional<fw::Color> ink;     // set by the program; none: the default black
        std::optional<fw::Color> refill;  // the panel's fill changed once the labels stand in it
    };
    const Case cases[] = {
        {"on the window", {}, {}, {}},
        {"on a tinted panel", fw::RGB(215, 221, 229), {}, {}},
        {"on a panel filled afterwards", fw::RGB(255, 255, 255), {}, fw::RGB(224, 224, 224)},
        {"in a colour of its own", fw::RGB(251, 251, 251), fw::RGB(0, 0, 160), {}},
        {"light on dark", fw::RGB(40, 40, 60), fw::RGB(255, 255, 255), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ControlTestWindow& w = Open([&c](ControlTestWindow& win) {
            fw::Rectangle* panel = nullptr;
            if (c.fill) {
                panel = win.Add<fw::Rectangle>("panel",
                                               {.left = 0, .top = 0, .width = 300, .height = 100});
                panel->SetFillColor(*c.fill);
                panel->SetBorderWidth(0);
            }
            for (const char* name : {"enabled", "disabled"}) {
                auto* label = win.Add<fw::Label>(name, {.container = panel,
                                                        .left = 10,
                                                        .top = name[0] == 'e' ? 10 : 40,
                                                        .width = 165,
                                                        .height = 20});
                label->SetText("Untitled 見本");
                label->SetTextFont(12);
                if (c.ink) label->SetTextColor(*c.ink);
                label->SetEnabled(name[0] == 'e');
            }
            if (c.refill) panel->SetFillColor(*c.refill);
        });
        auto* enabled = static_cast<fw::Label*>(w.ControlNamed("enabled"));
        auto* disabled = static_cast<fw::Label*>(w.ControlNamed("disabled"));
        ASSERT_NE(enabled, nullptr);
        ASSERT_NE(disabled, nullptr);
        const QColor background =
            disabled->Widget()->palette().color(QPalette::Disabled, QPalette::Window);
        if (c.fill) {
            const fw::Color fill = c.refill ? *c.refill : *c.fill;
            EXPECT_EQ(background, QColor(fill.r, fill.g, fill.b)) << "the panel is the background";
        }
        const double strongest = InkContrast(disabled, background);
        EXPECT_GE(strongest, contrasttest::kReadable);
        EXPECT_LT(strongest, InkContrast(enabled, background) * 0.9) << "it looks disabled";
        w.Close();
        window = nullptr;
        fw::ProcessPendingEvents();
    }
}

}  // namespace
