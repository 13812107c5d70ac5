#include <cerrno>

#include "compare/ChildCounts.h"
#include "compare/CompareCancelled.h"
#include "compare/LocalScan.h"
#include "compare/PeriodicGiveWay.h"
#include "compare/TreeMerge.h"
#include "framework/UserCancel.h"
#include "mainwindow/Window1.h"
#include "shell/CommonModule.h"
#include "shell/ReadFailureReason.h"

// The comparison pass, run once the remote walk has listed its last folder: the local scan, the
// child counts, the merge with its marks, and the filling of both lists.

namespace {

// Resets a flag when the pass ends, however it ends.
class FlagWhile {
public:
    explicit FlagWhile(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagWhile() { flag_ = false; }
    FlagWhile(const FlagWhile&) = delete;
    FlagWhile& operator=(const FlagWhile&) = delete;

private:
    bool& flag_;
};

const char* kLocalRootUnreadable = "ローカルフォルダを読み込めないため、比較を中止しました。";
const char* kRemoteRootRefused =
    "リモートフォルダを一覧できないため、アップロードと削除の指定はしません。";
const char* kLocalRootEmpty = "ローカルフォルダが空のため、削除の指定はしません。";

}  // namespace

void Window1::GetCompareList3() {
    {
        FlagWhile passRunning(pComparePass);
        GetCompareList3Steps();
    }
    // A connection lost during the pass left Connect off until now: a new connection must find
    // no pass at work on the trees, and start its own comparison from nothing.
    if (pMode == ConnectClosed) ToolbarItemStatus(TagConnect, true);
    if (pRootLOpaque) GetCompareList3LocalRootUnreadable();
}

// Without the local folder's contents there is nothing to compare, and a run would send nothing
// and say it was done: the connection is closed, so that 接続 compares anew once the folder can be
// read, and the user is told which folder it is and why.
void Window1::GetCompareList3LocalRootUnreadable() {
    if (pMode == ConnectOpen && !DataConnectionOpen()) CloseConnection();
    ShowMsgOK(kLocalRootUnreadable, LocalRootPath() + "\n" + pRootLFailure, this);
}

void Window1::GetCompareList3Steps() {
    if (pLocalFolder) {
        GetCompareList32l(*pLocalFolder);
    } else {
        pRootLOpaque = true;
        pRootLFailure = ReadFailureReason(ENOENT);
    }
    GetCompareList33c();
    // Marks are made only against trees that can be trusted: a root that could not be read, or
    // an empty local root (an unmounted folder), must not send a whole site for deletion.
    if (pRootLOpaque) {
        updateStatus("ローカルフォルダを読み込めないため、比較を中止しました: " + LocalRootPath() +
                     "（" + pRootLFailure + "）");
    } else if (pWalk.rootOpaque) {
        updateStatus(kRemoteRootRefused);
    } else if (pSyncL.empty() && !pSyncR.empty()) {
        updateStatus(kLocalRootEmpty);
    } else {
        GetCompareList34c(0, pSyncL.empty(), 0, 0, pSyncR.empty(), 0);
        SyncMarkUnfinishedUploads();  // the sync run's journal: uploads that broke off
    }
    // The marks stop where the cancel came: Sync stays off for this connection.
    if (pCompareCancelled) updateStatus(kCompareCancelledText);
    GetCompareList34l();
    GetCompareList34r();
    // The fills give way; the user's clicks wait until the lists are whole.
    FlagWhile filling(pListsFilling);
    localListBox->SetEnabled(false);
    remoteListBox->SetEnabled(false);
    GetCompareList35r(0);
    GetCompareList35r2();
    GetCompareList36l(0);
    GetCompareList36l2();
    localListBox->SetEnabled(true);
    remoteListBox->SetEnabled(true);
}

// The local folder as the scan names it, with its final "/".
std::string Window1::LocalRootPath() const {
    std::string path = pLocalFolder ? pLocalFolder->AbsolutePath() : "";
    if (path.empty() || path.back() != '/') path += '/';
    return path;
}

void Window1::GetCompareList32l(const fw::FolderItem& folder) {
    LocalScan scan(pSyncL, pRunsL, pGroupL);
    scan.remoteRoot = pRootR;
    scan.appendRun = [this](std::vector<SyncEntry>& batch, int32_t) {
        GetCompareList32lSort(batch);
    };
    scan.log = [this](const std::string& line) { updateStatus(line); };
    PeriodicGiveWay yield;
    scan.giveWay = [&yield] { yield(); };
    if (!scan.Scan(folder.AbsolutePath())) {
        pRootLOpaque = true;
        const LocalScan::Failure& failure = scan.RootFailure();
        pRootLFailure = failure.noProc ? NoProcReason() : ReadFailureReason(failure.error);
    }
    pSyncL.shrink_to_fit();  // it grows no more
}

void Window1::GetCompareList32lSort(std::vector<SyncEntry>& entries) {
    AppendSortedRun(pSyncL, pRunsL, entries, pGroupL);
}

void Window1::GetCompareList33c() {
    CountChildren(pSyncL, pRunsL, TreeSide::Local);
    CountChildren(pSyncR, pRunsR, TreeSide::Remote);
}

void Window1::GetCompareList34c(int32_t localIndex, bool localDone, int32_t localGroup,
                                int32_t remoteIndex, bool remoteDone, int32_t remoteGroup) {
    TreeMerge merge(pSyncL, pSyncR);
    merge.mark = [this](int32_t index, const std::string& side, const std::string& reason) {
        GetCompareList34cAdd(index, side, reason);
    };
    // Neither side is marked: the user is told, and resolves it.
    merge.clash = [this](int32_t localIndex, int32_t remoteIndex) {
        updateStatus(KindClashText(pSyncL[static_cast<size_t>(localIndex)],
                                   pSyncR[static_cast<size_t>(remoteIndex)]));
    };
    merge.kept = [this](int32_t remoteIndex, int32_t localIndex) {
        updateStatus(
            KeptRemoteText(pSyncR[static_cast<size_t>(remoteIndex)],
                           localIndex < 0 ? nullptr : &pSyncL[static_cast<size_t>(localIndex)]));
    };
    merge.mergeFolders = [this](MergeSide l, MergeSide r) {
        GetCompareList34c(l.index, l.done, l.group, r.index, r.done, r.group);
    };
    // The cancel is read once and then holds for every level of the merge.
    merge.cancelled = [this] {
        if (!pCompareCancelled && fw::UserCancelled()) pCompareCancelled = true;
        return pCompareCancelled;
    };
    PeriodicGiveWay yield;
    merge.giveWay = [&yield] { yield(); };
    merge.MergeRuns({localIndex, localDone, localGroup}, {remoteIndex, remoteDone, remoteGroup});
}

void Window1::GetCompareList34cAdd(int32_t index, const std::string& side, const std::string&) {
    std::vector<SyncEntry>& tree = side == "Local" ? pSyncL : pSyncR;
    if (index >= 0 && static_cast<size_t>(index) < tree.size())
        tree[static_cast<size_t>(index)].check = true;
}

void Window1::GetCompareList34l() {
    PeriodicGiveWay yield;
    PropagateMarks(pSyncL, [&yield] { yield(); });
}

void Window1::GetCompareList34r() {
    PeriodicGiveWay yield;
    PropagateMarks(pSyncR, [&yield] { yield(); });
}
