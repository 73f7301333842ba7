#include "net/serverlink.h"

#include "net/socket.h"

#include <algorithm>

namespace examclient {
namespace {

// After the first read, sized by what the socket says is readable, the link reads this
// much at a time until the socket has nothing more.
constexpr std::size_t readStep = 1024;

// One arrival stops growing here. A peer that sends faster than the link reads would
// otherwise hold the GUI thread in the read loop for as long as it keeps sending; the
// bytes left unread make the next arrival, so nothing is lost.
constexpr std::size_t arrivalLimit = std::size_t{64} << 20;

} // namespace

std::uint16_t linkPort(std::int32_t port)
{
    return static_cast<std::uint16_t>(static_cast<std::uint32_t>(std::max(port, std::int32_t{1})) & 0xFFFFu);
}

ServerLink::ServerLink() : m_library(std::make_unique<SocketLibrary>()), m_alive(std::make_shared<bool>(true)) {}

ServerLink::~ServerLink()
{
    *m_alive = false;
    closeSocket();
    // The socket is gone before the library is released (members go in reverse order).
}

bool ServerLink::connect(std::string_view address, std::int32_t port)
{
    if (!m_library->ready())
        return false;

    // The old connection ends quietly: no connectionClosed for it.
    closeSocket();
    m_connected = false;

    std::unique_ptr<Socket> socket = createStreamSocket();
    if (!socket)
        return false;
    const std::uint16_t tcpPort = linkPort(port);

    if (address.empty())
        return false;
    std::optional<std::uint32_t> ip = parseIPv4Address(address);
    if (!ip)
        ip = lookUpIPv4Address(address);
    if (!ip)
        return false;

    if (!socket->connect(*ip, tcpPort))
        return false;

    const std::uint64_t generation = m_generation;
    bool watching = socket->startNotifications([this, alive = m_alive, generation](SocketNotification notification) {
        if (!*alive)
            return;
        if (notification == SocketNotification::Readable)
            onReadable(generation);
        else
            onClosed(generation);
    });
    if (!watching)
        return false;

    m_socket = std::move(socket);
    m_connected = true;
    return true;
}

bool ServerLink::send(std::string_view text)
{
    return send(textToBytes(text));
}

bool ServerLink::send(const Bytes& data)
{
    if (!m_socket || !m_connected)
        return false;
    std::size_t total = 0;
    while (total < data.size()) {
        IoResult written = m_socket->send(data.data() + total, data.size() - total);
        // The link never waits for room: a write that would block fails the send.
        if (written.status != IoStatus::Done || written.count == 0)
            return false;
        total += written.count;
    }
    return true;
}

Bytes ServerLink::receivedData() const
{
    return m_arrival;
}

void ServerLink::disconnect()
{
    closeSocket();
    m_connected = false;
}

void ServerLink::setDataArrivalHandler(LinkHandler handler)
{
    m_dataArrival = std::move(handler);
}

void ServerLink::setConnectionClosedHandler(LinkHandler handler)
{
    m_connectionClosed = std::move(handler);
}

void ServerLink::setHandler(LinkEvent event, LinkHandler handler)
{
    if (event == LinkEvent::DataArrival)
        setDataArrivalHandler(std::move(handler));
    else
        setConnectionClosedHandler(std::move(handler));
}

void ServerLink::closeSocket()
{
    if (!m_socket)
        return;
    ++m_generation;
    m_socket.reset();
}

void ServerLink::onReadable(std::uint64_t generation)
{
    if (generation != m_generation || !m_socket)
        return;
    std::optional<std::size_t> readable = m_socket->readableCount();
    if (!readable)
        return;

    Bytes arrival;
    std::size_t request = std::max<std::size_t>(*readable, 1);
    while (arrival.size() < arrivalLimit) {
        const std::size_t before = arrival.size();
        arrival.resize(before + request);
        IoResult read = m_socket->receive(arrival.data() + before, request);
        if (read.status != IoStatus::Done || read.count == 0) {
            // Would-block, an error or the end of the stream: the arrival is complete.
            // The socket reports the closing separately, after this arrival.
            arrival.resize(before);
            break;
        }
        arrival.resize(before + read.count);
        request = readStep;
    }
    if (arrival.empty())
        return;

    // A nested arrival on this link takes the buffer over and leaves it empty.
    m_arrival = std::move(arrival);
    if (!raise(LinkEvent::DataArrival))
        return;
    m_arrival = Bytes();
}

void ServerLink::onClosed(std::uint64_t generation)
{
    if (generation != m_generation || !m_socket)
        return;
    raise(LinkEvent::ConnectionClosed);
}

bool ServerLink::raise(LinkEvent event)
{
    // Copies: the handler may replace itself, or destroy the link, while it runs.
    LinkHandler handler = event == LinkEvent::DataArrival ? m_dataArrival : m_connectionClosed;
    std::shared_ptr<bool> alive = m_alive;
    if (handler)
        handler();
    return *alive;
}

} // namespace examclient
