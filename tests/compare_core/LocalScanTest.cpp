// The local scan on real folders: layout, names, sizes, dates, and what cannot be looked into.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>

#include "compare/LocalScan.h"
#include "compare/TreeBounds.h"
#include "tests/compare_core/TreeBuilder.h"
#include "tests/compare_core/UnreadableFolder.h"
#include "tests/support/DeepTree.h"
#include "tests/support/LinkFlipper.h"
#include "tests/support/TestFiles.h"

namespace {

class LocalScanTest : public testing::Test {
protected:
    void SetUp() override {
        root = std::string(getenv("QUILLOMAR_TEST_ROOT")) + "/site/";
        std::filesystem::create_directories(root);
    }
    void File(const std::string& relative, size_t bytes = 1) {
        ASSERT_TRUE(testsupport::WriteFile(root + relative, std::string(bytes, 'x')));
    }
    void Folder(const std::string& relative) {
        std::filesystem::create_directories(root + relative);
    }
    bool Scan(std::function<fw::FolderRead(fw::FolderReader&)> readItem = {}) {
        tree.clear();
        runs.clear();
        log.clear();
        group = -1;
        LocalScan scan(tree, runs, group);
        scan.log = [this](const std::string& line) { log.push_back(line); };
        scan.readItem = std::move(readItem);
        scan.remoteRoot = remoteRoot;
        const bool scanned = scan.Scan(root);
        failure = scan.RootFailure();
        return scanned;
    }
    const SyncEntry* Find(const std::string& relative) const {
        for (const SyncEntry& e : tree)
            if (e.path == root + relative) return &e;
        return nullptr;
    }
    bool Logged(const std::string& text) const {
        for (const std::string& line : log)
            if (line == text) return true;
        return false;
    }

    std::string root;
    std::string remoteRoot = "/site";
    LocalScan::Failure failure;
    std::vector<SyncEntry> tree;
    std::vector<GroupRun> runs;
    int32_t group = -1;
    std::vector<std::string> log;
};

TEST_F(LocalScanTest, LaysOutTheExampleDepthFirst) {
    Folder("a/y");
    Folder("c");
    File("b.txt");
    File("a/x.txt");
    File("a/y/z.txt");
    ASSERT_TRUE(Scan());
    struct Row {
        const char* path;
        const char* kind;
        int32_t group, child;
    };
    const Row rows[] = {{"a/", "d", 0, 3},      {"b.txt", "f", 0, 0}, {"c/", "d", 0, 6},
                        {"a/x.txt", "f", 1, 0}, {"a/y/", "d", 1, 5},  {"a/y/z.txt", "f", 2, 0}};
    ASSERT_EQ(tree.size(), 6u);
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(tree[i].path, root + rows[i].path);
        EXPECT_EQ(tree[i].kind, rows[i].kind);
        EXPECT_EQ(tree[i].group, rows[i].group);
        if (tree[i].kind == "d") {
            EXPECT_EQ(tree[i].child, rows[i].child) << rows[i].path;
        }
        EXPECT_FALSE(tree[i].check);
    }
    EXPECT_EQ(tree[0].name, "a");
    EXPECT_EQ(tree[0].size, "-");
    EXPECT_EQ(group, 3);  // c took the last number; no entry carries it
    EXPECT_TRUE(log.empty());
}

TEST_F(LocalScanTest, GivesSizesAndLocalDatesAndLeavesHiddenItemsOut) {
    const std::pair<const char*, size_t> files[] = {{"empty", 0},          {"k1000", 1000},
                                                    {"k1001", 1001},       {"k1536", 1536},
                                                    {"m1000000", 1000000}, {"m1000001", 1000001}};
    for (const auto& [name, bytes] : files) File(name, bytes);
    File(".hidden");
    Folder(".git/objects");
    File(".git/objects/x");
    File("日本語 名前.txt");
    const time_t stamp = testsupport::LocalTime(2016, 3, 5, 9, 7);
    struct timeval times[2] = {{stamp, 0}, {stamp, 0}};
    ASSERT_EQ(utimes((root + "k1000").c_str(), times), 0);

    ASSERT_TRUE(Scan());
    EXPECT_EQ(Find("empty")->size, "0 bytes");
    EXPECT_EQ(Find("k1000")->size, "1000 bytes");
    EXPECT_EQ(Find("k1001")->size, "1.0 KB");
    EXPECT_EQ(Find("k1536")->size, "1.5 KB");
    EXPECT_EQ(Find("m1000000")->size, "976.6 KB");
    EXPECT_EQ(Find("m1000001")->size, "1.0 MB");
    EXPECT_EQ(Find("k1000")->date, "2016/03/05 09:07");
    EXPECT_NE(Find("日本語 名前.txt"), nullptr);
    EXPECT_EQ(Find(".hidden"), nullptr);
    EXPECT_EQ(Find(".git/"), nullptr);
    EXPECT_EQ(tree.size(), 7u);
    EXPECT_EQ(group, 0);  // nothing inside the hidden folder was scanned
}

