// examroom-sim: the exam room on this machine, for rehearsals and demonstrations.
#include "tools/examroom/commandline.h"
#include "tools/examroom/examroom.h"

#include <csignal>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <pthread.h>

namespace {

// The samples are copied next to the program when it is built.
std::string samplesDirectory()
{
    std::error_code error;
    std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return "samples";
    return (program.parent_path() / "samples").string();
}

void printLine(const std::string& line)
{
    std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char stamp[16];
    std::strftime(stamp, sizeof stamp, "%H:%M:%S", &local);
    std::printf("%s %s\n", stamp, line.c_str());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    using namespace examclient::examroom;
    const std::string programName = std::filesystem::path(argv[0]).filename().string();
    CommandLine line = parseCommandLine(std::vector<std::string>(argv + 1, argv + argc), samplesDirectory());
    if (line.helpRequested) {
        std::fputs(helpText(programName).c_str(), stdout);
        return 0;
    }
    if (!line.error.empty()) {
        std::fprintf(stderr, "%s: %s (try --help)\n", programName.c_str(), line.error.c_str());
        return 2;
    }

    // The room's thread must not take the stop signals; this thread waits for them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    ExamRoom room(line.options);
    room.setEventSink(printLine);
    std::string error;
    if (!room.start(error)) {
        std::fprintf(stderr, "%s: %s\n", programName.c_str(), error.c_str());
        return 1;
    }
    int signal = 0;
    sigwait(&stopSignals, &signal);
    room.stop();
    printLine(std::string("exam room closed (") + (signal == SIGINT ? "SIGINT" : "SIGTERM") + ")");
    return 0;
}
