#include "tools/examroom/examroom.h"

#include "app/gbk.h"
#include "net/messages.h"
#include "tools/examroom/roster.h"

#include <arpa/inet.h>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <ctime>
#include <deque>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <netinet/in.h>
#include <poll.h>
#include <random>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>

namespace examclient::examroom {
namespace {

using SteadyClock = std::chrono::steady_clock;

// Keeps the in-process record bounded when a room runs for hours.
constexpr std::size_t keptEventLines = 100000;

enum class Service { Login, Precautions, Schedule, Archive };

const char* serviceName(Service service)
{
    switch (service) {
    case Service::Login:
        return "login";
    case Service::Precautions:
        return "precautions";
    case Service::Schedule:
        return "schedule";
    case Service::Archive:
        return "archive";
    }
    return "?";
}

std::string systemError(int error)
{
    return std::strerror(error);
}

bool readFile(const std::string& path, Bytes& content, std::string& error)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot open " + path;
        return false;
    }
    content.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    if (file.bad()) {
        error = "cannot read " + path;
        return false;
    }
    return true;
}

// GBK bytes as a person reads them on a UTF-8 terminal; control bytes escaped.
std::string printable(std::string_view gbk)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string escaped;
    for (char c : gbk) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            escaped += "\\x";
            escaped += hex[byte >> 4];
            escaped += hex[byte & 0xF];
        } else {
            escaped += c;
        }
    }
    return gbkToUtf8(escaped);
}

