#include "FileDialogs.h"

#include <QApplication>
#include <QFileDialog>

#include "ModalHost.h"
#include "PlatformInternal.h"

namespace fw {

namespace {

std::optional<FolderItem> RunFileDialog(QFileDialog& dialog, const ModalPrompt& prompt) {
    // The layer's own dialog everywhere, so that it behaves alike on every desktop and in tests.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    if (ModalHost::Run(&dialog, prompt) != QDialog::Accepted) return std::nullopt;
    QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) return std::nullopt;
    return FolderItem::FromAbsolutePath(FromQString(chosen.first()));
}

}  // namespace

std::optional<FolderItem> GetSaveFolderItem(const std::string& suggestedName,
                                            const std::string& filter,
                                            std::optional<FolderItem> startFolder) {
    QFileDialog dialog(QApplication::activeWindow());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!filter.empty()) dialog.setNameFilter(ToQString(filter));
    if (startFolder) dialog.setDirectory(ToQString(startFolder->Path()));
    dialog.selectFile(ToQString(suggestedName));
    ModalPrompt prompt;
    prompt.kind = "save";
    prompt.suggestedName = suggestedName;
    return RunFileDialog(dialog, prompt);
}

std::optional<FolderItem> SelectFolder(const std::string& title,
                                       std::optional<FolderItem> startFolder) {
    QFileDialog dialog(QApplication::activeWindow(), ToQString(title));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    if (startFolder) dialog.setDirectory(ToQString(startFolder->Path()));
    ModalPrompt prompt;
    prompt.kind = "folder";
    prompt.title = title;
    return RunFileDialog(dialog, prompt);
}

}  // namespace fw
