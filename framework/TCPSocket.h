#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "Event.h"
#include "EventDispatcher.h"

namespace fw {

// Error codes reported through LastErrorCode. Every byte received is delivered before the end of
// the connection, whichever code ends it.
enum SocketError : int32_t {
    kSocketOtherError = 100,
    kSocketPeerClosed =
        102,  // the peer closed the connection in order: it sent everything it meant
    kSocketHostNotFound = 103,
    // The connection ended in a reset (the peer's or the network's): what came may be cut short.
    kSocketPeerReset = 104,
    kSocketAddressInUse = 105,
};

// A TCP connection, either made (Connect) or accepted (Listen). Its four events arrive through the
// event dispatcher on the main thread, one at a time: DataAvailable is never raised while a
// previous DataAvailable of the same socket is still running, and bytes that arrive meanwhile are
// reported right after it returns.
//
// A subclass handles an event by overriding its Event_ method; the default implementations raise
// the public event of the same name for the owner.
class TCPSocket : public EventSource {
public:
    TCPSocket();
    ~TCPSocket() override;

    std::string Address;  // host name or dotted address to connect to
    int32_t Port = 0;     // port to connect to or listen on
    // When listening: accept only a connection from this dotted IPv4 address ("" accepts any).
    std::string AcceptFrom;
    // When listening: the local address to listen on ("" listens on every address).
    std::string ListenAddress;

    // Connects to Address:Port over IPv4; returns at once. Success arrives as Connected, failure
    // as Error.
    void Connect();
    // Listens on ListenAddress:Port for one incoming connection, which becomes this socket
    // (Connected follows). Answers false, setting LastErrorCode, when the port can't be listened
    // on; nothing is raised in that case.
    bool Listen();
    // Queues bytes for sending and returns at once. Bytes written before the connection is up are
    // kept and sent once it is.
    void Write(const std::string& bytes);
    // Returns and removes every byte received so far.
    std::string ReadAll();
    // Closes gracefully: bytes already written are still delivered, then the connection ends.
    // Raises nothing.
    void Close();
    // Ends the sending: once every byte written has left (and a connection still being made is
    // up), the peer reads the end of what was sent. Then the connection waits for the peer's own
    // end, which comes as Error: kSocketPeerClosed only when the peer has closed its end in order
    // after this one; any other end (a reset, the peer's end before this one's, the connection
    // lost before its end could go) as kSocketPeerReset or kSocketOtherError. Once the end has
    // gone, what the peer sends is dropped and IsConnected answers false. Answers false, and does
    // nothing, when there is no connection to end.
    bool EndSending();
    // The end of the sending has gone and the peer's system has acknowledged it, and with it
    // every byte before it (whether the peer's program has read them is not known here).
    bool EndAcknowledged() const;
    // Bulk sending: the system holds small writes back until a full segment can leave (or
    // bulk sending ends), instead of sending a segment for every write.
    void SetBulkSend(bool on);
    // Closes at once with a reset: unsent bytes are dropped and the peer sees an aborted
    // connection rather than a normal end. Raises nothing.
    void Abort();

    bool IsConnected() const;
    bool IsListening() const;
    // Bytes written now will go out: the connection is up or being made (a listening socket has
    // no connection to carry them yet).
    bool ConnectionForWrites() const;
    // The system's send buffer of the connection in bytes, 0 when there is no connection.
    int32_t SendBufferSize() const;
    int32_t LastErrorCode() const { return lastError_; }
    std::string LocalAddress() const;   // dotted IPv4 of this end, "" when not connected
    std::string RemoteAddress() const;  // dotted IPv4 of the peer, "" when not connected
    int32_t LocalPort() const;
    int64_t BytesLeftToSend() const;

    // Events for the owner.
    std::function<void(TCPSocket&)> Connected;
    std::function<void(TCPSocket&)> DataAvailable;
    std::function<void(TCPSocket&)> SendComplete;  // every byte written so far has left
    std::function<void(TCPSocket&)> Error;

protected:
    // Queues work to run as an event of this socket, after the events already queued; dropped when
    // the current connection is given up before it runs.
    void Post(std::function<void()> work);
    // The same, for work that stands whatever becomes of the connection.
    void PostEvent(std::function<void()> work);
    // Reports an error of the subclass's own, with its own code, as this socket's Error event.
    void PostError(int32_t code);
    void SetLastErrorCode(int32_t code) { lastError_ = code; }

    virtual void Event_Connected();
    virtual void Event_DataAvailable();
    virtual void Event_SendComplete();
    virtual void Event_Error();

private:
    struct Impl;
    friend struct Impl;
    std::unique_ptr<Impl> d;
    int32_t lastError_ = 0;
};

}  // namespace fw
