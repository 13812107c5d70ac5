#include "framework/Strings.h"
#include "mainwindow/Window1.h"
#include "profiles/SelectTypeDlg.h"
#include "shell/CommonModule.h"

// The transfer type of a file to upload: from its extension in the file-type table, or asked.

std::string Window1::ChkFileType(const std::string& name) {
    std::string base;
    std::string ext;  // stays empty for a name without "."
    SplitFileExt(name, base, ext);
    for (const FileTypeEntry& entry : gFileTypes)
        if (fw::EqualsText(entry.ext, ext)) return entry.bin;
    return GenSelectDlg(name);
}

// "A", "I", or "C" when the question was cancelled or closed without an answer.
std::string Window1::GenSelectDlg(const std::string& name) {
    SelectTypeDlg* dialog = SelectTypeDlg::New();
    dialog->SetTitle(name);
    dialog->ShowModal();
    const std::string answer = dialog->pRetString.empty() ? "C" : dialog->pRetString;
    if (!dialog->IsClosed()) dialog->Close();
    return answer;
}
