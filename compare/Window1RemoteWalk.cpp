#include "compare/ListingLine.h"
#include "compare/PeriodicGiveWay.h"
#include "compare/RemoteDate.h"
#include "compare/SizeText.h"
#include "compare/TreeBounds.h"
#include "compare/WorkingFolderReply.h"
#include "framework/Date.h"
#include "framework/Strings.h"
#include "framework/UserCancel.h"
#include "ftp/FtpErrorCodes.h"
#include "mainwindow/Window1.h"
#include "shell/CommonModule.h"

// The remote walk: breadth first through the remote folder, one CWD and one listing per folder,
// each listing filed as one run of pSyncR. It is started by the connect command and moved on by
// the connection's events; a folder is done once both its listing and the server's final reply
// to its LIST have come, or once anything asked for it has been refused or has failed (then it
// is opaque, and the walk goes on with the next folder).

namespace {

// The number of folder levels of a path below the remote root (the root's own entries: 1).
int32_t DepthBelowRoot(const std::string& root, const std::string& path) {
    int32_t depth = 0;
    for (size_t i = root.size(); i < path.size(); ++i)
        if (path[i] == '/') ++depth;
    return depth;
}

std::string RefusedText(const std::string& path) {
    return "サーバーで一覧できないため比較から除外しました: " + path;
}

// Why a folder whose listing failed is left out, for the log.
std::string FailedListingText(int32_t dataError, const std::string& path) {
    if (dataError == fw::kSocketPeerReset)
        return "一覧の途中で接続が切れたため比較から除外しました: " + path;
    if (dataError == FtpListingTooLong) return "一覧が大きすぎるため比較から除外しました: " + path;
    return RefusedText(path);
}

std::string CutLineText(const std::string& path) {
    return "一覧の最後の行が途中で切れているため、その行を比較から除外しました: " + path;
}

std::string WrongRootText(const std::string& typed, const std::string& reply) {
    return "サーバーの作業フォルダがリモートフォルダ「" + typed +
           "」と一致しないため、比較を中止しました: " + reply;
}

}  // namespace

void Window1::GetCompareList() {
    if (pComparePass) return;  // the pass is still working on the trees
    pSyncR.clear();
    pSyncL.clear();
    pRunsR.clear();
    pRunsL.clear();
    // The roots' runs take group 0 in both trees, whatever ran before.
    pGroupR = -1;
    pGroupL = -1;
    pCountR = 0;
    pFin = false;
    pSyncRFlg = true;
    pRootR = EditField4->Text();
    if (pRootR.empty() || pRootR[0] != '/') pRootR = "/" + pRootR;
    // Nothing is written before the login: the login handler's CWD is the walk's first command,
    // and the server's answer to PWD after it names the root.
    currentPath = pRootR;
    pWalk.Begin();
    pRootLOpaque = false;
    // Only a cancel given from now on cancels this comparison, in the walk or in the pass.
    pCompareCancelled = false;
    fw::ClearUserCancelled();
    GetCompareList2rWatchStart();
}

void Window1::GetCompareList2rWorkingFolder(const std::string& reply, bool atLogin) {
    if (!pSyncRFlg) return;
    const bool listingNext =
        atLogin ? pWalk.stage == WalkLogin && path.empty() : pWalk.stage == WalkChanging;
    if (atLogin && pWalk.stage == WalkLogin && !path.empty()) {
        pWalk.Enter(RemoteWalk::kRoot);  // the root as typed is changed into next
        return;
    }
    if (!listingNext) return;
    // The tree that later commands act on is the one the server names: the root is its answer
    // to PWD in the folder it put us in.
    if (pWalk.AtRoot()) {
        // Every path the run will store or delete hangs below this folder: it must be the one
        // asked for, or nothing is compared.
        std::optional<std::string> folder = WorkingFolderOfReply(reply);
        if (!folder || !WorkingFolderIsTyped(*folder, path)) {
            GetCompareList2rWrongRoot(reply);
            return;
        }
        pRootR = *folder;
        currentPath = pRootR;
    }
    pWalk.AwaitListing();
}

