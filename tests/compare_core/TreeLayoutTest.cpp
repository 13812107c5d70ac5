// The flattened trees: the batch sort, the runs, and the child counts with their path test.
#include <gtest/gtest.h>

#include "compare/ChildCounts.h"
#include "framework/Strings.h"
#include "tests/compare_core/TreeBuilder.h"

namespace {

SyncEntry Entry(const std::string& name, const std::string& kind, int32_t group) {
    SyncEntry e;
    e.name = name;
    e.kind = kind;
    e.size = kind == "d" ? "-" : "1 bytes";
    e.date = "2020/01/01 10:00";
    e.path = "/r/" + name;
    e.group = group;
    return e;
}

TEST(BatchSort, AppendsOneRunInNameOrderWithOnlyItsOwnValues) {
    std::vector<SyncEntry> tree, batch;
    std::vector<GroupRun> runs;
    tree.push_back(Entry("before", "f", 0));
    batch.push_back(Entry("c.txt", "f", 1));
    batch.push_back(Entry("a", "d", 1));
    batch.push_back(Entry("B.html", "f", 1));
    batch[0].check = true;
    batch[0].opaque = true;  // the scan's own values come along, every one of them
    batch[0].link = true;
    batch[0].identity = {7, 9};
    batch[1].child = 42;  // keys beyond the run's own do not come along
    batch[1].childCount = 3;
    batch[1].sync = true;
    AppendSortedRun(tree, runs, batch, 1);

    ASSERT_EQ(tree.size(), 4u);
    EXPECT_EQ(tree[1].name, "a");
    EXPECT_EQ(tree[2].name, "B.html");  // without regard to case
    EXPECT_EQ(tree[3].name, "c.txt");
    EXPECT_EQ(tree[1].kind, "d");
    EXPECT_EQ(tree[1].child, 0);
    EXPECT_EQ(tree[1].childCount, 0);
    EXPECT_FALSE(tree[1].sync.has_value());
    EXPECT_TRUE(tree[3].check);
    EXPECT_EQ(tree[3].path, "/r/c.txt");
    EXPECT_EQ(tree[3].size, "1 bytes");
    EXPECT_EQ(tree[3].date, "2020/01/01 10:00");
    EXPECT_EQ(tree[3].group, 1);
    EXPECT_TRUE(tree[3].opaque);
    EXPECT_TRUE(tree[3].link);
    EXPECT_EQ(tree[3].identity, (fw::FileIdentity{7, 9}));
    EXPECT_FALSE(tree[1].opaque);
    EXPECT_EQ(RunOf(runs, 1).first, 1);
    EXPECT_EQ(RunOf(runs, 1).count, 3);

    // An empty batch appends nothing and records an empty run.
    batch.clear();
    AppendSortedRun(tree, runs, batch, 2);
    EXPECT_EQ(tree.size(), 4u);
    EXPECT_EQ(RunOf(runs, 2).count, 0);
    EXPECT_EQ(RunOf(runs, 7).count, 0);
}

TEST(BatchSort, NamesOrderWithoutCaseAndAreOneOnlyWithEqualBytes) {
    // Plain ASCII names take a shorter way; it must order as the text mode does, and where the
    // text mode sees one name the bytes decide.
    const std::vector<std::string> names = {"",
                                            "a",
                                            "A",
                                            "ab",
                                            "aB",
                                            "b",
                                            "B",
                                            "_",
                                            "[",
                                            "`",
                                            "{",
                                            "Z",
                                            "z",
                                            "a1",
                                            "a_",
                                            "a.txt",
                                            "A.TXT",
                                            "~",
                                            "0",
                                            " ",
                                            "\xc3\xa9",
                                            "\xc3\x89",
                                            "\xe6\x97\xa5\xe6\x9c\xac",
                                            "a\xff",
                                            "a\xfe",
                                            "caf\xe9",
                                            "caf\xe8",
                                            "\x8e\x8e\x8c\xb1",
                                            "\x8a\xbf\x8e\x9a",
                                            "index.html"};
    auto sign = [](int v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); };
    for (const std::string& a : names) {
        for (const std::string& b : names) {
            const int text = sign(fw::StrCompText(a, b));
            const int expected = text != 0 ? text : sign(fw::StrCompBytes(a, b));
            EXPECT_EQ(sign(CompareNames(a, b)), expected) << a << " " << b;
            EXPECT_EQ(CompareNames(a, b) == 0, a == b) << a << " " << b;
        }
    }
}

