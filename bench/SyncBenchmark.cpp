// A whole synchronisation, through the main window (connect, comparison, Sync, until the end
// message) to an empty folder of vsftpd on 127.0.0.1:21, beside lftp's "mirror -R
// --parallel=1" of the same tree to another folder of the same server, in the same run; then both
// again with nothing changed. Two sites: 20 folders of 100 files of 3.2 KB with one file of
// 200 MB, and 5,000 files of 1-8 KB in 100 folders. The two go in pairs, interleaved, the order
// alternating, until the median ratios are steady, and the figures are medians. Beside the times,
// the control commands (each a round trip) per uploaded file of the first syncs, counted from
// vsftpd's own log of the same run. Last, the program's CPU time and its timer events while it
// idles 10 s after start-up, after a comparison and after a run (from /proc/self/stat and an event
// filter). The process runs in a network namespace of its own, where port 21 is free. With a
// site's name as its argument ("sync-5000"), it syncs that site alone, for a profiler.
#include <sys/time.h>
#include <time.h>

#include <QEventLoop>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <random>
#include <sstream>
#include <string>

#include "bench/GoalFigures.h"
#include "bench/PairedRuns.h"
#include "framework/Application.h"
#include "framework/EventLoop.h"
#include "framework/ModalHost.h"
#include "framework/Toolbar.h"
#include "framework/ToolbarItem.h"
#include "framework/ToolbarSegmentedControl.h"
#include "mainwindow/Window1.h"
#include "shell/App.h"
#include "shell/CommonModule.h"
#include "shell/MenuBar1.h"
#include "shell/Startup.h"
#include "tests/support/EventCount.h"
#include "tests/support/EventWait.h"
#include "tests/support/FtpServers.h"
#include "tests/sync/PrivateNetwork.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kTimeoutMs = 600000;
constexpr int kIdleSeconds = 10;
// A pair of one site takes five to ten seconds. Five pairs could read steady by chance and the
// next run differ by a tenth.
constexpr bench::PairCount kPairs{9, 15};

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// A site to sync: folders of files of random sizes within [smallest, largest] bytes, and one big
// file at the top when bigBytes is not 0.
struct Site {
    const char* name;
    int folders;
    int filesPerFolder;
    size_t smallest;
    size_t largest;
    int64_t bigBytes;
};

const Site kSites[] = {
    {"sync", 20, 100, 3200, 3200, 200LL * 1000 * 1000},
    {"sync-5000", 100, 50, 1024, 8192, 0},
};

// Random bytes, so that nothing compresses or repeats; every file dated an hour back, so that
// what has been uploaded is newer on the server.
bool MakeSite(const Site& site, const std::string& root) {
    std::mt19937_64 random(7);
    auto bytes = [&](size_t n) {
        std::string b(n, '\0');
        for (size_t i = 0; i < n; i += 8) {
            uint64_t v = random();
            std::memcpy(&b[i], &v, std::min<size_t>(8, n - i));
        }
        return b;
    };
    std::uniform_int_distribution<size_t> size(site.smallest, site.largest);
    for (int f = 0; f < site.folders; ++f) {
        const std::string folder = root + "/folder" + std::to_string(f);
        fs::create_directories(folder);
        for (int i = 0; i < site.filesPerFolder; ++i)
            if (!testsupport::WriteFile(folder + "/file" + std::to_string(i) + ".bin",
                                        bytes(size(random))))
                return false;
    }
    if (site.bigBytes > 0) {
        std::ofstream big(root + "/big.bin", std::ios::binary);
        const std::string block = bytes(1 << 20);
        for (int64_t written = 0; written < site.bigBytes; written += block.size())
            big.write(block.data(), std::min<int64_t>(block.size(), site.bigBytes - written));
        big.close();
        if (!big) return false;
    }
    const auto anHourAgo = fs::file_time_type::clock::now() - std::chrono::hours(1);
    for (const auto& e : fs::recursive_directory_iterator(root)) fs::last_write_time(e, anHourAgo);
    return true;
}

