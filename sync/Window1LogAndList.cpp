#include "mainwindow/Window1.h"
#include "shell/CommonModule.h"
#include "sync/SavedTextFile.h"

// The log pane and the sync list: clearing, the sync list's lines, and saving either as a text
// file.

namespace {

void ReportSaving(const SavedTextFile& saved, Window1& w) {
    if (saved.outcome != SavedTextFile::Outcome::Failed) return;
    ShowMsgOK("ファイルを保存できませんでした。", saved.path + "\n" + saved.failure, &w);
}

}  // namespace

void Window1::ClearLog() {
    if (CompareRunning()) return;  // the comparison is still making the trees and their lists
    if (ShowMsgDlg(2, "クリア", "キャンセル", "", "本当にクリアしますか？",
                   "この操作は取り消しができません。", this) != MsgDlgAction)
        return;
    EditField5->SetText("");
    ToolbarItemStatus(TagLog, false);
    ToolbarItemStatus(TagSyncList, false);
    ClearVal();
    pMode = ConnectCleared;
    pCompared = false;
    pRun.End(SyncRun::Ending::Done);
}

void Window1::SetSyncResult(const std::string& text) {
    pSyncResult += text + "\n";
}

void Window1::SaveLog() {
    ReportSaving(SavedTextFile::Save(EditField5->Text(), "log"), *this);
}

void Window1::SaveSyncList() {
    if (pSyncResult.empty()) {
        ShowMsgOK("出力対象となる項目がありません。", "", this);
        return;
    }
    ReportSaving(SavedTextFile::Save(pSyncResult, "sync"), *this);
}
