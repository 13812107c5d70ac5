#include "TCPSocket.h"

#include <errno.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QHostAddress>
#include <QPointer>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>

#include "Event.h"
#include "EventLoopInternal.h"
#include "PlatformInternal.h"

namespace fw {

namespace {

// Received bytes wait here, not in the platform's socket, until the handler takes them: past this
// much the platform stops reading and the peer is held back, whatever it sends.
constexpr qint64 kReadBufferBytes = 1 << 20;

int32_t ErrorCode(QAbstractSocket::SocketError e) {
    switch (e) {
        case QAbstractSocket::RemoteHostClosedError:
            return kSocketPeerClosed;
        case QAbstractSocket::HostNotFoundError:
            return kSocketHostNotFound;
        case QAbstractSocket::AddressInUseError:
            return kSocketAddressInUse;
        default:
            return kSocketOtherError;
    }
}

// Writes what the system takes at once, without waiting; answers how many bytes it took. A
// failure takes nothing, so the platform's socket meets it on its own write and reports it.
size_t SendNow(qintptr fd, const std::string& bytes) {
    if (fd < 0) return 0;
    for (;;) {
        ssize_t n =
            ::send(static_cast<int>(fd), bytes.data(), bytes.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n >= 0) return static_cast<size_t>(n);
        if (errno != EINTR) return 0;
    }
}

// The state of the system's connection on this descriptor (TCP_ESTABLISHED, ...), or -1.
int ConnectionState(int fd) {
    if (fd < 0) return -1;
    tcp_info info{};
    socklen_t length = sizeof info;
    if (getsockopt(fd, IPPROTO_TCP, TCP_INFO, &info, &length) != 0) return -1;
    return info.tcpi_state;
}

// Whether the connection on this descriptor has ended in a reset rather than in the peer's orderly
// close: the platform reports both as the peer's close. After a reset the system's connection is
// closed outright; after the peer's close it waits for this end to close too.
bool EndedInReset(int fd) {
    return ConnectionState(fd) == TCP_CLOSE;
}

std::string DottedIPv4(const QHostAddress& a) {
    bool ok = false;
    quint32 v4 = a.toIPv4Address(&ok);
    if (!ok) return {};
    return QHostAddress(v4).toString().toStdString();
}

}  // namespace

// The platform's sockets report through Qt signals; each report is posted and then delivered
// through the socket's event source, so reports keep their order, never interrupt a handler of the
// same socket, and are dropped when they belong to a connection that has since been closed.
struct TCPSocket::Impl {
    TCPSocket* owner;
    QObject context;  // the platform sockets and their signal connections
    QPointer<QTcpSocket> sock;
    QTcpServer* server = nullptr;
    uint64_t generation = 0;    // bumped whenever the current connection is given up
    std::string pendingWrites;  // written while the connection is still being made
    bool dataQueued = false;
    bool readInHandler = false;
    bool endReported = false;
    // A second descriptor of the connection: the platform closes its own as soon as it sees the
    // end, and the system's connection, which tells how it ended, lasts as long as this one.
    int endWatch = -1;
    // EndSending was asked for: this end goes once the bytes written have left and the connection
    // is up. An end of the connection before it answers nothing: it is never the peer's close.
    bool endAsked = false;
    // The peer's end had come when this end went: its close is no answer to this end either.
    bool peerEndedFirst = false;

    std::shared_ptr<bool> alive = std::make_shared<bool>(true);

    explicit Impl(TCPSocket* o) : owner(o) {}
    ~Impl() { StopWatchingEnd(); }

    void WatchEnd(QTcpSocket* s) {
        if (endWatch >= 0) return;
        const qintptr fd = s->socketDescriptor();
        if (fd >= 0) endWatch = ::fcntl(static_cast<int>(fd), F_DUPFD_CLOEXEC, 0);
    }
    void StopWatchingEnd() {
        delete peerEndWatch;
        peerEndWatch = nullptr;
        if (endWatch >= 0) ::close(endWatch);
        endWatch = -1;
    }

    // Once this end has stopped sending, the connection is read here, on the second descriptor,
    // and the platform's socket let go: it could not tell the peer's orderly end from a reset,
    // as both leave a half-closed connection closed in the system. What the peer still sends is
    // dropped; its end is reported as the end of the connection.
    QSocketNotifier* peerEndWatch = nullptr;

    bool EndSending() {
        if (!sock) return false;
        endAsked = true;
        SendEndIfDue();
        return true;
    }