// The server has put us somewhere else than the remote folder: the walk ends here, with no tree
// to compare and Sync off for the rest of the connection.
void Window1::GetCompareList2rWrongRoot(const std::string& reply) {
    pSyncRFlg = false;
    pWalk.stage = WalkIdle;
    const std::string why = WrongRootText(path, fw::ReplaceAll(reply, "\r\n", ""));
    updateStatus(why);
    ShowMsgOK("比較を中止しました。", why, this);
}

void Window1::GetCompareList2r() {
    if (pWalk.stage != WalkListing || pWalk.listArrived)
        return;  // not the listing the walk asked for
    pWalk.listArrived = true;
    // The data connection has ended normally: the listing is whole. The walk goes on at once;
    // the server's final reply to the LIST is the next reply to come, and is waited for there.
    if (!pWalk.listReplied && commandSocket.AwaitingTransferEnd()) pWalk.replyDueFor = pWalk.folder;
    GetCompareList2rFolderDone();
}

// The final reply to the LIST of a folder the walk has left has come: a refusal makes that
// folder opaque after all (nothing below it is then marked, however far the walk has gone).
void Window1::GetCompareList2rLateReply(bool refused) {
    const int32_t folder = pWalk.replyDueFor;
    pWalk.replyDueFor = RemoteWalk::kNoReplyDue;
    if (refused) {
        if (folder >= 0) {
            pSyncR[static_cast<size_t>(folder)].opaque = true;
            updateStatus(RefusedText(pSyncR[static_cast<size_t>(folder)].path));
        } else {
            pWalk.rootOpaque = true;
            updateStatus(RefusedText(pRootR));
        }
    }
    if (pWalk.endDue) GetCompareList2rNext();
}

void Window1::GetCompareList2rReply(FtpCommandSocket& socket) {
    if (!pSyncRFlg || !socket.LineCompletesReply()) return;
    if (pWalk.ReplyDue()) {
        GetCompareList2rLateReply(false);
        return;
    }
    if (pWalk.stage != WalkListing || pWalk.listReplied) return;
    if (socket.ReplyCode() != 226 && socket.ReplyCode() != 250) return;
    pWalk.listReplied = true;
    if (pWalk.listArrived) GetCompareList2rFolderDone();
}

bool Window1::GetCompareList2rRefused(FtpCommandSocket& socket, const std::string& text) {
    // A cancelled walk's commands are still answered: the refusals go to the log, and no further
    // (421, the server closing the connection, ends the connection as ever).
    if (pWalk.cancelled && socket.ServerErrorCode() != 421) {
        updateStatus(fw::ReplaceAll(text, "\r\n", ""));
        return true;
    }
    if (!pSyncRFlg) return false;
    if (pWalk.ReplyDue()) {
        const bool root = pWalk.replyDueFor == RemoteWalk::kRoot;
        GetCompareList2rLateReply(true);
        return !root;
    }
    if (pWalk.stage != WalkChanging && pWalk.stage != WalkListing) return false;
    // The client has abandoned the folder's data connection with the refusal: nothing more
    // comes for this folder.
    const bool root = pWalk.AtRoot();
    pWalk.failed = true;
    GetCompareList2rFolderDone();
    return !root;
}

bool Window1::GetCompareList2rDataError(FtpDataSocket& socket) {
    if (pWalk.cancelled) return true;  // a listing of the cancelled walk: nobody waits for it
    if (!pSyncRFlg || pWalk.stage != WalkListing || pWalk.listArrived) return false;
    const bool root = pWalk.AtRoot();
    pWalk.failed = true;
    pWalk.listError = socket.LastErrorCode();
    pWalk.listArrived = true;
    // A LIST already sent is still answered; the folder is done with that answer, whatever it
    // is, so the one failure counts once.
    if (!pWalk.listReplied && commandSocket.AwaitingTransferEnd()) return !root;
    GetCompareList2rFolderDone();
    return !root;
}

