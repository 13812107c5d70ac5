// The merge of the two trees and the spreading of marks: what is to be uploaded and deleted.
#include <gtest/gtest.h>

#include "tests/compare_core/TreeBuilder.h"
#include "tests/support/CaseNames.h"

namespace {

using Paths = std::set<std::string>;

struct MergeCase {
    const char* what;
    std::vector<Node> local;
    std::vector<Node> remote;
    Paths uploads;    // local paths
    Paths deletions;  // remote paths
};

void PrintTo(const MergeCase& c, std::ostream* os) {
    *os << c.what;
}

class Merge : public testing::TestWithParam<MergeCase> {};

TEST_P(Merge, MarksUploadsAndDeletions) {
    const MergeCase& c = GetParam();
    FlatTree local = LocalTree(c.local);
    FlatTree remote = RemoteTree(c.remote);
    MergeTrees(local, remote);
    EXPECT_EQ(local.Marked(), c.uploads) << c.what;
    EXPECT_EQ(remote.Marked(), c.deletions) << c.what;
}

const char* kOld = "2020/01/01 10:00";
const char* kNew = "2020/01/02 09:00";

INSTANTIATE_TEST_SUITE_P(
    Trees, Merge,
    testing::Values(
        MergeCase{
            "identical trees", {D("a", {F("x")}), F("b")}, {D("a", {F("x")}), F("b")}, {}, {}},
        MergeCase{"a newer local file", {F("b", kNew)}, {F("b", kOld)}, {"/l/b"}, {}},
        MergeCase{"a newer remote file", {F("b", kOld)}, {F("b", kNew)}, {}, {}},
        MergeCase{
            "a local file where the server has a folder", {F("x")}, {D("x", {F("in")})}, {}, {}},
        MergeCase{"a folder empty on both sides", {D("e")}, {D("e")}, {}, {}},
        MergeCase{"a folder empty locally",
                  {D("e")},
                  {D("e", {F("1"), D("2", {F("3")})})},
                  {},
                  {"/r/e/1", "/r/e/2", "/r/e/2/3"}},
        MergeCase{"a folder empty on the server",
                  {D("e", {F("1"), D("2", {F("3")})})},
                  {D("e")},
                  {"/l/e/1", "/l/e/2/", "/l/e/2/3"},
                  {}},
        MergeCase{"a folder found only locally",
                  {D("new", {D("deep", {F("f")})})},
                  {},
                  {"/l/new/", "/l/new/deep/", "/l/new/deep/f"},
                  {}},
        MergeCase{"interleaved names",
                  {F("a"), F("c")},
                  {F("b"), F("d")},
                  {"/l/a", "/l/c"},
                  {"/r/b", "/r/d"}},
        MergeCase{"remote names after the last local one",
                  {F("a")},
                  {F("b"), F("c")},
                  {"/l/a"},
                  {"/r/b", "/r/c"}},
        MergeCase{"deep trees merge folder by folder",
                  {D("s", {D("t", {F("keep", kOld), F("up", kNew), F("add")})})},
                  {D("s", {D("t", {F("keep", kOld), F("up", kOld), F("gone")})})},
                  {"/l/s/t/up", "/l/s/t/add"},
                  {"/r/s/t/gone"}}),
    [](const testing::TestParamInfo<MergeCase>& info) {
        return testsupport::CaseName(info.param.what);
    });

// Two names are one name only when their bytes are equal: neither case nor an encoding that is
// not UTF-8 may pair an entry with another one.
INSTANTIATE_TEST_SUITE_P(
    ExactNames, Merge,
    testing::Values(MergeCase{"names that differ in case only are two names",
                              {F("Index.HTML", kNew), F("b")},
                              {F("index.html", kOld), F("B")},
                              {"/l/Index.HTML", "/l/b"},
                              {}},
                    MergeCase{"two local files that differ in case against one remote file",
                              {F("A.txt", kOld), F("a.txt", kOld)},
                              {F("a.txt", kNew)},
                              {"/l/A.txt"},
                              {}},
                    MergeCase{"two remote files that differ in case against one local file",
                              {F("readme")},
                              {F("README"), F("readme")},
                              {},
                              {"/r/README"}},
                    MergeCase{"an empty folder beside its namesake in another case",
                              {D("img", {F("logo.png"), F("photo.jpg")})},
                              {D("Img"), D("img", {F("logo.png"), F("photo.jpg")})},
                              {},
                              {"/r/Img"}},
                    MergeCase{"Latin-1 folders of different names",
                              {D("caf\xe9", {F("menu.txt", kOld)})},
                              {D("caf\xe8", {F("menu.txt", kOld), F("old.txt")})},
                              {"/l/caf\xe9/", "/l/caf\xe9/menu.txt"},
                              {"/r/caf\xe8", "/r/caf\xe8/menu.txt", "/r/caf\xe8/old.txt"}},
                    MergeCase{"Shift_JIS files of different names",
                              {F("\x8e\x8e\x8c\xb1.txt", kNew)},
                              {F("\x8a\xbf\x8e\x9a.txt", kOld)},
                              {"/l/\x8e\x8e\x8c\xb1.txt"},
                              {"/r/\x8a\xbf\x8e\x9a.txt"}},
                    MergeCase{"equal bytes that are not UTF-8 are one name",
                              {F("caf\xe9", kNew)},
                              {F("caf\xe9", kOld)},
                              {"/l/caf\xe9"},
                              {}}),
    [](const testing::TestParamInfo<MergeCase>& info) {
        return testsupport::CaseName(info.param.what);
    });

// A server that folds case takes the upload of "Index.html" for its "index.html": deleting the
// one found only remotely would then delete what was just sent. A name listed twice is the same
// file as the one that matched. Both are kept; names of other encodings are not folded together.
INSTANTIATE_TEST_SUITE_P(
    KeptRemoteNames, Merge,
    testing::Values(MergeCase{"a remote file beside a new local one in another case",
                              {F("Index.html"), F("new")},
                              {F("index.html"), F("old")},
                              {"/l/Index.html", "/l/new"},
                              {"/r/old"}},
                    MergeCase{"a remote folder beside a new local one in another case",
                              {D("Img", {F("a.png")})},
                              {D("img", {F("b.png")})},
                              {"/l/Img/", "/l/Img/a.png"},
                              {}},
                    MergeCase{"UTF-8 names that differ in case only",
                              {F("\xc3\x84rger.txt")},
                              {F("\xc3\xa4rger.txt")},
                              {"/l/\xc3\x84rger.txt"},
                              {}},
                    MergeCase{"a remote file in another case beside its exact local match",
                              {F("readme", kOld)},
                              {F("README"), F("readme", kOld)},
                              {},
                              {"/r/README"}},
                    MergeCase{"a name the listing gives twice",
                              {F("a", kOld)},
                              {F("a", kOld), F("a", kOld), F("z")},
                              {},
                              {"/r/z"}}),
    [](const testing::TestParamInfo<MergeCase>& info) {
        return testsupport::CaseName(info.param.what);
    });

// What must never be deleted or uploaded, whatever the trees look like.
INSTANTIATE_TEST_SUITE_P(
    Safeguards, Merge,
    testing::Values(
        MergeCase{"an opaque local folder found only locally", {Opaque(D("locked"))}, {}, {}, {}},
        MergeCase{"an opaque local folder against a full remote one",
                  {Opaque(D("locked"))},
                  {D("locked", {F("a"), F("b")})},
                  {},
                  {}},
        MergeCase{"an opaque local file", {Opaque(F("fifo", kNew))}, {F("fifo", kOld)}, {}, {}},
        MergeCase{
            "an opaque remote folder found only on the server", {}, {Opaque(D("refused"))}, {}, {}},
        MergeCase{"an opaque remote folder against a full local one",
                  {D("refused", {F("a")})},
                  {Opaque(D("refused"))},
                  {},
                  {}},
        MergeCase{"an opaque entry inside a folder that goes",
                  {D("new", {Opaque(F("pipe")), F("a")})},
                  {D("old", {Opaque(D("refused")), F("b")})},
                  {"/l/new/", "/l/new/a"},
                  {"/r/old", "/r/old/b"}}),
    [](const testing::TestParamInfo<MergeCase>& info) {
        return testsupport::CaseName(info.param.what);
    });

TEST(MergeEdges, AnEmptySideDoesNotStopTheMerge) {
    FlatTree none = LocalTree({});
    FlatTree remote = RemoteTree({F("a")});
    MergeTrees(none, remote);
    EXPECT_EQ(remote.Marked(), Paths{"/r/a"});

    FlatTree local = LocalTree({F("a")});
    FlatTree empty = RemoteTree({});
    MergeTrees(local, empty);
    EXPECT_EQ(local.Marked(), Paths{"/l/a"});

    FlatTree bothLocal = LocalTree({});
    FlatTree bothRemote = RemoteTree({});
    MergeTrees(bothLocal, bothRemote);
    EXPECT_TRUE(bothLocal.entries.empty());
}

TEST(MergeEdges, ACancelLeavesTheRestUnmarked) {
    FlatTree local = LocalTree({F("a"), D("b", {F("1"), F("2")}), F("c")});
    FlatTree remote = RemoteTree({D("b", {F("3")}), F("d")});
    int steps = 0;
    // The cancel is reported after the second step, and stays reported.
    MergeTrees(local, remote, [&] { return ++steps >= 2; });
    EXPECT_EQ(local.Marked(), (Paths{"/l/a", "/l/b/1"}));
    EXPECT_EQ(remote.Marked(), Paths{});
}

}  // namespace
