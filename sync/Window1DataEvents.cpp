#include <algorithm>
#include <cmath>
#include <cstdint>

#include "compare/ListingLine.h"
#include "framework/MessageDialog.h"
#include "framework/Strings.h"
#include "ftp/FtpErrorCodes.h"
#include "mainwindow/Window1.h"
#include "sync/Timer3Requests.h"

// The events of the data connection, the transfer rate, and Timer3, which carries what the upload
// reports over to the main thread: the progress display, the next step of the run after each
// uploaded file, and the end of the upload phase.

namespace {

constexpr int64_t kKilobyte = 1024;

int32_t ToBar(int64_t v) {
    return static_cast<int32_t>(std::min<int64_t>(v, INT32_MAX));
}

void ResetTransferDisplay(Window1& w) {
    w.ProgressBar1->SetMaximum(1);
    w.ProgressBar1->SetValue(0);
    w.tBytesText->SetText("0");
    w.bpsText->SetText("0");
}

// The end of a transfer: the display back to idle and, after an upload of the run, its next step
// (or, when the list has run out, the end of the phase through Timer3).
void TransferDone(Window1& w) {
    ResetTransferDisplay(w);
    if (w.pRun.TransferEnded() != SyncRun::Call::Next) return;
    w.SyncUpload2();
    if (w.pRun.PhaseFinished()) {
        w.pThreadStep = StepPhaseDone;
        ArmForStep(w.Timer3);
    }
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
// (or a download has been written): the next step is taken here and now. A progress request still
// pending would move the bar after the reset, so it is dropped.
void Window1::dataSocket_FileTransferComplete(FtpDataSocket& socket) {
    if (socket.Carries(FtpDataSocket::Transfer::Upload))
        pRun.Journal().Leave(SyncJournalEntry(socket.remoteFileName));
    dataConnected = false;
    pThreadStep = StepTransferDone;
    Timer3.SetMode(fw::Timer::kModeOff);
    TransferDone(*this);
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
    if (pRun.UploadPending()) {
        // That file only: the run goes on.
        if (socket.LastErrorCode() == FtpLocalFileChanged && SyncPassOverChangedUpload()) return;
        updateStatus(text);
        if (socket.LastErrorCode() == FtpUploadCancelled) {
            SyncDeletePartialUpload();
            SyncRunCancel();
        } else {
            SyncRunStepFailed(text);
        }
        return;
    }
    if (pRun.Stopped()) {
        updateStatus(text);  // the run has stopped already, with its message
        return;
    }
    fw::MsgBox(text);
    SyncRunTakeDeferred();
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
    SyncRunTakeDeferred();
}

void Window1::statusTimer_Action(fw::Timer&) {
    if (!dataConnected || dataSocket.Carries(FtpDataSocket::Transfer::Listing) || !clock) return;
    const double elapsed = clock->SecondsUntilNow();
    bps = elapsed < 1 ? totalBytes : std::llround(static_cast<double>(totalBytes) / elapsed);
    bpsText->SetText(std::to_string(bps));
}

void Window1::Timer3_Action(fw::Timer&) {
    switch (pThreadStep) {
        case StepProgress: {
            const bool byBytes = pThreadFI && pThreadLength <= kKilobyte;
            ProgressBar1->SetValue(ToBar(byBytes ? totalBytes : totalBytes / kKilobyte));
            break;
        }
        case StepTransferDone:
            TransferDone(*this);
            break;
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
            ResetTransferDisplay(*this);
            if (pRun.Uploading() && pRun.TakeFinished()) SyncUploadPhaseEnd("[dat]");
            break;
        default:
            break;
    }
}
