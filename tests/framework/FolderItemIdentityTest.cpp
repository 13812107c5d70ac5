// Opening a file held to the file an earlier look found, and to the folder it must lie in: what
// the descriptor that reads it shows decides, whatever the path leads to by then.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "framework/FolderItem.h"
#include "framework/RealPath.h"
#include "framework/Streams.h"

namespace {

namespace fs = std::filesystem;

class FolderItemIdentity : public testing::Test {
protected:
    void SetUp() override {
        base_ = std::string(getenv("QUILLOMAR_TEST_ROOT")) + "/identity";
        fs::create_directories(base_ + "/site/sub");
        fs::create_directories(base_ + "/outside");
        fs::create_directory_symlink(base_ + "/site", base_ + "/site-link");
    }
    static void Put(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static fw::FileIdentity IdentityOf(const std::string& path) {
        struct stat st {};
        EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
        return {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
    }

    std::string base_;  // site/ (the folder files must lie in), site-link/ (a link to it), outside/
};

TEST_F(FolderItemIdentity, OpensOnlyTheFileItWasWhileItLiesInsideTheFolder) {
    struct Case {
        const char* name;
        // After the look: the file's path, and where its things beside the folder go.
        std::function<void(const std::string& path, const std::string& outside)> change;
        bool opened;
        fw::OpenRefusal refusal;
    };
    const Case cases[] = {
        {"unchanged", [](const std::string&, const std::string&) {}, true, fw::OpenRefusal::None},
        {"written-in-place",
         [](const std::string& path, const std::string&) {
             std::ofstream(path, std::ios::app) << " more";
         },
         true, fw::OpenRefusal::None},
        // The same file inside the folder, reached through a link now.
        {"reached-through-a-link-inside",
         [](const std::string& path, const std::string&) {
             fs::rename(path, path + ".real");
             fs::create_symlink(path + ".real", path);
         },
         true, fw::OpenRefusal::None},
        {"replaced-by-a-link-elsewhere",
         [](const std::string& path, const std::string& outside) {
             Put(outside + "/other", "private");
             fs::remove(path);
             fs::create_symlink(outside + "/other", path);
         },
         false, fw::OpenRefusal::Replaced},
        // The very file, moved out of the folder: a link to it, or to its folder, is left. It is
        // told from a file replaced.
        {"moved-out-a-link-left",
         [](const std::string& path, const std::string& outside) {
             fs::rename(path, outside + "/moved");
             fs::create_symlink(outside + "/moved", path);
         },
         false, fw::OpenRefusal::MovedOut},
        {"its-folder-moved-out-a-link-left",
         [](const std::string& path, const std::string& outside) {
             const std::string folder = fs::path(path).parent_path().string();
             fs::rename(folder, outside + "/moved-folder");
             fs::create_directory_symlink(outside + "/moved-folder", folder);
         },
         false, fw::OpenRefusal::MovedOut},
        {"replaced-by-another-file",
         [](const std::string& path, const std::string&) {
             std::ofstream(path + ".new") << "new";
             fs::rename(path + ".new", path);
         },
         false, fw::OpenRefusal::Replaced},
        {"replaced-by-a-folder",
         [](const std::string& path, const std::string&) {
             fs::remove(path);
             fs::create_directory(path);
         },
         false, fw::OpenRefusal::Replaced},
        // Neither is opened for reading: nothing waits on the pipe, nothing touches the device.
        {"replaced-by-a-pipe",
         [](const std::string& path, const std::string&) {
             fs::remove(path);
             ASSERT_EQ(mkfifo(path.c_str(), 0644), 0);
         },
         false, fw::OpenRefusal::Replaced},
        {"replaced-by-a-link-to-a-device",
         [](const std::string& path, const std::string&) {
             fs::remove(path);
             fs::create_symlink("/dev/zero", path);
         },
         false, fw::OpenRefusal::Replaced},
        {"gone", [](const std::string& path, const std::string&) { fs::remove(path); }, false,
         fw::OpenRefusal::Unreadable},
    };
    // The folder as the file's path names it, and as the folder handed to the open names it.
    const std::pair<const char*, const char*> namings[] = {
        {"site", "site"}, {"site", "site-link"}, {"site-link", "site"}};
    int n = 0;
    for (const auto& [fileFolder, within] : namings) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + ", the file in " + fileFolder + "/, within " +
                         within + "/");
            const std::string outside = base_ + "/outside/" + std::to_string(n);
            const std::string folder = base_ + "/site/sub/" + std::to_string(n++);
            fs::create_directories(outside);
            fs::create_directories(folder);
            const std::string path =
                base_ + "/" + fileFolder + folder.substr(base_.size() + 5) + "/" + c.name;
            Put(path, "scanned");
            const fw::FileIdentity identity = IdentityOf(path);
            c.change(path, outside);
            fw::OpenRefusal refusal = c.refusal == fw::OpenRefusal::None ? fw::OpenRefusal::Replaced
                                                                         : fw::OpenRefusal::None;
            std::unique_ptr<fw::BinaryStream> in = fw::FolderItem(path).OpenAsBinaryFile(
                identity, fw::FolderItem(base_ + "/" + within), refusal);
            EXPECT_EQ(in != nullptr, c.opened);
            EXPECT_EQ(static_cast<int>(refusal), static_cast<int>(c.refusal));
            if (in) {
                EXPECT_EQ(in->ReadUpTo(7), "scanned");
            }
        }
    }
}

// Where an open file lies, from its descriptor, whatever its name holds: a line break, or the mark
// the system gives a file that lost its name; and nowhere for a file no longer named, even where a
// file of that name with the mark happens to stand.
TEST_F(FolderItemIdentity, WhereAnOpenFileLiesIsReadFromItsDescriptor) {
    const std::string site = fs::canonical(base_ + "/site").string();
    Put(site + "/sub/target", "x");
    fs::create_symlink(site + "/sub/target", site + "/through-a-link");
    struct Case {
        const char* name;
        bool removed;          // after it was opened, another file put at its name with the mark
        const char* expected;  // within site/, or nullptr for nowhere
    };
    const Case cases[] = {
        {"line\nbreak", false, "/line\nbreak"},
        {"live (deleted)", false, "/live (deleted)"},
        {"through-a-link", false, "/sub/target"},
        {"gone", true, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = site + "/" + c.name;
        if (!fs::is_symlink(path)) Put(path, "x");
        const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        if (c.removed) {
            fs::remove(path);
            Put(path + " (deleted)", "another file");
        }
        EXPECT_EQ(fw::RealPathOf(fd), c.expected ? site + c.expected : "");
        close(fd);
    }
}

}  // namespace
