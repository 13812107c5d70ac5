#include "compare/WorkingFolderReply.h"

std::optional<std::string> WorkingFolderOfReply(const std::string& reply) {
    size_t i = reply.find('"');
    if (i == std::string::npos) return std::nullopt;
    std::string folder;
    for (++i; i < reply.size(); ++i) {
        if (reply[i] == '\r' || reply[i] == '\n') return std::nullopt;
        if (reply[i] != '"') {
            folder += reply[i];
        } else if (i + 1 < reply.size() && reply[i + 1] == '"') {
            folder += '"';
            ++i;
        } else {
            if (folder.empty() || folder[0] != '/') return std::nullopt;
            return folder;
        }
    }
    return std::nullopt;
}
