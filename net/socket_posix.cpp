// The socket seam on POSIX sockets. An asynchronous select (readability and closing,
// reported as messages of the GUI thread) is emulated with the event loop's socket
// watch: each time the socket is readable, a one-byte peek tells data from the end of
// the stream.
#include "net/socket.h"

#include "app/eventloop.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

namespace examclient {

SocketLibrary::SocketLibrary() : m_ready(true) {}

SocketLibrary::~SocketLibrary() = default;

namespace {

bool isWouldBlock(int error)
{
    return error == EAGAIN || error == EWOULDBLOCK;
}

class PosixSocket final : public Socket {
public:
    explicit PosixSocket(int descriptor) : m_descriptor(descriptor), m_alive(std::make_shared<bool>(true)) {}

    ~PosixSocket() override
    {
        *m_alive = false;
        stopWatching();
        ::close(m_descriptor);
    }

    PosixSocket(const PosixSocket&) = delete;
    PosixSocket& operator=(const PosixSocket&) = delete;

    bool connect(std::uint32_t address, std::uint16_t port) override
    {
        sockaddr_in peer{};
        peer.sin_family = AF_INET;
        peer.sin_port = htons(port);
        peer.sin_addr.s_addr = htonl(address);
        if (::connect(m_descriptor, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) == 0)
            return true;
        if (errno != EINTR)
            return false;
        // Interrupted by a signal, the attempt goes on by itself; wait for its outcome.
        pollfd waiting{m_descriptor, POLLOUT, 0};
        int ready;
        do {
            ready = ::poll(&waiting, 1, -1);
        } while (ready < 0 && errno == EINTR);
        if (ready < 0)
            return false;
        int error = 0;
        socklen_t length = sizeof error;
        return ::getsockopt(m_descriptor, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
    }

    bool startNotifications(SocketNotify notify) override
    {
        int flags = ::fcntl(m_descriptor, F_GETFL);
        if (flags < 0 || ::fcntl(m_descriptor, F_SETFL, flags | O_NONBLOCK) < 0)
            return false;
        m_notify = std::move(notify);
        m_watch = eventLoop().watchSocket(m_descriptor, [this, alive = m_alive] {
            if (*alive)
                onReadable();
        });
        return m_watch != nullptr;
    }

    IoResult send(const std::uint8_t* data, std::size_t size) override
    {
        for (;;) {
            // A peer that has gone must not end the program with SIGPIPE.
            ssize_t written = ::send(m_descriptor, data, size, MSG_NOSIGNAL);
            if (written > 0)
                return {IoStatus::Done, static_cast<std::size_t>(written)};
            if (written == 0)
                return {IoStatus::Failed, 0};
            if (errno == EINTR)
                continue;
            return {isWouldBlock(errno) ? IoStatus::WouldBlock : IoStatus::Failed, 0};
        }
    }

    std::optional<std::size_t> readableCount() override
    {
        int count = 0;
        if (::ioctl(m_descriptor, FIONREAD, &count) < 0 || count < 0)
            return std::nullopt;
        return static_cast<std::size_t>(count);
    }

    IoResult receive(std::uint8_t* buffer, std::size_t capacity) override
    {
        for (;;) {
            ssize_t received = ::recv(m_descriptor, buffer, capacity, 0);
            if (received > 0)
                return {IoStatus::Done, static_cast<std::size_t>(received)};
            if (received == 0) {
                if (capacity == 0)
                    return {IoStatus::Done, 0};
                m_endSeen = true;
                return {IoStatus::Ended, 0};
            }
            if (errno == EINTR)
                continue;
            if (isWouldBlock(errno))
                return {IoStatus::WouldBlock, 0};
            m_endSeen = true;
            return {IoStatus::Failed, 0};
        }
    }

private:
    void onReadable()
    {
        SocketNotification notification = SocketNotification::Closed;
        if (!m_endSeen) {
            std::uint8_t byte = 0;
            ssize_t peeked = ::recv(m_descriptor, &byte, 1, MSG_PEEK);
            if (peeked > 0)
                notification = SocketNotification::Readable;
            else if (peeked < 0 && (isWouldBlock(errno) || errno == EINTR))
                return; // Woken for nothing.
            // 0 is the end of the stream, any other error a reset or the like.
        }

        std::shared_ptr<bool> alive = m_alive;
        ++m_dispatching;
        if (notification == SocketNotification::Closed)
            stopWatching();
        // A copy: the link may destroy this socket, and with it m_notify, from inside.
        SocketNotify notify = m_notify;
        if (notify)
            notify(notification);
        if (!*alive)
            return;
        --m_dispatching;
    }

    void stopWatching()
    {
        if (!m_watch)
            return;
        m_watch->setEnabled(false);
        if (m_dispatching > 0) {
            // The watch's own callback is still on the stack below us; let it unwind
            // before the watch goes away.
            std::shared_ptr<SocketWatch> retired(std::move(m_watch));
            eventLoop().post([retired] {});
        } else {
            m_watch.reset();
        }
    }

    int m_descriptor;
    std::unique_ptr<SocketWatch> m_watch;
    SocketNotify m_notify;
    // A receive met the end of the stream or an error: the next notification is the close.
    bool m_endSeen = false;
    int m_dispatching = 0;
    std::shared_ptr<bool> m_alive;
};

} // namespace

std::unique_ptr<Socket> createStreamSocket()
{
    int descriptor = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (descriptor < 0)
        return nullptr;
    return std::make_unique<PosixSocket>(descriptor);
}

std::optional<std::uint32_t> parseIPv4Address(std::string_view text)
{
    std::string terminated(text);
    in_addr_t address = ::inet_addr(terminated.c_str());
    if (address == INADDR_NONE)
        return std::nullopt;
    return ntohl(address);
}

std::optional<std::uint32_t> lookUpIPv4Address(std::string_view hostName)
{
    std::string terminated(hostName);
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(terminated.c_str(), nullptr, &hints, &found) != 0 || !found)
        return std::nullopt;
    std::optional<std::uint32_t> address;
    for (const addrinfo* entry = found; entry; entry = entry->ai_next) {
        if (entry->ai_family == AF_INET && entry->ai_addr) {
            address = ntohl(reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr.s_addr);
            break;
        }
    }
    ::freeaddrinfo(found);
    return address;
}

} // namespace examclient
