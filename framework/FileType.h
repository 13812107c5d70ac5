#pragma once

#include <string>

namespace fw {

// A document type registered with the platform at start-up.
struct FileType {
    std::string Name;
    std::string MacType;
    std::string MacCreator;
    std::string Extensions;
    std::string MimeType;
    std::string ConformsTo;
    bool Imported = false;
};

}  // namespace fw
