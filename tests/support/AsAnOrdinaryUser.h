#pragma once

// While it lives, the calling thread meets file permissions as an ordinary user does: the tests
// run as root, whose capabilities pass over a folder's missing read or write bit, so a folder the
// program may not read or write can't be shown otherwise. Only the thread's effective set is
// lowered (capabilities are the thread's own), and the permitted set keeps them to raise again.

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <string>

namespace testsupport {

class AsAnOrdinaryUser {
public:
    AsAnOrdinaryUser() {
        if (!Get(saved_)) return;
        __user_cap_data_struct lowered[2] = {saved_[0], saved_[1]};
        for (const int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER})
            lowered[cap / 32].effective &= ~(1u << (cap % 32));
        active_ = Set(lowered);
    }
    ~AsAnOrdinaryUser() {
        if (active_) Set(saved_);
    }
    AsAnOrdinaryUser(const AsAnOrdinaryUser&) = delete;
    AsAnOrdinaryUser& operator=(const AsAnOrdinaryUser&) = delete;

    bool Active() const { return active_; }
    static std::string Why() { return "the thread's capabilities could not be lowered"; }

private:
    static bool Get(__user_cap_data_struct (&data)[2]) {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        return syscall(SYS_capget, &header, data) == 0;
    }
    static bool Set(__user_cap_data_struct (&data)[2]) {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        return syscall(SYS_capset, &header, data) == 0;
    }

    __user_cap_data_struct saved_[2] = {};
    bool active_ = false;
};

}  // namespace testsupport
