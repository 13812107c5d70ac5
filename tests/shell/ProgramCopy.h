#pragma once

// The built program run as a process of its own over the test's settings folder (the child gets
// the test's XDG_CONFIG_HOME), for what only separate processes show: the lock between two copies,
// a copy killed, a crash.

#include <sys/types.h>

#include <string>
#include <utility>

namespace shelltest {

class ProgramCopy {
public:
    struct Options {
        // Qt's offscreen platform takes no input from outside; "vnc" is Qt's headless platform
        // that does, so a test can press a key in the copy's message box (PressReturn).
        bool answerableOverVnc = false;
        bool coreFilesAllowed = false;  // RLIMIT_CORE unlimited before the program starts
        // The copy meets file permissions as an ordinary user does (see AsAnOrdinaryUser.h).
        bool asAnOrdinaryUser = false;
        std::string workingFolder;  // empty: the test's

        static Options AnswerableOverVnc() {
            Options o;
            o.answerableOverVnc = true;
            return o;
        }
        static Options AsAnOrdinaryUser() {
            Options o;
            o.asAnOrdinaryUser = true;
            return o;
        }
        static Options CoreFilesAllowedIn(std::string folder) {
            Options o;
            o.coreFilesAllowed = true;
            o.workingFolder = std::move(folder);
            return o;
        }
    };

    explicit ProgramCopy(const Options& options);
    ProgramCopy() : ProgramCopy(Options{}) {}
    ~ProgramCopy();  // kills a copy still running
    ProgramCopy(const ProgramCopy&) = delete;
    ProgramCopy& operator=(const ProgramCopy&) = delete;

    // Runs the event loop until this copy holds the settings folder's locks, the folder's and its
    // lock file's (it has started and taken the folder), it exits, or the time is up.
    bool WaitUntilItHoldsTheLock(int timeoutMs = 20000);
    // The same until it holds the folder's own lock, the first it takes, while it is starting.
    bool WaitUntilItLocksTheFolder(int timeoutMs = 20000);
    // Presses Return in the copy's active window over VNC until it exits or the time is up;
    // answers whether it exited.
    bool PressReturnUntilItExits(int timeoutMs = 20000);
    bool WaitForExit(int timeoutMs = 20000);
    void Signal(int signal);

    bool Exited() const { return exited_; }
    int Status() const { return status_; }  // as waitpid reports it
    std::string ErrorOutput() const;        // stderr (and stdout)

private:
    bool Reap();

    pid_t pid_ = -1;
    bool exited_ = false;
    int status_ = 0;
    int vncPort_ = 0;
    std::string outputPath_;
};

}  // namespace shelltest
