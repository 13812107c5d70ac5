#include "shell/SettingsFolder.h"

#include "framework/MessageDialog.h"
#include "shell/SaveFailureReason.h"

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

void MakeSettingsFolderPrivate() {
    fw::FolderItem folder = SettingsFolder();
    if (!folder.Exists() || folder.MakePrivate()) return;
    fw::MsgBox("設定フォルダ「" + folder.Path() +
               "」を自分だけが使えるようにできませんでした。ほかのユーザーが設定を読み書きできる"
               "おそれがあります。");
}

void ReportDamagedSettingsFile(const std::string& fileName, const std::string& explanation) {
    fw::FolderItem file = SettingsFolder().Child(fileName);
    std::string backupName = fileName + ".bak";
    bool kept = file.CopyFileTo(SettingsFolder().Child(backupName), fw::FileAccess::Private);
    std::string text = "設定ファイル「" + fileName + "」を正しく読み込めませんでした。" +
                       (explanation.empty() ? "読み込めた設定で起動します。" : explanation);
    if (kept) text += "元のファイルは「" + backupName + "」として保存しました。";
    fw::MsgBox(text);
}

void ReportUnwritableSettingsFile(const std::string& fileName, const std::string& reason) {
    std::string text = "設定ファイル「" + fileName + "」を保存できませんでした。";
    if (!reason.empty()) text += "（" + reason + "）";
    fw::MsgBox(text);
}

namespace {

template <class Stream>
void WriteSettingsFile(const std::string& fileName,
                       std::unique_ptr<Stream> (fw::FolderItem::*create)(fw::FileAccess, int*)
                           const,
                       const std::function<void(Stream&)>& write) {
    fw::FolderItem folder = SettingsFolder();
    if (!folder.Exists()) return;
    try {
        int error = 0;
        std::unique_ptr<Stream> out =
            (folder.Child(fileName).*create)(fw::FileAccess::Private, &error);
        if (!out) throw fw::StreamError("the file can't be created", error);
        write(*out);
        out->Close();
    } catch (const fw::StreamError& e) {
        ReportUnwritableSettingsFile(fileName, SaveFailureReason(e));
    } catch (const std::exception& e) {
        ReportUnwritableSettingsFile(fileName, e.what());
    }
}

}  // namespace

void WriteBinarySettingsFile(const std::string& fileName,
                             const std::function<void(fw::BinaryOutputStream&)>& write) {
    WriteSettingsFile(fileName, &fw::FolderItem::CreateBinaryFile, write);
}

void WriteTextSettingsFile(const std::string& fileName,
                           const std::function<void(fw::TextOutputStream&)>& write) {
    WriteSettingsFile(fileName, &fw::FolderItem::CreateTextFile, write);
}

void RemoveAbandonedSettingsFiles() {
    fw::AtomicFileWriter::RemoveAbandoned(SettingsFolder().Path());
}