TEST_F(LocalScanTest, AnEmptyRootGivesNoEntry) {
    ASSERT_TRUE(Scan());
    EXPECT_TRUE(tree.empty());
    EXPECT_EQ(group, 0);
}

TEST_F(LocalScanTest, FollowsLinksButNeverIntoALoop) {
    Folder("real");
    File("real/inside.txt", 10);
    File("target.txt", 2000);
    std::filesystem::create_directory_symlink(root + "real", root + "alias");
    std::filesystem::create_symlink(root + "target.txt", root + "link.txt");
    std::filesystem::create_directory_symlink("..", root + "real/up");
    std::filesystem::create_directory_symlink(".", root + "real/self");
    std::filesystem::create_symlink(root + "nowhere", root + "dangling");

    ASSERT_TRUE(Scan());
    // A link to a folder is scanned as that folder, a link to a file is that file.
    ASSERT_NE(Find("alias/"), nullptr);
    EXPECT_NE(Find("alias/inside.txt"), nullptr);
    EXPECT_EQ(Find("link.txt")->size, "2.0 KB");
    // Links back into their own ancestry are opaque, with a line in the log.
    for (const char* loop : {"real/up/", "real/self/", "alias/up/", "alias/self/"}) {
        const SyncEntry* e = Find(loop);
        ASSERT_NE(e, nullptr) << loop;
        EXPECT_TRUE(e->opaque) << loop;
        EXPECT_EQ(e->kind, "d");
        EXPECT_TRUE(Logged(LocalScan::LinkCycleText(root + loop))) << loop;
        EXPECT_EQ(Find(std::string(loop) + "inside.txt"), nullptr);
    }
    const SyncEntry* dangling = Find("dangling");
    ASSERT_NE(dangling, nullptr);
    EXPECT_TRUE(dangling->opaque);
    EXPECT_TRUE(Logged(LocalScan::UnreadableText(root + "dangling")));
}

