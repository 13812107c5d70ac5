#pragma once

#include <optional>
#include <string>

#include "FolderItem.h"

namespace fw {

// The save dialog: proposes suggestedName in startFolder (the current folder when nullopt);
// filter is a platform filter text such as "Text File (*.txt)", empty for none. nullopt when the
// user cancels.
std::optional<FolderItem> GetSaveFolderItem(const std::string& suggestedName,
                                            const std::string& filter = "",
                                            std::optional<FolderItem> startFolder = std::nullopt);

// The folder chooser; nullopt when the user cancels.
std::optional<FolderItem> SelectFolder(const std::string& title = "",
                                       std::optional<FolderItem> startFolder = std::nullopt);

}  // namespace fw
