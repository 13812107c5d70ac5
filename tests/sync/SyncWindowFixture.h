#pragma once

// The main window as the program starts it, driven through its real widgets: the edit page's
// fields, the toolbar's buttons, and every modal thing answered by the modal host's script, with
// a real server on 127.0.0.1:21 and a local folder of the test's own.

#include <gtest/gtest.h>

#include <QTest>
#include <QToolButton>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "framework/EventLoop.h"
#include "framework/ModalHost.h"
#include "framework/Strings.h"
#include "framework/Toolbar.h"
#include "framework/ToolbarItem.h"
#include "mainwindow/Window1.h"
#include "sync/SyncListDlg.h"
#include "tests/framework/ToolbarDriver.h"
#include "tests/shell/ShellTestFixture.h"
#include "tests/support/ToolbarButtons.h"
#include "tests/sync/PrivateNetwork.h"
#include "tests/sync/SiteServer.h"

namespace synctest {

namespace fs = std::filesystem;

// A folder tree as relative paths: a file's bytes, or kFolder for a folder.
using Tree = std::map<std::string, std::string>;
inline const std::string kFolder = "<folder>";

inline Tree TreeOf(const std::string& root) {
    Tree tree;
    if (!fs::is_directory(root)) return tree;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        const std::string relative = fs::relative(e.path(), root).string();
        tree[relative] = e.is_directory() ? kFolder : testsupport::ReadFile(e.path().string());
    }
    return tree;
}

// The files are dated an hour back: what the server stores during a test is newer.
inline void MakeTree(const std::string& root, const Tree& tree) {
    fs::create_directories(root);
    const auto anHourAgo = fs::file_time_type::clock::now() - std::chrono::hours(1);
    for (const auto& [relative, bytes] : tree) {
        if (bytes == kFolder) {
            fs::create_directories(root + "/" + relative);
        } else {
            ASSERT_TRUE(testsupport::WriteFile(root + "/" + relative, bytes)) << relative;
            fs::last_write_time(root + "/" + relative, anHourAgo);
        }
    }
}

// A text's line ends (LF, CR LF or CR) in the convention of a LineEndMode.
inline std::string WithLineEnds(const std::string& text, int32_t mode) {
    std::string lf;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            lf += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            lf += text[i];
        }
    }
    if (mode == LineEndLF) return lf;
    std::string out;
    for (char c : lf) out += c == '\n' ? (mode == LineEndCRLF ? "\r\n" : "\r") : std::string(1, c);
    return out;
}