struct PathCase {
    TreeSide side;
    const char* folder;
    const char* child;
    bool direct;
};

TEST(DirectChildTest, ComparesPathElementsByteForByte) {
    const PathCase cases[] = {
        {TreeSide::Local, "/Users/site/img/", "/Users/site/img/logo.png", true},
        {TreeSide::Local, "/Users/site/img/", "/Users/site/img/sub/", true},
        {TreeSide::Local, "/Users/site/img/", "/Users/site/img/sub/x.png", false},
        {TreeSide::Local, "/Users/site/img/", "/Users/site/css/a.css", false},
        {TreeSide::Remote, "//img", "//img/logo.png", true},
        {TreeSide::Remote, "/site/img", "/site/css/a.css", false},
        {TreeSide::Remote, "/site/img", "/site/img/a/b", false},
        {TreeSide::Remote, "/site/Img", "/site/img/a.png", false},
        {TreeSide::Local, "/site/Img/", "/site/img/a.png", false},
        {TreeSide::Local, "/", "/x", true},
        {TreeSide::Local, "/", "/x/", true},
        {TreeSide::Remote, "/site/a", "/site/ab", false},
        {TreeSide::Remote, "/site/a", "/site/a//b", false},
    };
    for (const PathCase& c : cases)
        EXPECT_EQ(IsDirectChild(c.side, c.folder, c.child), c.direct) << c.folder << " " << c.child;
}

// The example tree: the root holds the folder a, the file b.txt and the folder c; a holds x.txt
// and the folder y; y holds z.txt; c is empty.
std::vector<Node> ExampleTree() {
    return {D("a", {F("x.txt"), D("y", {F("z.txt")})}), F("b.txt"), D("c")};
}

TEST(ChildCounts, LayOutTheExampleInBothOrders) {
    FlatTree local = LocalTree(ExampleTree());
    FlatTree remote = RemoteTree(ExampleTree());
    struct Row {
        const char* name;
        int32_t group, child, childCount;
    };
    const Row localRows[] = {{"a", 0, 3, 2},     {"b.txt", 0, 0, 0}, {"c", 0, 6, 0},
                             {"x.txt", 1, 0, 0}, {"y", 1, 5, 1},     {"z.txt", 2, 0, 0}};
    const Row remoteRows[] = {{"a", 0, 3, 2},     {"b.txt", 0, 0, 0}, {"c", 0, 5, 0},
                              {"x.txt", 1, 0, 0}, {"y", 1, 5, 1},     {"z.txt", 3, 0, 0}};
    for (auto [tree, rows] : {std::pair{&local, localRows}, std::pair{&remote, remoteRows}}) {
        ASSERT_EQ(tree->entries.size(), 6u);
        for (size_t i = 0; i < 6; ++i) {
            const SyncEntry& e = tree->entries[i];
            EXPECT_EQ(e.name, rows[i].name);
            EXPECT_EQ(e.group, rows[i].group) << e.path;
            if (e.kind == "d") {
                EXPECT_EQ(e.child, rows[i].child) << e.path;
                EXPECT_EQ(e.childCount, rows[i].childCount) << e.path;
            }
        }
    }
    EXPECT_EQ(local.lastGroup, 3);
    EXPECT_EQ(remote.lastGroup, 3);
}

TEST(ChildCounts, AnEmptyFolderBesideItsNamesakeInAnotherCaseStaysEmpty) {
    // "Img" is empty; its child points at the run of "img", which the path test tells apart.
    FlatTree remote = RemoteTree({D("Img"), D("img", {F("logo.png"), F("photo.jpg")})});
    const SyncEntry* upper = remote.Find("/r/Img");
    const SyncEntry* lower = remote.Find("/r/img");
    ASSERT_TRUE(upper && lower);
    EXPECT_EQ(upper->child, 2);
    EXPECT_EQ(upper->childCount, 0);
    EXPECT_EQ(lower->childCount, 2);

    FlatTree local = LocalTree({D("Img"), D("img", {F("logo.png")})});
    EXPECT_EQ(local.Find("/l/Img/")->childCount, 0);
    EXPECT_EQ(local.Find("/l/img/")->childCount, 1);
}

TEST(ChildCounts, AnOpaqueFolderHasNoEntries) {
    FlatTree local = LocalTree({Opaque(D("locked")), D("open", {F("a")})});
    EXPECT_EQ(local.Find("/l/locked/")->childCount, 0);
    EXPECT_EQ(local.Find("/l/open/")->childCount, 1);
}

}  // namespace
