#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Date.h"
#include "FileIdentity.h"

namespace fw {

class BinaryStream;
class BinaryOutputStream;
class TextInputStream;
class TextOutputStream;

// Permissions for a file that the program creates.
enum class FileAccess { Normal, Private };  // Private: 0600 files, 0700 folders

// Why a file held to its identity was not opened.
enum class OpenRefusal {
    None,        // it was opened
    Unreadable,  // nothing readable stands at the path
    Replaced,    // something else stands there: another file, a link elsewhere, a folder, a pipe
    MovedOut,    // the very file, no longer inside the folder (moved out, a link left in its place)
};

// A file or folder by its absolute POSIX path. A folder's absolute path ends in "/".
class FolderItem {
public:
    FolderItem() = default;
    explicit FolderItem(std::string absolutePath);

    // The item at an absolute path; nullopt for a path that is not absolute.
    static std::optional<FolderItem> FromAbsolutePath(const std::string& path);

    bool Exists() const;
    bool Directory() const;  // an existing folder (a link to a folder counts)
    bool IsSymbolicLink() const;
    bool Visible() const;  // names beginning with "." are not visible
    std::string Name() const;
    // The absolute path; a folder's ends in "/".
    std::string AbsolutePath() const;
    std::string Path() const { return path_; }  // without the trailing "/"
    FolderItem Parent() const;
    FolderItem Child(const std::string& name) const;
    int64_t Length() const;
    Date ModificationDate() const;

    // A folder's entries, in name order (byte order), hidden ones included, read anew.
    std::vector<FolderItem> Entries() const;
    // The same, 1-based like the rest of the program's model. The folder is read once, at the
    // first Count or Item of this item (or of the item it was copied from): a loop that counts and
    // then takes each entry walks one listing. A new item for the folder reads it anew.
    int32_t Count() const;
    FolderItem Item(int32_t index) const;

    // Creates the folder; answers whether it exists afterwards.
    bool CreateAsFolder(FileAccess access = FileAccess::Normal) const;
    // Makes an existing folder 0700 (a file 0600); answers whether it is so afterwards.
    bool MakePrivate() const;
    bool Delete() const;
    // Copies this file over target, replacing it.
    bool CopyFileTo(const FolderItem& target, FileAccess access = FileAccess::Normal) const;

    // Streams. The Open functions answer nullptr when the file can't be opened. The Create
    // functions write a temporary file beside this one; it replaces this file only when the stream
    // is committed, so a failed or abandoned write never touches the old content. They answer
    // nullptr when the file can't be created, with error (when given) set to the system's reason
    // (an errno value).
    std::unique_ptr<BinaryStream> OpenAsBinaryFile() const;
    // Opens the file only when the descriptor that reads it shows the regular file identified,
    // lying inside the folder within as that folder resolves now. Links on the path are followed,
    // and what they lead to is judged on that same descriptor: a file swapped for a link, a folder
    // on the way swapped for one, a file moved out of within, are each caught whenever they came.
    // Answers nullptr otherwise, and refusal says why.
    std::unique_ptr<BinaryStream> OpenAsBinaryFile(const FileIdentity& identity,
                                                   const FolderItem& within,
                                                   OpenRefusal& refusal) const;
    std::unique_ptr<BinaryOutputStream> CreateBinaryFile(FileAccess access = FileAccess::Normal,
                                                         int* error = nullptr) const;
    std::unique_ptr<TextInputStream> OpenAsTextFile() const;
    std::unique_ptr<TextOutputStream> CreateTextFile(FileAccess access = FileAccess::Normal,
                                                     int* error = nullptr) const;

    bool operator==(const FolderItem& o) const { return path_ == o.path_; }

private:
    const std::vector<FolderItem>& ListedEntries() const;

    std::string path_;  // absolute, without a trailing "/" (except the root "/")
    mutable std::shared_ptr<const std::vector<FolderItem>> listed_;  // for Count and Item
};

// The platform's special folders.
namespace SpecialFolder {
// The per-user preferences folder: $XDG_CONFIG_HOME, else ~/.config.
FolderItem Preferences();
// The user's desktop folder (XDG).
FolderItem Desktop();
}  // namespace SpecialFolder

}  // namespace fw
