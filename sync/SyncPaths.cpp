#include "sync/SyncPaths.h"

std::vector<std::string> PathPieces(const std::string& path) {
    std::vector<std::string> pieces;
    size_t start = 0;
    while (true) {
        size_t slash = path.find('/', start);
        if (slash == std::string::npos) {
            pieces.push_back(path.substr(start));
            break;
        }
        pieces.push_back(path.substr(start, slash - start));
        start = slash + 1;
    }
    if (pieces.size() > 1 && pieces.back().empty()) pieces.pop_back();
    return pieces;
}

int32_t RootDepth(const std::string& rootPath) {
    int32_t fields = 1;
    for (char c : rootPath)
        if (c == '/') ++fields;
    return fields - 1;
}

size_t LocalRootDepth(const std::string& rootPath) {
    if (rootPath.empty() || rootPath.back() == '/') return static_cast<size_t>(RootDepth(rootPath));
    return static_cast<size_t>(RootDepth(rootPath + "/"));
}

std::string JoinPieces(const std::vector<std::string>& pieces, size_t from) {
    std::string joined;
    for (size_t i = from; i < pieces.size(); ++i) {
        if (i > from) joined += '/';
        joined += pieces[i];
    }
    return joined;
}

std::string JoinPiecesUnder(const std::string& prefix, const std::vector<std::string>& pieces,
                            size_t from) {
    std::string joined = prefix;
    for (size_t i = from; i < pieces.size(); ++i) joined += '/' + pieces[i];
    return joined;
}

bool UnsendableName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return true;
    return name.find_first_of(std::string("\r\n\0/", 4)) != std::string::npos;
}

bool UnsendableBelow(const std::vector<std::string>& pieces, size_t from) {
    if (pieces.size() <= from) return true;
    for (size_t i = from; i < pieces.size(); ++i)
        if (UnsendableName(pieces[i])) return true;
    return false;
}

std::string LoggableName(const std::string& name) {
    std::string shown;
    for (char c : name) {
        if (c == '\r')
            shown += "\\r";
        else if (c == '\n')
            shown += "\\n";
        else if (c == '\0')
            shown += "\\0";
        else
            shown += c;
    }
    return shown;
}
