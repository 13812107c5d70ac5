#include "shell/CommonModule.h"

#include "framework/Date.h"
#include "framework/MessageDialog.h"

std::array<int32_t, kPrefSlotCount> gPref{};
std::vector<Dataset> gDatasets;
std::vector<FileTypeEntry> gFileTypes;
int32_t gGmtOffset = 0;
int32_t gLineEndMode = LineEndLF;

int32_t ShowMsgDlg(int32_t buttonCount, const std::string& actionCaption,
                   const std::string& cancelCaption, const std::string& altCaption,
                   const std::string& message, const std::string& explanation, fw::Window* parent) {
    fw::MessageDialog dialog;
    if (gPref[PrefBeepOnDialog] == 1) fw::Beep();
    dialog.Icon = fw::MessageDialog::kIconCaution;
    dialog.ActionButton.Caption = actionCaption;
    dialog.ActionButton.Visible = true;
    if (buttonCount > 1) {
        dialog.CancelButton.Visible = true;
        dialog.CancelButton.Caption = cancelCaption;
    }
    if (buttonCount > 2) {
        dialog.AlternateActionButton.Visible = true;
        dialog.AlternateActionButton.Caption = altCaption;
    }
    dialog.Message = message;
    dialog.Explanation = explanation;
    fw::MessageDialogButton* pressed = dialog.ShowModalWithin(parent);
    if (pressed == &dialog.ActionButton) return MsgDlgAction;
    if (pressed == &dialog.AlternateActionButton) return MsgDlgAlternate;
    return MsgDlgCancel;
}

void ShowMsgOK(const std::string& message, const std::string& explanation, fw::Window* parent) {
    ShowMsgDlg(1, "OK", "", "", message, explanation, parent);
}

int32_t BoolToInt(bool b) {
    return b ? 1 : 0;
}

bool IntToBool(int32_t v) {
    return v >= 1;
}

void SplitFileExt(const std::string& name, std::string& base, std::string& ext) {
    size_t dot = name.rfind('.');
    if (dot == std::string::npos) {
        base = name;
        return;
    }
    ext = name.substr(dot + 1);
    base = name.substr(0, dot);
}

int32_t IsLeapYear(int32_t year) {
    return ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0) ? 1 : 0;
}

int32_t DaysInMonth(int32_t year, int32_t month) {
    switch (month) {
        case 1:
        case 3:
        case 5:
        case 7:
        case 8:
        case 10:
        case 12:
            return 31;
        case 4:
        case 6:
        case 9:
        case 11:
            return 30;
        case 2:
            return 28 + IsLeapYear(year);
        default:
            return 0;
    }
}

void InitGmtOffset() {
    gGmtOffset = static_cast<int32_t>(fw::LocalGmtOffsetSeconds() / 3600.0);
}

void ResetModuleState() {
    gPref.fill(0);
    gDatasets.clear();
    gFileTypes.clear();
    gGmtOffset = 0;
    gLineEndMode = LineEndLF;
}
