#include "tests/net/loopbackpeer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace examclient::test {
namespace {

constexpr int waitMilliseconds = 10000;

bool waitReadable(int descriptor)
{
    pollfd entry{descriptor, POLLIN, 0};
    return ::poll(&entry, 1, waitMilliseconds) > 0;
}

int bindLoopback(std::uint16_t port, std::uint16_t& boundPort)
{
    int descriptor = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (descriptor < 0)
        return -1;
    int on = 1;
    ::setsockopt(descriptor, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(descriptor, reinterpret_cast<sockaddr*>(&address), length) < 0 ||
        ::getsockname(descriptor, reinterpret_cast<sockaddr*>(&address), &length) < 0) {
        ::close(descriptor);
        return -1;
    }
    boundPort = ntohs(address.sin_port);
    return descriptor;
}

} // namespace

LoopbackPeer::LoopbackPeer(std::uint16_t port)
{
    m_listener = bindLoopback(port, m_port);
    if (m_listener >= 0 && ::listen(m_listener, 8) < 0) {
        ::close(m_listener);
        m_listener = -1;
    }
}

LoopbackPeer::~LoopbackPeer()
{
    close();
    if (m_listener >= 0)
        ::close(m_listener);
}

bool LoopbackPeer::accept()
{
    close();
    if (m_listener < 0 || !waitReadable(m_listener))
        return false;
    m_connection = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
    return m_connection >= 0;
}

bool LoopbackPeer::write(const Bytes& bytes)
{
    std::size_t total = 0;
    while (total < bytes.size()) {
        ssize_t written = ::send(m_connection, bytes.data() + total, bytes.size() - total, MSG_NOSIGNAL);
        if (written <= 0)
            return false;
        total += static_cast<std::size_t>(written);
    }
    return true;
}

bool LoopbackPeer::write(std::string_view text)
{
    return write(Bytes(text.begin(), text.end()));
}

Bytes LoopbackPeer::read(std::size_t count)
{
    Bytes received;
    while (received.size() < count && waitReadable(m_connection)) {
        std::uint8_t buffer[4096];
        ssize_t got = ::recv(m_connection, buffer, sizeof buffer, 0);
        if (got <= 0)
            break;
        received.insert(received.end(), buffer, buffer + got);
    }
    return received;
}

bool LoopbackPeer::seesLinkClose()
{
    for (;;) {
        if (!waitReadable(m_connection))
            return false;
        std::uint8_t buffer[4096];
        ssize_t got = ::recv(m_connection, buffer, sizeof buffer, 0);
        if (got == 0 || (got < 0 && errno == ECONNRESET))
            return true;
        if (got < 0)
            return false;
    }
}

void LoopbackPeer::close()
{
    if (m_connection >= 0)
        ::close(m_connection);
    m_connection = -1;
}

void LoopbackPeer::reset()
{
    if (m_connection < 0)
        return;
    linger immediately{1, 0};
    ::setsockopt(m_connection, SOL_SOCKET, SO_LINGER, &immediately, sizeof immediately);
    close();
}

std::uint16_t unusedPort()
{
    std::uint16_t port = 0;
    int descriptor = bindLoopback(0, port);
    if (descriptor >= 0)
        ::close(descriptor);
    return port;
}

} // namespace examclient::test
