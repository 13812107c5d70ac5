// Opening a file held to the file an earlier look found: anything else at the path, a link above
// all, is not opened.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "framework/FolderItem.h"
#include "framework/Streams.h"

namespace {

namespace fs = std::filesystem;

class FolderItemIdentity : public testing::Test {
protected:
    void SetUp() override {
        root_ = std::string(getenv("QUILLOMAR_TEST_ROOT")) + "/identity";
        fs::create_directories(root_);
    }
    std::string PathOf(const std::string& name) const { return root_ + "/" + name; }
    void Put(const std::string& name, const std::string& bytes) const {
        std::ofstream(PathOf(name), std::ios::binary) << bytes;
    }
    fw::FileIdentity IdentityOf(const std::string& name) const {
        struct stat st {};
        EXPECT_EQ(stat(PathOf(name).c_str(), &st), 0) << name;
        return {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
    }

    std::string root_;
};

TEST_F(FolderItemIdentity, OpensOnlyTheFileItWasAndNeverThroughALink) {
    struct Case {
        const char* name;
        std::function<void(const std::string& path)> change;  // after the look
        bool opened;
        bool replaced;
    };
    const std::string other = PathOf("other");
    const Case cases[] = {
        {"unchanged", [](const std::string&) {}, true, false},
        {"written-in-place",
         [](const std::string& path) { std::ofstream(path, std::ios::app) << " more"; }, true,
         false},
        {"replaced-by-a-link-elsewhere",
         [&](const std::string& path) {
             fs::remove(path);
             fs::create_symlink(other, path);
         },
         false, true},
        // The same file, but reached through a link in the last component.
        {"replaced-by-a-link-to-itself",
         [](const std::string& path) {
             fs::rename(path, path + ".real");
             fs::create_symlink(path + ".real", path);
         },
         false, true},
        {"replaced-by-another-file",
         [](const std::string& path) {
             std::ofstream(path + ".new") << "new";
             fs::rename(path + ".new", path);
         },
         false, true},
        {"replaced-by-a-folder",
         [](const std::string& path) {
             fs::remove(path);
             fs::create_directory(path);
         },
         false, true},
        {"gone", [](const std::string& path) { fs::remove(path); }, false, false},
    };
    Put("other", "private");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Put(c.name, "scanned");
        const fw::FileIdentity identity = IdentityOf(c.name);
        c.change(PathOf(c.name));
        bool replaced = !c.replaced;
        std::unique_ptr<fw::BinaryStream> in =
            fw::FolderItem(PathOf(c.name)).OpenAsBinaryFile(identity, replaced);
        EXPECT_EQ(in != nullptr, c.opened);
        EXPECT_EQ(replaced, c.replaced);
        if (in) {
            EXPECT_EQ(in->ReadUpTo(7), "scanned");
        }
    }
}

}  // namespace
