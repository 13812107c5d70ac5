#include "shell/Startup.h"

#include <memory>

#include "framework/FileType.h"
#include "mainwindow/Window1.h"
#include "shell/App.h"
#include "shell/CommonModule.h"
#include "shell/MenuBar1.h"

namespace {

std::unique_ptr<fw::FileType> g_prefFileType;  // the program's one document type
std::unique_ptr<App> g_app;

}  // namespace

void RegisterFileTypes() {
    g_prefFileType = std::make_unique<fw::FileType>();
    g_prefFileType->Name = "pref";
    g_prefFileType->MacType = "pref";
    g_prefFileType->MacCreator = "????";
    g_prefFileType->Imported = true;
}

void CreateAppObject() {
    g_app = std::make_unique<App>();
    g_app->SetMenuBar(MenuBar1::Instance());
}

void InstallAppMenuHandlers() {
    App* app = App::Instance();
    app->AddMenuHandler("AppleAbout", [app] { return app->_AppleAbout_Action(); });
}

void PrepareApplication() {
    fw::EnsurePlatformApplication();
    RegisterFileTypes();
    CreateAppObject();
    InstallAppMenuHandlers();
}

void OpenDefaultWindow() {
    // A quit during start-up (a loader's message was up) has already ended the run.
    App* app = App::Instance();
    if (app && (app->Quitting() || app->HasQuit())) return;
    Window1::Instance();
}

void FrameworkInitCallback() {
    OpenDefaultWindow();
}

void ReleaseModuleState() {
    g_prefFileType.reset();
    gDatasets.clear();
    gFileTypes.clear();
    gPref.fill(0);
    MenuBar1::Release();
}

int RunApplication() {
    PrepareApplication();
    int status = g_app->Run(FrameworkInitCallback);
    if (g_app->RefusedTheSettingsFolder()) status = 1;  // this copy did not run
    // The windows go before the application object and the menu bar they refer to.
    for (fw::Window* w : fw::Window::OpenWindows()) delete w;
    g_app.reset();
    ReleaseModuleState();
    return status;
}