    // This end goes when it was asked for and every byte written has left. A connection that the
    // peer has ended first, or that is gone (a reset the platform has not read yet), ends here
    // with that, whatever the platform reports of it later.
    void SendEndIfDue() {
        QTcpSocket* s = sock;
        if (!s || !endAsked || s->state() != QAbstractSocket::ConnectedState ||
            s->bytesToWrite() > 0 || !pendingWrites.empty())
            return;
        if (ConnectionState(endWatch) != TCP_ESTABLISHED || ::shutdown(endWatch, SHUT_WR) != 0) {
            ReportEnd(EndedInReset(endWatch) ? kSocketPeerReset : kSocketOtherError);
            return;
        }
        // The peer's end may have come in between: LAST_ACK follows only the peer's end. (On
        // loopback a peer that answers at once may have closed in order after this end already:
        // then the state is past FIN_WAIT2, and that close is an answer.)
        peerEndedFirst = ConnectionState(endWatch) == TCP_LAST_ACK;
        sock = nullptr;
        QObject::disconnect(s, nullptr, &context, nullptr);
        s->abort();  // its descriptor only: the connection lives on in endWatch
        s->deleteLater();
        dataQueued = false;
        peerEndWatch = new QSocketNotifier(endWatch, QSocketNotifier::Read);
        QObject::connect(peerEndWatch, &QSocketNotifier::activated, &context,
                         [this] { ReadToPeerEnd(); });
    }

    void ReadToPeerEnd() {
        char buffer[16384];
        for (;;) {
            const ssize_t n = ::recv(endWatch, buffer, sizeof buffer, MSG_DONTWAIT);
            const int error = n < 0 ? errno : 0;
            if (n > 0) continue;
            if (error == EINTR) continue;
            if (error == EAGAIN || error == EWOULDBLOCK) return;
            peerEndWatch->setEnabled(false);
            const int32_t code = n == 0                ? PeerEnd()
                                 : error == ECONNRESET ? kSocketPeerReset
                                                       : kSocketOtherError;
            Post([this, code] {
                owner->lastError_ = code;
                const uint64_t gen = generation;
                owner->Event_Error();
                if (gen == generation) Drop();
            });
            return;
        }
    }

    // The peer's end has been read after this one went: an answer to it only when the peer sent it
    // after it had this end. A peer that ends while this end is on its way (the two ends cross,
    // and this one waits in CLOSING for its acknowledgement) had not read it; a reset after the
    // peer's end (its system meeting bytes its program did not read) is still a reset.
    int32_t PeerEnd() const {
        if (peerEndedFirst || ConnectionState(endWatch) == TCP_CLOSING) return kSocketOtherError;
        int pending = 0;
        socklen_t length = sizeof pending;
        if (getsockopt(endWatch, SOL_SOCKET, SO_ERROR, &pending, &length) == 0 &&
            pending == ECONNRESET)
            return kSocketPeerReset;
        return kSocketPeerClosed;
    }

    // A report bound to the connection is dropped when the connection is given up first; every
    // report is dropped when the socket itself is gone.
    void Post(std::function<void()> report, bool boundToConnection = true) {
        uint64_t gen = generation;
        std::weak_ptr<bool> socketAlive = alive;
        auto current = [this, gen, boundToConnection, socketAlive] {
            return !socketAlive.expired() && (!boundToConnection || gen == generation);
        };
        fw::PostEvent([this, current, report = std::move(report)] {
            if (!current()) return;
            owner->Deliver([current, report] {
                if (current()) report();
            });
        });
    }

    void Wire(QTcpSocket* s) {
        sock = s;
        endReported = false;
        dataQueued = false;
        s->setReadBufferSize(kReadBufferBytes);
        WatchEnd(s);  // an accepted connection is up already
        QObject::connect(s, &QTcpSocket::connected, &context, [this, s] {
            if (s != sock) return;
            WatchEnd(s);
            if (!pendingWrites.empty()) {
                s->write(pendingWrites.data(), static_cast<qint64>(pendingWrites.size()));
                pendingWrites.clear();
            }
            Post([this] { owner->Event_Connected(); });
            SendEndIfDue();
        });
        QObject::connect(s, &QTcpSocket::readyRead, &context, [this, s] {
            if (s == sock) QueueDataAvailable();
        });
        QObject::connect(s, &QTcpSocket::bytesWritten, &context, [this, s](qint64) {
            if (s != sock || s->bytesToWrite() > 0) return;
            Post([this] { owner->Event_SendComplete(); });
            SendEndIfDue();
        });
        QObject::connect(s, &QTcpSocket::errorOccurred, &context,
                         [this, s](QAbstractSocket::SocketError e) {
                             if (s == sock) ReportEnd(ErrorCode(e));
                         });
        QObject::connect(s, &QTcpSocket::disconnected, &context, [this, s] {
            if (s == sock) ReportEnd(kSocketPeerClosed);
        });
    }

