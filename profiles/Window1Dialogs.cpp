#include "framework/Thread.h"
#include "mainwindow/Window1.h"
#include "profiles/MapDlg.h"
#include "profiles/PrefDlg.h"
#include "shell/CommonModule.h"

// The two dialogs the window opens for the program's tables: the file-type list and the
// preferences.

void Window1::ShowMapDlg() {
    MapDlg* dialog = MapDlg::Instance();
    // Emptied first, so the list holds the table once however often the command is given.
    dialog->localListBox->DeleteAllRows();
    for (size_t i = 0; i < gFileTypes.size(); ++i) {
        dialog->localListBox->AddRow(gFileTypes[i].ext);
        dialog->localListBox->SetCell(dialog->localListBox->LastIndex(), 1, gFileTypes[i].bin);
        fw::GiveWay();
        // "閉じる" may have been pressed meanwhile; a closed dialog is not filled any further.
        if (fw::Window::FindOpen<MapDlg>() != dialog) return;
    }
}

void Window1::ShowPrefDlg() {
    PrefDlg* dialog = PrefDlg::Instance();
    dialog->CheckBox1->SetValue(IntToBool(gPref[PrefConnectOnSelect]));
    dialog->CheckBox2->SetValue(IntToBool(gPref[PrefKeepWindowSize]));
    dialog->CheckBox3->SetValue(IntToBool(gPref[PrefBeepOnDialog]));
    dialog->CheckBox4->SetValue(IntToBool(gPref[PrefConfirmSync]));
    dialog->CheckBox5->SetValue(IntToBool(gPref[PrefShowHelpTags]));
    dialog->ShowModal();
    if (dialog->pReturn) {
        gPref[PrefConnectOnSelect] = BoolToInt(dialog->CheckBox1->Value());
        gPref[PrefKeepWindowSize] = BoolToInt(dialog->CheckBox2->Value());
        gPref[PrefBeepOnDialog] = BoolToInt(dialog->CheckBox3->Value());
        gPref[PrefConfirmSync] = BoolToInt(dialog->CheckBox4->Value());
        gPref[PrefShowHelpTags] = BoolToInt(dialog->CheckBox5->Value());
    }
    dialog->Close();
}
