#include "framework/FolderItem.h"
#include "framework/Streams.h"
#include "framework/Thread.h"
#include "framework/UserCancel.h"
#include "mainwindow/Window1.h"
#include "shell/CommonModule.h"
#include "sync/SyncLoops.h"
#include "sync/SyncPaths.h"

// The upload phase of a sync run: the work list from the ticked local entries, in the order of
// their remote paths, confirmed, then one MKD or one upload per step.

void Window1::SyncUpload() {
    // The comparison must have made the trees and their marks, and no run may be under way.
    if (SyncRunActive() || !pCompared || CompareRunning() || !commandSocket.IsConnected()) return;
    // Every target is named from the local root the comparison scanned: a root renamed or removed
    // since would upload another tree, or name nothing.
    if (!pLocalFolder || !pLocalFolder->Directory()) {
        ShowMsgOK("比較したローカルフォルダが見つかりません。同期は行いません。",
                  pLocalFolder ? pLocalFolder->Path() : "", this);
        return;
    }
    // Whatever an earlier run left pending is dropped: this run starts from its own list, in the
    // mode shown now, which holds for the whole run. A cancel key pressed while nothing read it
    // (between runs, or during the removals) is not this run's.
    fw::ClearUserCancelled();
    pRun.Begin(PopupMenu1->ListIndex());
    ToolbarItemStatus(TagSync, false);

    for (SyncEntry& entry : pSyncL) entry.sync.reset();
    for (size_t i = 0; i < pSyncL.size(); ++i) {
        const SyncEntry& entry = pSyncL[i];
        if (entry.check) {
            // A ticked folder brings its direct entries, ticked or not, before itself.
            if (entry.kind == "d")
                for (int32_t j = 0; j < entry.childCount; ++j) SyncAppend("Local", entry.child + j);
            SyncAppend("Local", static_cast<int32_t>(i));
        }
        if (i % kPassesPerGiveWay == kPassesPerGiveWay - 1) {
            fw::GiveWay();
            if (!pRun.Building()) return;  // ended meanwhile (the connection was lost)
        }
    }
    SyncUploadSort();
    pRun.ListBuilt(gPref[PrefConfirmSync] == 1);
}

namespace {

// The log's words for a file the upload could not open, before its name.
std::string PassedOverUnopenedLine(fw::OpenRefusal refusal) {
    switch (refusal) {
        case fw::OpenRefusal::Replaced:
            return "比較の後で置き換えられたファイルのため飛ばしました: ";
        case fw::OpenRefusal::MovedOut:
            return "比較の後でローカルフォルダの外へ移動されたファイルのため飛ばしました: ";
        default:
            return "読み込めないファイルのため飛ばしました: ";
    }
}

}  // namespace

// Ascending byte order of the remote target paths, so that a folder's MKD comes before
// everything that goes into it.
void Window1::SyncUploadSort() {
    pRun.SortList([this](int32_t index) { return SyncUpload2Path(index, "full"); });
}

// One step: the MKD of a folder or the upload of a file, or, when the list has run out, pFin2.
// Entries that must not or cannot be sent are passed over with a line in the log.
void Window1::SyncUpload2() {
    while (const std::optional<int32_t> index =
               pRun.NextEntry(SyncRun::Phase::Upload, DataConnectionOpen())) {
        const SyncEntry& entry = pSyncL[*index];
        const std::vector<std::string> pieces = PathPieces(entry.path);
        const size_t depth = SyncLocalDepth();
        const std::string relative = JoinPieces(pieces, depth);
        if (UnsendableBelow(pieces, depth)) {
            updateStatus("送信できない名前のため飛ばしました: " + LoggableName(relative));
            continue;
        }
        const std::string remote = JoinPiecesUnder(pRootR, pieces, depth);

        if (entry.kind == "d") {
            pRun.Sent(SyncRun::StepKind::Folder, commandSocket.makeDirectory(remote), remote);
            SetSyncResult(relative);
            return;
        }

        // A file that has gone or can't be read is passed over; the server is not touched. The
        // file is opened here once and handed on to the upload. Only the file the comparison
        // found is sent, and only while it lies inside the local folder: one replaced since (by
        // a link, or another file), or moved out with a link left in its place, is passed over.
        std::optional<fw::FolderItem> file = fw::FolderItem::FromAbsolutePath(entry.path);
        fw::OpenRefusal refusal = fw::OpenRefusal::Unreadable;
        std::unique_ptr<fw::BinaryStream> opened =
            file && pLocalFolder ? file->OpenAsBinaryFile(entry.identity, *pLocalFolder, refusal)
                                 : nullptr;
        if (!opened) {
            updateStatus(PassedOverUnopenedLine(refusal) + LoggableName(relative));
            continue;
        }
        SyncShowUploadStarted(*file, opened->Length());
        const std::string type = ChkFileType(file->Name());
        if (!pRun.Uploading()) return;  // ended while the question was open
        if (type == "C") {
            pRun.OnCancel();
            return;
        }
        SyncJournalEnter(remote);
        pRun.Sent(SyncRun::StepKind::File,
                  commandSocket.storFile(std::move(opened), entry.path, remote, type), remote);
        SetSyncResult(relative);
        return;
    }
}