// A link is followed only when its target, resolved, lies inside the root as the root resolves;
// the root itself may be reached through a link.
TEST_F(LocalScanTest, LinksOutOfTheRootAreOpaqueAndLinksInsideAreFollowed) {
    namespace fs = std::filesystem;
    const std::string base = std::string(getenv("QUILLOMAR_TEST_ROOT"));
    const std::string outside = base + "/private";
    fs::create_directories(outside);
    ASSERT_TRUE(testsupport::WriteFile(outside + "/id_rsa", "KEY"));
    ASSERT_TRUE(testsupport::WriteFile(outside + "/notes.txt", "notes"));
    Folder("real");
    File("real/inside.txt", 10);
    Folder("sub");
    fs::create_directory_symlink("../private", root + "backup");
    fs::create_symlink(outside + "/id_rsa", root + "key.txt");
    fs::create_directory_symlink("/etc", root + "sub/etc");
    fs::create_symlink("../private/notes.txt", root + "hop");
    fs::create_symlink("../hop", root + "sub/chain-out");
    fs::create_directory_symlink(root + "real", root + "alias");
    fs::create_symlink("real/inside.txt", root + "step");
    fs::create_symlink("../step", root + "sub/chain-in");
    fs::create_directory_symlink(base + "/site", base + "/site-link");

    struct Row {
        const char* path;
        const char* kind;
        bool opaque;
    };
    const Row rows[] = {
        {"backup/", "d", true},           {"key.txt", "f", true},
        {"sub/etc/", "d", true},          {"hop", "f", true},
        {"sub/chain-out", "f", true},     {"alias/", "d", false},
        {"alias/inside.txt", "f", false}, {"step", "f", false},
        {"sub/chain-in", "f", false},
    };
    const std::string realRoot = root;
    for (const std::string& scanned : {realRoot, base + "/site-link/"}) {
        SCOPED_TRACE(scanned);
        root = scanned;
        tree.clear();
        runs.clear();
        log.clear();
        group = -1;
        ASSERT_TRUE(Scan());
        for (const Row& row : rows) {
            const SyncEntry* e = Find(row.path);
            ASSERT_NE(e, nullptr) << row.path;
            EXPECT_EQ(e->kind, row.kind) << row.path;
            EXPECT_EQ(e->opaque, row.opaque) << row.path;
            EXPECT_EQ(Logged(LocalScan::OutsideLinkText(root + row.path)), row.opaque) << row.path;
        }
        EXPECT_EQ(Find("sub/chain-in")->size, "10 bytes");
        // Nothing of what the links out point at is scanned.
        for (const SyncEntry& e : tree) {
            EXPECT_EQ(e.path.find("id_rsa"), std::string::npos) << e.path;
            EXPECT_EQ(e.path.find("notes.txt"), std::string::npos) << e.path;
            EXPECT_EQ(e.path.find("passwd"), std::string::npos) << e.path;
        }
        EXPECT_EQ(log.size(), 5u);

        // Against a server that has folders and files of the same names, nothing below the links
        // out is marked on either side, and they are not marked themselves.
        CountChildren(tree, runs, TreeSide::Local);
        FlatTree local{tree, runs, group};
        FlatTree remote = RemoteTree(
            {D("backup", {F("old.txt")}), F("key.txt"), D("sub", {D("etc", {F("hosts")})})});
        MergeTrees(local, remote);
        for (const std::string& path : local.Marked()) {
            for (const char* out : {"backup", "key.txt", "sub/etc", "hop", "chain-out"})
                EXPECT_EQ(path.find(out), std::string::npos) << path;
        }
        EXPECT_TRUE(remote.Marked().empty());
    }
}

TEST_F(LocalScanTest, SpecialFilesAndUnreadableFoldersAreOpaque) {
    File("plain.txt");
    ASSERT_EQ(mkfifo((root + "pipe").c_str(), 0644), 0);
    int sock = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::string socketPath = root + "sock";
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    std::strcpy(address.sun_path, socketPath.c_str());
    ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    Folder("open");
    File("open/a.txt");
    UnreadableFolder locked(root + "locked");

    ASSERT_TRUE(Scan());
    close(sock);
    for (const char* special : {"pipe", "sock"}) {
        const SyncEntry* e = Find(special);
        ASSERT_NE(e, nullptr) << special;
        EXPECT_TRUE(e->opaque);
        EXPECT_EQ(e->kind, "f");
        EXPECT_TRUE(Logged(LocalScan::SpecialFileText(root + special)));
    }
    const SyncEntry* folder = Find("locked/");
    ASSERT_NE(folder, nullptr);
    EXPECT_TRUE(folder->opaque);
    EXPECT_TRUE(Logged(LocalScan::UnreadableText(root + "locked/")));
    EXPECT_FALSE(Find("plain.txt")->opaque);
    EXPECT_NE(Find("open/a.txt"), nullptr);
    EXPECT_EQ(log.size(), 3u);
}

// Whether a folder being read is the one identified.
bool Reading(fw::FolderReader& folder, const fw::FileIdentity& target) {
    const std::optional<fw::Look> look = fw::LookAt(folder.Descriptor());
    return look && look->identity == target;
}

fw::FileIdentity IdentityOf(const std::string& path) {
    const std::optional<fw::Look> look = fw::LookAtPath(path);
    return look ? look->identity : fw::FileIdentity{};
}

