#pragma once

// A folder that the test process cannot read. Its mode is 000 (or the one given, such as 0644: its
// names can be listed but nothing in it looked at); for a process running as root,
// which reads any folder whatever its mode, the two capabilities that allow that are lowered for
// the calling thread while this object lives (the program's scan runs on that thread).

#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <string>

class UnreadableFolder {
public:
    explicit UnreadableFolder(std::string path, mode_t mode = 0) : path_(std::move(path)) {
        ::mkdir(path_.c_str(), 0755);
        ::chmod(path_.c_str(), mode);
        header_.version = _LINUX_CAPABILITY_VERSION_3;
        header_.pid = 0;
        if (syscall(SYS_capget, &header_, saved_) != 0) return;
        __user_cap_data_struct lowered[2] = {saved_[0], saved_[1]};
        for (int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH})
            lowered[cap / 32].effective &= ~(1u << (cap % 32));
        lowered_ = syscall(SYS_capset, &header_, lowered) == 0;
    }
    ~UnreadableFolder() {
        if (lowered_) syscall(SYS_capset, &header_, saved_);
        ::chmod(path_.c_str(), 0755);  // so the test's folder can be removed
    }
    UnreadableFolder(const UnreadableFolder&) = delete;
    UnreadableFolder& operator=(const UnreadableFolder&) = delete;

    const std::string& Path() const { return path_; }

private:
    std::string path_;
    __user_cap_header_struct header_{};
    __user_cap_data_struct saved_[2]{};
    bool lowered_ = false;
};
