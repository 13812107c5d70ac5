#pragma once

#include <string>

// Saving one of the program's texts (the log, the sync list) as a plain text file that the user
// picks in a save dialog starting on the desktop. The text is written as it is, in one piece, to
// a temporary file beside the target that replaces it only once it is complete.
struct SavedTextFile {
    enum class Outcome { Saved, Cancelled, Failed };
    Outcome outcome = Outcome::Cancelled;
    std::string path;     // the chosen file
    std::string failure;  // why it could not be written, as a message gives it

    static SavedTextFile Save(const std::string& text, const std::string& suggestedName);
};
