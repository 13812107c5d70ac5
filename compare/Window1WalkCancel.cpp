#include "compare/CompareCancelled.h"
#include "framework/UserCancel.h"
#include "mainwindow/Window1.h"

// The cancel key during the remote walk. The walk has no loop of its own that could read it: it
// mostly waits on the server, for a reply or a listing that may never end. So a watch reads the
// key while the walk collects, and the walk's steps read it before they move on; either ends the
// walk at once, with the listing's data connection closed, and the comparison as cancelled.

namespace {

constexpr int32_t kWalkWatchMs = 100;

}  // namespace

void Window1::GetCompareList2rWatchStart() {
    pWalkWatch.SetPeriod(kWalkWatchMs);
    pWalkWatch.Action = [this](fw::Timer&) { GetCompareList2rWatch(); };
    pWalkWatch.SetMode(fw::Timer::kModeMultiple);
}

void Window1::GetCompareList2rWatch() {
    // Off once the walk has ended, the pass has taken over (it reads the key itself) or the
    // connection has gone.
    if (!pSyncRFlg || pComparePass || !commandSocket.ConnectionForWrites()) {
        pWalkWatch.SetMode(fw::Timer::kModeOff);
        return;
    }
    if (fw::UserCancelled()) GetCompareList2rCancel();
}

// The watch may run while a step of the walk gives way: that step sees pWalk.cancelled before it
// sends anything more.
void Window1::GetCompareList2rCancel() {
    pWalkWatch.SetMode(fw::Timer::kModeOff);
    pSyncRFlg = false;
    pWalk.stage = WalkIdle;
    pWalk.endDue = false;
    pWalk.replyDueFor = RemoteWalk::kNoReplyDue;
    pWalk.cancelled = true;
    pCompareCancelled = true;
    commandSocket.ForgoListing();
    GetCompareList2rDropListing();
    ProgressBar1->SetMaximum(1);
    updateStatus(kCompareCancelledText);
    SyncCheckCompared();
}

// Every transfer during a walk, and after its cancel, is one of its listings: nothing else runs
// before the comparison is complete.
void Window1::GetCompareList2rDropListing() {
    if (!dataSocket.TransferRunning()) return;
    dataSocket.AbandonTransfer();
    dataConnected = false;
}
