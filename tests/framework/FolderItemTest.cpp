#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "framework/FolderItem.h"
#include "framework/Streams.h"

namespace {

namespace fs = std::filesystem;

class FolderItemTest : public testing::Test {
protected:
    void SetUp() override {
        root_ = std::string(getenv("QUILLOMAR_TEST_ROOT")) + "/items";
        fs::create_directories(root_);
    }

    fw::FolderItem Root() const { return fw::FolderItem(root_); }
    std::string PathOf(const std::string& name) const { return root_ + "/" + name; }
    void Put(const std::string& name, const std::string& bytes) const {
        std::ofstream(PathOf(name), std::ios::binary) << bytes;
    }
    std::string Get(const std::string& name) const {
        std::ifstream in(PathOf(name), std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }
    mode_t ModeOf(const std::string& name) const {
        struct stat st {};
        stat(PathOf(name).c_str(), &st);
        return st.st_mode & 0777;
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const fw::FolderItem& item : Root().Entries()) names.push_back(item.Name());
        return names;
    }

    std::string root_;
};

TEST_F(FolderItemTest, PathsAreAbsoluteWithoutTrailingSlash) {
    EXPECT_FALSE(fw::FolderItem::FromAbsolutePath("relative/path"));
    EXPECT_FALSE(fw::FolderItem::FromAbsolutePath(""));
    EXPECT_FALSE(fw::FolderItem::FromAbsolutePath("~/x"));

    auto item = fw::FolderItem::FromAbsolutePath("/a/b/");
    ASSERT_TRUE(item);
    EXPECT_EQ(item->Path(), "/a/b");
    EXPECT_EQ(item->Name(), "b");
    EXPECT_EQ(item->Parent().Path(), "/a");
    EXPECT_EQ(item->Parent().Parent().Path(), "/");
    EXPECT_EQ(item->Child("c").Path(), "/a/b/c");

    auto root = fw::FolderItem::FromAbsolutePath("/");
    ASSERT_TRUE(root);
    EXPECT_EQ(root->Path(), "/");
    EXPECT_EQ(root->AbsolutePath(), "/");
    EXPECT_EQ(root->Child("etc").Path(), "/etc");
    EXPECT_EQ(root->Parent(), fw::FolderItem());
}

TEST_F(FolderItemTest, AFolderAbsolutePathEndsInSlash) {
    fs::create_directory(PathOf("dir"));
    Put("file", "x");
    fs::create_directory_symlink(PathOf("dir"), PathOf("link-to-dir"));
    fs::create_symlink(PathOf("file"), PathOf("link-to-file"));

    EXPECT_EQ(Root().Child("dir").AbsolutePath(), PathOf("dir/"));
    EXPECT_EQ(Root().Child("file").AbsolutePath(), PathOf("file"));
    EXPECT_EQ(Root().Child("missing").AbsolutePath(), PathOf("missing"));
    EXPECT_EQ(Root().Child("link-to-dir").AbsolutePath(), PathOf("link-to-dir/"));

    EXPECT_TRUE(Root().Child("link-to-dir").Directory());
    EXPECT_TRUE(Root().Child("link-to-dir").IsSymbolicLink());
    EXPECT_FALSE(Root().Child("dir").IsSymbolicLink());
    EXPECT_TRUE(Root().Child("link-to-file").IsSymbolicLink());
    EXPECT_FALSE(Root().Child("link-to-file").Directory());
    EXPECT_FALSE(Root().Child("file").Directory());
    EXPECT_FALSE(Root().Child("missing").Exists());
    EXPECT_TRUE(Root().Child("file").Exists());
}

TEST_F(FolderItemTest, LengthVisibilityAndModificationDate) {
    Put("five", "12345");
    Put(".hidden", "");
    fs::create_directory(PathOf("dir"));
    struct utimbuf times {
        1000000000, 1234567890
    };
    ASSERT_EQ(utime(PathOf("five").c_str(), &times), 0);

    EXPECT_EQ(Root().Child("five").Length(), 5);
    EXPECT_EQ(Root().Child("dir").Length(), 0);
    EXPECT_EQ(Root().Child("missing").Length(), 0);
    EXPECT_EQ(Root().Child("five").ModificationDate().UnixSeconds(), 1234567890);
    EXPECT_TRUE(Root().Child("five").Visible());
    EXPECT_FALSE(Root().Child(".hidden").Visible());
}

TEST_F(FolderItemTest, EntriesAreInByteOrderAndOneBased) {
    for (const char* name : {"b", "B", "a", ".dot", "\xE6\x97\xA5", "a b"}) Put(name, "");
    fs::create_directory(PathOf("c"));

    const std::vector<std::string> expected = {".dot", "B", "a", "a b", "b", "c", "\xE6\x97\xA5"};
    EXPECT_EQ(Names(), expected);
    ASSERT_EQ(Root().Count(), 7);
    EXPECT_EQ(Root().Item(1).Name(), ".dot");
    EXPECT_EQ(Root().Item(7).Name(), "\xE6\x97\xA5");
    EXPECT_EQ(Root().Item(6).Path(), PathOf("c"));
    EXPECT_EQ(Root().Item(0), fw::FolderItem());
    EXPECT_EQ(Root().Item(8), fw::FolderItem());
    EXPECT_EQ(Root().Child("missing").Count(), 0);
    EXPECT_EQ(Root().Child("b").Count(), 0);
}

// Count and Item read the folder once, at the first of them: a scan walks one listing even while
// the folder changes under it. A new item, and Entries, see the folder as it is now.
TEST_F(FolderItemTest, CountAndItemWalkTheListingOfTheirFirstRead) {
    const std::vector<std::string> before = {"b", "d"}, after = {"a", "b"};
    struct Case {
        const char* firstRead;
        std::function<void(const fw::FolderItem&)> read;
    };
    const Case cases[] = {
        {"Count", [](const fw::FolderItem& f) { EXPECT_EQ(f.Count(), 2); }},
        {"Item", [](const fw::FolderItem& f) { EXPECT_EQ(f.Item(2).Name(), "d"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.firstRead);
        Put("b", "");
        Put("d", "");
        fs::remove(PathOf("a"));
        const fw::FolderItem folder = Root();
        c.read(folder);
        Put("a", "");
        fs::remove(PathOf("d"));

        const fw::FolderItem copy = folder;
        for (const fw::FolderItem* f : {&folder, &copy}) {
            ASSERT_EQ(f->Count(), 2);
            EXPECT_EQ(f->Item(1).Name(), before[0]);
            EXPECT_EQ(f->Item(2).Name(), before[1]);
            EXPECT_EQ(f->Item(3), fw::FolderItem());
        }
        EXPECT_EQ(Names(), after);
        const fw::FolderItem fresh = Root();
        ASSERT_EQ(fresh.Count(), 2);
        EXPECT_EQ(fresh.Item(1).Name(), after[0]);
        EXPECT_EQ(fresh.Item(2).Name(), after[1]);
    }
}

TEST_F(FolderItemTest, CreateAsFolderAnswersWhetherTheFolderIsThere) {
    const mode_t saved = umask(022);
    EXPECT_TRUE(Root().Child("private").CreateAsFolder(fw::FileAccess::Private));
    EXPECT_TRUE(Root().Child("normal").CreateAsFolder());
    umask(saved);
    EXPECT_EQ(ModeOf("private"), 0700u);
    EXPECT_EQ(ModeOf("normal"), 0755u);

    EXPECT_TRUE(Root().Child("normal").CreateAsFolder());  // already there
    EXPECT_FALSE(Root().Child("missing/child").CreateAsFolder());
    Put("file", "");
    EXPECT_FALSE(Root().Child("file").CreateAsFolder());
}

TEST_F(FolderItemTest, DeleteRemovesFilesEmptyFoldersAndLinks) {
    Put("file", "x");
    fs::create_directory(PathOf("empty"));
    fs::create_directories(PathOf("full/inner"));
    fs::create_directory_symlink(PathOf("full"), PathOf("link"));

    EXPECT_TRUE(Root().Child("file").Delete());
    EXPECT_TRUE(Root().Child("empty").Delete());
    EXPECT_FALSE(Root().Child("full").Delete());
    EXPECT_TRUE(Root().Child("link").Delete());  // the link, not the folder it names
    EXPECT_FALSE(Root().Child("missing").Delete());
    EXPECT_EQ(Names(), std::vector<std::string>{"full"});
    EXPECT_TRUE(fs::exists(PathOf("full/inner")));
}

TEST_F(FolderItemTest, CopyFileToReplacesTheTarget) {
    std::string bytes(200000, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
    Put("source", bytes);
    Put("target", "old");
    chmod(PathOf("target").c_str(), 0644);

    EXPECT_TRUE(Root().Child("source").CopyFileTo(Root().Child("target"), fw::FileAccess::Private));
    EXPECT_EQ(Get("target"), bytes);
    EXPECT_EQ(ModeOf("target"), 0600u);
    EXPECT_TRUE(Root().Child("source").CopyFileTo(Root().Child("fresh")));
    EXPECT_EQ(Get("fresh"), bytes);

    EXPECT_FALSE(Root().Child("missing").CopyFileTo(Root().Child("target")));
    EXPECT_FALSE(Root().CopyFileTo(Root().Child("target")));  // a folder is no file
    EXPECT_FALSE(Root().Child("source").CopyFileTo(Root().Child("no-folder/target")));
    EXPECT_EQ(Get("target"), bytes);
    EXPECT_EQ(Names(), (std::vector<std::string>{"fresh", "source", "target"}));
}

TEST_F(FolderItemTest, OpenRefusesFoldersAndMissingFiles) {
    fs::create_directory(PathOf("dir"));
    EXPECT_FALSE(Root().Child("dir").OpenAsBinaryFile());
    EXPECT_FALSE(Root().Child("dir").OpenAsTextFile());
    EXPECT_FALSE(Root().Child("missing").OpenAsBinaryFile());
    EXPECT_FALSE(Root().Child("missing").OpenAsTextFile());
    EXPECT_FALSE(fw::FolderItem().OpenAsTextFile());
    EXPECT_FALSE(fw::FolderItem().CreateTextFile());

    Put("empty", "");
    auto text = Root().Child("empty").OpenAsTextFile();
    ASSERT_TRUE(text);
    EXPECT_TRUE(text->AtEnd());
    auto binary = Root().Child("empty").OpenAsBinaryFile();
    ASSERT_TRUE(binary);
    EXPECT_EQ(binary->Length(), 0);
    EXPECT_THROW(binary->ReadInt32(), fw::StreamError);
}

TEST_F(FolderItemTest, PreferencesFollowXdgConfigHome) {
    const std::string home = getenv("HOME") ? getenv("HOME") : "";
    EXPECT_EQ(fw::SpecialFolder::Preferences().Path(),
              std::string(getenv("QUILLOMAR_TEST_ROOT")) + "/config");

    setenv("HOME", root_.c_str(), 1);
    for (const char* unusable : {"", "relative/config"}) {
        setenv("XDG_CONFIG_HOME", unusable, 1);
        EXPECT_EQ(fw::SpecialFolder::Preferences().Path(), root_ + "/.config") << unusable;
    }
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(fw::SpecialFolder::Preferences().Path(), root_ + "/.config");
    setenv("HOME", home.c_str(), 1);
}

TEST_F(FolderItemTest, DesktopFollowsXdgDesktopDir) {
    EXPECT_EQ(fw::SpecialFolder::Desktop().Path(),
              std::string(getenv("QUILLOMAR_TEST_ROOT")) + "/Desktop");
    unsetenv("XDG_DESKTOP_DIR");
    EXPECT_EQ(fw::SpecialFolder::Desktop().AbsolutePath().front(), '/');
}

}  // namespace
