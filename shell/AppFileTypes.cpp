// The file-type table and "filetype.txt": one line per entry, the extension, a tab and the type
// letter. The table is read as written, but for the letter's case: a table edited by hand with
// "a" or "i" means "A" or "I" (elsewhere only an exact "I" is binary).
#include "framework/Streams.h"
#include "framework/Strings.h"
#include "shell/App.h"
#include "shell/CommonModule.h"
#include "shell/SettingsFolder.h"

namespace {

constexpr char kFileTypeFile[] = "filetype.txt";

const FileTypeEntry kBuiltInFileTypes[] = {
    {"html", "A"}, {"htm", "A"}, {"shtml", "A"}, {"php", "A"}, {"css", "A"},
    {"txt", "A"},  {"xml", "A"}, {"rdf", "A"},   {"exp", "A"}, {"js", "A"},
    {"jpg", "I"},  {"gif", "I"}, {"png", "I"},   {"sit", "I"}, {"bin", "I"},
    {"zip", "I"},  {"dmg", "I"}, {"lzh", "I"},   {"gz", "I"},
};

std::string TransferTypeField(const std::string& field) {
    if (field == "a") return "A";
    if (field == "i") return "I";
    return field;
}

}  // namespace

bool App::LoadFileType() {
    if (!EnsureSettingsFolder()) return false;
    fw::FolderItem file = SettingsFolder().Child(kFileTypeFile);
    if (!file.Exists()) return false;
    std::unique_ptr<fw::TextInputStream> in = file.OpenAsTextFile();
    if (!in) {
        ReportDamagedSettingsFile(kFileTypeFile);
        return false;
    }
    // The first line is read before the end is tested: every line gives an entry, and an empty
    // file gives one empty entry.
    do {
        std::string line = in->ReadLine();
        gFileTypes.push_back(
            {fw::NthField(line, "\t", 1), TransferTypeField(fw::NthField(line, "\t", 2))});
    } while (!in->AtEnd());
    in->Close();
    return true;
}

void App::InitFileType() {
    for (const FileTypeEntry& entry : kBuiltInFileTypes) gFileTypes.push_back(entry);
}

void App::SaveFileType() {
    if (gFileTypes.empty()) return;
    WriteTextSettingsFile(kFileTypeFile, [](fw::TextOutputStream& out) {
        for (const FileTypeEntry& entry : gFileTypes) out.WriteLine(entry.ext + "\t" + entry.bin);
    });
}
