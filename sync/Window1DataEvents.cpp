#include <algorithm>
#include <cmath>
#include <cstdint>

#include "compare/ListingLine.h"
#include "framework/Strings.h"
#include "mainwindow/Window1.h"
#include "sync/Timer3Requests.h"

// The events of the data connection, the transfer rate, and Timer3, which carries what the upload
// reports over to the main thread: the progress display and the end of the upload phase. The
// mailbox pThreadStep (with pThreadFI, the file being uploaded) is written here only.

namespace {

constexpr int64_t kKilobyte = 1024;

int32_t ToBar(int64_t v) {
    return static_cast<int32_t>(std::min<int64_t>(v, INT32_MAX));
}

}  // namespace

void Window1::dataSocket_Connected(FtpDataSocket&) {
    totalBytes = 0;
    dataConnected = true;
    clock = fw::Date();
}

void Window1::dataSocket_bytesTransfered(FtpDataSocket&, int32_t n) {
    if (n != 0) totalBytes += n;
    pThreadStep = StepProgress;
    ArmForProgress(Timer3);
}

// Raised on the main thread once the upload's data has all gone and the server has confirmed it
// (or a download has been written): the display goes back to idle and the run takes its next step
// here and now. The mailbox holds the transfer's end, acted on already: a progress request still
// pending would move the bar after the reset, so it is dropped.
void Window1::dataSocket_FileTransferComplete(FtpDataSocket& socket) {
    if (socket.Carries(FtpDataSocket::Transfer::Upload)) SyncJournalLeave(socket.remoteFileName);
    dataConnected = false;
    pThreadStep = StepTransferDone;
    Timer3.SetMode(fw::Timer::kModeOff);
    SyncResetTransferDisplay();
    pRun.OnTransferEnded();
}

void Window1::dataSocket_Error(FtpDataSocket& socket) {
    // The remote walk takes the failed listings of folders below the root.
    const bool walkTookIt = GetCompareList2rDataError(socket);
    SyncCheckCompared();
    if (walkTookIt) {
        dataConnected = false;
        return;
    }
    const std::string text =
        "An error " + std::to_string(socket.LastErrorCode()) + "occurred in the data port!";
    dataConnected = false;
    ProgressBar1->SetMaximum(1);
    pRun.OnTransferFailed(socket.LastErrorCode(), text);
}

// A whole listing: its lines go to listData from element 1 on; while the remote walk collects,
// it takes them.
void Window1::dataSocket_gotList(FtpDataSocket&, const std::string& text) {
    dataConnected = false;
    listData.assign(1, "");
    for (std::string& line : ListingLines(text)) listData.push_back(std::move(line));
    pWalk.lastLineCut = EndsMidLine(text);
    ProgressBar1->SetMaximum(1);
    if (pSyncRFlg) GetCompareList2r();
    SyncCheckCompared();
    pRun.OnDataConnectionClosed();
}

void Window1::statusTimer_Action(fw::Timer&) {
    if (!dataConnected || dataSocket.Carries(FtpDataSocket::Transfer::Listing) || !clock) return;
    const double elapsed = clock->SecondsUntilNow();
    bps = elapsed < 1 ? totalBytes : std::llround(static_cast<double>(totalBytes) / elapsed);
    bpsText->SetText(std::to_string(bps));
}

void Window1::SyncResetTransferDisplay() {
    ProgressBar1->SetMaximum(1);
    ProgressBar1->SetValue(0);
    tBytesText->SetText("0");
    bpsText->SetText("0");
}

// A run starts or ends: the display at rest, and a request still waiting in the mailbox belongs
// to the run that has ended.
void Window1::SyncDisplayAtRest() {
    pThreadStep = 0;
    SyncResetTransferDisplay();
}

// An upload step has opened its file: Timer3 sets the bar's scale and the size label.
void Window1::SyncShowUploadStarted(const fw::FolderItem& file, int64_t length) {
    pThreadFI = file;
    pThreadLength = length;
    pThreadStep = StepUploadStarted;
    ArmForStep(Timer3);
}

void Window1::SyncEndPhaseLater() {
    pThreadStep = StepPhaseDone;
    ArmForStep(Timer3);
}

void Window1::Timer3_Action(fw::Timer&) {
    switch (pThreadStep) {
        case StepProgress: {
            const bool byBytes = pThreadFI && pThreadLength <= kKilobyte;
            ProgressBar1->SetValue(ToBar(byBytes ? totalBytes : totalBytes / kKilobyte));
            break;
        }
        case StepUploadStarted: {
            if (!pThreadFI) break;
            const int64_t length = pThreadLength;
            ProgressBar1->SetValue(0);
            tBytesText->SetText(std::to_string(length));
            // An empty file still gets a scale: a maximum of 0 would show the bar as busy.
            ProgressBar1->SetMaximum(
                ToBar(std::max<int64_t>(1, length > kKilobyte ? length / kKilobyte : length)));
            break;
        }
        case StepPhaseDone:
            SyncResetTransferDisplay();
            pRun.OnPhaseEndDue();
            break;
        default:  // StepTransferDone: acted on when the transfer ended
            break;
    }
}
