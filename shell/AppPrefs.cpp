// The preference table and its file "pref2": a count (the highest slot index stored, always 50
// when written), then one signed 32-bit big-endian integer per slot from 0 on.
#include <algorithm>

#include "framework/MessageDialog.h"
#include "framework/Streams.h"
#include "shell/App.h"
#include "shell/CommonModule.h"
#include "shell/SettingsFolder.h"

namespace {

constexpr char kPrefFile[] = "pref2";
constexpr int32_t kLastStoredSlot = kPrefSlotCount - 1;

}  // namespace

void App::InitPref() {
    for (int i = 0; i <= 9; ++i) gPref[i] = 0;
    for (int i = 10; i <= 19; ++i) gPref[i] = 1;
    gPref[20] = 0;
}

void App::LoadPref() {
    if (!EnsureSettingsFolder()) return;  // first start: the defaults stand, silently
    fw::FolderItem file = SettingsFolder().Child(kPrefFile);
    if (!file.Exists()) {
        fw::MsgBox("初期設定ファイルがありません。デフォルトの設定で起動します。");
        return;
    }
    std::unique_ptr<fw::BinaryStream> in = file.OpenAsBinaryFile();
    if (!in) {
        ReportDamagedSettingsFile(kPrefFile);
        return;
    }
    bool whole = true;
    try {
        // A count above the table's last slot reads the slots the table has. This program never
        // writes such a count, nor a negative one, and the next save would drop what the file
        // holds, so the file is reported and kept aside like a damaged one.
        const int32_t count = in->ReadInt32();
        const int32_t last = std::min(count, kLastStoredSlot);
        for (int32_t i = 0; i <= last; ++i) gPref[i] = in->ReadInt32();
        whole = count >= 0 && count <= kLastStoredSlot;
    } catch (const fw::StreamError&) {
        whole = false;  // the slots read so far are kept
    }
    in->Close();
    if (!whole) ReportDamagedSettingsFile(kPrefFile);
}

void App::SavePref() {
    WriteBinarySettingsFile(kPrefFile, [](fw::BinaryOutputStream& out) {
        out.WriteInt32(kLastStoredSlot);
        for (int32_t i = 0; i <= kLastStoredSlot; ++i) out.WriteInt32(gPref[i]);
    });
}
