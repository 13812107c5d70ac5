// The sync run's state machine alone, without a window or a socket: each case is a script of
// what the window tells the run, line by line, with what the run answers (an entry, a call, the
// window's flags as the run leaves them) or the effects it asks the window for, in order. The
// window's own part is played by the driver: its upload step sends an MKD for an entry below 10
// and an upload for any other, its removal step a DELE, each taking the next command number.
#include <gtest/gtest.h>

#include <optional>
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
        Bind();
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
            for (int32_t index; in >> index;) run_.Add(index);
        } else if (verb == "built") {
            std::string confirm;
            in >> confirm;
            run_.ListBuilt(confirm == "confirm");
        } else if (verb == "user") {
            std::string answer;
            in >> answer;
            userGoesOn_ = answer == "yes";
        } else if (verb == "data") {
            std::string open;
            in >> open;
            dataOpen_ = open == "open";
        } else if (verb == "accepted") {
            std::string accepted;
            in >> accepted;
            accepted_ = accepted == "yes";
        } else if (verb == "on-reply" || verb == "on-refuse") {
            int64_t answers = 0;
            int32_t code = 0;
            in >> answers >> code;
            const std::string text = std::to_string(code) + " text";
            if (verb == "on-reply")
                run_.OnReply(answers, code, text);
            else
                run_.OnRefusal(answers, code, tree_, text);
        } else if (verb == "on-ended") {
            run_.OnTransferEnded();
        } else if (verb == "phase-due") {
            run_.OnPhaseEndDue();
        } else if (verb == "failed") {
            int32_t error = 0;
            in >> error;
            run_.OnTransferFailed(error, "data error");
        } else if (verb == "closed") {
            run_.OnDataConnectionClosed();
        } else if (verb == "cancel") {
            run_.OnCancel();
        } else if (verb == "disconnect") {
            run_.OnDisconnect();
        } else if (verb == "lost") {
            std::string logged;
            in >> logged;
            run_.OnConnectionLost("lost", logged == "logged");
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
            std::string number, path;
            in >> number >> path;
            // "-": the connection could write no command of the step.
            const std::optional<int64_t> command =
                number == "-" ? std::nullopt : std::optional<int64_t>(std::stoll(number));
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
            std::string number;
            in >> number;
            run_.PassOver(number == "-" ? std::nullopt
                                        : std::optional<int64_t>(std::stoll(number)));
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
        return TakeEffects();
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
    // The effects the run asked for since the last line, in order.
    std::string TakeEffects() {
        std::string all;
        for (const std::string& effect : effects_) all += (all.empty() ? "" : "; ") + effect;
        effects_.clear();
        return all;
    }
    void Bind() {
        run_.takeUploadStep = [this] {
            const auto entry = run_.NextEntry(SyncRun::Phase::Upload, dataOpen_);
            if (!entry) return effects_.push_back("upload step none");
            const bool folder = *entry < 10;
            run_.Sent(folder ? SyncRun::StepKind::Folder : SyncRun::StepKind::File, nextCommand_,
                      "/www/" + std::to_string(*entry));
            effects_.push_back((folder ? "mkd " : "stor ") + std::to_string(*entry) + " as " +
                               std::to_string(nextCommand_++));
        };
        run_.takeRemovalStep = [this] {
            const auto entry = run_.NextEntry(SyncRun::Phase::Removal, dataOpen_);
            if (!entry) return effects_.push_back("removal step none");
            run_.Sent(SyncRun::StepKind::RemoveFile, nextCommand_,
                      "/www/" + std::to_string(*entry));
            effects_.push_back("dele " + std::to_string(*entry) + " as " +
                               std::to_string(nextCommand_++));
        };
        run_.buildRemovals = [this] {
            effects_.push_back("build removals");
            run_.BeginRemovals();
        };
        run_.askConfirmation = [this](SyncRun::Phase phase) {
            effects_.push_back(phase == SyncRun::Phase::Upload ? "ask upload" : "ask remove");
            return userGoesOn_;
        };
        run_.phaseRuns = [this](SyncRun::Phase phase) {
            effects_.push_back(phase == SyncRun::Phase::Upload ? "runs upload" : "runs removal");
        };
        run_.endPhaseLater = [this] { effects_.push_back("phase end later"); };
        run_.settle = [this] { effects_.push_back("settle"); };
        run_.tell = [this](const std::string& message, const std::string& detail) {
            effects_.push_back("tell " + message + "|" + detail);
        };
        run_.log = [this](const std::string& text) { effects_.push_back("log " + text); };
        run_.alert = [this](const std::string& text) { effects_.push_back("alert " + text); };
        run_.dataConnectionOpen = [this] { return dataOpen_; };
        run_.partialCopyDeletable = [this] { return accepted_; };
        run_.deletePartialCopy = [this]() -> std::optional<int64_t> {
            if (!accepted_) return std::nullopt;
            effects_.push_back("delete partial as " + std::to_string(nextCommand_));
            return nextCommand_++;
        };
        run_.uploadName = [](int32_t index) { return "name" + std::to_string(index); };
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
    std::vector<std::string> effects_;
    int64_t nextCommand_ = 7;
    bool userGoesOn_ = true;
    bool dataOpen_ = false;
    bool accepted_ = false;  // the server has accepted the pending upload's STOR
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
const std::vector<Line> kFolderSent = {{"begin 0", "settle"},
                                       {"list 0 1", ""},
                                       {"proceed", ""},
                                       {"next upload", "0"},
                                       {"mkd 7 /www/a", ""}};

std::vector<Line> After(const std::vector<Line>& start, const std::vector<Line>& rest) {
    std::vector<Line> script = start;
    script.insert(script.end(), rest.begin(), rest.end());
    return script;
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, SyncRunSteps,
    testing::Values(
        RunCase{"a run of uploads folders and removals",
                {{"begin 1", "settle"},
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
                 {"end done", "settle"},
                 {"state", "idle upload=0 remove=0 fin=0 cursor=2"},
                 {"next removal", "none"}}},
        RunCase{"the upload only mode has no removal phase after it",
                {{"begin 0", "settle"},
                 {"follows", "no"},
                 {"end done", "settle"},
                 {"state", "idle upload=0 remove=0 fin=0 cursor=0"}}},
        RunCase{"a refused MKD fails the step and the run stops there",
                After(kFolderSent, {{"refuse 7 550", "fail"},
                                    {"line", "MKD /www/a"},  // the log names the failed step
                                    {"end stopped", "settle"},
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
                                    {"end done", "settle"},
                                    {"begin 0", "settle"},
                                    {"list 0", ""},
                                    {"proceed", ""},
                                    {"next upload", "0"},
                                    {"mkd 20 /www/a", ""},
                                    {"refuse 20 550", "folder there"},
                                    {"connection", ""},  // not known on a new connection
                                    {"begin 0", "settle"},
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
                {{"begin 0", "settle"},
                 {"list 0", ""},
                 {"proceed", ""},
                 {"next upload", "0"},
                 {"stor 8 /www/f", ""},
                 {"refuse 7 550", "ignore"},
                 {"refuse 10 425", "fail"},
                 {"line", "STOR /www/f"}}},
        RunCase{"a removal answered for an earlier command takes no step",
                {{"begin 1", "settle"},
                 {"removals", ""},
                 {"list 3", ""},
                 {"proceed", ""},
                 {"next removal", "3"},
                 {"rmd 9 /www/old", ""},
                 {"reply 8 226", "ignore"},
                 {"refuse 10 550", "fail"},
                 {"line", "RMD /www/old"}}},
        RunCase{"a deferral while a data connection is open",
                {{"begin 0", "settle"},
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
                 {"end stopped", "settle"},  // an ended run has no deferred step
                 {"turn", "no"}}},
        RunCase{"a file passed over waits for the DELE of its partial copy",
                {{"begin 0", "settle"},
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
                {{"begin 0", "settle"},
                 {"list 0 1", ""},
                 {"proceed", ""},
                 {"next upload", "0"},
                 {"stor 8 /www/f", ""},
                 {"passover 12", ""},
                 {"refuse 12 550", "next"},
                 {"next upload", "1"}}},
        RunCase{"a stop ends the pending step",
                {{"begin 0", "settle"},
                 {"list 0 1", ""},
                 {"proceed", ""},
                 {"next upload", "0"},
                 {"stor 8 /www/f", ""},
                 {"end stopped", "settle"},
                 {"state", "stopped upload=0 remove=0 fin=0 cursor=1"},
                 {"ended", "ignore"},
                 {"reply 10 226", "ignore"},
                 {"refuse 10 451", "ignore"},
                 {"next upload", "none"},
                 {"line", ""},
                 {"stor 11 /www/g", ""},  // a command that went out as the run ended
                 {"state", "stopped upload=0 remove=0 fin=0 cursor=1"},
                 {"begin 0", "settle"},  // a new run starts from its own list
                 {"state", "building active upload=0 remove=0 fin=0 cursor=0"}}},
        RunCase{"an upload only run ending on a transfer says dat",
                {{"begin 0", "settle"},
                 {"list 1 12", ""},
                 {"built", "runs upload; mkd 1 as 7"},
                 {"on-reply 7 257", "stor 12 as 8"},
                 {"on-reply 8 200", ""},  // TYPE: a file waits for its transfer
                 {"on-ended", "upload step none; phase end later"},
                 {"state", "uploading active upload=0 remove=0 fin=1 cursor=2"},
                 {"phase-due", "settle; tell 同期が終了しました。 [dat]|"},
                 {"state", "idle upload=0 remove=0 fin=0 cursor=2"},
                 {"phase-due", ""}}},
        RunCase{"an upload only run ending on a reply says cmd",
                {{"begin 0", "settle"},
                 {"list 1 2", ""},
                 {"built", "runs upload; mkd 1 as 7"},
                 {"on-reply 7 257", "mkd 2 as 8"},
                 {"on-reply 8 257", "upload step none; settle; tell 同期が終了しました。 [cmd]|"},
                 {"state", "idle upload=0 remove=0 fin=0 cursor=2"}}},
        RunCase{"the removals follow the uploads and end on a reply",
                {{"begin 1", "settle"},
                 {"list 12", ""},
                 {"user yes", ""},
                 {"built confirm", "ask upload; runs upload; stor 12 as 7"},
                 {"on-ended", "upload step none; phase end later"},
                 {"phase-due", "build removals"},
                 {"list 5 6", ""},
                 {"built confirm", "ask remove; runs removal; dele 5 as 8"},
                 {"on-reply 8 250", "dele 6 as 9"},
                 {"on-reply 9 250", "removal step none; settle; tell 同期が終了しました。 [cmd]|"},
                 {"state", "idle upload=0 remove=0 fin=0 cursor=2"}}},
        RunCase{"an empty upload list ends its phase at once",
                {{"begin 0", "settle"},
                 {"built", "settle; tell 同期が終了しました。 [cmd]|"},
                 {"begin 1", "settle"},
                 {"built", "build removals"},
                 {"built",
                  "runs removal; removal step none; settle; tell 同期が終了しました。 [cmd]|"}}},
        RunCase{"a declined upload list leads to the removals a declined removal list cancels",
                {{"begin 1", "settle"},
                 {"list 12", ""},
                 {"user no", ""},
                 {"built confirm", "ask upload; build removals"},
                 {"list 5", ""},
                 {"built confirm", "ask remove; settle; tell 同期を中止しました。|"},
                 {"state", "stopped upload=0 remove=0 fin=0 cursor=0"},
                 {"begin 0", "settle"},
                 {"list 12", ""},
                 {"built confirm", "ask upload; settle; tell 同期を中止しました。|"}}},
        RunCase{"a refused MKD names the step and stops the run with the reply",
                {{"begin 0", "settle"},
                 {"list 1 2", ""},
                 {"built", "runs upload; mkd 1 as 7"},
                 {"on-refuse 6 550", "alert An error occurred: 550 text; log 550 text"},
                 {"on-refuse 7 550",
                  "log 550 text; log 失敗した処理: MKD /www/1; settle; "
                  "tell 同期を中断しました。|An error occurred: 550 text"},
                 {"state", "stopped upload=0 remove=0 fin=0 cursor=1"},
                 {"on-refuse 8 550", "log 550 text"},  // only logged after a stopped run
                 {"on-reply 8 257", ""}}},
        RunCase{"a final reply other than 2xx stops the run with its line",
                {{"begin 1", "settle"},
                 {"removals", ""},
                 {"list 5", ""},
                 {"built", "runs removal; dele 5 as 7"},
                 {"on-reply 7 350",
                  "log 失敗した処理: DELE /www/5; settle; tell 同期を中断しました。|"
                  "An error occurred: 350 text"}}},
        RunCase{"an MKD whose folder is there goes on with the next step",
                {{"begin 0", "settle"},
                 {"list 1 12", ""},
                 {"built", "runs upload; mkd 1 as 7"},
                 {"on-refuse 7 521",
                  "log 521 text; log フォルダは既にあります: /www/1; stor 12 as 8"}}},
        RunCase{
            "a file changed while sent is passed over and its partial copy deleted",
            {{"begin 0", "settle"},
             {"list 12 13", ""},
             {"built", "runs upload; stor 12 as 7"},
             {"accepted yes", ""},
             {"failed 209", "log 送信中に変更されたため飛ばしました: name12; delete partial as 8"},
             {"on-reply 7 226", ""},               // the STOR's own reply
             {"on-refuse 7 451", "log 451 text"},  // or its refusal, logged
             {"on-reply 8 250", "stor 13 as 9"}}},
        RunCase{"a file changed while sent stops the run when no DELE may go",
                {{"begin 0", "settle"},
                 {"list 12 13", ""},
                 {"built", "runs upload; stor 12 as 7"},
                 {"failed 209",
                  "log data error; log 失敗した処理: STOR /www/12; settle; "
                  "tell 同期を中断しました。|data error"}}},
        RunCase{"a passed over file with no DELE written goes on at the next reply",
                {{"begin 0", "settle"},
                 {"list 12", ""},
                 {"proceed", ""},
                 {"next upload", "12"},
                 {"stor 7 /www/12", ""},
                 {"passover -", ""},
                 {"reply 7 226", "next"}}},
        RunCase{"the cancel key deletes the partial copy and cancels the run",
                {{"begin 0", "settle"},
                 {"list 12 13", ""},
                 {"built", "runs upload; stor 12 as 7"},
                 {"accepted yes", ""},
                 {"failed 207",
                  "log data error; delete partial as 8; settle; tell 同期を中止しました。|"},
                 {"state", "stopped upload=0 remove=0 fin=0 cursor=1"},
                 {"failed 205", "log data error"},
                 {"on-ended", ""}}},
        RunCase{"a broken transfer names the step deletes its partial copy and stops",
                {{"begin 0", "settle"},
                 {"list 12", ""},
                 {"built", "runs upload; stor 12 as 7"},
                 {"accepted yes", ""},
                 {"failed 205",
                  "log data error; log 失敗した処理: STOR /www/12; delete partial as 8; settle; "
                  "tell 同期を中断しました。|data error"}}},
        RunCase{"a data error of no run is shown and a deferred step taken after it",
                {{"failed 205", "alert data error"},
                 {"begin 0", "settle"},
                 {"list 1", ""},
                 {"data open", ""},
                 {"built", "runs upload; upload step none"},
                 {"closed", ""},  // still open
                 {"data closed", ""},
                 {"failed 205", "alert data error; mkd 1 as 7"},
                 {"closed", ""}}},
        RunCase{"a step deferred while data flows is taken once the connection closes",
                {{"begin 0", "settle"},
                 {"list 1", ""},
                 {"data open", ""},
                 {"built", "runs upload; upload step none"},
                 {"data closed", ""},
                 {"closed", "mkd 1 as 7"},
                 {"closed", ""}}},
        RunCase{
            "a refusal of no step takes a deferred step",
            {{"begin 0", "settle"},
             {"list 1", ""},
             {"data open", ""},
             {"built", "runs upload; upload step none"},
             {"data closed", ""},
             {"on-refuse 3 425", "alert An error occurred: 425 text; log 425 text; mkd 1 as 7"}}},
        RunCase{"a cancel in each phase ends the run and its pending step",
                {{"begin 1", "settle"},
                 {"list 1", ""},
                 {"built", "runs upload; mkd 1 as 7"},
                 {"cancel", "settle; tell 同期を中止しました。|"},
                 {"state", "stopped upload=0 remove=0 fin=0 cursor=1"},
                 {"on-reply 7 257", ""},
                 {"begin 1", "settle"},
                 {"removals", ""},
                 {"list 5", ""},
                 {"built", "runs removal; dele 5 as 8"},
                 {"disconnect", "settle; tell 同期を中止しました。|"},
                 {"on-reply 8 250", ""},
                 {"disconnect", ""}}},  // no run under way: nothing to cancel
        RunCase{"a lost connection stops a run then is only logged",
                {{"lost", "alert lost"},
                 {"begin 1", "settle"},
                 {"removals", ""},
                 {"list 5", ""},
                 {"built", "runs removal; dele 5 as 7"},
                 {"lost", "settle; tell 同期を中断しました。|lost"},
                 {"lost", "log lost"},
                 {"lost logged", "log lost"},
                 {"on-refuse 7 421", "log 421 text"}}},
        RunCase{"a lost connection logged by the window is logged once",
                {{"lost logged", "log lost; alert lost"},
                 {"begin 0", "settle"},
                 {"list 12", ""},
                 {"built", "runs upload; stor 12 as 7"},
                 {"lost logged", "log lost; settle; tell 同期を中断しました。|lost"},
                 {"state", "stopped upload=0 remove=0 fin=0 cursor=1"}}},
        RunCase{"a step whose command could not be written waits for no reply",
                {{"begin 0", "settle"},
                 {"list 1 12", ""},
                 {"proceed", ""},
                 {"next upload", "1"},
                 {"mkd - /www/1", ""},
                 {"reply 6 257", "ignore"},  // the previous command's reply
                 {"refuse 6 550", "ignore"},
                 {"next upload", "12"},
                 {"stor - /www/12", ""},
                 {"refuse 9 425", "ignore"},
                 {"ended", "next"}}},
        RunCase{"the window's lists cleared drop the pending step",
                After(kFolderSent, {{"drop", ""},
                                    {"state", "uploading active upload=0 remove=0 fin=0 cursor=1"},
                                    {"reply 7 257", "ignore"}})}),
    [](const testing::TestParamInfo<RunCase>& info) {
        return testsupport::CaseName(info.param.what);
    });

}  // namespace
