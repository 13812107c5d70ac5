#pragma once

#include <optional>
#include <string>

// The folder a "257" reply names: the text between its first pair of double quotes, a doubled
// quote standing for one (RFC 959). Nothing when the reply names none.
std::optional<std::string> WorkingFolderOfReply(const std::string& reply);
