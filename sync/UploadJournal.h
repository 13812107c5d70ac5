#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The uploads under way, kept in the settings folder ("uploading.txt", private, replaced whole at
// each write), so that an upload that never got its final reply, whatever ended it (a lost
// connection, a cancel, the program killed, a power cut), is sent again by the next sync: a
// partial file on the server is newer than the local one, and a comparison by date alone would
// take it as up to date.
//
// One line per file: the server, the user and the remote path, tab-separated. A file's entry is on
// disk before its STOR is sent and leaves after the server's final 2xx reply. To spare a disk
// write per file, an entry is written together with those of the files that follow it on the work
// list, and removals reach the disk with the next write or when the run ends; a run that ends
// leaves only the entries of the uploads it broke off. A killed run may so leave entries of files
// it never began: they are sent again, which is safe. A write that fails (a full disk) leaves the
// file as it was, which holds every entry the disk is known to hold and maybe more.
class UploadJournal {
public:
    struct Entry {
        std::string server;
        std::string user;
        std::string path;
        bool operator==(const Entry&) const = default;
    };

    static constexpr size_t kEntriesAhead = 64;

    // Before the STOR of entry: answers whether its entry is on disk. ahead: the next uploads of
    // the run, written with it.
    bool Enter(const Entry& entry, const std::vector<Entry>& ahead);
    // The server has confirmed the upload.
    void Leave(const Entry& entry);
    // The run has ended: the disk keeps only the uploads that were begun and not confirmed.
    // Answers whether that could be written (if not, the disk keeps what it held).
    bool Settle();

    // The remote paths of the uploads that did not complete on this server for this user.
    static std::vector<std::string> Unfinished(const std::string& server, const std::string& user);
    // Where the journal is kept.
    static std::string FilePath();
    // Why the last write that failed could not be written, as a message gives it.
    const std::string& WriteFailure() const { return writeFailure_; }

private:
    bool Write();

    std::vector<Entry> begun_;  // entered and not confirmed, and those of other sites and runs
    std::vector<Entry> ahead_;  // on disk for files not begun yet
    bool loaded_ = false;
    bool dirty_ = false;  // the disk holds more than begun_
    std::string writeFailure_;
};