// A folder read as a flaky network or FUSE mount gives it: the folder's first item, then EIO.
std::function<fw::FolderRead(fw::FolderReader&)> FailingPartWayIn(const std::string& folder) {
    const fw::FileIdentity target = IdentityOf(folder);
    auto itemsRead = std::make_shared<int>(0);
    return [target, itemsRead](fw::FolderReader& dir) -> fw::FolderRead {
        if (!Reading(dir, target)) return dir.ReadNext();
        while (true) {
            fw::FolderRead item = dir.ReadNext();
            if (!item.name) break;
            if ((*item.name)[0] == '.') continue;
            if (++*itemsRead == 1) return item;
            break;
        }
        return {std::nullopt, EIO};
    };
}

TEST_F(LocalScanTest, AFolderWhoseReadingFailsPartWayIsOpaque) {
    Folder("flaky");
    for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt"})
        File(std::string("flaky/") + name);
    File("top.txt");
    ASSERT_TRUE(Scan(FailingPartWayIn(root + "flaky")));
    const SyncEntry* flaky = Find("flaky/");
    ASSERT_NE(flaky, nullptr);
    EXPECT_TRUE(flaky->opaque);
    EXPECT_TRUE(Logged(LocalScan::UnreadableText(root + "flaky/")));
    EXPECT_EQ(tree.size(), 2u);  // flaky/ and top.txt; nothing read from inside

    // Against the server's copy of the folder, nothing is marked on either side.
    CountChildren(tree, runs, TreeSide::Local);
    FlatTree local{tree, runs, group};
    FlatTree remote = RemoteTree({D("flaky", {F("a.txt"), F("b.txt"), F("c.txt"), F("d.txt")}),
                                  F("top.txt", "2099/01/01 00:00")});
    MergeTrees(local, remote);
    EXPECT_TRUE(local.Marked().empty());
    EXPECT_TRUE(remote.Marked().empty());
}

TEST_F(LocalScanTest, ARootWhoseReadingFailsPartWayGivesNothing) {
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) File(name);
    EXPECT_FALSE(Scan(FailingPartWayIn(root)));
    EXPECT_TRUE(tree.empty());
    EXPECT_EQ(failure.error, EIO);
    EXPECT_TRUE(log.empty()) << "the root is the caller's to report";
}

// A folder that can be listed but not looked into (read without search permission, as after a
// "chmod -R 644"): its names come, but none of its entries can be examined. Leaving them out would
// make the server's copies "only remote".
TEST_F(LocalScanTest, AFolderWhoseEntriesCantBeExaminedIsOpaque) {
    Folder("listed");
    for (const char* name : {"a.txt", "b.txt"}) File(std::string("listed/") + name);
    File("top.txt");
    {
        UnreadableFolder listedOnly(root + "listed", 0644);
        ASSERT_TRUE(Scan());
    }
    const SyncEntry* listed = Find("listed/");
    ASSERT_NE(listed, nullptr);
    EXPECT_TRUE(listed->opaque);
    EXPECT_TRUE(Logged(LocalScan::UnreadableText(root + "listed/")));
    EXPECT_EQ(tree.size(), 2u);  // listed/ and top.txt

    CountChildren(tree, runs, TreeSide::Local);
    FlatTree local{tree, runs, group};
    FlatTree remote =
        RemoteTree({D("listed", {F("a.txt"), F("b.txt")}), F("top.txt", "2099/01/01 00:00")});
    MergeTrees(local, remote);
    EXPECT_TRUE(local.Marked().empty());
    EXPECT_TRUE(remote.Marked().empty());
}

// A root that can't be read gives nothing, and tells the system's reason, for the caller to
// report; the scan's log has no line for it.
TEST_F(LocalScanTest, AnUnreadableRootGivesNothingAndTellsWhy) {
    const struct {
        const char* what;
        mode_t mode;  // of the root
        int error;
    } cases[] = {
        {"no permission at all", 0, EACCES},
        {"names listed, nothing looked into", 0644, EACCES},
    };
    const std::string base = root;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(testsupport::WriteFile(base + c.what + "/page.html", "x"));
        UnreadableFolder locked(base + c.what, c.mode);
        root = locked.Path() + "/";
        EXPECT_FALSE(Scan());
        EXPECT_TRUE(tree.empty());
        EXPECT_EQ(failure.error, c.error);
        EXPECT_FALSE(failure.noProc);
        EXPECT_TRUE(log.empty());
    }
    root = base + "missing/";
    EXPECT_FALSE(Scan());
    EXPECT_EQ(group, -1);
    EXPECT_EQ(failure.error, ENOENT);
}

