// The journal of uploads under way, on its own: what it promises about the disk.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "shell/SettingsFolder.h"
#include "sync/UploadJournal.h"

namespace {

namespace fs = std::filesystem;
using Entry = UploadJournal::Entry;

// Enter answers whether the file's entry is on disk: the STOR goes out unprotected otherwise, and
// the log says so. An entry written "ahead" with one that could not be written is not on disk
// either, however many files follow.
TEST(UploadJournalDisk, AnEntryIsNeverTakenAsWrittenWhenItsWriteFailed) {
    EnsureSettingsFolder();
    const fs::path journal = SettingsFolder().Child("uploading.txt").Path();
    fs::create_directories(journal);  // a folder in its place: nothing can be written there
    const std::vector<Entry> run = {{"127.0.0.1", "user", "/site/a"},
                                    {"127.0.0.1", "user", "/site/b"},
                                    {"127.0.0.1", "user", "/site/c"}};
    UploadJournal uploads;
    for (size_t i = 0; i < run.size(); ++i) {
        const std::vector<Entry> ahead(run.begin() + static_cast<std::ptrdiff_t>(i) + 1, run.end());
        EXPECT_FALSE(uploads.Enter(run[i], ahead)) << run[i].path;
    }

    // Once the journal can be written again, the next upload's entry and the ones that broke off
    // before it are there.
    fs::remove(journal);
    EXPECT_TRUE(uploads.Enter({"127.0.0.1", "user", "/site/d"}, {}));
    EXPECT_EQ(UploadJournal::Unfinished("127.0.0.1", "user"),
              (std::vector<std::string>{"/site/a", "/site/b", "/site/c", "/site/d"}));
}

}  // namespace
