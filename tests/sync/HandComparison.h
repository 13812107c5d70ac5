#pragma once
// The two trees and their marks made straight from the local folder and the server's folder (an
// entry on one side only is ticked), standing in for the program's own comparison until that is
// merged.
#include <deque>
#include <filesystem>
#include <set>

#include "mainwindow/Window1.h"

namespace synctest {

inline std::vector<SyncEntry> FlatTree(const std::string& root, const std::string& pathRoot,
                                       bool local, std::set<std::string>& relatives) {
    namespace fs = std::filesystem;
    std::vector<SyncEntry> entries;
    std::deque<std::pair<std::string, int>> folders{{"", -1}};
    while (!folders.empty()) {
        auto [rel, parent] = folders.front();
        folders.pop_front();
        std::vector<fs::directory_entry> items;
        for (const auto& e : fs::directory_iterator(root + "/" + rel)) items.push_back(e);
        std::sort(items.begin(), items.end(),
                  [](auto& a, auto& b) { return a.path().filename() < b.path().filename(); });
        if (parent >= 0) {
            entries[parent].child = static_cast<int32_t>(entries.size());
            entries[parent].childCount = static_cast<int32_t>(items.size());
        }
        for (const auto& e : items) {
            SyncEntry s;
            s.name = e.path().filename().string();
            const std::string r = rel.empty() ? s.name : rel + "/" + s.name;
            s.kind = e.is_directory() ? "d" : "f";
            s.path = local ? pathRoot + r + (e.is_directory() ? "/" : "") : pathRoot + "/" + r;
            relatives.insert(r);
            entries.push_back(s);
            if (e.is_directory()) folders.push_back({r, static_cast<int>(entries.size() - 1)});
        }
    }
    return entries;
}

inline void HandCompare(Window1& w, const std::string& localRoot, const std::string& remoteLocal) {
    w.pRootR = w.EditField4->Text();
    if (w.pRootR.empty() || w.pRootR[0] != '/') w.pRootR = "/" + w.pRootR;
    std::set<std::string> l, r;
    w.pSyncL = FlatTree(localRoot, localRoot, true, l);
    w.pSyncR = FlatTree(remoteLocal, w.pRootR, false, r);
    auto rel = [](const std::string& path, const std::string& root) {
        std::string s = path.substr(root.size());
        if (!s.empty() && s[0] == '/') s = s.substr(1);
        if (!s.empty() && s.back() == '/') s.pop_back();
        return s;
    };
    for (auto& e : w.pSyncL) e.check = !r.count(rel(e.path, localRoot));
    for (auto& e : w.pSyncR) e.check = !l.count(rel(e.path, w.pRootR));
    w.pCompared = true;
    w.SyncRunEnableSync();
}

}  // namespace synctest
