#include <string>

#include "framework/FileDialogs.h"
#include "mainwindow/Window1.h"
#include "profiles/ProfileRows.h"
#include "shell/CommonModule.h"

// Creating, editing and deleting profiles in the profile panel. Every change stays in the profile
// array; the settings store writes the live profiles at quit. After a save or a deletion the list
// is rebuilt and a row selected or the selection removed, and the list's Change brings the panel
// and the buttons into step.

// "＋"
void Window1::BevelButton1_Action(fw::BevelButton& /*button*/) {
    ClearDataset();
    PagePanel1->SetValue(PageEdit);
    BevelButton1->SetEnabled(false);
    BevelButton2->SetEnabled(false);
}

// "ー"
void Window1::BevelButton2_Action(fw::BevelButton& /*button*/) {
    const int32_t row = ListBox1->ListIndex();
    if (row < 0) return;
    if (!DelDataset(ProfileIndexOfRow(*ListBox1, row))) return;
    InitSetlist();
    ListBox1->SetListIndex(-1);
}

// "編集": the edit fields already hold the selected profile.
void Window1::BevelButton3_Action(fw::BevelButton& /*button*/) {
    PagePanel1->SetValue(PageEdit);
}

// "選択...": the chosen folder's path goes into the local-folder field; the folder is resolved
// when the saved profile is selected again.
void Window1::BevelButton4_Action(fw::BevelButton& /*button*/) {
    std::optional<fw::FolderItem> folder = fw::SelectFolder();
    if (!folder) return;
    const std::string path = folder->Path();
    EditField6->SetText(path == "/" ? path : path + "/");
}

// "保存"
void Window1::BevelButton5_Action(fw::BevelButton& /*button*/) {
    const int32_t selected = ListBox1->ListIndex();
    const int32_t index = selected < 0 ? -1 : ProfileIndexOfRow(*ListBox1, selected);
    const int32_t saved = EditDataset(index);
    InitSetlist();
    if (saved < 0) {
        ListBox1->SetListIndex(ListBox1->ListCount() - 1);  // the new profile's row
    } else {
        ListBox1->SetListIndex(-1);
        ListBox1->SetListIndex(RowOfProfile(*ListBox1, saved));
    }
    PagePanel1->SetValue(PageView);
    // While connected the list and "ー" stay off; with no row there is nothing to delete.
    BevelButton2->SetEnabled(pMode != ConnectOpen && ListBox1->ListIndex() >= 0);
}

// "タイムゾーン補正": ticking it proposes the local offset from GMT.
void Window1::CheckBox4_Action(fw::CheckBox& box) {
    EditField8->SetText(box.Value() ? std::to_string(gGmtOffset) : "");
}

int32_t Window1::EditDataset(int32_t index) {
    Dataset* record = nullptr;
    if (index < 0) {
        gDatasets.emplace_back();
        gDatasets.back().Eflg = true;
        record = &gDatasets.back();
    } else if (static_cast<size_t>(index) < gDatasets.size()) {
        record = &gDatasets[index];
    } else {
        return index;
    }
    record->Name = EditField7->Text();
    record->Adrs = EditField1->Text();
    record->User = EditField2->Text();
    record->Pass = EditField3->Text();
    record->rDir = EditField4->Text();
    record->Path = EditField6->Text();
    record->Pasv = CheckBox2->Value() ? "yes" : "no";
    record->Mode = PopupMenu1->ListIndex() == 0 ? "up" : "sync";
    record->Zone = CheckBox4->Value() && !EditField8->Text().empty() ? EditField8->Text() : "0";
    switch (PopupMenu2->ListIndex()) {
        case LineEndCRLF:
            record->EOL = "win";
            break;
        case LineEndCR:
            record->EOL = "mac";
            break;
        default:
            record->EOL = "unix";
            break;
    }
    return index;
}

bool Window1::DelDataset(int32_t index) {
    if (ShowMsgDlg(2, "削除", "キャンセル", "", "本当に削除しますか？",
                   "この操作は取り消しができません。", this) != MsgDlgAction)
        return false;
    // The record keeps its slot, so no other profile's index changes; it is not saved at quit.
    if (index >= 0 && static_cast<size_t>(index) < gDatasets.size()) gDatasets[index].Eflg = false;
    return true;
}

void Window1::ClearDataset() {
    for (fw::Label* label : {StaticText17, StaticText18, StaticText19, StaticText20, StaticText21})
        label->SetText("");
    CheckBox3->SetValue(true);
    CheckBox5->SetValue(false);
    StaticText25->SetText("");
    StaticText22->SetText("");
    StaticText24->SetText("アップロードのみ");
    for (fw::TextField* field : {EditField7, EditField1, EditField2, EditField3, EditField4})
        field->SetText("");
    CheckBox2->SetValue(true);
    CheckBox4->SetValue(false);
    EditField8->SetText("");
    EditField6->SetText("");
    PopupMenu1->SetListIndex(0);
}
