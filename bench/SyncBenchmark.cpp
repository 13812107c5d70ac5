// A whole synchronisation: a site of 20 folders of 100 files of 3.2 KB and one file of 200 MB,
// synced through the main window (connect, comparison, Sync, until the end message) to an empty
// folder of vsftpd on 127.0.0.1:21, and the same tree mirrored by lftp ("mirror -R
// --parallel=1") to another folder of the same server, in the same run; then both again with
// nothing changed. The process runs in a network namespace of its own, where port 21 is free.
#include <sys/time.h>

#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <string>

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
#include "tests/support/EventWait.h"
#include "tests/support/FtpServers.h"
#include "tests/sync/PrivateNetwork.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kFolders = 20;
constexpr int kFilesPerFolder = 100;
constexpr size_t kSmallFileBytes = 3200;
constexpr int64_t kBigFileBytes = 200LL * 1000 * 1000;
constexpr int kTimeoutMs = 600000;

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// The site: random bytes, so that nothing compresses or repeats; every file dated an hour back,
// so that what has been uploaded is newer on the server.
bool MakeSite(const std::string& root) {
    std::mt19937_64 random(7);
    auto bytes = [&](size_t n) {
        std::string b(n, '\0');
        for (size_t i = 0; i < n; i += 8) {
            uint64_t v = random();
            std::memcpy(&b[i], &v, std::min<size_t>(8, n - i));
        }
        return b;
    };
    for (int f = 0; f < kFolders; ++f) {
        const std::string folder = root + "/folder" + std::to_string(f);
        fs::create_directories(folder);
        for (int i = 0; i < kFilesPerFolder; ++i)
            if (!testsupport::WriteFile(folder + "/file" + std::to_string(i) + ".bin",
                                        bytes(kSmallFileBytes)))
                return false;
    }
    std::ofstream big(root + "/big.bin", std::ios::binary);
    const std::string block = bytes(1 << 20);
    for (int64_t written = 0; written < kBigFileBytes; written += block.size())
        big.write(block.data(), std::min<int64_t>(block.size(), kBigFileBytes - written));
    big.close();
    if (!big) return false;
    const auto anHourAgo = fs::file_time_type::clock::now() - std::chrono::hours(1);
    for (const auto& e : fs::recursive_directory_iterator(root)) fs::last_write_time(e, anHourAgo);
    return true;
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

    // Seconds from the click on Connect to the end message of the sync, or a negative value.
    double Sync(const testsupport::VsftpdServer& server, const std::string& localRoot,
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

        Clock::time_point done{};
        std::string message;
        fw::ModalHost::ExpectStep([&](const fw::ModalPrompt& p) {
            done = Clock::now();
            message = p.message;
            return fw::ModalAnswer::Press("OK");
        });
        const auto start = Clock::now();
        if (!Click(TagConnect)) return -1;
        if (!testsupport::WaitUntil([&] { return Enabled(TagSync) || !message.empty(); },
                                    kTimeoutMs) ||
            !Click(TagSync))
            return -1;
        if (!testsupport::WaitUntil([&] { return !message.empty(); }, kTimeoutMs)) return -1;
        const double seconds = std::chrono::duration<double>(done - start).count();
        if (message.rfind("同期が終了しました。", 0) != 0) {
            std::fprintf(stderr, "the sync ended with \"%s\"\n", message.c_str());
            return -1;
        }
        Click(TagDiscon);
        testsupport::WaitUntil([&] { return !w_->commandSocket.IsConnected(); }, 10000);
        return seconds;
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

void Report(const char* name, double ours, double lftp) {
    std::printf("%s ours: %.3f s\n", name, ours);
    std::printf("%s lftp: %.3f s\n", name, lftp);
    std::printf("%s time ratio (ours/lftp): %.2f\n", name, ours / lftp);
}

}  // namespace

int main() {
    if (!synctest::InPrivateNetwork()) {
        std::fprintf(stderr, "needs a private network namespace (run as root)\n");
        return 1;
    }
    testsupport::TempFolder folder("sync-bench");
    setenv("XDG_CONFIG_HOME", (folder.Path() + "/config").c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    fw::EnsurePlatformApplication();

    const std::string site = folder.Path() + "/site";
    if (!MakeSite(site)) {
        std::fprintf(stderr, "can't write the site\n");
        return 1;
    }
    testsupport::VsftpdServer::Options options;
    options.port = 21;
    testsupport::VsftpdServer server(options);
    Program program;

    // Each measure is taken twice, the better one kept, so that a passing hiccup decides less.
    double ours = -1, lftp = -1, oursAgain = -1, lftpAgain = -1;
    for (int round = 0; round < 2; ++round) {
        const std::string n = std::to_string(round);
        const std::string oursFolder = server.RemotePath("/upload/ours" + n);
        const std::string lftpFolder = server.RemotePath("/upload/lftp" + n);
        server.PutDir(oursFolder);  // the site's remote folder exists, empty
        server.PutDir(lftpFolder);
        const double o = program.Sync(server, site, oursFolder);
        const double l = MirrorWithLftp(server, site, lftpFolder);
        const double o2 = program.Sync(server, site, oursFolder);
        const double l2 = MirrorWithLftp(server, site, lftpFolder);
        if (o < 0 || l < 0 || o2 < 0 || l2 < 0) {
            std::fprintf(stderr, "a sync failed (ours %.3f, %.3f s; lftp %.3f, %.3f s)\n", o, o2, l,
                         l2);
            return 1;
        }
        if (!SameTree(site, server.WritableDir() + "/ours" + n) ||
            !SameTree(site, server.WritableDir() + "/lftp" + n)) {
            std::fprintf(stderr, "a copy on the server differs from the site\n");
            return 1;
        }
        auto better = [](double& best, double v) { best = best < 0 ? v : std::min(best, v); };
        better(ours, o);
        better(lftp, l);
        better(oursAgain, o2);
        better(lftpAgain, l2);
    }
    std::printf(
        "site: %d folders x %d files of %zu bytes and one file of %lld MB, binary, "
        "vsftpd on loopback, passive mode\n",
        kFolders, kFilesPerFolder, kSmallFileBytes,
        static_cast<long long>(kBigFileBytes / 1000000));
    Report("sync", ours, lftp);
    Report("resync", oursAgain, lftpAgain);
    return 0;
}
