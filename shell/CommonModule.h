#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "shell/Dataset.h"
#include "shell/FileTypeEntry.h"
#include "shell/PrefIndex.h"

namespace fw {
class Window;
}

// The program's global state and the helpers its subsystems share.

// The answer of ShowMsgDlg.
enum MsgDlgResult : int32_t {
    MsgDlgAlternate = 0,
    MsgDlgCancel = 1,  // the cancel button and every other way of closing the dialog
    MsgDlgAction = 2,
};

// Line ends of text uploads.
enum LineEndMode : int32_t { LineEndLF = 0, LineEndCRLF = 1, LineEndCR = 2 };

extern std::array<int32_t, kPrefSlotCount> gPref;  // a flag slot is on when it holds 1
extern std::vector<Dataset> gDatasets;             // a record's index identifies the profile
extern std::vector<FileTypeEntry> gFileTypes;      // fixed once start-up has ended
extern int32_t gGmtOffset;                         // whole hours, negative west of Greenwich
extern int32_t gLineEndMode;                       // a LineEndMode, set at each connect

// The one confirmation routine: buttonCount 1 to 3 (the action button is always shown), answers a
// MsgDlgResult. Beeps first when PrefBeepOnDialog is on.
int32_t ShowMsgDlg(int32_t buttonCount, const std::string& actionCaption,
                   const std::string& cancelCaption, const std::string& altCaption,
                   const std::string& message, const std::string& explanation, fw::Window* parent);
// A message with the single button "OK".
void ShowMsgOK(const std::string& message, const std::string& explanation, fw::Window* parent);

int32_t BoolToInt(bool b);
bool IntToBool(int32_t v);  // true for 1 or more

// Cuts a file name at its last ".": ext gets the text after it, base the text before it. Without a
// "." base gets the whole name and ext keeps what it held.
void SplitFileExt(const std::string& name, std::string& base, std::string& ext);

int32_t DaysInMonth(int32_t year, int32_t month);  // 0 for a month outside 1 to 12
int32_t IsLeapYear(int32_t year);                  // 1 or 0

// Sets gGmtOffset from the machine's current offset from GMT.
void InitGmtOffset();

// Gives the module state its values at creation (all of it empty or zero), as a new run has it.
void ResetModuleState();