size_t FilesIn(const std::string& root) {
    size_t files = 0;
    for (const auto& e : fs::recursive_directory_iterator(root)) files += e.is_regular_file();
    return files;
}

// The control commands vsftpd has logged so far, every session's (log_ftp_protocol: one line
// "FTP command: ..." each).
int64_t CommandsLogged(const testsupport::VsftpdServer& server) {
    const std::string log = server.LogText();
    const std::string needle = "FTP command: ";
    int64_t count = 0;
    for (size_t at = log.find(needle); at != std::string::npos; at = log.find(needle, at + 1))
        ++count;
    return count;
}

bool SameTree(const std::string& a, const std::string& b) {
    size_t files = 0;
    for (const auto& e : fs::recursive_directory_iterator(a)) {
        const fs::path other = b / fs::relative(e.path(), a);
        if (e.is_directory()) {
            if (!fs::is_directory(other)) return false;
            continue;
        }
        ++files;
        if (!fs::exists(other) || fs::file_size(other) != e.file_size()) return false;
    }
    size_t otherFiles = 0;
    for (const auto& e : fs::recursive_directory_iterator(b)) otherFiles += !e.is_directory();
    return files == otherFiles && testsupport::ReadFile(a + "/folder3/file42.bin") ==
                                      testsupport::ReadFile(b + "/folder3/file42.bin");
}

// The process's CPU time so far, in clock ticks (user and system, every thread) and exactly, and
// the main thread's voluntary context switches: its wake-ups. A tick is 10 ms, and the ticks are
// the exact time cut down to whole ones, so a few milliseconds can show as one tick.
struct CpuUse {
    long long ticks = 0;
    long long wakeUps = 0;
    double ms = 0;

