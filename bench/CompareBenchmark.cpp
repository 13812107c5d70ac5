// The comparison pass on a generated tree: a local folder of N entries (a tenth of them folders)
// and the matching remote listings, with 1% of the files newer locally, 1% missing on the server
// and 1% more on the server. The listings are handed to the remote walk as the data connection
// would hand them; the figure is the comparison pass that the last listing starts: the local
// scan, the child counts, the merge and its marks, and the filling and opening of both lists.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "framework/Application.h"
#include "framework/EventLoop.h"
#include "mainwindow/Window1.h"
#include "tests/support/TestFiles.h"

namespace {

constexpr int kFilesPerFolder = 9;
constexpr int kSubfoldersPerFolder = 99;

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

std::string Line(const std::string& type, const std::string& date, const std::string& name) {
    return type + "rw-r--r--   1 user     group         100 " + date + " " + name + "\r\n";
}

// Builds the local tree on disk and the remote listings by remote folder path.
class GeneratedSite {
public:
    GeneratedSite(const std::string& localRoot, int entries) : localRoot_(localRoot) {
        // 2020/06/15 23:59 local time: what the year form of a listing reads for that day.
        struct tm t {};
        t.tm_year = 120;
        t.tm_mon = 5;
        t.tm_mday = 15;
        t.tm_hour = 23;
        t.tm_min = 59;
        t.tm_isdst = -1;
        stamp_[0].tv_sec = stamp_[1].tv_sec = mktime(&t);
        const int topFolders = entries / 1000;
        std::filesystem::create_directories(localRoot_);
        std::string rootListing;
        for (int a = 0; a < topFolders; ++a) {
            const std::string name = "folder" + std::to_string(a);
            rootListing += Line("d", "Jun 15  2020", name);
            MakeFolder(name + "/", "/site/" + name, true);
        }
        listings_["/site"] = rootListing;
    }

    std::map<std::string, std::string>& Listings() { return listings_; }
    int Files() const { return files_; }

private:
    void MakeFolder(const std::string& relative, const std::string& remote, bool withSubfolders) {
        std::filesystem::create_directory(localRoot_ + relative);
        std::string listing;
        for (int f = 0; f < kFilesPerFolder; ++f) {
            const std::string name = "file" + std::to_string(f) + ".html";
            const int n = files_++;
            const std::string path = localRoot_ + relative + name;
            int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::futimens(fd, stamp_);
            ::close(fd);
            if (n % 100 == 1) continue;  // missing on the server
            listing += Line("-", n % 100 == 0 ? "Jun 14  2020" : "Jun 15  2020", name);
        }
        if (folders_++ % 10 == 0) listing += Line("-", "Jun 15  2020", "extra.html");
        if (withSubfolders) {
            for (int s = 0; s < kSubfoldersPerFolder; ++s) {
                const std::string name = "sub" + std::to_string(s);
                listing += Line("d", "Jun 15  2020", name);
                MakeFolder(relative + name + "/", remote + "/" + name, false);
            }
        }
        listings_[remote] = listing;
    }

    std::string localRoot_;
    struct timespec stamp_[2]{};
    std::map<std::string, std::string> listings_;
    int files_ = 0;
    int folders_ = 0;
};

struct Run {
    double passSeconds = -1;
    size_t local = 0, remote = 0, uploads = 0, deletions = 0;
};

// Hands every listing to the walk in the order it asks for them; times the last hand-over, which
// runs the comparison pass.
Run Compare(Window1& w, GeneratedSite& site, const std::string& localRoot) {
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
        // Each listing is dropped once handed over, as one that came from the server would be.
        std::string text;
        if (auto listing = site.Listings().find(w.currentPath); listing != site.Listings().end())
            text = std::move(listing->second);
        auto start = std::chrono::steady_clock::now();
        w.dataSocket_gotList(w.dataSocket, text);
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
        Run run = Compare(*w, site, localRoot);
        if (run.local != static_cast<size_t>(sizes[i]) || run.uploads == 0 || run.deletions == 0 ||
            w->localListBox->ListCount() != static_cast<int32_t>(run.local)) {
            std::fprintf(stderr,
                         "comparison of %d entries went wrong: %zu local, %zu remote, %zu "
                         "to upload, %zu to delete, %d rows\n",
                         sizes[i], run.local, run.remote, run.uploads, run.deletions,
                         w->localListBox->ListCount());
            return 1;
        }
        seconds[i] = run.passSeconds;
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
