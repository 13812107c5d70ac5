#include "Application.h"

#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QSessionManager>
#include <QSocketNotifier>
#include <QTranslator>
#include <algorithm>
#include <vector>

#include "ModalHost.h"
#include "PlatformInternal.h"
#include "RepaintPacing.h"
#include "Window.h"

namespace fw {

namespace {

Application* g_application = nullptr;

int g_signalPipe[2] = {-1, -1};

void OnTerminationSignal(int) {
    char byte = 1;
    ssize_t ignored = write(g_signalPipe[1], &byte, 1);
    (void)ignored;
}

// The end of a desktop session reaches a program as SIGTERM (or SIGHUP): it quits like the quit
// command, so nothing of the run is lost. The signal is only noted; the quit runs in the loop.
void QuitOnTerminationSignals(QObject* owner) {
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0) return;
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, owner);
    QObject::connect(notifier, &QSocketNotifier::activated, owner, [] {
        char byte;
        ssize_t ignored = read(g_signalPipe[0], &byte, 1);
        (void)ignored;
        if (Application* a = Application::Instance()) a->Quit();
    });
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
}

// The file dialogs, the folder chooser and the standard buttons are Qt's own: they speak Japanese
// like the rest of the window, whatever the system's language (Debian's qt6-translations-l10n).
void InstallJapaneseTranslation(QCoreApplication* app) {
    auto* translator = new QTranslator(app);
    if (translator->load(QStringLiteral("qtbase_ja"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

}  // namespace

QString ToQString(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string FromQString(const QString& s) {
    return s.toUtf8().toStdString();
}

void EnsurePlatformApplication() {
    if (QCoreApplication::instance()) return;
    // Qt's own event loop rather than GLib's: GLib's wakes the loop with extra system calls for
    // every socket write, which a chunked upload pays tens of thousands of times a second. The
    // program uses no GLib-based integration (its dialogs are Qt's own).
    if (!qEnvironmentVariableIsSet("QT_NO_GLIB")) qputenv("QT_NO_GLIB", "1");
    static int argc = 1;
    static char name[] = "quillomar";
    static char* argv[] = {name, nullptr};
    auto* app = new QApplication(argc, argv);
    app->setQuitOnLastWindowClosed(false);  // quitting is the program's own path
    InstallJapaneseTranslation(app);
    InstallCancelKeyFilter();
    InstallRepaintPacing(app);
    // A session logout quits like the quit command, so the settings are written.
    QObject::connect(app, &QGuiApplication::commitDataRequest, app, [](QSessionManager&) {
        if (Application* a = Application::Instance()) a->Quit();
    });
    QuitOnTerminationSignals(app);
}

Application::Application() {
    EnsurePlatformApplication();
    g_application = this;
}

Application::~Application() {
    if (g_application == this) g_application = nullptr;
}

Application* Application::Instance() {
    return g_application;
}

void Application::AddMenuHandler(const std::string& itemName, std::function<bool()> handler) {
    menuHandlers_[itemName] = std::move(handler);
}

bool Application::HandleMenu(const std::string& itemName) {
    auto it = menuHandlers_.find(itemName);
    return it != menuHandlers_.end() && it->second && it->second();
}

void Application::Start(const std::function<void()>& initCallback) {
    Deliver([this] { Event_Open(); });
    if (initCallback) Deliver(initCallback);
}

int Application::Run(const std::function<void()>& initCallback) {
    Start(initCallback);
    if (quit_) return 0;
    inEventLoop_ = true;
    int status = QApplication::exec();
    inEventLoop_ = false;
    return status;
}

void Application::Quit() {
    if (quitting_ || quit_) return;
    quitting_ = true;
    // Ends the attempt however it ends: a handler that throws must not leave the application
    // unable ever to quit again.
    struct EndOfAttempt {
        bool& quitting;
        ~EndOfAttempt() { quitting = false; }
    } endOfAttempt{quitting_};

    // A window's CancelClose may run a nested event loop (it asks whether to save), in which
    // other windows close and are deleted: each is looked up again before it is asked.
    auto stillOpen = [](Window* w) {
        std::vector<Window*> open = Window::OpenWindows();
        return std::find(open.begin(), open.end(), w) != open.end();
    };
    for (Window* w : Window::OpenWindows()) {
        if (!stillOpen(w)) continue;
        if (w->Event_CancelClose(true)) return;
    }
    if (Event_CancelClose()) return;
    // A window's Close may close others; Close takes each window off the open windows at once.
    while (!Window::OpenWindows().empty()) Window::OpenWindows().front()->Close();
    quit_ = true;
    // Only a running loop is told to end: told without one, Qt would end every later modal loop.
    // Before the loop (a message of start-up is up) the modal loops are ended one by one, so that
    // a quit (a session's end) is never held up by a question nobody answers.
    if (inEventLoop_)
        QCoreApplication::exit(0);
    else
        ModalHost::EndAll();
}

}  // namespace fw
