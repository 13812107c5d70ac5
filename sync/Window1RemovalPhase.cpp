#include "framework/Thread.h"
#include "mainwindow/Window1.h"
#include "shell/CommonModule.h"
#include "sync/SyncLoops.h"
#include "sync/SyncPaths.h"

// The removal phase of a sync run (upload-and-delete mode): the ticked remote entries, everything
// inside a ticked folder with them, removed one DELE or RMD per step in descending path order, so
// that a folder's content goes before the folder.

void Window1::SyncRemove() {
    pRun.BeginRemovals();

    for (size_t i = 0; i < pSyncR.size(); ++i) {
        if (pSyncR[i].check) {
            if (pSyncR[i].kind == "d") {
                SyncAppend("Remote", static_cast<int32_t>(i));
                const int32_t first = pSyncR[i].child;
                const int32_t count = pSyncR[i].childCount;
                for (int32_t j = 0; j < count; ++j) {
                    SyncEntry& inside = pSyncR[first + j];
                    // A folder that could not be looked into is never removed unseen: it stays,
                    // and so does the folder around it (its RMD is refused).
                    if (inside.opaque) continue;
                    // A folder can't be removed with something left in it.
                    if (!inside.check) {
                        const int32_t answer =
                            ShowMsgDlg(2, "継続", "キャンセル", "",
                                       "フォルダが削除対象の場合はファイルを残せません。"
                                       "以下のファイルを削除対象にして処理を継続しますか？",
                                       inside.name, this);
                        if (!pRun.Building()) return;  // ended while the question was open
                        if (answer != MsgDlgAction) {
                            pRun.OnCancel();
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
            if (!pRun.Building()) return;
        }
    }
    SyncRemoveSort();
    pRun.ListBuilt(gPref[PrefConfirmSync] == 1);  // nothing to remove: the run is over now
}

// Descending byte order of the remote paths.
void Window1::SyncRemoveSort() {
    pRun.SortList([this](int32_t index) { return pSyncR[index].path; });
}

// One step: a DELE or an RMD, or, when the list has run out, pFin2.
void Window1::SyncRemove2() {
    while (const std::optional<int32_t> index =
               pRun.NextEntry(SyncRun::Phase::Removal, DataConnectionOpen())) {
        const SyncEntry& entry = pSyncR[*index];
        const size_t below = RootDepth(pRootR) + 1;  // the first name below the remote root
        if (UnsendableName(entry.name) || UnsendableBelow(PathPieces(entry.path), below)) {
            updateStatus("送信できない名前のため飛ばしました: " +
                         LoggableName(SyncRemove2Path(*index)));
            continue;
        }
        SetSyncResult(SyncRemove2Path(*index));
        if (entry.kind == "d")
            pRun.Sent(SyncRun::StepKind::RemoveFolder, commandSocket.deleteDirectory(entry.path),
                      entry.path);
        else
            pRun.Sent(SyncRun::StepKind::RemoveFile, commandSocket.deleteFile(entry.path),
                      entry.path);
        return;
    }
}