    // Every byte received is reported before the end of the connection.
    void ReportEnd(int32_t code) {
        if (endReported) return;
        endReported = true;
        if (code == kSocketPeerClosed && EndedInReset(endWatch)) code = kSocketPeerReset;
        if (sock && sock->bytesAvailable() > 0) QueueDataAvailable();
        Post([this, code] {
            // Once this end was asked for, the peer's close before it answers nothing.
            owner->lastError_ = endAsked && code == kSocketPeerClosed ? kSocketOtherError : code;
            QPointer<QTcpSocket> ended = sock;
            uint64_t gen = generation;
            owner->Event_Error();
            // The connection is over, unless the handler has already started a new one.
            if (gen == generation && ended == sock) Drop();
        });
    }

    void QueueDataAvailable() {
        if (dataQueued) return;
        dataQueued = true;
        Post([this] {
            dataQueued = false;
            // Bytes that arrived while the handler ran are reported right after it, as long as
            // the handler takes what it is given.
            while (sock && sock->bytesAvailable() > 0) {
                readInHandler = false;
                uint64_t gen = generation;
                owner->Event_DataAvailable();
                if (gen != generation || !readInHandler) break;
            }
        });
    }

    // Gives up the current connection without reporting anything.
    void Drop() {
        ++generation;
        pendingWrites.clear();
        dataQueued = false;
        endAsked = false;
        peerEndedFirst = false;
        StopWatchingEnd();
        if (server) {
            server->close();
            server->deleteLater();
            server = nullptr;
        }
        if (QTcpSocket* s = sock) {
            sock = nullptr;
            QObject::disconnect(s, nullptr, &context, nullptr);
            s->deleteLater();
        }
    }

    void CloseGracefully() {
        QTcpSocket* s = sock;
        if (s && s->state() == QAbstractSocket::ConnectedState) {
            sock = nullptr;  // Drop must not delete it before its bytes have left
            QObject::disconnect(s, nullptr, &context, nullptr);
            QObject::connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
            s->disconnectFromHost();
            if (s->state() == QAbstractSocket::UnconnectedState) s->deleteLater();
        }
        Drop();
    }

