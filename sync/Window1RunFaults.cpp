#include <algorithm>

#include "mainwindow/Window1.h"
#include "sync/SyncPaths.h"

// The window's part in a run's faults: an upload that the server had begun to take is deleted
// there when the connection still allows it; and every upload that did not get its final reply
// stays in the journal, so that the next comparison against the same server ticks the file again,
// whatever ended the upload.

// An upload that the server had begun to take (its STOR was accepted) and that broke off leaves a
// partial file there. It is deleted while the connection allows it; the reply only reaches the
// log. A STOR that the server has not accepted yet may still be refused, and a DELE then would
// remove the complete file an earlier sync left.
bool Window1::SyncPartialUploadDeletable() const {
    return commandSocket.UploadAccepted() && commandSocket.IsConnected();
}

std::optional<int64_t> Window1::SyncDeletePartialUpload() {
    if (!SyncPartialUploadDeletable()) return std::nullopt;
    const std::string remote = dataSocket.remoteFileName;
    updateStatus("途中で切れたアップロードをサーバーから削除します: " + remote);
    return commandSocket.deleteFile(remote);
}

// The window is going: the transfer is broken off, not ended (the upload thread stops and the data
// connection is reset), its partial file goes by the same rule as in a stopped run, and the
// journal keeps the uploads that did not complete.
void Window1::SyncLetUploadGo() {
    dataSocket.AbandonTransfer();
    SyncDeletePartialUpload();
    SyncSettleJournal();
}

// The journal keeps the entries it held when it can't be written (a full disk): the uploads that
// completed are sent once more, which is safe, and the log says why.
void Window1::SyncSettleJournal() {
    if (!pRun.Journal().Settle())
        updateStatus("アップロード中の記録を書き込めませんでした: " +
                     LoggableName(UploadJournal::FilePath()) + "（" +
                     pRun.Journal().WriteFailure() + "）");
}

// The upload is entered before its first command goes (with the uploads that follow it), and
// leaves once the server has confirmed it.
void Window1::SyncJournalEnter(const std::string& remotePath) {
    if (!pRun.Journal().Enter(SyncJournalEntry(remotePath), SyncJournalAhead()))
        updateStatus("アップロード中の記録を書き込めませんでした: " + remotePath + "（" +
                     pRun.Journal().WriteFailure() + "）");
}

void Window1::SyncJournalLeave(const std::string& remotePath) {
    pRun.Journal().Leave(SyncJournalEntry(remotePath));
}

UploadJournal::Entry Window1::SyncJournalEntry(const std::string& remotePath) const {
    return {commandSocket.Address, commandSocket.userID, remotePath};
}

// The uploads that follow the current one on the work list, written to the journal with it.
std::vector<UploadJournal::Entry> Window1::SyncJournalAhead() const {
    std::vector<UploadJournal::Entry> ahead;
    for (const int32_t index : pRun.Ahead()) {
        if (ahead.size() >= UploadJournal::kEntriesAhead) break;
        if (pSyncL[index].kind == "d") continue;
        ahead.push_back(SyncJournalEntry(SyncUpload2Path(index, "full")));
    }
    return ahead;
}

// After the comparison has made its marks: a local file whose last upload to this server and folder
// did not complete is ticked, whatever the dates say, and named in the log.
void Window1::SyncMarkUnfinishedUploads() {
    const std::vector<std::string> unfinished =
        UploadJournal::Unfinished(commandSocket.Address, commandSocket.userID);
    if (unfinished.empty()) return;
    for (size_t i = 0; i < pSyncL.size(); ++i) {
        SyncEntry& entry = pSyncL[i];
        if (entry.kind == "d" || entry.opaque) continue;
        const int32_t index = static_cast<int32_t>(i);
        const std::string remote = SyncUpload2Path(index, "full");
        if (std::find(unfinished.begin(), unfinished.end(), remote) == unfinished.end()) continue;
        if (!entry.check)
            updateStatus("前回のアップロードが完了していないため、アップロード対象にしました: " +
                         LoggableName(SyncUpload2Path(index, "underRoot")));
        entry.check = true;
    }
}
