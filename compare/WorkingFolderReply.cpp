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
            // The closing quote ends a word: text right after it means a quote inside the
            // folder's name that the server did not double, and the name is not known.
            const char next = i + 1 < reply.size() ? reply[i + 1] : ' ';
            if (next != ' ' && next != '\t' && next != '\r' && next != '\n') return std::nullopt;
            return folder;
        }
    }
    return std::nullopt;
}

namespace {

std::string WithoutTrailingSlashes(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

}  // namespace

bool WorkingFolderIsTyped(const std::string& workingFolder, const std::string& typed) {
    if (typed.empty()) return true;
    const std::string named = WithoutTrailingSlashes(workingFolder);
    const std::string wanted = WithoutTrailingSlashes(typed);
    if (wanted[0] == '/') return named == wanted;
    const std::string tail = "/" + wanted;
    return named.size() >= tail.size() &&
           named.compare(named.size() - tail.size(), tail.size(), tail) == 0;
}
