#include "sync/SavedTextFile.h"

#include <memory>

#include "framework/FileDialogs.h"
#include "framework/FolderItem.h"
#include "framework/Streams.h"

SavedTextFile SavedTextFile::Save(const std::string& text, const std::string& suggestedName) {
    SavedTextFile result;
    std::optional<fw::FolderItem> target =
        fw::GetSaveFolderItem(suggestedName, "Text File (*.txt)", fw::SpecialFolder::Desktop());
    if (!target) return result;
    result.path = target->AbsolutePath();
    result.outcome = Outcome::Failed;
    if (target->Directory()) {
        result.failure = "a folder has this name";
        return result;
    }
    std::unique_ptr<fw::TextOutputStream> out = target->CreateTextFile();
    if (!out) {
        result.failure = "the file can't be created";
        return result;
    }
    try {
        out->Write(text);
        out->Close();
    } catch (const fw::StreamError& e) {
        out->Discard();
        result.failure = e.what();
        return result;
    }
    result.outcome = Outcome::Saved;
    return result;
}
