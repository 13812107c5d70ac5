#pragma once

// What a whole sync run leaves behind, recorded through the real window from the click on 同期
// on: the commands the server got, the modal things shown, the program's own log lines, the
// upload journal and the server's tree. A case states the whole record it expects, so that any
// change in what a run does shows.

#include <gtest/gtest.h>

#include <QTimer>
#include <cctype>
#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "framework/ModalHost.h"
#include "framework/Strings.h"
#include "shell/CommonModule.h"
#include "sync/SyncListDlg.h"
#include "sync/UploadJournal.h"
#include "tests/sync/ScriptedSiteFixture.h"
#include "tests/sync/SyncWindowFixture.h"

namespace synctest {

// The journal's text when there is no journal file.
inline const std::string kNoJournal = "(no file)";

struct RunRecord {
    // "VERB argument", the site's folder named /site.
    std::vector<std::string> commands;
    // A confirmation as "heading: row, row", a message as "message" or "message / explanation".
    std::vector<std::string> messages;
    // The log's lines but the server's replies.
    std::vector<std::string> log;
    // One line per entry, the remote path alone when it names this server and user.
    std::string journal = kNoJournal;
    // A file of more than a few bytes as "<the local file>" when it holds the local file's bytes,
    // else "<N bytes>".
    Tree tree;

    bool operator==(const RunRecord&) const = default;
};

inline void PrintTo(const RunRecord& r, std::ostream* os) {
    const auto list = [os](const char* name, const std::vector<std::string>& lines) {
        *os << "\n  " << name << ":";
        for (const std::string& line : lines) *os << "\n    " << line;
    };
    list("commands", r.commands);
    list("messages", r.messages);
    list("log", r.log);
    *os << "\n  journal: " << r.journal;
    *os << "\n  tree:";
    for (const auto& [path, bytes] : r.tree) *os << "\n    " << path << " = " << bytes;
    *os << "\n";
}

// The server's side of a record.
struct RecordedServer {
    std::function<std::vector<std::string>()> commands;  // all so far, in order
    std::string treeRoot;    // the local path of the site's folder on the server
    std::string remoteRoot;  // the site's folder as the server names it
    std::string user;
};

// Takes the record of one run: made just before 同期 is clicked.
class RunRecorder {
public:
    RunRecorder(Window1& w, std::string localRoot, RecordedServer server)
        : w_(w),
          localRoot_(std::move(localRoot)),
          server_(std::move(server)),
          commandsBefore_(server_.commands().size()),
          logBefore_(w.EditField5->Text().size()),
          shown_(std::make_shared<Shown>()) {}

    // Answers the next count modal things: a confirmation goes ahead (実行), a message is
    // acknowledged (its first button); each is recorded as it shows.
    void AnswerPrompts(size_t count) {
        for (size_t i = 0; i < count; ++i)
            fw::ModalHost::ExpectStep(
                [shown = shown_, root = server_.remoteRoot](const fw::ModalPrompt& p) {
                    SyncListDlg* dialog =
                        p.kind == "window" ? fw::Window::FindOpen<SyncListDlg>() : nullptr;
                    if (dialog) {
                        std::string text = dialog->StaticText1->Text() + ":";
                        for (int32_t r = 0; r < dialog->Listbox1->ListCount(); ++r)
                            text += (r == 0 ? " " : ", ") + dialog->Listbox1->Cell(r, 0);
                        shown->messages.push_back(Sited(text, root));
                        return fw::ModalAnswer::Press("実行");
                    }
                    shown->messages.push_back(Sited(
                        p.message + (p.explanation.empty() ? "" : " / " + p.explanation), root));
                    return fw::ModalAnswer::Press(p.buttons.empty() ? "OK" : p.buttons.front());
                });
    }

    // Waits until every answer has been used, the run has ended and no data connection is open.
    bool Settled(int timeoutMs = 60000) const {
        return testsupport::WaitUntil(
            [&] {
                return fw::ModalHost::PendingSteps() == 0 && !fw::ModalHost::Active() &&
                       !w_.SyncRunActive() && !w_.DataConnectionOpen();
            },
            timeoutMs);
    }

    // Where the window stands, for a failure's message.
    std::string State() const {
        return "steps left " + std::to_string(fw::ModalHost::PendingSteps()) + ", modal up " +
               std::to_string(fw::ModalHost::Active()) + ", run active " +
               std::to_string(w_.SyncRunActive()) + ", data connection " +
               std::to_string(w_.DataConnectionOpen()) + "\n" + w_.EditField5->Text();
    }

    RunRecord Record() const {
        RunRecord r;
        const std::vector<std::string> all = server_.commands();
        for (size_t i = commandsBefore_; i < all.size(); ++i) r.commands.push_back(Sited(all[i]));
        r.messages = shown_->messages;
        for (const fw::ModalPrompt& p : fw::ModalHost::Unexpected())
            r.messages.push_back("unexpected " + p.kind + ": " + p.message);
        const std::string log = w_.EditField5->Text().substr(logBefore_);
        for (const std::string& line : Lines(log))
            if (!IsReply(line)) r.log.push_back(Sited(line));
        r.journal = Journal();
        for (const auto& [path, bytes] : TreeOf(server_.treeRoot))
            r.tree[path] = Described(path, bytes);
        return r;
    }

