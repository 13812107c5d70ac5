// The progress display of an upload: the bar's scale (bytes up to 1 KB, kilobytes above), the
// size label, the rate twice a second, and the display at rest after each transfer.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "framework/Date.h"
#include "tests/shell/ShellTestFixture.h"
#include "tests/support/FtpServers.h"

namespace {

class ProgressDisplay : public shelltest::ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        StartApp();
        w = MainWindow();
        folder = std::make_unique<testsupport::TempFolder>("progress");
    }
    void TearDown() override {
        fw::Date::SetFixedNow(std::nullopt);
        ShellTest::TearDown();
    }
    // A file of this length (sparse, so that a large one costs nothing).
    fw::FolderItem FileOf(int64_t length) {
        const std::string path = folder->Path() + "/f" + std::to_string(length);
        const int fd = open(path.c_str(), O_CREAT | O_WRONLY, 0644);
        EXPECT_EQ(ftruncate(fd, length), 0);
        close(fd);
        return fw::FolderItem(path);
    }
    void Act(int32_t step) {
        w->pThreadStep = step;
        w->Timer3_Action(w->Timer3);
    }
    Window1* w = nullptr;
    std::unique_ptr<testsupport::TempFolder> folder;
};

TEST_F(ProgressDisplay, TheBarCountsBytesUpToAKilobyteAndKilobytesAbove) {
    struct Case {
        int64_t length;
        int32_t maximum;
        int64_t sent;
        int32_t value;
    };
    for (const Case& c : std::vector<Case>{{0, 1, 0, 0},  // never busy for an empty file
                                           {500, 500, 500, 500},
                                           {1024, 1024, 1000, 1000},
                                           {1025, 1, 1025, 1},
                                           {3 * 1024 * 1024, 3072, 2048 * 1024, 2048},
                                           {5LL << 30, 5 << 20, 3LL << 30, 3 << 20}}) {
        SCOPED_TRACE(c.length);
        w->pThreadFI = FileOf(c.length);
        w->pThreadLength = c.length;
        Act(StepUploadStarted);
        EXPECT_EQ(w->ProgressBar1->Maximum(), c.maximum);
        EXPECT_EQ(w->ProgressBar1->Value(), 0);
        EXPECT_EQ(w->tBytesText->Text(), std::to_string(c.length));
        w->totalBytes = c.sent;
        Act(StepProgress);
        EXPECT_EQ(w->ProgressBar1->Value(), c.value);
        EXPECT_EQ(w->tBytesText->Text(), std::to_string(c.length));
    }
    // The transfer's end puts the display back to idle.
    w->dataSocket_FileTransferComplete(w->dataSocket);
    EXPECT_EQ(w->ProgressBar1->Maximum(), 1);
    EXPECT_EQ(w->ProgressBar1->Value(), 0);
    EXPECT_EQ(w->tBytesText->Text(), "0");
    EXPECT_EQ(w->bpsText->Text(), "0");
}

TEST_F(ProgressDisplay, TheRateIsTheByteCountInTheFirstSecondThenTheAverage) {
    fw::Date::SetFixedNow(1000000);
    w->dataSocket_Connected(w->dataSocket);
    w->dataSocket.Carry(FtpDataSocket::Transfer::Upload);
    w->dataSocket_bytesTransfered(w->dataSocket, 700);
    w->statusTimer_Action(w->statusTimer);
    EXPECT_EQ(w->bpsText->Text(), "700");

    // Past 2 GiB the counters go on counting.
    w->totalBytes = 3LL << 30;
    fw::Date::SetFixedNow(1000003);
    w->statusTimer_Action(w->statusTimer);
    EXPECT_EQ(w->bpsText->Text(), std::to_string((3LL << 30) / 3));

    // Never for a listing; the label keeps its text.
    w->dataSocket.Carry(FtpDataSocket::Transfer::Listing);
    w->totalBytes = 1;
    w->statusTimer_Action(w->statusTimer);
    EXPECT_EQ(w->bpsText->Text(), std::to_string((3LL << 30) / 3));
}

}  // namespace
