// The remote walk and the comparison against vsftpd on loopback, with nothing to do: the local
// folder is the very tree the server serves. 10,000 entries in 1,010 folders and 100,000 entries
// in 10,100 folders (9 files of 100 bytes in each leaf folder), from the connect to both lists
// filled; beside it, in the same run, lftp's dry-run mirror of the 10,000-entry tree, the two in
// interleaved pairs, the order alternating, until the median ratio is steady, medians kept. The
// walk is judged by the ratio of the two 10,000-entry times and by its growth to 100,000 entries,
// read from pairs of the two trees' walks alike.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/PairedRuns.h"
#include "framework/Application.h"
#include "framework/EventLoop.h"
#include "mainwindow/Window1.h"
#include "tests/support/FtpServers.h"

namespace {

// A pair takes a few seconds; one of the growth, ten. Seven pairs could read steady by chance
// and the next run differ by a seventh.
constexpr bench::PairCount kPairs{11, 31};
constexpr bench::PairCount kGrowthPairs{5, 9};

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// topFolders folders of 100 leaf folders of 9 files each, every file dated 2020/06/15 00:00 UTC:
// the server lists that day's year form (23:59 of that day), which no local date text of the
// same instant exceeds, so nothing is newer on either side.
int MakeTree(const std::string& root, int topFolders) {
    const struct timespec stamp[2] = {{1592179200, 0}, {1592179200, 0}};
    const std::string content(100, 'x');
    int entries = 0;
    for (int a = 0; a < topFolders; ++a) {
        const std::string top = root + "/top" + std::to_string(a);
        std::filesystem::create_directories(top);
        ++entries;
        for (int b = 0; b < 100; ++b) {
            const std::string leaf = top + "/leaf" + std::to_string(b);
            std::filesystem::create_directory(leaf);
            ++entries;
            for (int f = 0; f < 9; ++f) {
                const std::string path = leaf + "/page" + std::to_string(f) + ".html";
                int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
                if (fd < 0 || ::write(fd, content.data(), content.size()) < 0) return -1;
                ::futimens(fd, stamp);
                ::close(fd);
                ++entries;
            }
        }
    }
    return entries;
}

// Seconds from the connect to both lists filled, or a negative value when the comparison did
// not come out as a comparison of equal trees.
double WalkWithProgram(const testsupport::VsftpdServer& server, const std::string& folder,
                       int entries) {
    Window1* w = Window1::Instance();
    w->ClearVal();
    w->pLocalFolder = fw::FolderItem(server.Root() + folder);
    const std::string remote = server.RemotePath(folder);
    w->EditField4->SetText(remote);
    w->EditField8->SetText("");
    w->path = remote;
    FtpCommandSocket& c = w->commandSocket;
    c.Address = server.Host();
    c.Port = server.Port();
    c.userID = server.User();
    c.password = server.Password();
    c.usePASV = true;
    c.dataPort = &w->dataSocket;
    auto start = std::chrono::steady_clock::now();
    c.Connect();
    w->GetCompareList();
    bool done = fw::RunEventLoopUntil([&] { return w->pFin && !w->pComparePass; }, 1800000);
    double seconds = Seconds(start);
    c.Close();
    size_t marks = 0;
    for (const SyncEntry& e : w->pSyncL) marks += e.check;
    for (const SyncEntry& e : w->pSyncR) marks += e.check;
    if (!done || marks != 0 || w->pSyncR.size() != static_cast<size_t>(entries) ||
        w->pSyncL.size() != static_cast<size_t>(entries) ||
        w->remoteListBox->ListCount() != entries) {
        std::fprintf(
            stderr, "walk of %d entries went wrong: %s, %zu remote, %zu local, %zu marks\n",
            entries, done ? "done" : "not done", w->pSyncR.size(), w->pSyncL.size(), marks);
        return -1;
    }
    return seconds;
}

double WalkWithLftp(const testsupport::VsftpdServer& server, const std::string& folder) {
    const std::string url = "ftp://" + server.User() + ":guest%40example.com@" + server.Host() +
                            ":" + std::to_string(server.Port()) + server.RemotePath(folder);
    const std::string command =
        "lftp -c \"set ftp:use-mdtm no; mirror -R --dry-run --only-newer '" + server.Root() +
        folder + "' '" + url + "'\" >/dev/null";
    auto start = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) != 0) return -1;
    return Seconds(start);
}

}  // namespace

int main() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    fw::EnsurePlatformApplication();
    testsupport::VsftpdServer server;
    const int small = MakeTree(server.Root() + "/walk10k", 10);
    const int large = MakeTree(server.Root() + "/walk100k", 100);
    if (small < 0 || large < 0) {
        std::fprintf(stderr, "could not make the trees\n");
        return 1;
    }
    bench::PairedTimes walk10k;
    const bool ran = bench::RunPairsUntilSteady(kPairs, {&walk10k}, [&](int pair) {
        double o = -1, l = -1;
        if (bench::OursFirst(pair)) {
            o = WalkWithProgram(server, "/walk10k", small);
            l = WalkWithLftp(server, "/walk10k");
        } else {
            l = WalkWithLftp(server, "/walk10k");
            o = WalkWithProgram(server, "/walk10k", small);
        }
        if (o < 0 || l < 0) return false;
        walk10k.Add(o, l);
        return true;
    });
    if (!ran) return 1;
    std::printf("walk 10000 entries: %.3f s\n", bench::Median(walk10k.ours));
    std::fflush(stdout);
    // The growth is ours alone, from pairs of the large tree's walk and the small one's, the
    // order alternating: the level of either moves by a tenth or more from one minute to the
    // next, and a pair meets one level.
    bench::PairedTimes growth;  // "ours": the large tree, "peer": the small one
    const bool grew = bench::RunPairsUntilSteady(kGrowthPairs, {&growth}, [&](int pair) {
        double l = -1, s = -1;
        if (bench::OursFirst(pair)) {
            l = WalkWithProgram(server, "/walk100k", large);
            s = WalkWithProgram(server, "/walk10k", small);
        } else {
            s = WalkWithProgram(server, "/walk10k", small);
            l = WalkWithProgram(server, "/walk100k", large);
        }
        if (l < 0 || s < 0) return false;
        growth.Add(l, s);
        return true;
    });
    if (!grew) return 1;
    std::printf("walk 100000 entries: %s\n",
                bench::MedianAndSpread(growth.ours, "%.3f", " s").c_str());
    std::printf("walk growth: %s\n", bench::MedianAndSpread(growth.Ratios(), "%.2f").c_str());
    bench::ReportTimes("walk 10000", "lftp", walk10k);
    Window1::Instance()->Close();
    fw::ProcessPendingEvents();
    return 0;
}
