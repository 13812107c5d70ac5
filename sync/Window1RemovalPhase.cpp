#include <algorithm>
#include <utility>

#include "framework/Strings.h"
#include "framework/Thread.h"
#include "mainwindow/Window1.h"
#include "shell/CommonModule.h"
#include "sync/SyncPaths.h"

// The removal phase of a sync run (upload-and-delete mode): the ticked remote entries, everything
// inside a ticked folder with them, removed one DELE or RMD per step in descending path order, so
// that a folder's content goes before the folder.

namespace {

constexpr size_t kPassesPerGiveWay = 256;

}  // namespace

void Window1::SyncRemove() {
    pRunState = RunBuilding;
    pSyncList.clear();
    pSyncListIdx = 0;
    pRemove = false;
    pFin2 = false;
    pStepDeferred = false;

    for (size_t i = 0; i < pSyncR.size(); ++i) {
        if (pSyncR[i].check) {
            if (pSyncR[i].kind == "d") {
                SyncAppend("Remote", static_cast<int32_t>(i));
                const int32_t first = pSyncR[i].child;
                const int32_t count = pSyncR[i].childCount;
                for (int32_t j = 0; j < count; ++j) {
                    SyncEntry& inside = pSyncR[first + j];
                    // A folder can't be removed with something left in it.
                    if (!inside.check) {
                        const int32_t answer =
                            ShowMsgDlg(2, "継続", "キャンセル", "",
                                       "フォルダが削除対象の場合はファイルを残せません。"
                                       "以下のファイルを削除対象にして処理を継続しますか？",
                                       inside.name, this);
                        if (pRunState != RunBuilding) return;  // ended while the question was open
                        if (answer != MsgDlgAction) {
                            SyncRunCancel();
                            return;
                        }
                        inside.check = true;
                    }
                    SyncAppend("Remote", first + j);
                }
            } else {
                SyncAppend("Remote", static_cast<int32_t>(i));
            }
        }
        if (i % kPassesPerGiveWay == kPassesPerGiveWay - 1) {
            fw::GiveWay();
            if (pRunState != RunBuilding) return;
        }
    }
    SyncRemoveSort();

    if (gPref[PrefConfirmSync] == 1) {
        pRunState = RunConfirming;
        const bool go = ShowSyncDlg("remove");
        if (pRunState != RunConfirming) return;
        if (!go) {
            SyncRunCancel();
            return;
        }
    }

    ToolbarItemStatus(TagSyncList, true);
    SetSyncResult("削除対象");
    pRunState = RunRemoving;
    SyncRemove2();
    if (pFin2) {  // nothing to remove: the run is over now, not at some later reply
        pFin2 = false;
        SyncRunDone("[cmd]");
    }
}

// Descending byte order of the remote paths.
void Window1::SyncRemoveSort() {
    std::vector<std::pair<std::string, int32_t>> keyed;
    keyed.reserve(pSyncList.size());
    for (int32_t index : pSyncList) keyed.emplace_back(pSyncR[index].path, index);
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
        return fw::StrCompBytes(a.first, b.first) > 0;
    });
    for (size_t i = 0; i < keyed.size(); ++i) pSyncList[i] = keyed[i].second;
}

// One step: a DELE or an RMD, or, when the list has run out, pFin2.
void Window1::SyncRemove2() {
    if (pRunState != RunRemoving) return;
    if (DataConnectionOpen()) {
        pStepDeferred = true;  // taken once the data connection has closed
        return;
    }
    while (true) {
        if (pSyncListIdx >= static_cast<int32_t>(pSyncList.size())) {
            pRemove = false;
            pFin2 = true;
            return;
        }
        const int32_t index = pSyncList[pSyncListIdx];
        ++pSyncListIdx;  // an entry whose command fails is not tried again
        const SyncEntry& entry = pSyncR[index];
        const std::vector<std::string> pieces = PathPieces(entry.path);
        const size_t below = RootDepth(pRootR) + 1;  // the first name below the remote root
        bool unsendable = UnsendableName(entry.name) || pieces.size() <= below;
        for (size_t i = below; i < pieces.size(); ++i) unsendable |= UnsendableName(pieces[i]);
        if (unsendable) {
            updateStatus("送信できない名前のため飛ばしました: " +
                         LoggableName(SyncRemove2Path(index)));
            continue;
        }
        SetSyncResult(SyncRemove2Path(index));
        pRemove = true;
        if (entry.kind == "d")
            commandSocket.deleteDirectory(entry.path);
        else
            commandSocket.deleteFile(entry.path);
        pStepCommand = commandSocket.CommandsWritten();
        return;
    }
}
