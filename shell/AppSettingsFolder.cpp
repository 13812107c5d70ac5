// The settings folder as a whole, at start and at quit: whether start-up may read it, the lock
// that keeps a second copy of the program out of it, and a folder that is gone at quit.
#include <stdio.h>

#include "framework/MessageDialog.h"
#include "shell/App.h"
#include "shell/SaveFailureReason.h"
#include "shell/SettingsFolder.h"

namespace {

std::string Named(const fw::FolderItem& folder) {
    return "設定フォルダ「" + folder.Path() + "」";
}

// Also on stderr, for a copy started from a terminal, where the message box may go unseen.
void Report(const std::string& text) {
    fprintf(stderr, "quillomar: %s\n", text.c_str());
    fw::MsgBox(text);
}

void ReportInUse(const fw::FolderItem& folder, const std::string& what) {
    Report("別のQuillomarが" + Named(folder) + "を使用中なので" + what);
}

// No lock can be had on the folder: a run without it could undo what another copy saves.
void ReportNotLockable(const fw::FolderItem& folder, int error, const std::string& what) {
    Report(Named(folder) + "をロックできないので" + what + "（" + LockFailureReason(error) + "）");
}

// Whether the folder holds settings of its own, which a run that never read them must not replace.
bool HoldsSettingsFiles(const fw::FolderItem& folder) {
    for (const char* name : {"pref2", "dataset2", "dataset", "filetype.txt"})
        if (folder.Child(name).Exists()) return true;
    return false;
}

}  // namespace

App::SettingsAtStart App::TakeSettingsFolder() {
    const fw::FolderItem folder = SettingsFolder();
    bool created = false;
    if (!folder.Directory()) {
        // A link leading nowhere is a folder that is not there now (a disk not mounted, say), not a
        // first start: its target is not made, and the user is told.
        if (folder.IsSymbolicLink() && !folder.Exists()) {
            fw::MsgBox(Named(folder) +
                       "はリンクですが、リンク先が見つかりません。デフォルトの設定で起動します。");
            return SettingsAtStart::Unread;
        }
        EnsureSettingsFolder();
        if (!folder.Directory()) {
            fw::MsgBox(Named(folder) + "を作成できません。デフォルトの設定で起動します。");
            return SettingsAtStart::Unread;
        }
        created = true;
    }
    switch (settingsLock_.Take()) {
        case SettingsFolderLock::Result::HeldElsewhere:
            anotherCopyRunning_ = true;
            ReportInUse(folder, "起動できません。");
            return SettingsAtStart::Refused;
        case SettingsFolderLock::Result::Unavailable:
            notLockable_ = true;
            ReportNotLockable(folder, settingsLock_.Error(), "起動できません。");
            return SettingsAtStart::Refused;
        case SettingsFolderLock::Result::Taken:
            break;
    }
    settingsFolderRead_ = true;
    return created ? SettingsAtStart::FirstStart : SettingsAtStart::Read;
}

bool App::SettingsFolderReadyForQuit() {
    const fw::FolderItem folder = SettingsFolder();
    // A folder removed during the run and made again by a copy started since, which may have
    // saved there and quit: those settings are not this copy's to write over.
    if (settingsLock_.HeldOnAReplacedFolder() && HoldsSettingsFiles(folder)) {
        fw::MsgBox(Named(folder) +
                   "は起動後に作り直されたため、中の設定ファイルを上書きせずに終了します。");
        return false;
    }
    if (!folder.Directory()) {
        // Removed during the run: made again, private. A link leading nowhere is not followed.
        EnsureSettingsFolder();
        if (!folder.Directory()) {
            fw::MsgBox(Named(folder) + "を作成できないため、設定を保存できませんでした。");
            return false;
        }
    }
    if (!settingsFolderRead_ && HoldsSettingsFiles(folder)) {
        fw::MsgBox(Named(folder) +
                   "は起動時に読み込めなかったため、中の設定ファイルを上書きせずに終了します。");
        return false;
    }
    // The lock of a folder made again here, or of one that was not there at start.
    switch (settingsLock_.Take()) {
        case SettingsFolderLock::Result::HeldElsewhere:
            ReportInUse(folder, "、設定を保存できませんでした。");
            return false;
        case SettingsFolderLock::Result::Unavailable:
            ReportNotLockable(folder, settingsLock_.Error(), "、設定を保存できませんでした。");
            return false;
        case SettingsFolderLock::Result::Taken:
            break;
    }
    return true;
}