// Where /proc is not mounted (a chroot or a sandbox that mounts none), where a folder lies can't
// be told, nor whether a link leads out of it: the root is reported as unreadable for that reason,
// and nothing is scanned. Shown in a child process in a mount namespace of its own, with an empty
// file system over /proc; skipped where such a namespace can't be made.
TEST_F(LocalScanTest, WithoutProcTheRootIsReportedForIt) {
    File("page.html");
    Folder("sub");
    File("sub/inside.txt");
    int channel[2];
    ASSERT_EQ(pipe(channel), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(channel[0]);
        std::string verdict;
        if (unshare(CLONE_NEWNS) != 0 ||
            mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount("none", "/proc", "tmpfs", 0, nullptr) != 0) {
            verdict = std::string("skip ") + std::strerror(errno);
        } else {
            const bool scanned = Scan();
            verdict = "scanned " + std::to_string(scanned) + " noProc " +
                      std::to_string(failure.noProc) + " entries " + std::to_string(tree.size()) +
                      " lines " + std::to_string(log.size());
        }
        (void)!write(channel[1], verdict.data(), verdict.size());
        _exit(0);
    }
    close(channel[1]);
    std::string verdict;
    char buffer[256];
    for (ssize_t n; (n = read(channel[0], buffer, sizeof buffer)) > 0;)
        verdict.append(buffer, static_cast<size_t>(n));
    close(channel[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    if (verdict.rfind("skip ", 0) == 0) GTEST_SKIP() << "no mount namespace: " << verdict;
    EXPECT_EQ(verdict, "scanned 0 noProc 1 entries 0 lines 0");
}

// The scan keeps to the remote walk's bounds, read from the path the run would send: the remote
// root, "/", and the names below the local root. A folder more than 64 levels down, and a folder or
// file whose path on the server would pass 4,096 bytes, are opaque and named in the log; nothing
// below them is scanned. The local paths pass PATH_MAX, which the scan must not mind.
TEST_F(LocalScanTest, KeepsToTheRemoteWalksBounds) {
    std::string deep;
    for (int level = 1; level <= 66; ++level) {
        deep += "d/";
        ASSERT_TRUE(testsupport::MakeDeep(root, deep + "f.txt"));
    }
    const std::string at64 = deep.substr(0, 64 * 2), at65 = deep.substr(0, 65 * 2);
    // 250-byte names down to a folder whose path below "/site" is 4,021 bytes long, and in it
    // files and folders whose paths come to 4,096 bytes and to one more.
    std::string at = "";
    for (int level = 1; level <= 16; ++level) at += std::string(250, 'a' + level) + "/";
    ASSERT_EQ(std::string("/site/").size() + at.size() - 1, 4021u);
    const std::string file4096 = at + std::string(74, 'k'), file4097 = at + std::string(75, 'p');
    const std::string folder4096 = at + std::string(74, 'K') + "/";
    const std::string folder4097 = at + std::string(75, 'P') + "/";
    const std::string folder4272 = at + std::string(250, 'z') + "/";
    for (const std::string& file : {file4096, file4097})
        ASSERT_TRUE(testsupport::MakeDeep(root, file));
    for (const std::string& folder : {folder4096, folder4097, folder4272})
        ASSERT_TRUE(testsupport::MakeDeep(root, folder + "x"));

    const struct {
        const char* remoteRoot;
        std::vector<std::string> kept;
        std::vector<std::string> tooLong;
        std::vector<std::string> absent;
    } cases[] = {
        {"/site",
         {file4096, folder4096},
         {file4097, folder4097, folder4096 + "x", folder4272},
         {folder4097 + "x", folder4272 + "x"}},
        // A remote root one byte longer takes the 4,096 bytes' entries past the bound.
        {"/site2",
         {at},
         {file4096, file4097, folder4096, folder4097, folder4272},
         {folder4096 + "x", folder4097 + "x", folder4272 + "x"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.remoteRoot);
        remoteRoot = c.remoteRoot;
        ASSERT_TRUE(Scan());
        for (const std::string& path : c.kept) {
            ASSERT_NE(Find(path), nullptr) << path.size();
            EXPECT_FALSE(Find(path)->opaque) << path.size();
        }
        for (const std::string& path : c.tooLong) {
            ASSERT_NE(Find(path), nullptr) << path.size();
            EXPECT_TRUE(Find(path)->opaque) << path.size();
            EXPECT_TRUE(Logged(TooLongText(root + path))) << path.size();
        }
        for (const std::string& path : c.absent) EXPECT_EQ(Find(path), nullptr) << path.size();

        ASSERT_NE(Find(at64), nullptr);
        EXPECT_FALSE(Find(at64)->opaque);
        EXPECT_NE(Find(at64 + "f.txt"), nullptr);
        ASSERT_NE(Find(at65), nullptr);
        EXPECT_TRUE(Find(at65)->opaque);
        EXPECT_TRUE(Logged(TooDeepText(root + at65)));
        EXPECT_EQ(Find(at65 + "f.txt"), nullptr);
        EXPECT_EQ(log.size(), c.tooLong.size() + 1);
    }
}

// A folder read as the system gives it, with a change of the disk made once, when the given folder
// is first read: a moment after its parent was listed and before the folders after it are opened.
std::function<fw::FolderRead(fw::FolderReader&)> ChangingWhileReading(
    const std::string& folder, std::function<void()> change) {
    const fw::FileIdentity target = IdentityOf(folder);
    auto done = std::make_shared<bool>(false);
    return [target, done, change = std::move(change)](fw::FolderReader& dir) -> fw::FolderRead {
        if (!*done && Reading(dir, target)) {
            *done = true;
            change();
        }
        return dir.ReadNext();
    };
}

// A folder swapped or removed after its parent was listed, while the scan reads its sibling aaa/,
// is not gone into: the scan reads only the folder the listing saw, and a link's folder only
// while it lies inside the root.
TEST_F(LocalScanTest, AFolderChangedAfterItsParentWasListedIsNotGoneInto) {
    namespace fs = std::filesystem;
    const std::string base = std::string(getenv("QUILLOMAR_TEST_ROOT")) + "/";
    struct Case {
        const char* name;
        std::function<void(const std::string& root, const std::string& outside)> change;
        std::vector<std::pair<std::string, std::string (*)(const std::string&)>> opaque;
    };
    using fs::create_directory_symlink;
    const auto away = [](const std::string& from, const std::string& outside) {
        fs::rename(from, outside + "/away");
    };
    const std::vector<Case> cases = {
        {"a folder swapped for a link out of the root",
         [&](const std::string& root, const std::string& outside) {
             away(root + "sub", outside);
             create_directory_symlink(outside + "/private", root + "sub");
         },
         {{"sub/", LocalScan::ReplacedText}}},
        {"a folder swapped for a link to another folder inside",
         [&](const std::string& root, const std::string& outside) {
             away(root + "sub", outside);
             create_directory_symlink(root + "real", root + "sub");
         },
         {{"sub/", LocalScan::ReplacedText}}},
        {"a folder swapped for another folder",
         [&](const std::string& root, const std::string& outside) {
             away(root + "sub", outside);
             fs::create_directory(root + "sub");
             testsupport::WriteFile(root + "sub/id_rsa", "KEY");
         },
         {{"sub/", LocalScan::ReplacedText}}},
        {"a folder swapped for a file",
         [&](const std::string& root, const std::string& outside) {
             away(root + "sub", outside);
             testsupport::WriteFile(root + "sub", "KEY");
         },
         {{"sub/", LocalScan::ReplacedText}}},
        {"a folder removed",
         [&](const std::string& root, const std::string& outside) { away(root + "sub", outside); },
         {{"sub/", LocalScan::UnreadableText}}},
        {"a link to a folder turned out of the root",
         [&](const std::string& root, const std::string& outside) {
             fs::remove(root + "alias");
             create_directory_symlink(outside + "/private", root + "alias");
         },
         {{"alias/", LocalScan::ReplacedText}}},
        {"a link's folder moved out of the root, a link left in its place",
         [&](const std::string& root, const std::string& outside) {
             away(root + "real", outside);
             create_directory_symlink(outside + "/away", root + "real");
         },
         {{"alias/", LocalScan::OutsideLinkText}, {"real/", LocalScan::ReplacedText}}},
    };
    for (size_t n = 0; n < cases.size(); ++n) {
        const Case& c = cases[n];
        SCOPED_TRACE(c.name);
        const std::string outside = base + "case" + std::to_string(n);
        root = outside + "/site/";
        fs::create_directories(outside + "/private");
        ASSERT_TRUE(testsupport::WriteFile(outside + "/private/id_rsa", "KEY"));
        for (const char* file :
             {"aaa/a1.txt", "aaa/a2.txt", "real/inside.txt", "sub/page.html", "top.txt"})
            File(file);
        create_directory_symlink(root + "real", root + "alias");

        ASSERT_TRUE(Scan(ChangingWhileReading(root + "aaa", [&] { c.change(root, outside); })));
        for (const auto& [path, text] : c.opaque) {
            const SyncEntry* e = Find(path);
            ASSERT_NE(e, nullptr) << path;
            EXPECT_TRUE(e->opaque) << path;
            EXPECT_EQ(e->kind, "d") << path;
            EXPECT_TRUE(Logged(text(root + path))) << text(root + path);
        }
        EXPECT_EQ(log.size(), c.opaque.size());
        for (const SyncEntry& e : tree) {
            EXPECT_EQ(e.path.find("id_rsa"), std::string::npos) << e.path;
            for (const auto& opaque : c.opaque) {
                const std::string folder = root + opaque.first;
                EXPECT_FALSE(e.path.size() > folder.size() && e.path.rfind(folder, 0) == 0)
                    << e.path << " was scanned";
            }
        }
        EXPECT_NE(Find("aaa/a2.txt"), nullptr);
        EXPECT_NE(Find("top.txt"), nullptr);
    }
}

// Links swapped again and again between a file inside and a key outside while the scan runs:
// every entry of a link is either opaque, as leading out, or the file inside, never the key taken
// for a file inside; a link to a folder swapped the same way never brings the key's folder in.
TEST_F(LocalScanTest, ALinkSwappedDuringTheScanIsJudgedAndIdentifiedOnOneLook) {
    namespace fs = std::filesystem;
    const std::string base = std::string(getenv("QUILLOMAR_TEST_ROOT")) + "/";
    fs::create_directories(base + "private");
    fs::create_directories(base + "flip");
    ASSERT_TRUE(testsupport::WriteFile(base + "private/id_rsa", "PRIVATE KEY"));
    File("page.html", 10);
    File("real/inside.txt");
    struct stat page;
    ASSERT_EQ(stat((root + "page.html").c_str(), &page), 0);
    std::vector<std::pair<std::string, std::string>> pairs;
    for (int i = 0; i < 24; ++i) {
        std::string name = "l";
        name += std::to_string(i);
        const bool folder = i % 4 == 3;
        if (folder) {
            fs::create_directory_symlink(root + "real", root + name);
            fs::create_directory_symlink(base + "private", base + "flip/" + name);
        } else {
            fs::create_symlink(root + "page.html", root + name);
            fs::create_symlink(base + "private/id_rsa", base + "flip/" + name);
        }
        pairs.emplace_back(root + name, base + "flip/" + name);
    }
    testsupport::LinkFlipper flipper(pairs, 4);
    const unsigned swapsBefore = flipper.Swaps();
    int mistaken = 0;
    for (int run = 0; run < 1000 && mistaken == 0; ++run) {
        ASSERT_TRUE(Scan());
        for (const SyncEntry& e : tree) {
            if (e.path.find("id_rsa") != std::string::npos) ++mistaken;
            if (e.name[0] != 'l' || e.kind != "f" || e.opaque) continue;
            if (e.identity.inode != static_cast<uint64_t>(page.st_ino) || e.size != "10 bytes")
                ++mistaken;
        }
    }
    const unsigned swapsWhileScanning = flipper.Swaps() - swapsBefore;  // not Stop's own
    flipper.Stop();
    EXPECT_GT(swapsWhileScanning, 0u);
    EXPECT_EQ(mistaken, 0);
}

}  // namespace
