#include "tools/examroom/commandline.h"

#include <charconv>
#include <limits>

namespace examclient::examroom {
namespace {

template <class Number> bool parseNumber(const std::string& text, Number minimum, Number maximum, Number& value)
{
    Number parsed{};
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (error != std::errc() || end != text.data() + text.size() || parsed < minimum || parsed > maximum)
        return false;
    value = parsed;
    return true;
}

} // namespace

CommandLine parseCommandLine(const std::vector<std::string>& arguments, const std::string& samplesDirectory)
{
    CommandLine line;
    ExamRoomOptions& options = line.options;
    options.rosterPath = samplesDirectory + "/roster.txt";
    options.precautionsPath = samplesDirectory + "/precautions.txt";
    options.archivePath = samplesDirectory + "/questions.zip";
    // Small writes with a pause, so that a rehearsal shows the archive arriving in pieces.
    options.chunkMinimum = options.chunkMaximum = 256;
    options.pauseMilliseconds = 200;

    auto fail = [&](const std::string& message) {
        line.error = message;
        return line;
    };

    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& name = arguments[i];
        if (name == "--help" || name == "-h") {
            line.helpRequested = true;
            return line;
        }
        if (i + 1 >= arguments.size())
            return fail(name.rfind("--", 0) == 0 ? name + " needs a value" : "unknown argument: " + name);
        const std::string& value = arguments[++i];
        auto port = [&](std::uint16_t& target) { return parseNumber<std::uint16_t>(value, 0, 65535, target); };
        bool understood = true;
        if (name == "--listen") {
            options.listenAddress = value;
        } else if (name == "--login-port") {
            understood = port(options.loginPort);
        } else if (name == "--precautions-port") {
            understood = port(options.precautionsPort);
        } else if (name == "--schedule-port") {
            understood = port(options.schedulePort);
        } else if (name == "--archive-port") {
            understood = port(options.archivePort);
        } else if (name == "--port-base") {
            std::uint16_t base = 0;
            understood = parseNumber<std::uint16_t>(value, 1, 65532, base);
            options.loginPort = base;
            options.precautionsPort = static_cast<std::uint16_t>(base + 1);
            options.schedulePort = static_cast<std::uint16_t>(base + 2);
            options.archivePort = static_cast<std::uint16_t>(base + 3);
        } else if (name == "--roster") {
            options.rosterPath = value;
        } else if (name == "--precautions") {
            options.precautionsPath = value;
        } else if (name == "--archive") {
            options.archivePath = value;
        } else if (name == "--start-in") {
            options.startAt.reset();
            understood = parseNumber<std::int64_t>(value, -(std::int64_t{1} << 40), std::int64_t{1} << 40,
                                                   options.startInSeconds);
        } else if (name == "--start-at") {
            options.startAt = parseLocalDateTime(value);
            understood = options.startAt.has_value();
        } else if (name == "--duration") {
            understood = parseNumber<int>(value, 0, 1000000, options.durationMinutes);
        } else if (name == "--chunk") {
            std::size_t size = 0;
            understood = parseNumber<std::size_t>(value, 1, std::size_t{1} << 30, size);
            options.chunkMinimum = options.chunkMaximum = size;
        } else if (name == "--chunk-range") {
            std::size_t colon = value.find(':');
            understood =
                colon != std::string::npos &&
                parseNumber<std::size_t>(value.substr(0, colon), 1, std::size_t{1} << 30, options.chunkMinimum) &&
                parseNumber<std::size_t>(value.substr(colon + 1), options.chunkMinimum, std::size_t{1} << 30,
                                         options.chunkMaximum);
        } else if (name == "--seed") {
            understood =
                parseNumber<std::uint32_t>(value, 0, std::numeric_limits<std::uint32_t>::max(), options.chunkSeed);
        } else if (name == "--pause-ms") {
            understood = parseNumber<int>(value, 0, 3600000, options.pauseMilliseconds);
        } else {
            return fail("unknown option: " + name);
        }
        if (!understood)
            return fail("bad value for " + name + ": " + value);
    }
    return line;
}

std::string helpText(const std::string& programName)
{
    return "Usage: " + programName + R"( [options]

Plays the exam room for examclient on this machine: the exam server (login,
exam precautions, exam schedule) and the local sender of the question archive.
With no options it serves the sample exam from the samples directory, starting
one minute from now, and prints every event as a line. Stop it with Ctrl+C.

Exam server (listens on 127.0.0.1 unless --listen says otherwise):
  --listen ADDRESS          IPv4 address to listen on, e.g. 0.0.0.0 for a real room
  --login-port PORT         login service (default 19730; config.ini [Server] Port)
  --precautions-port PORT   exam precautions (default 19731)
  --schedule-port PORT      exam schedule (default 19732)
  --port-base PORT          login on PORT, then precautions, schedule, archive on the
                            next three ports
  --roster FILE             examinees allowed to log in: one "examinee-number
                            id-card-number" pair per line (default samples/roster.txt)
  --precautions FILE        precautions text, GBK, sent as it is in one write
                            (default samples/precautions.txt)
  --start-in SECONDS        the exam starts this long after the room opens (default 60)
  --start-at "YYYY-MM-DD HH:MM:SS"
                            the exam starts at this local time instead
  --duration MINUTES        exam length (default 45)

Question archive sender (always on 127.0.0.1):
  --archive-port PORT       (default 19733)
  --archive FILE            the question ZIP archive (default samples/questions.zip)
  --chunk BYTES             send it in writes of this size (default 256)
  --chunk-range MIN:MAX     or in writes of random sizes between MIN and MAX
  --seed N                  seed of the random sizes (default 1)
  --pause-ms MS             pause after each write (default 200)

  --help                    show this text

Port 0 lets the system choose a free port; the first line printed names the ports.
)";
}

} // namespace examclient::examroom
