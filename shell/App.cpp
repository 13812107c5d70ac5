#include "shell/App.h"

#include "mainwindow/Window1.h"
#include "profiles/AboutPanel.h"
#include "shell/CommonModule.h"

App::App() {
    Constructor();
}

App* App::Instance() {
    return dynamic_cast<App*>(fw::Application::Instance());
}

void App::Event_Open() {
    InitApp();
}

bool App::Event_CancelClose() {
    CloseApp();
    return false;  // the application never cancels a quit itself
}

bool App::_AppleAbout_Action() {
    AboutPanel::Instance()->Show();
    return true;
}

void App::InitApp() {
    InitGmtOffset();
    InitPref();
    LoadPref();
    if (!LoadFileType()) InitFileType();
    LoadSet2();

    if (gPref[PrefKeepWindowSize] == 1) {
        // Read every stored bound before applying any: applying one moves the window, and its
        // Moved handler writes the position slots.
        const int32_t left = gPref[PrefWindowLeft];
        const int32_t top = gPref[PrefWindowTop];
        const int32_t width = gPref[PrefWindowWidth];
        const int32_t height = gPref[PrefWindowHeight];
        if (left != 0) Window1::Instance()->SetLeft(left);
        if (top != 0) Window1::Instance()->SetTop(top);
        if (width != 0) Window1::Instance()->SetWidth(width);
        if (height != 0) Window1::Instance()->SetHeight(height);
    }
}

void App::CloseApp() {
    if (gPref[PrefKeepWindowSize] == 1) {
        gPref[PrefWindowWidth] = Window1::Instance()->Width();
        gPref[PrefWindowHeight] = Window1::Instance()->Height();
    }
    // Each writer reports its own failure and leaves the next one to run.
    SavePref();
    SaveSet2();
    SaveFileType();
}
