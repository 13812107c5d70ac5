#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The path forms of a sync run, from the paths the comparison stored: a local entry's absolute
// path ("/"-separated, a folder's ending in "/") and a remote entry's path from the remote root on.

// The names of a path separated by "/", the empty piece after a trailing "/" dropped: "/a/b/"
// gives "", "a", "b".
std::vector<std::string> PathPieces(const std::string& path);

// The number of the root's own names: the "/"-separated fields of its path less one. The pieces of
// an entry below the root are those from this position on.
int32_t RootDepth(const std::string& rootPath);

// The position of the first name below the local root in an entry's pieces, from the root's path
// as the comparison scanned it (with or without its trailing "/"). Read from the path alone, never
// from the disk: a root renamed since keeps its depth.
size_t LocalRootDepth(const std::string& rootPath);

// pieces[from] to the last, joined by "/"; prefix, then "/" before each piece, when prefix is
// given.
std::string JoinPieces(const std::vector<std::string>& pieces, size_t from);
std::string JoinPiecesUnder(const std::string& prefix, const std::vector<std::string>& pieces,
                            size_t from);

// Whether a name must never reach the server: empty, "." or "..", or holding CR, LF or NUL (which
// would break the command line) or "/" (which would name another place than the entry).
bool UnsendableName(const std::string& name);

// Whether an entry named by pieces from position from on must not reach the server: it has no
// name there (the root itself), or one of its names is unsendable.
bool UnsendableBelow(const std::vector<std::string>& pieces, size_t from);

// A name as the log can show it on one line: CR, LF and NUL written as \r, \n and \0.
std::string LoggableName(const std::string& name);
