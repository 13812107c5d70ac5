#pragma once

#include <optional>
#include <string>

// The folder a "257" reply names: the text between its first pair of double quotes, a doubled
// quote standing for one (RFC 959). Nothing when the reply names none, or when text follows the
// closing quote directly (a quote in the name that was not doubled).
std::optional<std::string> WorkingFolderOfReply(const std::string& reply);

// Whether the working folder the server names is the remote folder typed for the connection, a
// trailing "/" aside: the same folder when it was typed absolute, a folder ending in it when it
// was typed relative; with nothing typed, any folder (the login folder is the root).
bool WorkingFolderIsTyped(const std::string& workingFolder, const std::string& typed);
