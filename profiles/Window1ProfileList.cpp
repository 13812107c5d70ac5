#include <string>

#include "framework/FolderItem.h"
#include "framework/Graphics.h"
#include "framework/Strings.h"
#include "mainwindow/Window1.h"
#include "profiles/ProfileRows.h"
#include "shell/CommonModule.h"

// The profile list and the selection: the rows name the live profiles, and selecting one copies
// its record into the profile panel's two pages and resolves its local folder.

namespace {

// One "*" per character of the password: a UTF-8 character is one byte that is not a
// continuation byte.
std::string PasswordMask(const std::string& password) {
    std::string mask;
    for (unsigned char c : password)
        if ((c & 0xC0) != 0x80) mask += '*';
    return mask;
}

}  // namespace

// The list is filled in one go, without giving way: at start-up it is filled while the window is
// being built, and an event let in then (a quit) could close and delete the window under it.
void Window1::InitSetlist() {
    ListBox1->DeleteAllRows();
    for (size_t i = 0; i < gDatasets.size(); ++i) {
        if (!gDatasets[i].Eflg) continue;
        ListBox1->AddRow(gDatasets[i].Name);
        ListBox1->SetCell(ListBox1->LastIndex(), kProfileIndexColumn, std::to_string(i));
    }
}

void Window1::SetDataset(int32_t index) {
    if (index < 0 || static_cast<size_t>(index) >= gDatasets.size()) return;
    const Dataset& r = gDatasets[index];

    StaticText17->SetText(r.Name);
    StaticText18->SetText(r.Adrs);
    StaticText19->SetText(r.User);
    StaticText20->SetText(PasswordMask(r.Pass));
    StaticText21->SetText(r.rDir);

    EditField7->SetText(r.Name);
    EditField1->SetText(r.Adrs);
    EditField2->SetText(r.User);
    EditField3->SetText(r.Pass);
    EditField4->SetText(r.rDir);

    const bool passive = fw::EqualsText(r.Pasv, "yes");
    CheckBox2->SetValue(passive);
    CheckBox3->SetValue(passive);

    EditField6->SetText(r.Path);
    StaticText22->SetText(r.Path);

    if (fw::EqualsText(r.Mode, "sync")) {
        StaticText24->SetText("アップロード＆削除");
        PopupMenu1->SetListIndex(1);
    } else {
        StaticText24->SetText("アップロードのみ");
        PopupMenu1->SetListIndex(0);
    }

    // The zone field is written after the box, whose own handler also writes it.
    if (fw::EqualsText(r.Zone, "0")) {
        CheckBox4->SetValue(false);
        CheckBox5->SetValue(false);
        StaticText25->SetText("");
        EditField8->SetText("");
    } else {
        CheckBox4->SetValue(true);
        CheckBox5->SetValue(true);
        StaticText25->SetText(r.Zone + "H");
        EditField8->SetText(r.Zone);
    }

    if (fw::EqualsText(r.EOL, "win")) {
        Label3->SetText("CR+LF");
        PopupMenu2->SetListIndex(LineEndCRLF);
    } else if (fw::EqualsText(r.EOL, "mac")) {
        Label3->SetText("CR");
        PopupMenu2->SetListIndex(LineEndCR);
    } else {
        Label3->SetText("LF");
        PopupMenu2->SetListIndex(LineEndLF);
    }

    // A path that names a file is no local folder either.
    pLocalFolder = fw::FolderItem::FromAbsolutePath(r.Path);
    if (!pLocalFolder || !pLocalFolder->Directory())
        ShowMsgOK("ローカルフォルダが見つかりません。再指定して下さい。", "", this);

    if (gPref[PrefShowHelpTags] == 1) {
        for (fw::Label* label :
             {StaticText17, StaticText18, StaticText19, StaticText21, StaticText22})
            label->SetHelpTag(label->Text());
    }
}

// Raised while the window is being built: it does not give way either.
void Window1::ListBox1_Open(fw::ListBox& list) {
    for (int32_t column = 0; column < list.ColumnCount(); ++column)
        list.SetHeaderType(column, 1);  // a heading that does not sort the list
}

void Window1::ListBox1_Change(fw::ListBox& list) {
    // While connected the panel keeps showing the profile of the connection.
    if (pMode == ConnectOpen) return;
    if (list.ListIndex() < 0) {
        PagePanel1->SetValue(PageEmpty);
        BevelButton1->SetEnabled(true);
        BevelButton2->SetEnabled(false);
        ToolbarItemStatus(TagConnect, false);
        return;
    }
    SetDataset(ProfileIndexOfRow(list, list.ListIndex()));
    PagePanel1->SetValue(PageView);
    BevelButton1->SetEnabled(false);
    BevelButton2->SetEnabled(true);
    // A connection ended during the comparison pass: no connect until the pass has ended.
    ToolbarItemStatus(TagConnect, !pComparePass);
    if (gPref[PrefConnectOnSelect] == 1 && !pComparePass) makeConnection();
}

bool Window1::ListBox1_CellBackgroundPaint(fw::ListBox& list, fw::Graphics& g, int32_t /*row*/,
                                           int32_t /*column*/) {
    // The colour of the left column's panel; the list still draws the selection over it.
    g.ForeColor = fw::RGB(215, 221, 229);
    g.FillRect(0, 0, list.Width(), list.Height());
    return false;
}

void Window1::ListBox1_DoubleClick(fw::ListBox& /*list*/, int32_t row) {
    // A double click on the empty area below the rows names no profile.
    if (row < 0) return;
    makeConnection();
}