void Window1::GetCompareList2rFolderDone() {
    pWalk.stage = WalkIdle;
    if (pWalk.failed) {
        pWalk.failed = false;
        if (!pWalk.AtRoot()) {
            pSyncR[static_cast<size_t>(pWalk.folder)].opaque = true;
            updateStatus(FailedListingText(pWalk.listError, currentPath));
        } else {
            pWalk.rootOpaque = true;
            updateStatus(FailedListingText(pWalk.listError, pRootR));
        }
        GetCompareList2rNext();
        return;
    }
    // One listing: its group, its entries, its run. The line that a cut listing ends in was
    // dropped when it was split.
    if (pWalk.lastLineCut) updateStatus(CutLineText(currentPath));
    pGroupR = pGroupR + 1;
    const int64_t zone = ZoneHours(EditField8->Text());
    const fw::Date today;
    PeriodicGiveWay yield;
    std::vector<SyncEntry> batch;
    for (size_t i = 1; i < listData.size(); ++i) {
        std::optional<ListingLine> line = ParseListingLine(listData[i]);
        yield();
        if (!line) continue;
        SyncEntry entry;
        entry.kind = line->kind;
        entry.size = line->kind == "d" ? "-" : SizeText(line->size);
        entry.date = FormatRemoteDate(line->dateText, zone, today.Year(), today.Month());
        entry.path = currentPath + "/" + line->name;
        entry.name = std::move(line->name);
        entry.group = pGroupR;
        entry.check = false;
        batch.push_back(std::move(entry));
    }
    GetCompareList2rSort(batch);
    GetCompareList2rNext();
}

void Window1::GetCompareList2rNext() {
    PeriodicGiveWay yield;
    while (pCountR <= static_cast<int32_t>(pSyncR.size()) - 1) {
        if (pWalk.cancelled) return;  // while this step gave way
        const int32_t index = pCountR;
        SyncEntry& e = pSyncR[static_cast<size_t>(index)];
        ++pCountR;
        if (e.kind != "d") {
            yield();
            continue;
        }
        e.child = static_cast<int32_t>(pSyncR.size());
        if (DepthBelowRoot(pRootR, e.path) > kMaxTreeDepth) {
            e.opaque = true;
            updateStatus(TooDeepText(e.path));
            continue;
        }
        if (e.path.size() > kMaxRemotePathBytes) {
            e.opaque = true;
            updateStatus(TooLongText(e.path));
            continue;
        }
        if (fw::UserCancelled()) {
            GetCompareList2rCancel();
            return;
        }
        pSyncRFlg = true;
        pWalk.Enter(index);
        currentPath = e.path;
        commandSocket.sendCWD(currentPath);
        return;
    }
    // No folder is left: once the last LIST's final reply is in, back to the root, and the
    // rest of the comparison.
    if (pWalk.cancelled) return;
    pWalk.stage = WalkIdle;
    pWalk.endDue = pWalk.ReplyDue();
    if (pWalk.endDue) return;
    if (fw::UserCancelled()) {
        GetCompareList2rCancel();
        return;
    }
    pWalkWatch.SetMode(fw::Timer::kModeOff);  // the pass reads the cancel key itself
    pSyncR.shrink_to_fit();                   // it grows no more
    pFin = true;
    pSyncRFlg = false;
    if (!pWalk.rootOpaque) {
        commandSocket.sendCWD(pRootR);
        currentPath = pRootR;
    }
    GetCompareList3();
}

void Window1::GetCompareList2rSort(std::vector<SyncEntry>& entries) {
    AppendSortedRun(pSyncR, pRunsR, entries, pGroupR);
}
