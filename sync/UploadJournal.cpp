#include "sync/UploadJournal.h"

#include <errno.h>

#include <algorithm>
#include <memory>

#include "framework/FolderItem.h"
#include "framework/Streams.h"
#include "framework/Strings.h"
#include "shell/SaveFailureReason.h"
#include "shell/SettingsFolder.h"

namespace {

constexpr char kJournalFile[] = "uploading.txt";

fw::FolderItem JournalFile() {
    return SettingsFolder().Child(kJournalFile);
}

// A field on one line of its own: tab, line ends and the backslash escaped.
std::string Escaped(const std::string& field) {
    std::string out;
    for (char c : field) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

std::string Unescaped(const std::string& field) {
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\' || i + 1 == field.size()) {
            out += field[i];
            continue;
        }
        const char c = field[++i];
        out += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
    }
    return out;
}

std::vector<UploadJournal::Entry> ReadJournal() {
    std::vector<UploadJournal::Entry> entries;
    std::unique_ptr<fw::TextInputStream> in = JournalFile().OpenAsTextFile();
    if (!in) return entries;
    while (!in->AtEnd()) {
        const std::string line = in->ReadLine();
        if (fw::CountFields(line, "\t") != 3) continue;
        entries.push_back({Unescaped(fw::NthField(line, "\t", 1)),
                           Unescaped(fw::NthField(line, "\t", 2)),
                           Unescaped(fw::NthField(line, "\t", 3))});
    }
    return entries;
}

bool Contains(const std::vector<UploadJournal::Entry>& list, const UploadJournal::Entry& entry) {
    return std::find(list.begin(), list.end(), entry) != list.end();
}

}  // namespace

bool UploadJournal::Enter(const Entry& entry, const std::vector<Entry>& ahead) {
    if (!loaded_) {
        begun_ = ReadJournal();
        loaded_ = true;
    }
    const auto written = std::find(ahead_.begin(), ahead_.end(), entry);
    if (written != ahead_.end()) {
        ahead_.erase(written);
        if (!Contains(begun_, entry)) begun_.push_back(entry);
        return true;
    }
    if (!Contains(begun_, entry)) begun_.push_back(entry);
    ahead_.clear();
    for (const Entry& next : ahead)
        if (ahead_.size() < kEntriesAhead && !Contains(begun_, next) && !Contains(ahead_, next))
            ahead_.push_back(next);
    if (Write()) return true;
    ahead_.clear();  // not on disk: each of them must be written, or reported, when its turn comes
    return false;
}

void UploadJournal::Leave(const Entry& entry) {
    const auto found = std::find(begun_.begin(), begun_.end(), entry);
    if (found == begun_.end()) return;
    begun_.erase(found);
    dirty_ = true;
}

bool UploadJournal::Settle() {
    if (!ahead_.empty()) dirty_ = true;
    ahead_.clear();
    if (!dirty_) return true;
    return Write();
}

bool UploadJournal::Write() {
    const fw::FolderItem file = JournalFile();
    if (begun_.empty() && ahead_.empty()) {
        dirty_ = false;
        if (!file.Exists() || file.Delete()) return true;
        writeFailure_ = SaveFailureReason(errno);
        return false;
    }
    try {
        int error = 0;
        std::unique_ptr<fw::TextOutputStream> out =
            file.CreateTextFile(fw::FileAccess::Private, &error);
        if (!out) throw fw::StreamError("the file can't be created", error);
        for (const std::vector<Entry>* list : {&begun_, &ahead_})
            for (const Entry& e : *list)
                out->WriteLine(Escaped(e.server) + "\t" + Escaped(e.user) + "\t" + Escaped(e.path));
        out->Close();
    } catch (const fw::StreamError& e) {
        writeFailure_ = SaveFailureReason(e);
        return false;
    }
    dirty_ = !ahead_.empty();
    return true;
}

std::string UploadJournal::FilePath() {
    return JournalFile().Path();
}

std::vector<std::string> UploadJournal::Unfinished(const std::string& server,
                                                   const std::string& user) {
    std::vector<std::string> paths;
    for (const Entry& e : ReadJournal())
        if (e.server == server && e.user == user) paths.push_back(e.path);
    return paths;
}