std::string printable(const Bytes& bytes)
{
    return printable(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

std::string addressText(const sockaddr_in& address)
{
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
    return std::string(text) + ":" + std::to_string(ntohs(address.sin_port));
}

std::string isoText(const DateTime& value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", value.year, value.month, value.day, value.hour,
                  value.minute, value.second);
    return text;
}

int listenOn(const std::string& address, std::uint16_t port, std::uint16_t& boundPort, std::string& error)
{
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    if (::inet_pton(AF_INET, address.c_str(), &local.sin_addr) != 1) {
        error = "not an IPv4 address: " + address;
        return -1;
    }
    int descriptor = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (descriptor < 0) {
        error = "cannot create a socket: " + systemError(errno);
        return -1;
    }
    int on = 1;
    ::setsockopt(descriptor, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    socklen_t length = sizeof local;
    if (::bind(descriptor, reinterpret_cast<sockaddr*>(&local), length) < 0 || ::listen(descriptor, 16) < 0 ||
        ::getsockname(descriptor, reinterpret_cast<sockaddr*>(&local), &length) < 0) {
        error = "cannot listen on " + address + ":" + std::to_string(port) + ": " + systemError(errno);
        ::close(descriptor);
        return -1;
    }
    boundPort = ntohs(local.sin_port);
    return descriptor;
}

struct Connection {
    Service service = Service::Login;
    int descriptor = -1;
    std::string peer;
    // Each entry goes out in one write where the socket takes it whole.
    std::deque<Bytes> outgoing;
    std::size_t written = 0; // of outgoing.front()
    SteadyClock::time_point nextWrite;
    std::size_t archiveQueued = 0;
    std::size_t archiveSent = 0;
    int archiveWrites = 0;
    bool closed = false;
};

} // namespace

std::optional<DateTime> parseLocalDateTime(std::string_view text)
{
    // YYYY-MM-DD HH:MM:SS
    if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != ':' || text[16] != ':')
        return std::nullopt;
    auto number = [&](std::size_t at, std::size_t length, int& value) {
        for (std::size_t i = at; i < at + length; ++i) {
            if (text[i] < '0' || text[i] > '9')
                return false;
        }
        std::from_chars(text.data() + at, text.data() + at + length, value);
        return true;
    };
    DateTime value;
    if (!number(0, 4, value.year) || !number(5, 2, value.month) || !number(8, 2, value.day) ||
        !number(11, 2, value.hour) || !number(14, 2, value.minute) || !number(17, 2, value.second))
        return std::nullopt;
    static constexpr int daysInMonth[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (value.year % 4 == 0 && value.year % 100 != 0) || value.year % 400 == 0;
    if (value.year < 100 || value.month < 1 || value.month > 12 || value.day < 1 ||
        value.day > daysInMonth[value.month - 1] || (value.month == 2 && value.day == 29 && !leap) || value.hour > 23 ||
        value.minute > 59 || value.second > 59)
        return std::nullopt;
    return value;
}

DateTime localDateTime(std::int64_t seconds)
{
    std::time_t time = static_cast<std::time_t>(seconds);
    std::tm local{};
    ::localtime_r(&time, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

struct ExamRoom::Loop {
    explicit Loop(ExamRoom& owner) : room(owner), random(owner.m_options.chunkSeed) {}

    ~Loop()
    {
        for (int descriptor : listeners) {
            if (descriptor >= 0)
                ::close(descriptor);
        }
        for (auto& connection : connections)
            ::close(connection->descriptor);
        if (wakeRead >= 0)
            ::close(wakeRead);
        if (wakeWrite >= 0)
            ::close(wakeWrite);
    }

    void run()
    {
        while (!stopping) {
            std::vector<pollfd> watched;
            watched.push_back({wakeRead, POLLIN, 0});
            for (int descriptor : listeners)
                watched.push_back({descriptor, POLLIN, 0});
            const SteadyClock::time_point now = SteadyClock::now();
            int timeout = -1;
            for (auto& connection : connections) {
                short events = POLLIN;
                if (hasOutput(*connection)) {
                    if (connection->nextWrite <= now) {
                        events |= POLLOUT;
                    } else {
                        auto wait = std::chrono::ceil<std::chrono::milliseconds>(connection->nextWrite - now).count();
                        timeout = timeout < 0 ? static_cast<int>(wait) : std::min(timeout, static_cast<int>(wait));
                    }
                }
                watched.push_back({connection->descriptor, events, 0});
            }
            if (::poll(watched.data(), watched.size(), timeout) < 0) {
                if (errno == EINTR)
                    continue;
                room.record("exam room stopped: " + systemError(errno));
                return;
            }
            if (watched[0].revents) {
                char drained[64];
                while (::read(wakeRead, drained, sizeof drained) > 0) {
                }
                continue;
            }
            // Connections first, in the order they were polled; accepting adds to the list.
            const std::size_t connectionCount = connections.size();
            for (std::size_t i = 0; i < connectionCount; ++i) {
                short revents = watched[1 + listeners.size() + i].revents;
                Connection& connection = *connections[i];
                if (revents & (POLLIN | POLLHUP | POLLERR))
                    receive(connection);
                if (!connection.closed && (revents & POLLOUT))
                    flush(connection);
            }
            for (std::size_t i = 0; i < listeners.size(); ++i) {
                if (watched[1 + i].revents & POLLIN)
                    accept(static_cast<Service>(i));
            }
            std::erase_if(connections, [](const std::unique_ptr<Connection>& connection) {
                if (connection->closed)
                    ::close(connection->descriptor);
                return connection->closed;
            });
        }
    }

    void wake()
    {
        stopping = true;
        char byte = 1;
        [[maybe_unused]] ssize_t written = ::write(wakeWrite, &byte, 1);
    }

    bool hasOutput(const Connection& connection) const
    {
        return !connection.outgoing.empty() ||
               (connection.service == Service::Archive && connection.archiveQueued < archive.size());
    }

    void accept(Service service)
    {
        for (;;) {
            sockaddr_in peer{};
            socklen_t length = sizeof peer;
            int descriptor = ::accept4(listeners[static_cast<std::size_t>(service)], reinterpret_cast<sockaddr*>(&peer),
                                       &length, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (descriptor < 0)
                return;
            auto connection = std::make_unique<Connection>();
            connection->service = service;
            connection->descriptor = descriptor;
            connection->peer = addressText(peer);
            room.record(std::string(serviceName(service)) + ": client " + connection->peer + " connected");
            switch (service) {
            case Service::Login:
                break;
            case Service::Precautions:
                connection->outgoing.push_back(precautions);
                break;
            case Service::Schedule:
                connection->outgoing.push_back(textToBytes(room.m_schedule));
                break;
            case Service::Archive:
                if (archive.empty())
                    room.record("archive: the archive file is empty, nothing to send");
                else
                    room.record("archive: sending " + std::to_string(archive.size()) + " bytes");
                break;
            }
            connection->nextWrite = SteadyClock::now();
            flush(*connection);
            connections.push_back(std::move(connection));
        }
    }

    void receive(Connection& connection)
    {
        std::uint8_t buffer[65536];
        ssize_t received = ::recv(connection.descriptor, buffer, sizeof buffer, 0);
        if (received < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
            return;
        if (received <= 0) {
            std::string how =
                received == 0 ? "closed the connection" : "lost the connection (" + systemError(errno) + ")";
            room.record(std::string(serviceName(connection.service)) + ": client " + connection.peer + " " + how);
            connection.closed = true;
            return;
        }
        Bytes arrival(buffer, buffer + received);
        if (connection.service != Service::Login) {
            room.record(std::string(serviceName(connection.service)) + ": client sent " + std::to_string(received) +
                        " bytes, ignored");
            return;
        }
        // No framing: each arrival is one login request.
        LoginJudgement judgement = judgeLogin(roster, arrival);
        const bool accepted = judgement.verdict == LoginVerdict::Accepted;
        switch (judgement.verdict) {
        case LoginVerdict::Accepted:
            room.record("login " + printable(judgement.examineeNumber) + " accepted");
            break;
        case LoginVerdict::Rejected:
            room.record("login " + printable(judgement.examineeNumber) + " rejected (ID card number " +
                        printable(judgement.idCardNumber) + " does not match the roster)");
            break;
        case LoginVerdict::Malformed:
            room.record("login request \"" + printable(arrival) +
                        "\" rejected (not examinee number, \"fg\", ID card number)");
            break;
        }
        connection.outgoing.push_back(textToBytes(accepted ? loginAccepted : loginRejected));
        flush(connection);
    }

    // One write of what is due; on a short write the rest goes out when there is room.
    void flush(Connection& connection)
    {
        if (connection.closed || connection.nextWrite > SteadyClock::now())
            return;
        if (connection.outgoing.empty() && connection.service == Service::Archive &&
            connection.archiveQueued < archive.size()) {
            std::size_t size = chunkSize();
            size = std::min(size, archive.size() - connection.archiveQueued);
            auto begin = archive.begin() + static_cast<std::ptrdiff_t>(connection.archiveQueued);
            connection.outgoing.emplace_back(begin, begin + static_cast<std::ptrdiff_t>(size));
            connection.archiveQueued += size;
        }
        if (connection.outgoing.empty())
            return;
        const Bytes& piece = connection.outgoing.front();
        ssize_t written = ::send(connection.descriptor, piece.data() + connection.written,
                                 piece.size() - connection.written, MSG_NOSIGNAL);
        if (written < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
                return;
            room.record(std::string(serviceName(connection.service)) + ": client " + connection.peer +
                        " lost the connection (" + systemError(errno) + ")");
            connection.closed = true;
            return;
        }
        connection.written += static_cast<std::size_t>(written);
        if (connection.written < piece.size())
            return;
        pieceSent(connection, piece);
        connection.outgoing.pop_front();
        connection.written = 0;
    }

    void pieceSent(Connection& connection, const Bytes& piece)
    {
        switch (connection.service) {
        case Service::Login:
            break;
        case Service::Precautions:
            room.record("precautions sent: " + std::to_string(piece.size()) + " bytes");
            break;
        case Service::Schedule:
            room.record("schedule sent: " + printable(piece));
            break;
        case Service::Archive:
            connection.archiveSent += piece.size();
            ++connection.archiveWrites;
            room.record("archive: sent " + std::to_string(connection.archiveSent) + "/" +
                        std::to_string(archive.size()) + " bytes");
            if (connection.archiveSent == archive.size())
                room.record("archive: complete, " + std::to_string(archive.size()) + " bytes in " +
                            std::to_string(connection.archiveWrites) + " writes");
            connection.nextWrite = SteadyClock::now() + std::chrono::milliseconds(room.m_options.pauseMilliseconds);
            break;
        }
    }

    std::size_t chunkSize()
    {
        const ExamRoomOptions& options = room.m_options;
        std::size_t low = std::max<std::size_t>(1, std::min(options.chunkMinimum, options.chunkMaximum));
        std::size_t high = std::max<std::size_t>(low, std::max(options.chunkMinimum, options.chunkMaximum));
        if (low == high)
            return low;
        return std::uniform_int_distribution<std::size_t>(low, high)(random);
    }

    ExamRoom& room;
    Roster roster;
    Bytes precautions;
    Bytes archive;
    std::vector<int> listeners = std::vector<int>(4, -1);
    int wakeRead = -1;
    int wakeWrite = -1;
    std::atomic<bool> stopping = false;
    std::vector<std::unique_ptr<Connection>> connections;
    std::mt19937 random;
};

ExamRoom::ExamRoom(ExamRoomOptions options) : m_options(std::move(options)) {}

ExamRoom::~ExamRoom()
{
    stop();
}

void ExamRoom::setEventSink(EventSink sink)
{
    m_sink = std::move(sink);
}

bool ExamRoom::start(std::string& error)
{
    stop();
    auto loop = std::make_unique<Loop>(*this);

    Bytes rosterBytes;
    if (!readFile(m_options.rosterPath, rosterBytes, error))
        return false;
    std::string rosterError;
    std::optional<Roster> roster = Roster::parse(
        std::string_view(reinterpret_cast<const char*>(rosterBytes.data()), rosterBytes.size()), rosterError);
    if (!roster) {
        error = m_options.rosterPath + ", " + rosterError;
        return false;
    }
    loop->roster = std::move(*roster);
    if (!readFile(m_options.precautionsPath, loop->precautions, error) ||
        !readFile(m_options.archivePath, loop->archive, error))
        return false;
    if (m_options.durationMinutes < 0) {
        error = "the duration must not be negative";
        return false;
    }

    int wake[2];
    if (::pipe2(wake, O_CLOEXEC | O_NONBLOCK) < 0) {
        error = "cannot create a pipe: " + systemError(errno);
        return false;
    }
    loop->wakeRead = wake[0];
    loop->wakeWrite = wake[1];

    const std::uint16_t requested[] = {m_options.loginPort, m_options.precautionsPort, m_options.schedulePort,
                                       m_options.archivePort};
    std::uint16_t bound[4] = {};
    for (std::size_t i = 0; i < 4; ++i) {
        const std::string& address = i == 3 ? std::string(archiveSenderAddress) : m_options.listenAddress;
        loop->listeners[i] = listenOn(address, requested[i], bound[i], error);
        if (loop->listeners[i] < 0)
            return false;
    }
    m_ports = {bound[0], bound[1], bound[2], bound[3]};

    using namespace std::chrono;
    const std::int64_t now = duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
    const DateTime start = m_options.startAt ? *m_options.startAt : localDateTime(now + m_options.startInSeconds);
    m_schedule = scheduleText(start, m_options.durationMinutes);

    record("exam room ready: login " + m_options.listenAddress + ":" + std::to_string(bound[0]) + ", precautions " +
           std::to_string(bound[1]) + ", schedule " + std::to_string(bound[2]) + ", archive " +
           std::string(archiveSenderAddress) + ":" + std::to_string(bound[3]));
    record("roster: " + std::to_string(loop->roster.entries().size()) + " examinees");
    record("exam starts " + isoText(start) + " for " + std::to_string(m_options.durationMinutes) +
           " minutes; schedule \"" + printable(m_schedule) + "\"");
    record("archive: " + std::to_string(loop->archive.size()) + " bytes to send per client");

    m_loop = std::move(loop);
    m_thread = std::thread([this] { m_loop->run(); });
    return true;
}

void ExamRoom::stop()
{
    if (!m_loop)
        return;
    m_loop->wake();
    if (m_thread.joinable())
        m_thread.join();
    m_loop.reset();
}

std::vector<std::string> ExamRoom::events() const
{
    std::lock_guard lock(m_mutex);
    return m_events;
}

bool ExamRoom::waitForEvent(std::string_view fragment, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(m_mutex);
    return m_newEvent.wait_for(lock, timeout, [&] {
        for (const std::string& line : m_events) {
            if (line.find(fragment) != std::string::npos)
                return true;
        }
        return false;
    });
}

void ExamRoom::record(const std::string& line)
{
    if (m_sink)
        m_sink(line);
    {
        std::lock_guard lock(m_mutex);
        if (m_events.size() >= keptEventLines)
            m_events.erase(m_events.begin(), m_events.begin() + keptEventLines / 2);
        m_events.push_back(line);
    }
    m_newEvent.notify_all();
}

} // namespace examclient::examroom
