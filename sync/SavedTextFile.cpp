#include "sync/SavedTextFile.h"

#include <errno.h>

#include <memory>

#include "framework/FileDialogs.h"
#include "framework/FolderItem.h"
#include "framework/Streams.h"
#include "shell/SaveFailureReason.h"

SavedTextFile SavedTextFile::Save(const std::string& text, const std::string& suggestedName) {
    SavedTextFile result;
    std::optional<fw::FolderItem> target =
        fw::GetSaveFolderItem(suggestedName, "Text File (*.txt)", fw::SpecialFolder::Desktop());
    if (!target) return result;
    result.path = target->AbsolutePath();
    result.outcome = Outcome::Failed;
    if (target->Directory()) {
        result.failure = SaveFailureReason(EISDIR);
        return result;
    }
    int error = 0;
    std::unique_ptr<fw::TextOutputStream> out =
        target->CreateTextFile(fw::FileAccess::Normal, &error);
    if (!out) {
        result.failure = SaveFailureReason(error);
        return result;
    }
    try {
        out->Write(text);
        out->Close();
    } catch (const fw::StreamError& e) {
        out->Discard();
        result.failure = SaveFailureReason(e);
        return result;
    }
    result.outcome = Outcome::Saved;
    return result;
}
