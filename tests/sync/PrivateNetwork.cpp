#include "tests/sync/PrivateNetwork.h"

#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

namespace synctest {

namespace {

bool BringLoopbackUp() {
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0) return false;
    ifreq request{};
    std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
    bool up = ioctl(fd, SIOCGIFFLAGS, &request) == 0;
    request.ifr_flags |= IFF_UP | IFF_RUNNING;
    up = up && ioctl(fd, SIOCSIFFLAGS, &request) == 0;
    close(fd);
    return up;
}

bool EnterPrivateNetwork() {
    return unshare(CLONE_NEWNET) == 0 && BringLoopbackUp();
}

// Entered during static initialisation, so that every thread the process starts later is in it.
const bool gInPrivateNetwork = EnterPrivateNetwork();

}  // namespace

bool InPrivateNetwork() {
    return gInPrivateNetwork;
}

}  // namespace synctest