    static CpuUse Now() {
        CpuUse use;
        timespec cpu{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
        use.ms = static_cast<double>(cpu.tv_sec) * 1e3 + static_cast<double>(cpu.tv_nsec) / 1e6;
        std::ifstream stat("/proc/self/stat");
        std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
        // The fields after the command's name in parentheses; utime and stime are the 14th and
        // 15th of the line, the 12th and 13th after the name.
        std::istringstream rest(text.substr(text.rfind(')') + 2));
        std::string field;
        for (int i = 3; i <= 15 && rest >> field; ++i) {
            if (i == 14 || i == 15) use.ticks += std::stoll(field);
        }
        std::ifstream status("/proc/self/status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind("voluntary_ctxt_switches:", 0) == 0)
                use.wakeUps = std::stoll(line.substr(line.find(':') + 1));
        return use;
    }
};

// The program's own event loop, left alone.
void RunLoopFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// What the program did while left alone: the CPU it used, and the timer events of its main thread
// but for those of the toolkit's pixmap cache, which sweeps itself every 30 s while it holds any
// of the style's pixmaps (those are named apart). A negative count: the status timer stopped.
struct IdleUse {
    CpuUse cpu;
    int timerEvents = -1;
    std::string apart;
};

// The program left alone for kIdleSeconds, once the second before has taken what the last action
// left to do (the log's last batch, a last repaint): from one tick of the status timer (twice a
// second) to the tick kIdleSeconds later, so that the window holds the same number of its ticks
// whatever their phase.
IdleUse Idle(fw::Timer& statusTimer) {
    RunLoopFor(1000);
    const std::function<void(fw::Timer&)> action = statusTimer.Action;
    QEventLoop loop;
    int ticks = 0;
    statusTimer.Action = [&](fw::Timer& t) {
        if (action) action(t);
        ++ticks;
        loop.quit();
    };
    // Restarted before it is due, the bound of a wait never fires while the timer ticks.
    QTimer stopped;
    stopped.setSingleShot(true);
    QObject::connect(&stopped, &QTimer::timeout, &loop, &QEventLoop::quit);
    const auto nextTick = [&] {
        const int before = ticks;
        stopped.start(5000);
        loop.exec();
        return ticks > before;
    };
    IdleUse use;
    if (nextTick()) {
        const testsupport::EventCount events;
        const CpuUse before = CpuUse::Now();
        bool ticking = true;
        while (ticking && ticks <= 2 * kIdleSeconds) ticking = nextTick();
        const CpuUse after = CpuUse::Now();
        if (ticking) {
            use.cpu = {after.ticks - before.ticks, after.wakeUps - before.wakeUps,
                       after.ms - before.ms};
            use.timerEvents = events.timers;
            const auto cache = events.timed.find("QPMCache");
            if (cache != events.timed.end()) {
                use.timerEvents -= cache->second;
                use.apart =
                    "; besides, the toolkit's pixmap cache " + std::to_string(cache->second);
            }
        }
    }
    stopped.stop();
    statusTimer.Action = action;
    return use;
}

void ReportIdle(const char* when, const IdleUse& idle) {
    if (idle.timerEvents < 0) {
        std::printf("idle %s: the status timer did not tick\n", when);
        return;
    }
    const CpuUse& use = idle.cpu;
    std::printf("idle %s: %lld CPU ticks in %d s (%.1f ms of CPU), %.1f wake-ups a second\n", when,
                use.ticks, kIdleSeconds, use.ms, static_cast<double>(use.wakeUps) / kIdleSeconds);
    bench::PrintAgainstGoal(bench::kIdleTimerGoal, when,
                            static_cast<double>(idle.timerEvents) / kIdleSeconds,
                            "over " + std::to_string(kIdleSeconds) + " s" + idle.apart);
}

class Program {
public:
    Program() {
        app_ = std::make_unique<App>();
        app_->SetMenuBar(MenuBar1::Instance());
        InstallAppMenuHandlers();
        app_->Start(FrameworkInitCallback);
        fw::ProcessPendingEvents();
        w_ = fw::Window::FindOpen<Window1>();
        gPref[PrefConfirmSync] = 0;  // no confirmation to answer
        fw::ModalHost::BeginScript();
    }

    // Seconds from the click on Connect to the end message of the sync, or a negative value. What
    // is left for the run's end happens before the disconnect.
    double Sync(const testsupport::VsftpdServer& server, const std::string& localRoot,
                const std::string& remoteFolder, const std::function<void()>& atTheEnd = {}) {
        Prepare(server, localRoot, remoteFolder);
        Clock::time_point done{};
        std::string message, explanation;
        fw::ModalHost::ExpectStep([&](const fw::ModalPrompt& p) {
            done = Clock::now();
            message = p.message;
            explanation = p.explanation;
            return fw::ModalAnswer::Press("OK");
        });
        const auto start = Clock::now();
        if (!Connect([&] { return !message.empty(); }) || !Click(TagSync)) return -1;
        if (!testsupport::WaitUntil([&] { return !message.empty(); }, kTimeoutMs)) return -1;
        const double seconds = std::chrono::duration<double>(done - start).count();
        if (message.rfind("同期が終了しました。", 0) != 0) {
            // What the run said, and the log's last lines, which say what it met.
            const std::string log = w_->EditField5->Text();
            const size_t tail = log.size() > 4000 ? log.size() - 4000 : 0;
            std::fprintf(stderr, "the sync ended with \"%s\" (%s); the log ends:\n%s\n",
                         message.c_str(), explanation.c_str(), log.substr(tail).c_str());
            return -1;
        }
        if (atTheEnd) atTheEnd();
        Disconnect();
        return seconds;
    }

    // The profile's fields as the user leaves them before Connect.
    void Prepare(const testsupport::VsftpdServer& server, const std::string& localRoot,
                 const std::string& remoteFolder) {
        w_->EditField1->SetText("127.0.0.1");
        w_->EditField2->SetText(server.User());
        w_->EditField3->SetText(server.Password());
        w_->EditField4->SetText(remoteFolder);
        w_->EditField6->SetText(localRoot + "/");
        w_->CheckBox2->SetValue(true);
        w_->PopupMenu1->SetListIndex(0);
        w_->ToolbarItemStatus(TagConnect, true);  // as a selected profile does
        if (w_->pMode != ConnectCleared)
            fw::ModalHost::Expect(fw::ModalAnswer::Press("実行"));  // clear the earlier results
    }

    // Connects and waits for the comparison: whether Sync can be clicked (false when ended says
    // that the connection has ended with a message).
    bool Connect(const std::function<bool()>& ended = [] { return false; }) {
        return Click(TagConnect) &&
               testsupport::WaitUntil([&] { return Enabled(TagSync) || ended(); }, kTimeoutMs) &&
               !ended();
    }

    const Window1& Window() const { return *w_; }
    IdleUse Idle() { return ::Idle(w_->statusTimer); }

    void Disconnect() {
        Click(TagDiscon);
        testsupport::WaitUntil([&] { return !w_->commandSocket.IsConnected(); }, 10000);
    }

private:
    fw::ToolbarItem* Button(int32_t tag) const {
        for (fw::ToolbarItem* item : fw::Toolbar::Of(*w_)->VisibleItems()) {
            auto* control = dynamic_cast<fw::ToolbarSegmentedControl*>(item->View());
            if (control && control->TagForSegment(0) == tag) return item;
        }
        return nullptr;
    }
    bool Enabled(int32_t tag) const { return Button(tag) && Button(tag)->Enabled(); }
    bool Click(int32_t tag) {
        fw::ToolbarItem* item = Button(tag);
        if (!item || !item->Enabled()) return false;
        auto* bar = fw::Toolbar::Of(*w_)->Widget();
        auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(item->PlatformAction()));
        QTest::mouseClick(button, Qt::LeftButton);
        return true;
    }

    std::unique_ptr<App> app_;
    Window1* w_ = nullptr;
};

double MirrorWithLftp(const testsupport::VsftpdServer& server, const std::string& localRoot,
                      const std::string& remoteFolder) {
    const std::string command = "lftp -c \"set cmd:fail-exit yes; open -u '" + server.User() + "," +
                                server.Password() + "' ftp://127.0.0.1; mirror -R " +
                                "--parallel=1 '" + localRoot + "' '" + remoteFolder + "'\"";
    const auto start = Clock::now();
    if (std::system(command.c_str()) != 0) return -1;
    return Seconds(start);
}

// One pair of syncs of one site, ours and lftp's, to fresh folders: the first sync and the
// no-change re-run, and the control commands per uploaded file of the first. False when a sync
// failed or a copy differs from the site.
bool RunPair(int pair, const Site& site, const std::string& local,
             testsupport::VsftpdServer& server, Program& program, bench::PairedTimes& first,
             bench::PairedTimes& again, bench::PairedTimes& commandsPerFile) {
    const double files = static_cast<double>(FilesIn(local));
    const std::string ours = std::string(site.name) + "-ours" + std::to_string(pair);
    const std::string lftp = std::string(site.name) + "-lftp" + std::to_string(pair);
    const std::string oursFolder = server.RemotePath("/upload/" + ours);
    const std::string lftpFolder = server.RemotePath("/upload/" + lftp);
    server.PutDir(oursFolder);  // the site's remote folder exists, empty
    server.PutDir(lftpFolder);
    double times[2][2];  // [first, again][ours, lftp]
    double perFile[2];   // the first sync's commands per file [ours, lftp]
    for (int run = 0; run < 2; ++run) {
        for (int turn = 0; turn < 2; ++turn) {
            const bool oursNow = (turn == 0) == bench::OursFirst(pair);
            const int64_t before = run == 0 ? CommandsLogged(server) : 0;
            times[run][oursNow ? 0 : 1] = oursNow ? program.Sync(server, local, oursFolder)
                                                  : MirrorWithLftp(server, local, lftpFolder);
            if (run == 0)
                perFile[oursNow ? 0 : 1] =
                    static_cast<double>(CommandsLogged(server) - before) / files;
        }
    }
    if (times[0][0] < 0 || times[0][1] < 0 || times[1][0] < 0 || times[1][1] < 0) {
        std::fprintf(stderr, "a sync of %s failed (ours %.3f, %.3f s; lftp %.3f, %.3f s)\n",
                     site.name, times[0][0], times[1][0], times[0][1], times[1][1]);
        return false;
    }
    if (!SameTree(local, server.WritableDir() + "/" + ours) ||
        !SameTree(local, server.WritableDir() + "/" + lftp)) {
        std::fprintf(stderr, "a copy of %s on the server differs from the site\n", site.name);
        return false;
    }
    first.Add(times[0][0], times[0][1]);
    again.Add(times[1][0], times[1][1]);
    commandsPerFile.Add(perFile[0], perFile[1]);
    fs::remove_all(server.WritableDir() + "/" + ours);
    fs::remove_all(server.WritableDir() + "/" + lftp);
    return true;
}

// Pairs of syncs of one site until the ratios of both syncs are steady.
bool RunPairs(const Site& site, const std::string& local, testsupport::VsftpdServer& server,
              Program& program, bench::PairedTimes& first, bench::PairedTimes& again,
              bench::PairedTimes& commandsPerFile) {
    return bench::RunPairsUntilSteady(kPairs, {&first, &again}, [&](int pair) {
        return RunPair(pair, site, local, server, program, first, again, commandsPerFile);
    });
}

}  // namespace

