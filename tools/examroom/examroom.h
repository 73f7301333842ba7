// The exam room on this machine: the exam server's three services (login, precautions,
// schedule) and the local sender of the question archive, on plain POSIX sockets and one
// thread of their own. The program examroom-sim runs it for people; end-to-end tests run
// it in-process on free loopback ports and read its event lines.
#pragma once

#include "app/text.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace examclient::examroom {

struct ExamRoomOptions {
    // Where the exam server's services listen. The archive sender always listens on
    // 127.0.0.1: the client fetches the archive from its own machine.
    std::string listenAddress = "127.0.0.1";
    // 0 lets the system choose a free port; ExamRoom::ports() tells which.
    std::uint16_t loginPort = 19730;
    std::uint16_t precautionsPort = 19731;
    std::uint16_t schedulePort = 19732;
    std::uint16_t archivePort = 19733;

    std::string rosterPath;      // "examinee-number id-card-number" per line
    std::string precautionsPath; // GBK text, sent as it is
    std::string archivePath;     // the question ZIP archive

    // The exam starts at this local time, or else this many seconds after start().
    std::optional<DateTime> startAt;
    std::int64_t startInSeconds = 60;
    int durationMinutes = 45;

    // The archive goes out in writes of a size drawn between these bounds (equal bounds:
    // a fixed size), with a pause after each write, so that arrivals really split.
    std::size_t chunkMinimum = 4096;
    std::size_t chunkMaximum = 4096;
    std::uint32_t chunkSeed = 1;
    int pauseMilliseconds = 0;
};

struct ExamRoomPorts {
    std::uint16_t login = 0;
    std::uint16_t precautions = 0;
    std::uint16_t schedule = 0;
    std::uint16_t archive = 0;
};

// "YYYY-MM-DD HH:MM:SS" as a local date-time; nothing when it is not one.
std::optional<DateTime> parseLocalDateTime(std::string_view text);
// The local date-time `seconds` after 1970-01-01 00:00:00 UTC.
DateTime localDateTime(std::int64_t seconds);

class ExamRoom final {
public:
    using EventSink = std::function<void(const std::string& line)>;

    explicit ExamRoom(ExamRoomOptions options);
    // Stops the room if it is running.
    ~ExamRoom();
    ExamRoom(const ExamRoom&) = delete;
    ExamRoom& operator=(const ExamRoom&) = delete;

    // Called on the room's thread for every event line (UTF-8, no line break). Set it
    // before start().
    void setEventSink(EventSink sink);

    // Reads the files, listens on the four ports and starts serving. False with a reason
    // a person can act on when something is missing or a port is taken.
    bool start(std::string& error);
    // Closes every connection and listener and waits for the room's thread.
    void stop();

    ExamRoomPorts ports() const { return m_ports; }
    // The schedule every client gets: start time text (clock form), "fg", minutes.
    const Text& schedule() const { return m_schedule; }

    // The event lines so far.
    std::vector<std::string> events() const;
    // Waits until an event line contains `fragment`; false when `timeout` passed first.
    bool waitForEvent(std::string_view fragment, std::chrono::milliseconds timeout) const;

private:
    struct Loop;

    void record(const std::string& line);

    ExamRoomOptions m_options;
    ExamRoomPorts m_ports;
    Text m_schedule;
    EventSink m_sink;
    std::unique_ptr<Loop> m_loop;
    std::thread m_thread;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_newEvent;
    std::vector<std::string> m_events;
};

} // namespace examclient::examroom
