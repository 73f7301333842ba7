// ServerLink: one TCP/IPv4 client link, kept by a window as an invisible control.
//
// Everything happens on the GUI thread. `connect` blocks (name look-up included);
// afterwards the socket is non-blocking and the link raises its events from the event
// loop of app/eventloop.h: `dataArrival` with every byte readable at that moment, and
// `connectionClosed` when the peer closes or resets the connection. There is no framing:
// the receiving handler takes each arrival as one whole message.
//
// One arrival holds at most 64 MiB: a peer that sends faster than the link reads would
// otherwise keep the GUI thread in the read loop without end. What is left unread makes
// the next arrival, so no byte is lost.
#pragma once

#include "app/text.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

namespace examclient {

class Socket;
class SocketLibrary;

// The link's events, numbered as in its event list.
enum class LinkEvent {
    DataArrival = 0,
    ConnectionClosed = 1,
};

using LinkHandler = std::function<void()>;

class ServerLink final {
public:
    ServerLink();
    // Closes the connection, if any; no event follows.
    ~ServerLink();

    ServerLink(const ServerLink&) = delete;
    ServerLink& operator=(const ServerLink&) = delete;

    // Opens a connection, replacing the current one without a `connectionClosed`.
    // A port below 1 becomes 1, then its low 16 bits are used (see linkPort). An empty
    // address fails at once; a dotted IPv4 address is used as it is, any other text is
    // looked up (IPv4, blocking). Blocks until the operating system's attempt is over.
    // False leaves the link without a connection.
    bool connect(std::string_view address, std::int32_t port);

    // Writes all bytes of the text (without a terminating zero) or of the buffer. False
    // without a connection, or when a write fails or would block; what was written
    // before then stays written. True at once for nothing to write.
    bool send(std::string_view text);
    bool send(const Bytes& data);

    // A copy of the arrival being dispatched; empty outside a `dataArrival` handler.
    Bytes receivedData() const;

    // Closes the connection, if any. No event follows, not even for notifications that
    // were already queued. Without a connection it does nothing.
    void disconnect();

    // Set by a successful connect, cleared by disconnect and a failed connect. The
    // peer's closing the connection does not clear it.
    bool isConnected() const { return m_connected; }

    // The window unit's handlers. A handler may disconnect, reconnect or destroy the
    // link from inside its own event, and may run a nested event loop.
    void setDataArrivalHandler(LinkHandler handler);
    void setConnectionClosedHandler(LinkHandler handler);
    void setHandler(LinkEvent event, LinkHandler handler);

private:
    void closeSocket();
    void onReadable(std::uint64_t generation);
    void onClosed(std::uint64_t generation);
    // Runs the event's handler; false when the handler destroyed the link.
    bool raise(LinkEvent event);

    std::unique_ptr<SocketLibrary> m_library;
    std::unique_ptr<Socket> m_socket;
    bool m_connected = false;
    Bytes m_arrival;
    LinkHandler m_dataArrival;
    LinkHandler m_connectionClosed;
    // Bumped whenever the socket goes away, so that callbacks of an earlier socket
    // that are still queued find out they are stale.
    std::uint64_t m_generation = 0;
    // Shared with the socket's callbacks; false once the link is destroyed, so that a
    // handler that destroys the link does not leave the callback on a dead object.
    std::shared_ptr<bool> m_alive;
};

// The TCP port that `connect` uses for `port`: below 1 becomes 1, then the low 16 bits.
std::uint16_t linkPort(std::int32_t port);

} // namespace examclient
