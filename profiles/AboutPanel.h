#pragma once

#include "framework/Label.h"
#include "framework/Window.h"

// The About box: the product name, the version and the credits, in a small modeless window that a
// click hides again.
class AboutPanel : public fw::Window {
public:
    // The About panel, shown or hidden, or a new one.
    static AboutPanel* Instance();

    // Its controls, owned by the window.
    fw::Label* StaticText1 = nullptr;
    fw::Label* StaticText2 = nullptr;
    fw::Label* StaticText3 = nullptr;

    void Layout() override;
    void CreateControls() override;
    bool Event_MouseDown(int32_t x, int32_t y) override;

private:
    AboutPanel() : fw::Window(Kind::ModelessDialog) {}
    void _CreateControls0();
};
