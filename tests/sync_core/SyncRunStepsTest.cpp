// The sync run's state machine alone, without a window or a socket: each case is a script of
// what the window tells the run, line by line, with what the run answers (an entry, a call, the
// window's flags as the run leaves them). The window's own part (building the list, sending the
// commands) is played by the script.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "sync/SyncRun.h"
#include "tests/support/CaseNames.h"

namespace {

struct Line {
    std::string event;
    std::string answer;  // "" for an event that answers nothing
};

struct RunCase {
    const char* what;
    std::vector<Line> script;
    std::vector<std::string> listedFolders = {};  // the folders the comparison found remotely
    std::vector<std::string> listedFiles = {};
};

void PrintTo(const RunCase& c, std::ostream* os) {
    *os << c.what;
}

// The window's members the run moves on, and the run bound to them.
class Driver {
public:
    Driver(const std::vector<std::string>& folders, const std::vector<std::string>& files) {
        for (const std::string& path : folders) tree_.push_back(Remote(path, "d"));
        for (const std::string& path : files) tree_.push_back(Remote(path, "f"));
    }

    std::string Do(const std::string& line) {
        std::istringstream in(line);
        std::string verb;
        in >> verb;
        if (verb == "begin") {
            int32_t mode = 0;
            in >> mode;
            run_.Begin(mode);
        } else if (verb == "removals") {
            run_.BeginRemovals();
        } else if (verb == "list") {
            pSyncList.clear();
            for (int32_t index; in >> index;) pSyncList.push_back(index);
        } else if (verb == "confirm") {
            run_.AwaitConfirmation();
        } else if (verb == "proceed") {
            run_.Proceed();
        } else if (verb == "next") {
            std::string phase, open;
            in >> phase >> open;
            const auto entry =
                run_.NextEntry(phase == "upload" ? SyncRun::Phase::Upload : SyncRun::Phase::Removal,
                               open == "open");
            return entry ? std::to_string(*entry) : "none";
        } else if (verb == "mkd" || verb == "stor" || verb == "dele" || verb == "rmd") {
            int64_t command = 0;
            std::string path;
            in >> command >> path;
            run_.Sent(verb == "mkd"    ? SyncRun::StepKind::Folder
                      : verb == "stor" ? SyncRun::StepKind::File
                      : verb == "dele" ? SyncRun::StepKind::RemoveFile
                                       : SyncRun::StepKind::RemoveFolder,
                      command, path);
        } else if (verb == "reply" || verb == "refuse") {
            int64_t answers = 0;
            int32_t code = 0;
            in >> answers >> code;
            return Name(verb == "reply" ? run_.Reply(answers, code)
                                        : run_.Refusal(answers, code, tree_));
        } else if (verb == "ended") {
            return Name(run_.TransferEnded());
        } else if (verb == "passover") {
            int64_t command = 0;
            in >> command;
            run_.PassOver(command);
        } else if (verb == "turn") {
            std::string open;
            in >> open;
            return run_.DeferredTurn(open == "open") ? "yes" : "no";
        } else if (verb == "end") {
            std::string how;
            in >> how;
            run_.End(how == "done" ? SyncRun::Ending::Done : SyncRun::Ending::Stopped);
        } else if (verb == "take") {
            return run_.TakeFinished() ? "yes" : "no";
        } else if (verb == "drop") {
            run_.DropStep();
        } else if (verb == "connection") {
            run_.NewConnection();
        } else if (verb == "state") {
            return State();
        } else if (verb == "line") {
            return run_.StepLine();
        } else if (verb == "current") {
            return std::to_string(run_.CurrentEntry());
        } else if (verb == "ahead") {
            std::string ahead;
            for (int32_t index : run_.Ahead())
                ahead += (ahead.empty() ? "" : " ") + std::to_string(index);
            return ahead;
        } else if (verb == "follows") {
            return run_.RemovalFollows() ? "yes" : "no";
        } else {
            return "unknown event " + verb;
        }
        return "";
    }

private:
    static SyncEntry Remote(const std::string& path, const std::string& kind) {
        SyncEntry entry;
        entry.path = path;
        entry.kind = kind;
        return entry;
    }
    static std::string Name(SyncRun::Call call) {
        switch (call) {
            case SyncRun::Call::Ignore:
                return "ignore";
            case SyncRun::Call::Hold:
                return "hold";
            case SyncRun::Call::Next:
                return "next";
            case SyncRun::Call::FolderThere:
                return "folder there";
            case SyncRun::Call::Fail:
                return "fail";
        }
        return "?";
    }
    std::string State() const {
        const std::string where = run_.Building()     ? "building"
                                  : run_.Confirming() ? "confirming"
                                  : run_.Uploading()  ? "uploading"
                                  : run_.Removing()   ? "removing"
                                  : run_.Stopped()    ? "stopped"
                                                      : "idle";
        return where + (run_.Active() ? " active" : "") + " upload=" + std::to_string(pUpload) +
               " remove=" + std::to_string(pRemove) + " fin=" + std::to_string(pFin2) +
               " cursor=" + std::to_string(pSyncListIdx) + (run_.UploadPending() ? " file" : "");
    }