class SyncWindowTest : public shelltest::ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        if (!InPrivateNetwork()) GTEST_SKIP() << "needs a private network namespace (root)";
        StartApp();
        w = MainWindow();
        ASSERT_NE(w, nullptr);
        local_ = std::make_unique<testsupport::TempFolder>("local");
        localRoot = local_->Path() + "/site/";
        fs::create_directories(localRoot);
    }

    // --- The edit page and the toolbar

    // A profile for the site, selected in the profile list: the edit page shows its values and
    // Connect is switched on.
    void FillEditPage(const SiteServer& site, bool passive, int32_t mode = 0,
                      int32_t lineEnds = LineEndLF) {
        FillEditPage(site.User(), site.Password(), site.RemoteRoot(), passive, mode, lineEnds);
    }
    void FillEditPage(const std::string& user, const std::string& password,
                      const std::string& remoteRoot, bool passive, int32_t mode = 0,
                      int32_t lineEnds = LineEndLF) {
        Dataset d;
        d.Name = "site " + std::to_string(gDatasets.size());
        d.Adrs = "127.0.0.1";
        d.User = user;
        d.Pass = password;
        d.rDir = remoteRoot;
        d.Pasv = passive ? "yes" : "no";
        d.Path = localRoot;
        d.Mode = mode == 1 ? "sync" : "up";
        d.Zone = "0";
        d.EOL = lineEnds == LineEndCRLF ? "win" : lineEnds == LineEndCR ? "mac" : "unix";
        gDatasets.push_back(d);
        w->InitSetlist();
        w->ListBox1->SetListIndex(w->ListBox1->ListCount() - 1);
        ASSERT_EQ(w->EditField6->Text(), localRoot);
        ASSERT_TRUE(Enabled(TagConnect));
    }

    bool Enabled(int32_t tag) const {
        fw::ToolbarItem* item = testsupport::ToolbarButton(*w, tag);
        return item && item->Enabled();
    }
    // A click on the button, as the user makes it; false when the button can't be clicked.
    bool Click(int32_t tag) {
        fw::ToolbarItem* item = testsupport::ToolbarButton(*w, tag);
        if (!item) return false;
        QToolButton* button = toolbartest::ButtonOf(*fw::Toolbar::Of(*w), item);
        if (!button || !button->isEnabled()) return false;
        QTest::mouseClick(button, Qt::LeftButton);
        return true;
    }

    // --- The server

    SiteServer& StartServer(ServerKind kind, SiteServerOptions options = {}) {
        server = std::make_unique<SiteServer>(kind, options);
        return *server;
    }

    // Connects, and waits for the comparison to end and the connection to fall quiet (the walk's
    // last listing included).
    bool ConnectAndCompare() { return Click(TagConnect) && Compared(); }
    bool Compared() {
        return testsupport::WaitUntil([&] {
                   return (Enabled(TagSync) && w->ConnectionsQuiet()) || !Unexpected().empty();
               }) &&
               Enabled(TagSync);
    }

    // What the server keeps of a file sent as text with these line ends: the profile's line
    // ends, exactly, on every server.
    std::string AsStoredText(const std::string& text, int32_t lineEnds) const {
        return WithLineEnds(text, lineEnds);
    }

    // Sync clicked, and the loop run until the script has been used up.
    bool SyncAndWait(int timeoutMs = 20000) {
        if (!Click(TagSync)) return false;
        return WaitForScript(timeoutMs);
    }

    // change runs at every piece of the named file's upload, from the upload's progress event,
    // while the file is sent; until StopChangingWhileSent.
    void ChangeWhileSent(const std::string& name, std::function<void()> change) {
        if (!reportBytes_) reportBytes_ = w->dataSocket.bytesTransfered;
        w->dataSocket.bytesTransfered = [this, name, change](FtpDataSocket& socket, int32_t n) {
            reportBytes_(socket, n);
            if (socket.remoteFileName.find(name) != std::string::npos) change();
        };
    }
    // A line more at every piece sent, as a log being written.
    void GrowWhileSent(const std::string& name) {
        ChangeWhileSent(name, [this, name] {
            std::ofstream(localRoot + name, std::ios::app) << "one more line\n";
        });
    }
    void StopChangingWhileSent() {
        if (reportBytes_) w->dataSocket.bytesTransfered = std::exchange(reportBytes_, nullptr);
    }

    // --- Modal answers

    static std::vector<fw::ModalPrompt> Unexpected() { return fw::ModalHost::Unexpected(); }

    // The confirmation of a phase: its heading and rows checked, then answered.
    void ExpectConfirmation(const std::string& heading, const std::vector<std::string>& rows,
                            bool go = true) {
        fw::ModalHost::ExpectStep([heading, rows, go](const fw::ModalPrompt& p) {
            EXPECT_EQ(p.kind, "window");
            EXPECT_EQ(p.buttons, (std::vector<std::string>{"キャンセル", "実行"}));
            SyncListDlg* dialog = fw::Window::FindOpen<SyncListDlg>();
            EXPECT_NE(dialog, nullptr);
            if (dialog) {
                EXPECT_EQ(dialog->StaticText1->Text(), heading);
                std::vector<std::string> shown;
                for (int32_t r = 0; r < dialog->Listbox1->ListCount(); ++r)
                    shown.push_back(dialog->Listbox1->Cell(r, 0));
                EXPECT_EQ(shown, rows);
            }
            return fw::ModalAnswer::Press(go ? "実行" : "キャンセル");
        });
    }
    // A message with one "OK" button (or the plain message box).
    void ExpectMessage(const std::string& message, const std::string& explanation = "") {
        fw::ModalHost::ExpectStep([message, explanation](const fw::ModalPrompt& p) {
            EXPECT_EQ(p.message, message);
            if (!explanation.empty()) {
                EXPECT_EQ(p.explanation, explanation);
            }
            return fw::ModalAnswer::Press("OK");
        });
    }
    // The message that ends a run that stopped, with the reason it starts with.
    void ExpectStopped(const std::string& reasonStart) {
        fw::ModalHost::ExpectStep([reasonStart](const fw::ModalPrompt& p) {
            EXPECT_EQ(p.message, "同期を中断しました。");
            EXPECT_EQ(p.explanation.substr(0, reasonStart.size()), reasonStart) << p.explanation;
            return fw::ModalAnswer::Press("OK");
        });
    }
    // The transfer-type question for a file: "A", "I", or "C" (キャンセル).
    void ExpectTypeQuestion(const std::string& fileName, const std::string& answer) {
        fw::ModalHost::ExpectStep([fileName, answer](const fw::ModalPrompt& p) {
            EXPECT_EQ(p.title, fileName);
            if (answer == "C") return fw::ModalAnswer::Press("キャンセル");
            fw::ModalAnswer press = fw::ModalAnswer::Press("実行");
            if (answer == "I") {
                return fw::ModalAnswer{fw::ModalAnswer::Action::Custom, {}, [](QDialog* d) {
                                           for (auto* b : d->findChildren<QAbstractButton*>())
                                               if (b->text() == "Binary") b->click();
                                           for (auto* b : d->findChildren<QAbstractButton*>())
                                               if (b->text() == "実行") b->click();
                                       }};
            }
            return press;
        });
    }
    // Runs the loop until every step of the script has been used and nothing modal is up.
    bool WaitForScript(int timeoutMs = 20000) {
        return testsupport::WaitUntil(
            [] { return fw::ModalHost::PendingSteps() == 0 && !fw::ModalHost::Active(); },
            timeoutMs);
    }
    static std::vector<std::string> Messages() {
        std::vector<std::string> texts;
        for (const fw::ModalPrompt& p : fw::ModalHost::Shown())
            if (p.kind == "message" || p.kind == "msgbox") texts.push_back(p.message);
        return texts;
    }

    std::string LogText() const { return w->EditField5->Text(); }
    // The lines of the log that begin with prefix.
    std::vector<std::string> LogLines(const std::string& prefix) const {
        std::vector<std::string> found;
        const std::string log = LogText();
        size_t start = 0;
        for (size_t end = log.find('\n'); end != std::string::npos; end = log.find('\n', start)) {
            std::string line = log.substr(start, end - start);
            if (line.rfind(prefix, 0) == 0) found.push_back(line);
            start = end + 1;
        }
        return found;
    }

    Window1* w = nullptr;
    std::string localRoot;  // the site's local folder, ending in "/"
    std::unique_ptr<SiteServer> server;

private:
    std::function<void(FtpDataSocket&, int32_t)> reportBytes_;  // the window's own handler
    std::unique_ptr<testsupport::TempFolder> local_;
};

}  // namespace synctest
