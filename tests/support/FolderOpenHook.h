#pragma once

// Runs an action at the moment a folder is opened, before the open returns to whoever opened it:
// the system holds the opener (fanotify's permission check) while the action runs on a thread of
// the hook's own, so a test can change the disk at exactly that point of the code under test,
// however fast or slow the machine. Needs root; Available() says whether the system gave it.

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/fanotify.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace testsupport {

class FolderOpenHook {
public:
    // The action runs at the first open of the folder only; later opens just go on.
    FolderOpenHook(const std::string& folder, std::function<void()> action)
        : action_(std::move(action)) {
        group_ = fanotify_init(FAN_CLASS_CONTENT | FAN_CLOEXEC, O_RDONLY | O_CLOEXEC);
        stop_ = eventfd(0, EFD_CLOEXEC);
        if (group_ < 0 || stop_ < 0 ||
            fanotify_mark(group_, FAN_MARK_ADD, FAN_OPEN_PERM | FAN_ONDIR, AT_FDCWD,
                          folder.c_str()) != 0)
            return;
        listener_ = std::thread([this] { Listen(); });
    }
    ~FolderOpenHook() {
        if (listener_.joinable()) {
            const uint64_t one = 1;
            (void)!write(stop_, &one, sizeof one);
            listener_.join();
        }
        if (group_ >= 0) close(group_);  // any open still held goes on
        if (stop_ >= 0) close(stop_);
    }
    FolderOpenHook(const FolderOpenHook&) = delete;
    FolderOpenHook& operator=(const FolderOpenHook&) = delete;

    bool Available() const { return listener_.joinable(); }
    bool Fired() const { return fired_; }

private:
    void Listen() {
        for (;;) {
            pollfd fds[2] = {{group_, POLLIN, 0}, {stop_, POLLIN, 0}};
            if (poll(fds, 2, -1) < 0) continue;
            if (fds[1].revents) return;
            alignas(fanotify_event_metadata) char buffer[4096];
            const ssize_t n = read(group_, buffer, sizeof buffer);
            if (n <= 0) continue;
            auto* event = reinterpret_cast<fanotify_event_metadata*>(buffer);
            for (ssize_t left = n; FAN_EVENT_OK(event, left); event = FAN_EVENT_NEXT(event, left)) {
                if (event->mask & FAN_OPEN_PERM) {
                    if (!fired_.exchange(true)) action_();
                    fanotify_response answer{event->fd, FAN_ALLOW};
                    (void)!write(group_, &answer, sizeof answer);
                }
                if (event->fd >= 0) close(event->fd);
            }
        }
    }

    std::function<void()> action_;
    int group_ = -1;
    int stop_ = -1;
    std::atomic<bool> fired_{false};
    std::thread listener_;
};

}  // namespace testsupport
