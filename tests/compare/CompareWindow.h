#pragma once

// The main window driven the way the connect command drives a comparison: the control connection
// set up and connected, the comparison started at once, and the loop run until both lists are
// filled. Every modal thing is scripted, so an unexpected message fails the test.

#include <gtest/gtest.h>
#include <sys/time.h>

#include <QTimer>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "framework/EventLoop.h"
#include "framework/FolderItem.h"
#include "framework/ModalHost.h"
#include "framework/Strings.h"
#include "mainwindow/Window1.h"
#include "tests/support/TestFiles.h"

// 2020/06/15 00:00 UTC: servers that list in GMT show "Jun 15  2020", which reads 23:59 of that
// day, and no local date text of the same instant is greater.
constexpr time_t kSameStamp = 1592179200;
// Two days later: newer than that listing in every time zone.
constexpr time_t kNewerStamp = kSameStamp + 2 * 86400 + 12 * 3600;

inline void SetStamp(const std::string& path, time_t stamp) {
    struct timeval times[2] = {{stamp, 0}, {stamp, 0}};
    ASSERT_EQ(utimes(path.c_str(), times), 0) << path;
}

class CompareWindow {
public:
    CompareWindow() : w(Window1::Instance()) { fw::ModalHost::BeginScript(); }
    ~CompareWindow() {
        *alive_ = false;
        w->commandSocket.Close();
        w->dataSocket.Close();
        w->Close();
        fw::ProcessPendingEvents();
        EXPECT_TRUE(fw::ModalHost::Unexpected().empty()) << fw::ModalHost::Unexpected()[0].message;
        fw::ModalHost::EndScript();
    }
    CompareWindow(const CompareWindow&) = delete;
    CompareWindow& operator=(const CompareWindow&) = delete;

    struct Connection {
        int port = 0;
        std::string user;
        std::string password;
        bool passive = true;
        std::string remoteFolder;  // the profile's remote folder as typed
        std::string localFolder;
        std::string zone;
    };

    // Connects and starts the comparison, as the connect command does.
    void Start(const Connection& c) {
        w->pLocalFolder = fw::FolderItem(c.localFolder);
        w->EditField4->SetText(c.remoteFolder);
        w->EditField8->SetText(c.zone);
        w->path = c.remoteFolder;
        FtpCommandSocket& s = w->commandSocket;
        s.Address = "127.0.0.1";
        s.Port = c.port;
        s.userID = c.user;
        s.password = c.password;
        s.usePASV = c.passive;
        s.dataPort = &w->dataSocket;
        s.Connect();
        w->GetCompareList();
    }
    bool WaitForComparison(int timeoutMs = 30000) {
        return fw::RunEventLoopUntil([&] { return w->pFin && !w->pComparePass; }, timeoutMs);
    }
    bool Compare(const Connection& c, int timeoutMs = 30000) {
        Start(c);
        return WaitForComparison(timeoutMs);
    }

    // A comparison without a server: the remote walk is handed each listing it asks for (by the
    // remote folder's path) the way the connection hands it over.
    void CompareWithListings(const std::string& localFolder,
                             const std::map<std::string, std::string>& listings,
                             const std::string& root = "/site") {
        w->pLocalFolder = fw::FolderItem(localFolder);
        w->EditField4->SetText(root);
        w->EditField8->SetText("");
        w->path = root;
        w->commandSocket.usePASV = true;
        w->commandSocket.dataPort = &w->dataSocket;
        w->GetCompareList();
        w->commandSocket_loggedIn(w->commandSocket, "257 \"/\" is the current directory\r\n");
        while (w->pSyncRFlg) {
            w->commandSocket_remoteDirChanged(w->commandSocket,
                                              "257 \"" + w->currentPath + "\"\r\n");
            auto listing = listings.find(w->currentPath);
            w->dataSocket_gotList(w->dataSocket, listing == listings.end() ? "" : listing->second);
        }
    }

    // Runs act once, from the event loop, while the comparison pass gives way and ready() holds.
    void DuringThePass(
        std::function<void()> act, std::function<bool()> ready = [] { return true; }) {
        std::shared_ptr<bool> alive = alive_;
        auto probe = std::make_shared<std::function<void()>>();
        *probe = [this, act, ready, alive, probe] {
            if (!*alive) return;
            if (!w->pComparePass || !ready()) {
                QTimer::singleShot(1, *probe);
                return;
            }
            act();
            *probe = nullptr;  // and with it this closure's hold on itself
        };
        QTimer::singleShot(0, *probe);
    }

    // The marked entries, by path below the given root.
    static std::set<std::string> Marked(const std::vector<SyncEntry>& tree,
                                        const std::string& root) {
        std::set<std::string> marked;
        for (const SyncEntry& e : tree)
            if (e.check) marked.insert(e.path.substr(root.size()));
        return marked;
    }
    static const SyncEntry* Find(const std::vector<SyncEntry>& tree, const std::string& path) {
        for (const SyncEntry& e : tree)
            if (e.path == path) return &e;
        return nullptr;
    }
    std::vector<std::string> LogLines() const {
        std::vector<std::string> lines;
        const std::string& text = w->EditField5->Text();
        for (size_t start = 0; start < text.size();) {
            size_t end = text.find('\n', start);
            if (end == std::string::npos) end = text.size();
            lines.push_back(text.substr(start, end - start));
            start = end + 1;
        }
        return lines;
    }
    bool Logged(const std::string& line) const {
        for (const std::string& l : LogLines())
            if (l == line) return true;
        return false;
    }

    // One row of a comparison list as the user sees it, with its hidden columns.
    struct Row {
        int32_t depth;
        std::string name, size, date, path, kind, group, index;
        bool check;
        bool operator==(const Row&) const = default;
    };
    static std::vector<Row> Rows(const fw::ListBox& list) {
        std::vector<Row> rows;
        for (int32_t r = 0; r < list.ListCount(); ++r)
            rows.push_back({list.RowDepth(r), list.Cell(r, 0), list.Cell(r, 1), list.Cell(r, 2),
                            list.Cell(r, 3), list.Cell(r, 4), list.Cell(r, 5), list.Cell(r, 6),
                            list.CellCheck(r, 0)});
        return rows;
    }
    // "name" indented by two blanks per level, "[x] " when ticked: the tree as it is shown.
    static std::vector<std::string> Outline(const fw::ListBox& list) {
        std::vector<std::string> lines;
        for (const Row& r : Rows(list))
            lines.push_back(std::string(2 * static_cast<size_t>(r.depth), ' ') +
                            (r.check ? "[x] " : "[ ] ") + r.name);
        return lines;
    }

    Window1* w;

private:
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
