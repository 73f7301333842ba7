// The socket seam: the few TCP client calls a link makes, with one implementation per
// platform (socket_posix.cpp here; a Winsock one later), so that the link's logic is
// written once. Notifications arrive on the GUI thread through app/eventloop.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

namespace examclient {

// The socket library that each link acquires for itself (Winsock needs a start-up and
// a clean-up per user); on POSIX it is always ready.
class SocketLibrary final {
public:
    SocketLibrary();
    ~SocketLibrary();
    SocketLibrary(const SocketLibrary&) = delete;
    SocketLibrary& operator=(const SocketLibrary&) = delete;

    bool ready() const { return m_ready; }

private:
    bool m_ready = false;
};

// What a socket reports to its link, the way an asynchronous select reports it.
enum class SocketNotification {
    Readable, // bytes are waiting
    Closed,   // the peer closed or reset the connection; reported once, then no more
};

using SocketNotify = std::function<void(SocketNotification)>;

enum class IoStatus {
    Done,       // `count` bytes moved (at least 1)
    WouldBlock, // nothing now; the non-blocking socket would have to wait
    Ended,      // end of stream
    Failed,
};

struct IoResult {
    IoStatus status = IoStatus::Failed;
    std::size_t count = 0;
};

// One IPv4 stream socket. Destroying it stops its notifications and closes it; that is
// allowed from inside its own notification.
class Socket {
public:
    virtual ~Socket() = default;

    // Connects in blocking mode; returns when the operating system's attempt is over.
    // `address` and `port` in host byte order.
    virtual bool connect(std::uint32_t address, std::uint16_t port) = 0;

    // Makes the socket non-blocking and reports readability and closing to `notify` on
    // the GUI thread, from the event loop.
    virtual bool startNotifications(SocketNotify notify) = 0;

    virtual IoResult send(const std::uint8_t* data, std::size_t size) = 0;
    // How many bytes could be read now without waiting.
    virtual std::optional<std::size_t> readableCount() = 0;
    virtual IoResult receive(std::uint8_t* buffer, std::size_t capacity) = 0;
};

// A new IPv4 stream socket; nullptr when the system has none to give.
std::unique_ptr<Socket> createStreamSocket();

// A dotted IPv4 address as inet_addr reads it ("127.0.0.1", also "127.1"), in host byte
// order; nothing for any other text.
std::optional<std::uint32_t> parseIPv4Address(std::string_view text);

// The first IPv4 address of a host name, in host byte order. Blocks while it looks.
std::optional<std::uint32_t> lookUpIPv4Address(std::string_view hostName);

} // namespace examclient
