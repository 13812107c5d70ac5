#include "framework/Thread.h"
#include "mainwindow/Window1.h"
#include "sync/SyncListDlg.h"
#include "sync/SyncLoops.h"
#include "sync/SyncPaths.h"

// The work list of a sync phase: its entries, each at most once, and the path forms by which a run
// names them; and the confirmation of the list.

void Window1::SyncAppend(const std::string& side, int32_t index) {
    SyncEntry& entry = side == "Local" ? pSyncL[index] : pSyncR[index];
    // What the comparison could not look into (a pipe, a socket, a device, an unreadable or
    // refused folder) is never sent or removed, even when a ticked folder brings it along.
    if (entry.opaque) return;
    if (entry.sync.value_or(false)) return;
    pRun.Add(index);
    entry.sync = true;
}

// form "full": the remote target path (the remote root, then the names below the local root);
// any other form: the names below the local root.
std::string Window1::SyncUpload2Path(int32_t index, const std::string& form) const {
    const std::vector<std::string> pieces = PathPieces(pSyncL[index].path);
    const size_t depth = SyncLocalDepth();
    if (form == "full") return JoinPiecesUnder(pRootR, pieces, depth);
    return JoinPieces(pieces, depth);
}

// Where the names below the local root begin in a local entry's pieces: from the root the
// comparison scanned, as a path, whatever has become of it on disk since.
size_t Window1::SyncLocalDepth() const {
    return pLocalFolder ? LocalRootDepth(pLocalFolder->Path()) : 0;
}

// The remote path from the remote root's own name on, as the sync list records a removal.
std::string Window1::SyncRemove2Path(int32_t index) {
    return JoinPieces(PathPieces(pSyncR[index].path), RootDepth(pRootR));
}

bool Window1::ShowSyncDlg(const std::string& mode) {
    SyncListDlg* dialog = SyncListDlg::Instance();
    dialog->Listbox1->DeleteAllRows();
    const bool upload = mode == "upload";
    for (size_t i = 0; i < pSyncList.size(); ++i) {
        const int32_t index = pSyncList[i];
        dialog->Listbox1->AddRow(upload ? SyncUpload2Path(index, "underRoot") : pSyncR[index].path);
        if (i % kPassesPerGiveWay == kPassesPerGiveWay - 1) fw::GiveWay();
    }
    dialog->StaticText1->SetText(upload ? "アップロード対象" : "削除対象");
    dialog->ShowModalWithin(this);
    const bool go = dialog->pReturn;
    if (!dialog->IsClosed()) dialog->Close();
    return go;
}