    int32_t pUpload = UploadNone;
    bool pRemove = false;
    bool pFin2 = false;
    std::vector<int32_t> pSyncList;
    int32_t pSyncListIdx = 0;
    SyncRun run_{pUpload, pRemove, pFin2, pSyncList, pSyncListIdx};
    std::vector<SyncEntry> tree_;
};

class SyncRunSteps : public testing::TestWithParam<RunCase> {};

TEST_P(SyncRunSteps, AnswerEachEventOfTheScript) {
    const RunCase& c = GetParam();
    Driver driver(c.listedFolders, c.listedFiles);
    for (size_t i = 0; i < c.script.size(); ++i) {
        const Line& line = c.script[i];
        EXPECT_EQ(driver.Do(line.event), line.answer) << "line " << i << ": " << line.event;
    }
}

// The start of an upload phase with the entries 0 and 1, and its first entry's MKD as command 7.
const std::vector<Line> kFolderSent = {
    {"begin 0", ""}, {"list 0 1", ""}, {"proceed", ""}, {"next upload", "0"}, {"mkd 7 /www/a", ""}};

std::vector<Line> After(const std::vector<Line>& start, const std::vector<Line>& rest) {
    std::vector<Line> script = start;
    script.insert(script.end(), rest.begin(), rest.end());
    return script;
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, SyncRunSteps,
    testing::Values(
        RunCase{"a run of uploads folders and removals",
                {{"begin 1", ""},
                 {"follows", "yes"},
                 {"list 0 1 2", ""},
                 {"state", "building active upload=0 remove=0 fin=0 cursor=0"},
                 {"next upload", "none"},  // not before its list is confirmed
                 {"confirm", ""},
                 {"state", "confirming active upload=0 remove=0 fin=0 cursor=0"},
                 {"proceed", ""},
                 {"next upload", "0"},
                 {"mkd 7 /www/a", ""},
                 {"state", "uploading active upload=2 remove=0 fin=0 cursor=1"},
                 {"line", "MKD /www/a"},
                 {"ended", "ignore"},  // a folder waits for its reply, not for a transfer
                 {"reply 7 257", "next"},
                 {"state", "uploading active upload=0 remove=0 fin=0 cursor=1"},
                 {"next upload", "1"},
                 {"ahead", "2"},
                 {"stor 8 /www/a/f", ""},
                 {"state", "uploading active upload=1 remove=0 fin=0 cursor=2 file"},
                 {"line", "STOR /www/a/f"},
                 {"reply 8 200", "ignore"},  // TYPE and PASV: a file waits for its transfer
                 {"reply 9 227", "ignore"},
                 {"ended", "next"},
                 {"next upload", "2"},
                 {"stor 11 /www/g", ""},
                 {"ended", "next"},
                 {"ended", "ignore"},
                 {"next upload", "none"},
                 {"state", "uploading active upload=0 remove=0 fin=1 cursor=3"},
                 {"take", "yes"},
                 {"take", "no"},
                 {"removals", ""},
                 {"list 5 4", ""},
                 {"state", "building active upload=0 remove=0 fin=0 cursor=0"},
                 {"proceed", ""},
                 {"next upload", "none"},  // the upload phase is over
                 {"next removal", "5"},
                 {"dele 14 /www/old/x", ""},
                 {"state", "removing active upload=0 remove=1 fin=0 cursor=1"},
                 {"line", "DELE /www/old/x"},
                 {"ended", "ignore"},
                 {"reply 14 250", "next"},
                 {"next removal", "4"},
                 {"rmd 15 /www/old", ""},
                 {"line", "RMD /www/old"},
                 {"reply 15 250", "next"},
                 {"next removal", "none"},
                 {"state", "removing active upload=0 remove=0 fin=1 cursor=2"},
                 {"take", "yes"},
                 {"end done", ""},
                 {"state", "idle upload=0 remove=0 fin=0 cursor=2"},
                 {"next removal", "none"}}},
        RunCase{"the upload only mode has no removal phase after it",
                {{"begin 0", ""},
                 {"follows", "no"},
                 {"end done", ""},
                 {"state", "idle upload=0 remove=0 fin=0 cursor=0"}}},
        RunCase{"a refused MKD fails the step and the run stops there",
                After(kFolderSent, {{"refuse 7 550", "fail"},
                                    {"line", "MKD /www/a"},  // the log names the failed step
                                    {"end stopped", ""},
                                    {"state", "stopped upload=0 remove=0 fin=0 cursor=1"},
                                    {"line", ""},
                                    {"refuse 8 550", "ignore"},
                                    {"next upload", "none"}})},
        RunCase{"a final reply other than 2xx to the MKD fails it too",
                After(kFolderSent, {{"reply 7 350", "fail"}})},
        RunCase{"an MKD refused with 521 has its folder there already",
                After(kFolderSent, {{"refuse 7 521", "folder there"},
                                    {"state", "uploading active upload=0 remove=0 fin=0 cursor=1"},
                                    {"next upload", "1"}})},
        RunCase{"an MKD refused with 550 for a folder the comparison listed",
                After(kFolderSent, {{"refuse 7 550", "folder there"}, {"next upload", "1"}}),
                {"/www/a"}},
        RunCase{"an MKD refused with 550 where the comparison found a file",
                After(kFolderSent, {{"refuse 7 550", "fail"}}),
                {"/www"},
                {"/www/a"}},
        RunCase{"an MKD refused with 550 for a folder made earlier on the connection",
                After(kFolderSent, {{"reply 7 257", "next"},
                                    {"end done", ""},
                                    {"begin 0", ""},
                                    {"list 0", ""},
                                    {"proceed", ""},
                                    {"next upload", "0"},
                                    {"mkd 20 /www/a", ""},
                                    {"refuse 20 550", "folder there"},
                                    {"connection", ""},  // not known on a new connection
                                    {"begin 0", ""},
                                    {"list 0", ""},
                                    {"proceed", ""},
                                    {"next upload", "0"},
                                    {"mkd 30 /www/a", ""},
                                    {"refuse 30 550", "fail"}})},
        RunCase{"a reply for an earlier or a later command takes no step",
                After(kFolderSent, {{"reply 6 226", "ignore"},
                                    {"refuse 6 550", "ignore"},  // nor does its refusal fail it
                                    {"reply 0 257", "ignore"},   // a line inside a reply
                                    {"reply 8 257", "ignore"},   // only its own command's
                                    {"state", "uploading active upload=2 remove=0 fin=0 cursor=1"},
                                    {"reply 7 257", "next"},
                                    {"reply 7 257", "ignore"}})},
        RunCase{"a refusal of a later command of an upload fails it",
                {{"begin 0", ""},
                 {"list 0", ""},
                 {"proceed", ""},
                 {"next upload", "0"},
                 {"stor 8 /www/f", ""},
                 {"refuse 7 550", "ignore"},
                 {"refuse 10 425", "fail"},
                 {"line", "STOR /www/f"}}},
        RunCase{"a removal answered for an earlier command takes no step",
                {{"begin 1", ""},
                 {"removals", ""},
                 {"list 3", ""},
                 {"proceed", ""},
                 {"next removal", "3"},
                 {"rmd 9 /www/old", ""},
                 {"reply 8 226", "ignore"},
                 {"refuse 10 550", "fail"},
                 {"line", "RMD /www/old"}}},
        RunCase{"a deferral while a data connection is open",
                {{"begin 0", ""},
                 {"list 0 1", ""},
                 {"proceed", ""},
                 {"turn", "no"},  // nothing was deferred
                 {"next upload open", "none"},
                 {"state", "uploading active upload=0 remove=0 fin=0 cursor=0"},
                 {"turn open", "no"},  // still open
                 {"turn", "yes"},
                 {"turn", "no"},  // once
                 {"next upload", "0"},
                 {"next upload open", "none"},
                 {"end stopped", ""},  // an ended run has no deferred step
                 {"turn", "no"}}},
        RunCase{"a file passed over waits for the DELE of its partial copy",
                {{"begin 0", ""},
                 {"list 0 1", ""},
                 {"proceed", ""},
                 {"next upload", "0"},
                 {"stor 8 /www/f", ""},
                 {"current", "0"},
                 {"passover 12", ""},
                 {"state", "uploading active upload=0 remove=0 fin=0 cursor=1"},
                 {"line", ""},
                 {"ended", "ignore"},
                 {"reply 10 226", "hold"},  // the STOR's own reply
                 {"refuse 11 451", "hold"},
                 {"reply 0 250", "ignore"},
                 {"reply 12 250", "next"},
                 {"reply 12 250", "ignore"},
                 {"next upload", "1"}}},
        RunCase{"a file passed over goes on when its DELE is refused",
                {{"begin 0", ""},
                 {"list 0 1", ""},
                 {"proceed", ""},
                 {"next upload", "0"},
                 {"stor 8 /www/f", ""},
                 {"passover 12", ""},
                 {"refuse 12 550", "next"},
                 {"next upload", "1"}}},
        RunCase{"a stop ends the pending step",
                {{"begin 0", ""},
                 {"list 0 1", ""},
                 {"proceed", ""},
                 {"next upload", "0"},
                 {"stor 8 /www/f", ""},
                 {"end stopped", ""},
                 {"state", "stopped upload=0 remove=0 fin=0 cursor=1"},
                 {"ended", "ignore"},
                 {"reply 10 226", "ignore"},
                 {"refuse 10 451", "ignore"},
                 {"next upload", "none"},
                 {"line", ""},
                 {"stor 11 /www/g", ""},  // a command that went out as the run ended
                 {"state", "stopped upload=0 remove=0 fin=0 cursor=1"},
                 {"begin 0", ""},  // a new run starts from its own list
                 {"state", "building active upload=0 remove=0 fin=0 cursor=0"}}},
        RunCase{"the window's lists cleared drop the pending step",
                After(kFolderSent, {{"drop", ""},
                                    {"state", "uploading active upload=0 remove=0 fin=0 cursor=1"},
                                    {"reply 7 257", "ignore"}})}),
    [](const testing::TestParamInfo<RunCase>& info) {
        return testsupport::CaseName(info.param.what);
    });

}  // namespace
