#include "mainwindow/Window1.h"

#include "shell/MenuBar1.h"

Window1* Window1::Instance() {
    if (Window1* open = fw::Window::FindOpen<Window1>()) return open;
    auto* w = new Window1;
    w->Build();
    return w;
}

void Window1::Layout() {
    SetMenuBar(MenuBar1::Instance());
    SetTitle("Quillomar");
    SetWidth(800);
    SetHeight(600);
    SetMinimumSize(800, 600);
    SetMaximumSize(32000, 32000);
    SetClosingQuitsApp(true);
}

void Window1::CreateControls() {
    _CreateControls0();
    _CreateControls1();
    _CreateControls2();
}
