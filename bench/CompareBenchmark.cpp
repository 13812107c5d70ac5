// The comparison pass on a generated tree: a local folder of N entries (a tenth of them folders)
// and the matching remote listings, with 1% of the files newer locally, 1% missing on the server
// and 1% more on the server. The listings are handed to the remote walk as the data connection
// would hand them; the figure is the comparison pass that the last listing starts: the local
// scan, the child counts, the merge and its marks, and the filling and opening of both lists.
// Each size is compared five times; the best time counts.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

#include "framework/Application.h"
#include "framework/EventLoop.h"
#include "mainwindow/Window1.h"
#include "tests/support/TestFiles.h"

namespace {

constexpr int kFilesPerFolder = 9;
constexpr int kSubfoldersPerFolder = 99;
constexpr int kRuns = 5;

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

long PeakMegabytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6) / 1024;
    return -1;
}

std::string Line(char type, const std::string& date, const std::string& name) {
    return std::string(1, type) + "rw-r--r--   1 user     group         100 " + date + " " + name +
           "\r\n";
}

// The site: top folders of 9 files and 99 subfolders, each subfolder of 9 files. A folder's
// number is 100 × its top folder, plus 1 + its own number below it; a file's is 9 × its
// folder's plus its own. Which files are newer, missing or extra follows from these numbers, so
// each listing is made when the walk asks for it, as a server would send it.
class GeneratedSite {
public:
    GeneratedSite(const std::string& localRoot, int entries)
        : localRoot_(localRoot), topFolders_(entries / 1000) {
        // The last minute of the day that the year form of a listing ("Jun 15  2020") reads.
        const time_t lastMinute = testsupport::LocalTime(2020, 6, 15, 23, 59);
        const struct timespec stamp[2] = {{lastMinute, 0}, {lastMinute, 0}};
        for (int a = 0; a < topFolders_; ++a) {
            MakeFolder("folder" + std::to_string(a) + "/", stamp);
            for (int b = 0; b < kSubfoldersPerFolder; ++b)
                MakeFolder("folder" + std::to_string(a) + "/sub" + std::to_string(b) + "/", stamp);
        }
    }

    // The listing of a remote folder ("/site", "/site/folderA", "/site/folderA/subB").
    std::string Listing(const std::string& path) const {
        std::string listing;
        if (path == "/site") {
            for (int a = 0; a < topFolders_; ++a)
                listing += Line('d', "Jun 15  2020", "folder" + std::to_string(a));
            return listing;
        }
        const size_t sub = path.find("/sub");
        const int a = std::atoi(path.c_str() + path.find("folder") + 6);
        const int number = a * 100 + (sub == std::string::npos ? 0 : 1 + std::atoi(&path[sub + 4]));
        for (int f = 0; f < kFilesPerFolder; ++f) {
            const int n = number * kFilesPerFolder + f;
            if (n % 100 == 1) continue;  // missing on the server
            listing += Line('-', n % 100 == 0 ? "Jun 14  2020" : "Jun 15  2020",
                            "file" + std::to_string(f) + ".html");
        }
        if (number % 10 == 0) listing += Line('-', "Jun 15  2020", "extra.html");
        if (sub == std::string::npos)
            for (int b = 0; b < kSubfoldersPerFolder; ++b)
                listing += Line('d', "Jun 15  2020", "sub" + std::to_string(b));
        return listing;
    }

private:
    void MakeFolder(const std::string& relative, const struct timespec* stamp) {
        std::filesystem::create_directories(localRoot_ + relative);
        for (int f = 0; f < kFilesPerFolder; ++f) {
            const std::string path = localRoot_ + relative + "file" + std::to_string(f) + ".html";
            int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::futimens(fd, stamp);
            ::close(fd);
        }
    }

    std::string localRoot_;
    int topFolders_;
};

struct Run {
    double passSeconds = -1;
    size_t local = 0, remote = 0, uploads = 0, deletions = 0;
};

// Hands every listing to the walk in the order it asks for them; times the last hand-over, which
// runs the comparison pass.
Run Compare(Window1& w, const GeneratedSite& site, const std::string& localRoot) {
    w.ClearVal();
    w.pLocalFolder = fw::FolderItem(localRoot);
    w.EditField4->SetText("/site");
    w.EditField8->SetText("");
    w.path = "/site";
    w.commandSocket.usePASV = true;
    w.commandSocket.dataPort = &w.dataSocket;
    w.GetCompareList();
    w.commandSocket_loggedIn(w.commandSocket, "257 \"/\"");
    Run run;
    while (w.pSyncRFlg) {
        w.commandSocket_remoteDirChanged(w.commandSocket, "257 \"" + w.currentPath + "\"");
        const std::string listing = site.Listing(w.currentPath);
        auto start = std::chrono::steady_clock::now();
        w.dataSocket_gotList(w.dataSocket, listing);
        if (!w.pSyncRFlg) run.passSeconds = Seconds(start);
    }
    run.local = w.pSyncL.size();
    run.remote = w.pSyncR.size();
    for (const SyncEntry& e : w.pSyncL) run.uploads += e.check;
    for (const SyncEntry& e : w.pSyncR) run.deletions += e.check;
    return run;
}

}  // namespace

int main() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    fw::EnsurePlatformApplication();
    testsupport::TempFolder folder("compare-bench");
    Window1* w = Window1::Instance();
    double seconds[2] = {-1, -1};
    const int sizes[2] = {10000, 100000};
    for (int i = 0; i < 2; ++i) {
        const std::string localRoot = folder.Path() + "/local" + std::to_string(sizes[i]) + "/";
        GeneratedSite site(localRoot, sizes[i]);
        for (int k = 0; k < kRuns; ++k) {
            Run run = Compare(*w, site, localRoot);
            // 1% newer and 1% missing of the files; one extra file in every tenth folder.
            const size_t files = static_cast<size_t>(sizes[i]) * 9 / 10;
            if (run.local != static_cast<size_t>(sizes[i]) || run.uploads != files / 50 ||
                run.deletions != files / 90 ||
                w->localListBox->ListCount() != static_cast<int32_t>(run.local) ||
                w->remoteListBox->ListCount() != static_cast<int32_t>(run.remote)) {
                std::fprintf(stderr,
                             "comparison of %d entries went wrong: %zu local, %zu remote, %zu to "
                             "upload, %zu to delete, %d and %d rows\n",
                             sizes[i], run.local, run.remote, run.uploads, run.deletions,
                             w->localListBox->ListCount(), w->remoteListBox->ListCount());
                return 1;
            }
            if (seconds[i] < 0 || run.passSeconds < seconds[i]) seconds[i] = run.passSeconds;
        }
        std::printf("compare %d entries: %.3f s\n", sizes[i], seconds[i]);
        std::fflush(stdout);
        std::filesystem::remove_all(localRoot);
    }
    std::printf("compare growth: %.2f\n", seconds[1] / seconds[0]);
    std::printf("compare peak memory: %ld MB\n", PeakMegabytes());
    w->Close();
    fw::ProcessPendingEvents();
    return 0;
}
