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
    staticText1_ = std::make_unique<fw::Label>(*this, 110, 25, 200, 50);
    staticText1_->SetText("Quillomar");
    staticText1_->SetFont(32, false, true);
    staticText1_->SetTextColor(0, 0, 255);
    staticText1_->SetAlignment(fw::Label::Align::Center);

    staticText2_ = std::make_unique<fw::Label>(*this, 50, 110, 340, 130);
    staticText2_->SetText(kCredits);
    staticText2_->SetFont(10);
    staticText2_->SetTextColor(51, 0, 0);
    staticText2_->SetAlignment(fw::Label::Align::Center);

    staticText3_ = std::make_unique<fw::Label>(*this, 160, 80, 100, 14);
    staticText3_->SetText("Ver. 2.0a1");
    staticText3_->SetFont(11);
    staticText3_->SetTextColor(0, 51, 102);
    staticText3_->SetAlignment(fw::Label::Align::Center);
}

bool AboutPanel::Event_MouseDown(int32_t /*x*/, int32_t /*y*/) {
    Hide();
    return false;
}
