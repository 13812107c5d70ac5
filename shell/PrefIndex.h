#pragma once

// Slots of the preference table gPref. The slots not named here are stored and reloaded but read
// by nothing.
enum PrefIndex : int {
    PrefWindowLeft = 1,
    PrefWindowTop = 2,
    PrefWindowWidth = 3,
    PrefWindowHeight = 4,
    PrefConnectOnSelect = 9,
    PrefBeepOnDialog = 10,
    PrefKeepWindowSize = 11,
    PrefConfirmSync = 12,
    PrefShowHelpTags = 13,
};

constexpr int kPrefSlotCount = 51;  // slots 0 to 50
