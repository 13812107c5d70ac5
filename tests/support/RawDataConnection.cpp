#include "tests/support/RawDataConnection.h"

#include <errno.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <algorithm>

namespace testsupport {

RawDataConnection::RawDataConnection(int fd) : fd_(fd) {
    if (fd_ < 0) return;
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { Read(); });
}

RawDataConnection::~RawDataConnection() {
    Close();
}

void RawDataConnection::ReadUpTo(size_t limit) {
    limit_ = limit;
    if (notifier_ && !endRead_ && !resetSeen_) notifier_->setEnabled(received_.size() < limit_);
}

void RawDataConnection::ReadWhatHasCome() {
    if (notifier_ && notifier_->isEnabled()) Read();
}

void RawDataConnection::Read() {
    char buffer[65536];
    while (received_.size() < limit_) {
        const size_t wanted = std::min(sizeof buffer, limit_ - received_.size());
        const ssize_t n = ::recv(fd_, buffer, wanted, MSG_DONTWAIT);
        if (n > 0) {
            received_.append(buffer, static_cast<size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
        (n == 0 ? endRead_ : resetSeen_) = true;
        break;
    }
    notifier_->setEnabled(false);  // at its limit, or the connection's end read
}

bool RawDataConnection::ClientEnded() const {
    if (endRead_) return true;
    if (fd_ < 0) return false;
    tcp_info info{};
    socklen_t length = sizeof info;
    if (getsockopt(fd_, IPPROTO_TCP, TCP_INFO, &info, &length) != 0) return false;
    return info.tcpi_state == TCP_CLOSE_WAIT;
}

size_t RawDataConnection::Unread() const {
    int n = 0;
    if (fd_ < 0 || ::ioctl(fd_, FIONREAD, &n) != 0) return 0;
    return static_cast<size_t>(n);
}

void RawDataConnection::Close() {
    notifier_.reset();
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

void RawDataConnection::Reset() {
    if (fd_ >= 0) {
        linger reset{1, 0};  // a zero linger turns the close into a reset
        setsockopt(fd_, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    }
    Close();
}

}  // namespace testsupport
