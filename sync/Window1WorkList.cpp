#include "framework/Thread.h"
#include "mainwindow/Window1.h"
#include "sync/SyncListDlg.h"
#include "sync/SyncPaths.h"

// The work list of a sync phase: its entries, each at most once, and the path forms by which a run
// names them; and the confirmation of the list.

void Window1::SyncAppend(const std::string& side, int32_t index) {
    SyncEntry& entry = side == "Local" ? pSyncL[index] : pSyncR[index];
    if (entry.sync.value_or(false)) return;
    pSyncList.push_back(index);
    entry.sync = true;
}

// form "full": the remote target path (the remote root, then the names below the local root);
// any other form: the names below the local root.
std::string Window1::SyncUpload2Path(int32_t index, const std::string& form) {
    const std::vector<std::string> pieces = PathPieces(pSyncL[index].path);
    const size_t depth = pLocalFolder ? RootDepth(pLocalFolder->AbsolutePath()) : 0;
    if (form == "full") return JoinPiecesUnder(pRootR, pieces, depth);
    return JoinPieces(pieces, depth);
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
        if (i % 256 == 255) fw::GiveWay();  // a long list must not freeze the window
    }
    dialog->StaticText1->SetText(upload ? "アップロード対象" : "削除対象");
    dialog->ShowModalWithin(this);
    const bool go = dialog->pReturn;
    if (!dialog->IsClosed()) dialog->Close();
    return go;
}
