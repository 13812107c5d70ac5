#include "profiles/AboutPanel.h"

namespace {

const char kCredits[] =
    "Programmed by Korvu\r"
    "\r"
    "Mail: korvu@quillomar.example\r"
    "\r\r\r"
    "Made with C++20, Qt 6 and OpenSSL 3\r"
    "\r"
    "(c) 2005-2026 Korvu";

}  // namespace

AboutPanel* AboutPanel::Instance() {
    if (AboutPanel* open = fw::Window::FindOpen<AboutPanel>()) return open;
    auto* panel = new AboutPanel;
    panel->SetVisibleOnOpen(false);  // the caller shows it
    panel->Build();
    return panel;
}

void AboutPanel::Layout() {
    SetTitle("");
    SetWidth(420);
    SetHeight(260);
    SetMinimumSize(64, 64);
    SetResizable(false);
    CenterOnScreen();
}

void AboutPanel::CreateControls() {
    _CreateControls0();
}

void AboutPanel::_CreateControls0() {
    StaticText1 = AddControl<fw::Label>("StaticText1");
    StaticText1->Place({.left = 110, .top = 25, .width = 200, .height = 50});
    StaticText1->SetText("Quillomar");
    StaticText1->SetTextFont(32, false, true);
    StaticText1->SetTextColor(fw::RGB(0, 0, 255));
    StaticText1->SetAlignment(fw::Label::Align::Center);

    StaticText2 = AddControl<fw::Label>("StaticText2");
    StaticText2->Place({.left = 50, .top = 110, .width = 340, .height = 130});
    StaticText2->SetText(kCredits);
    StaticText2->SetTextFont(10);
    StaticText2->SetTextColor(fw::RGB(51, 0, 0));
    StaticText2->SetAlignment(fw::Label::Align::Center);

    StaticText3 = AddControl<fw::Label>("StaticText3");
    StaticText3->Place({.left = 160, .top = 80, .width = 100, .height = 14});
    StaticText3->SetText("Ver. 2.0a1");
    StaticText3->SetTextFont(11);
    StaticText3->SetTextColor(fw::RGB(0, 51, 102));
    StaticText3->SetAlignment(fw::Label::Align::Center);
}

bool AboutPanel::Event_MouseDown(int32_t /*x*/, int32_t /*y*/) {
    Hide();
    return false;
}
