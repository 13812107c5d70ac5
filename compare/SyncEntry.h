#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "framework/FileIdentity.h"

// One file or folder of a compared tree (local or remote), flattened so that a folder's own
// entries stand together after it.
struct SyncEntry {
    std::string name;
    std::string kind;        // "d" folder, "f" file
    std::string size;        // display text, "-" for a folder
    std::string date;        // display and comparison text
    std::string path;        // local: absolute path; remote: "/"-joined from the remote root
    int32_t group = 0;       // the listing or scanned folder the entry came from; siblings share it
    bool check = false;      // local: upload it; remote: delete it
    int32_t child = 0;       // folders: index of the folder's first direct entry
    int32_t childCount = 0;  // folders: number of direct entries
    std::optional<bool> sync;  // set while a sync run has the entry on its work list
    // Could not be looked into (unreadable, a link cycle, a special file, a folder the server
    // refused): matched by name, never descended, never marked, and so never to be uploaded or
    // deleted, not even as the content of a marked folder.
    bool opaque = false;
    // Local entries: the file or folder the scan found (a link's target), and whether the entry
    // is a link. The scan goes into that very folder and the upload sends that very file, or
    // nothing.
    bool link = false;
    fw::FileIdentity identity;
};