    // Waits until the run's record is the one expected, for a while (the servers write their
    // logs and finish their commands after the window is done), then compares.
    void Expect(const RunRecord& expected, int timeoutMs = 15000) const {
        RunRecord last;
        testsupport::WaitUntil(
            [&] {
                last = Record();
                return last == expected;
            },
            timeoutMs);
        EXPECT_EQ(last, expected);
    }

private:
    static std::vector<std::string> Lines(const std::string& text) {
        std::vector<std::string> lines;
        size_t start = 0;
        for (size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
            lines.push_back(text.substr(start, end - start));
            start = end + 1;
        }
        if (start < text.size()) lines.push_back(text.substr(start));
        return lines;
    }
    // A server's reply line: a code, then a space or a hyphen.
    static bool IsReply(const std::string& line) {
        return line.size() >= 4 && std::isdigit(static_cast<unsigned char>(line[0])) &&
               std::isdigit(static_cast<unsigned char>(line[1])) &&
               std::isdigit(static_cast<unsigned char>(line[2])) &&
               (line[3] == ' ' || line[3] == '-');
    }
    // The site's folder named /site, as the cases name it on every server.
    static std::string Sited(const std::string& text, const std::string& remoteRoot) {
        return fw::ReplaceAll(text, remoteRoot, "/site");
    }
    std::string Sited(const std::string& text) const { return Sited(text, server_.remoteRoot); }
    std::string Journal() const {
        const std::string path = UploadJournal::FilePath();
        if (!std::filesystem::exists(path)) return kNoJournal;
        const std::string ours = "127.0.0.1\t" + server_.user + "\t" + server_.remoteRoot;
        std::string text;
        for (const std::string& line : Lines(testsupport::ReadFile(path)))
            text += (line.rfind(ours, 0) == 0 ? "/site" + line.substr(ours.size()) : line) + "\n";
        return text;
    }
    std::string Described(const std::string& path, const std::string& bytes) const {
        if (bytes == kFolder || bytes.size() <= 32) return bytes;
        if (bytes == testsupport::ReadFile(localRoot_ + path)) return "<the local file>";
        return "<" + std::to_string(bytes.size()) + " bytes>";
    }

    Window1& w_;
    std::string localRoot_;
    RecordedServer server_;
    size_t commandsBefore_;
    size_t logBefore_;
    struct Shown {
        std::vector<std::string> messages;
    };
    std::shared_ptr<Shown> shown_;
};

// A whole run on a real server.
class RealServerRun : public SyncWindowTest {
protected:
    // Puts the tree into the site's folder on the server.
    void PutTree(const Tree& tree) {
        for (const auto& [path, bytes] : tree) {
            if (bytes == kFolder)
                server->PutDir(path);
            else
                server->Put(path, bytes);
        }
    }
    RunRecorder Recorder() {
        return RunRecorder(*w, localRoot,
                           {[this] { return server->Commands(); }, server->LocalRoot(),
                            server->RemoteRoot(), server->User()});
    }
};

// How the scripted site answers a STOR.
enum class StorReplies {
    AfterTheData,          // 150; 226 once the client has closed the data connection
    FinalReplyFirst,       // 150 and 226 at once; the data is read to its end and stored
    ResetAfterFinalReply,  // 150; after a megabyte, 226 and a reset of the data connection
};

// A whole run on the scripted site, which keeps what it is sent in the tree it lists: folders
// made and removed, files stored and deleted.
class ScriptedSiteRun : public ScriptedSiteTest {
protected:
    static constexpr size_t kResetAfterBytes = 1'000'000;

    void SetUp() override {
        ScriptedSiteTest::SetUp();
        if (IsSkipped()) return;
        TakeOver([this](const std::string& line) { return Take(line); }, [this] { MoveUpload(); });
    }

    RunRecorder Recorder() {
        return RunRecorder(
            *w, localRoot,
            {[this] { return site->server.ReceivedLines(); }, site->treeRoot, "/site", "user"});
    }

    StorReplies storReplies = StorReplies::AfterTheData;
    // The command line whose reply waits for ReleaseReply (the command not carried out yet).
    std::string holdReplyTo;
    bool ReplyHeld() const { return !held_.empty(); }
    void ReleaseReply() {
        const std::string line = std::exchange(held_, "");
        if (!Keep(line)) site->Answer(line);
    }

private:
    bool Take(const std::string& line) {
        MoveUpload();  // an upload whose data has ended is stored before the next command
        if (holdReplyTo.empty() || line != holdReplyTo) return Keep(line);
        held_ = std::exchange(holdReplyTo, "");
        return true;
    }
    // Applies a change of the tree, and takes a STOR over; answers whether it answered.
    bool Keep(const std::string& line) {
        const std::optional<ScriptedSite::OnSite> command = site->OnSitePath(line);
        if (!command) return false;
        site->KeepInTree(*command);
        if (command->verb == "STOR") {
            storing_ = command->local;
            site->server.Send(storReplies == StorReplies::FinalReplyFirst
                                  ? "150 Ok to send data\r\n226 Transfer complete\r\n"
                                  : "150 Ok to send data\r\n");
            return true;
        }
        return false;  // answered as the well-behaved site answers it
    }
    void MoveUpload() {
        if (storing_.empty()) return;
        testsupport::ScriptedFtpServer& server = site->server;
        if (storReplies == StorReplies::ResetAfterFinalReply &&
            server.DataReceived().size() >= kResetAfterBytes) {
            testsupport::WriteFile(std::exchange(storing_, ""), server.DataReceived());
            server.Send("226 Transfer complete\r\n");
            server.AbortData();
            return;
        }
        if (!server.DataClosedByClient()) return;
        testsupport::WriteFile(std::exchange(storing_, ""), server.DataReceived());
        if (storReplies != StorReplies::FinalReplyFirst) server.Send("226 Transfer complete\r\n");
    }

    std::string storing_;  // the local path of the file a STOR stores
    std::string held_;
};

}  // namespace synctest
