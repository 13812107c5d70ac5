// The file-type table and "filetype.txt": one line per entry, the extension, a tab and the type
// letter. The table is read as written, but for the letter's case: a table edited by hand with
// "a" or "i" means "A" or "I" (elsewhere only an exact "I" is binary). A line without an extension
// or with another type is dropped: it would send every file without an extension as "TYPE " or
// the like, which the server refuses, so no run could ever get past that file.
#include "framework/Streams.h"
#include "framework/Strings.h"
#include "shell/App.h"
#include "shell/CommonModule.h"
#include "shell/SettingsFolder.h"

namespace {

constexpr char kFileTypeFile[] = "filetype.txt";
constexpr char kBuiltInTableUsed[] = "標準のファイルタイプで起動します。";

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
        ReportDamagedSettingsFile(kFileTypeFile, kBuiltInTableUsed);
        return false;
    }
    // The first line is read before the end is tested: an empty file is one empty line.
    bool damaged = false;
    size_t kept = 0;
    do {
        std::string line = in->ReadLine();
        FileTypeEntry entry{fw::NthField(line, "\t", 1),
                            TransferTypeField(fw::NthField(line, "\t", 2))};
        if (entry.ext.empty() || (entry.bin != "A" && entry.bin != "I")) {
            damaged = true;
            continue;
        }
        gFileTypes.push_back(std::move(entry));
        ++kept;
    } while (!in->AtEnd());
    in->Close();
    // The file as it was is kept aside: quit writes the table without the dropped lines. A file
    // with no usable line leaves the built-in table, and the message says so.
    if (damaged)
        ReportDamagedSettingsFile(
            kFileTypeFile, kept > 0 ? "" : std::string("使える行がないため、") + kBuiltInTableUsed);
    return kept > 0;
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