int main(int argc, char** argv) {
    const std::string only = argc > 1 ? argv[1] : "";
    if (!synctest::InPrivateNetwork()) {
        std::fprintf(stderr, "needs a private network namespace (run as root)\n");
        return 1;
    }
    testsupport::TempFolder folder("sync-bench");
    setenv("XDG_CONFIG_HOME", (folder.Path() + "/config").c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    fw::EnsurePlatformApplication();

    testsupport::VsftpdServer::Options options;
    options.port = 21;
    // Every command in vsftpd's log, to count the round trips of each side.
    options.extraConfig = {"xferlog_enable=YES", "log_ftp_protocol=YES"};
    testsupport::VsftpdServer server(options);
    Program program;
    if (only.empty()) ReportIdle("after start-up", program.Idle());
    std::fflush(stdout);

    for (const Site& site : kSites) {
        if (!only.empty() && only != site.name) continue;
        const std::string local = folder.Path() + "/" + site.name;
        if (!MakeSite(site, local)) {
            std::fprintf(stderr, "can't write the site\n");
            return 1;
        }
        bench::PairedTimes first, again, commandsPerFile;
        if (!RunPairs(site, local, server, program, first, again, commandsPerFile)) return 1;
        std::printf("%s site: %d folders x %d files of %zu-%zu bytes", site.name, site.folders,
                    site.filesPerFolder, site.smallest, site.largest);
        if (site.bigBytes > 0)
            std::printf(" and one file of %lld MB",
                        static_cast<long long>(site.bigBytes / 1000000));
        std::printf(", binary, vsftpd on loopback, passive mode\n");
        bench::ReportTimes(site.name, "lftp", first);
        bench::ReportTimes(std::string(site.name) + " resync", "lftp", again);
        bench::ReportCounts(site.name, "control round trips per uploaded file", "lftp",
                            commandsPerFile);
        std::fflush(stdout);
        fs::remove_all(local);
    }

    if (!only.empty()) return 0;
    // Idle with a comparison on screen, and after a run, still connected.
    const std::string local = folder.Path() + "/idle";
    const Site idleSite = {"idle", 10, 10, 1024, 1024, 0};
    if (!MakeSite(idleSite, local)) return 1;
    const std::string remote = server.RemotePath("/upload/idle");
    server.PutDir(remote);
    program.Prepare(server, local, remote);
    if (!program.Connect() ||
        !testsupport::WaitUntil([&] { return program.Window().ConnectionsQuiet(); }, kTimeoutMs)) {
        std::fprintf(stderr, "the comparison before idling failed\n");
        return 1;
    }
    ReportIdle("after a comparison", program.Idle());
    program.Disconnect();
    IdleUse afterRun;
    if (program.Sync(server, local, remote, [&] { afterRun = program.Idle(); }) < 0) return 1;
    ReportIdle("after a run", afterRun);
    return 0;
}