    void Abort() {
        // Closed with RST: the peer must not take this as a normal end. The option is the
        // connection's, whichever descriptor sets it; once this end has gone only endWatch has it.
        const qintptr fd = sock ? sock->socketDescriptor() : endWatch;
        if (fd >= 0) {
            linger reset{1, 0};
            setsockopt(static_cast<int>(fd), SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
        }
        if (QTcpSocket* s = sock) {
            QObject::disconnect(s, nullptr, &context, nullptr);
            s->abort();
        }
        Drop();
    }
};

TCPSocket::TCPSocket() : d(std::make_unique<Impl>(this)) {}

TCPSocket::~TCPSocket() {
    d->Abort();
}

void TCPSocket::Connect() {
    d->Drop();
    lastError_ = 0;
    if (Port < 1 || Port > 65535) {
        d->Wire(new QTcpSocket(&d->context));
        d->ReportEnd(kSocketOtherError);
        return;
    }
    auto* s = new QTcpSocket(&d->context);
    d->Wire(s);
    s->connectToHost(ToQString(Address), static_cast<quint16>(Port), QIODevice::ReadWrite,
                     QAbstractSocket::IPv4Protocol);
}

bool TCPSocket::Listen() {
    d->Drop();
    lastError_ = 0;
    if (Port < 0 || Port > 65535) {
        lastError_ = kSocketOtherError;
        return false;
    }
    auto* server = new QTcpServer(&d->context);
    QHostAddress address = ListenAddress.empty() ? QHostAddress(QHostAddress::AnyIPv4)
                                                 : QHostAddress(ToQString(ListenAddress));
    if (!server->listen(address, static_cast<quint16>(Port))) {
        lastError_ = server->serverError() == QAbstractSocket::AddressInUseError
                         ? kSocketAddressInUse
                         : kSocketOtherError;
        delete server;
        return false;
    }
    d->server = server;
    QObject::connect(server, &QTcpServer::newConnection, &d->context, [this, server] {
        while (QTcpSocket* incoming = server->nextPendingConnection()) {
            if (d->sock || server != d->server) {
                incoming->abort();
                incoming->deleteLater();
                continue;
            }
            if (!AcceptFrom.empty() && DottedIPv4(incoming->peerAddress()) != AcceptFrom) {
                incoming->abort();  // only the server we talk to may connect here
                incoming->deleteLater();
                continue;
            }
            incoming->setParent(&d->context);
            server->close();  // one connection only
            d->Wire(incoming);
            d->Post([this] { Event_Connected(); });
            if (incoming->bytesAvailable() > 0) d->QueueDataAvailable();
        }
    });
    return true;
}

void TCPSocket::Write(const std::string& bytes) {
    if (bytes.empty()) return;
    QTcpSocket* s = d->sock;
    if (!s) return;
    if (s->state() == QAbstractSocket::ConnectedState) {
        // With nothing queued before them the bytes go straight to the system; when it takes them
        // all, they have left, and SendComplete follows without waiting for the platform's loop
        // to notice. What it does not take is queued and sent as the connection allows.
        size_t sent = s->bytesToWrite() == 0 ? SendNow(s->socketDescriptor(), bytes) : 0;
        if (sent == bytes.size()) {
            d->Post([this] { Event_SendComplete(); });
            return;
        }
        s->write(bytes.data() + sent, static_cast<qint64>(bytes.size() - sent));
        s->flush();  // hand the bytes to the system now rather than on the next loop pass
    } else if (s->state() == QAbstractSocket::HostLookupState ||
               s->state() == QAbstractSocket::ConnectingState) {
        d->pendingWrites += bytes;
    }
}

std::string TCPSocket::ReadAll() {
    d->readInHandler = true;
    if (!d->sock) return {};
    QByteArray bytes = d->sock->readAll();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

void TCPSocket::SetBulkSend(bool on) {
    if (!d->sock) return;
    qintptr fd = d->sock->socketDescriptor();
    if (fd < 0) return;
    int value = on ? 1 : 0;
    setsockopt(static_cast<int>(fd), IPPROTO_TCP, TCP_CORK, &value, sizeof value);
}

void TCPSocket::Close() {
    d->CloseGracefully();
}
bool TCPSocket::EndSending() {
    return d->EndSending();
}
bool TCPSocket::EndAcknowledged() const {
    return d->peerEndWatch && ConnectionState(d->endWatch) == TCP_FIN_WAIT2;
}
void TCPSocket::Abort() {
    d->Abort();
}

bool TCPSocket::IsConnected() const {
    return d->sock && d->sock->state() == QAbstractSocket::ConnectedState;
}
bool TCPSocket::ConnectionForWrites() const {
    if (!d->sock) return false;
    const QAbstractSocket::SocketState state = d->sock->state();
    return state == QAbstractSocket::ConnectedState || state == QAbstractSocket::HostLookupState ||
           state == QAbstractSocket::ConnectingState;
}
int32_t TCPSocket::SendBufferSize() const {
    if (!d->sock) return 0;
    qintptr fd = d->sock->socketDescriptor();
    if (fd < 0) return 0;
    int size = 0;
    socklen_t length = sizeof size;
    if (getsockopt(static_cast<int>(fd), SOL_SOCKET, SO_SNDBUF, &size, &length) != 0) return 0;
    return size;
}
bool TCPSocket::IsListening() const {
    return d->server && d->server->isListening();
}

std::string TCPSocket::LocalAddress() const {
    return d->sock ? DottedIPv4(d->sock->localAddress()) : std::string();
}
std::string TCPSocket::RemoteAddress() const {
    return d->sock ? DottedIPv4(d->sock->peerAddress()) : std::string();
}
int32_t TCPSocket::LocalPort() const {
    if (d->sock) return d->sock->localPort();
    if (d->server) return d->server->serverPort();
    return 0;
}
int64_t TCPSocket::BytesLeftToSend() const {
    return d->sock ? d->sock->bytesToWrite() + static_cast<int64_t>(d->pendingWrites.size()) : 0;
}

void TCPSocket::Post(std::function<void()> work) {
    d->Post(std::move(work));
}
void TCPSocket::PostEvent(std::function<void()> work) {
    d->Post(std::move(work), false);
}

void TCPSocket::PostError(int32_t code) {
    d->Post(
        [this, code] {
            lastError_ = code;
            Event_Error();
        },
        false);
}

void TCPSocket::Event_Connected() {
    RaiseEvent(Connected, *this);
}
void TCPSocket::Event_DataAvailable() {
    RaiseEvent(DataAvailable, *this);
}
void TCPSocket::Event_SendComplete() {
    RaiseEvent(SendComplete, *this);
}
void TCPSocket::Event_Error() {
    RaiseEvent(Error, *this);
}

}  // namespace fw
