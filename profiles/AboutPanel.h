#pragma once

#include <memory>

#include "framework/Label.h"
#include "framework/Window.h"

// The About box: the product name, the version and the credits, in a small modeless window that a
// click hides again.
class AboutPanel : public fw::Window {
public:
    // The About panel, shown or hidden, or a new one.
    static AboutPanel* Instance();

    fw::Label* StaticText1() { return staticText1_.get(); }
    fw::Label* StaticText2() { return staticText2_.get(); }
    fw::Label* StaticText3() { return staticText3_.get(); }

    void Layout() override;
    void CreateControls() override;
    bool Event_MouseDown(int32_t x, int32_t y) override;

private:
    AboutPanel() : fw::Window(Kind::ModelessDialog) {}
    void _CreateControls0();

    std::unique_ptr<fw::Label> staticText1_;
    std::unique_ptr<fw::Label> staticText2_;
    std::unique_ptr<fw::Label> staticText3_;
};
