#include "shell/SettingsFolder.h"

#include "framework/MessageDialog.h"

const char* const kSettingsFolderName = "Quillomar初期設定";

fw::FolderItem SettingsFolder() {
    return fw::SpecialFolder::Preferences().Child(kSettingsFolderName);
}

bool EnsureSettingsFolder() {
    fw::FolderItem folder = SettingsFolder();
    if (folder.Exists()) return true;
    fw::SpecialFolder::Preferences().CreateAsFolder();
    folder.CreateAsFolder(fw::FileAccess::Private);
    return false;
}

void ReportDamagedSettingsFile(const std::string& fileName) {
    fw::FolderItem file = SettingsFolder().Child(fileName);
    std::string backupName = fileName + ".bak";
    bool kept = file.CopyFileTo(SettingsFolder().Child(backupName), fw::FileAccess::Private);
    std::string text = "設定ファイル「" + fileName +
                       "」を正しく読み込めませんでした。読み込めた設定で起動します。";
    if (kept) text += "元のファイルは「" + backupName + "」として保存しました。";
    fw::MsgBox(text);
}

void ReportUnwritableSettingsFile(const std::string& fileName, const std::string& reason) {
    std::string text = "設定ファイル「" + fileName + "」を保存できませんでした。";
    if (!reason.empty()) text += "（" + reason + "）";
    fw::MsgBox(text);
}
