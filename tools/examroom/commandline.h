// The command line of examroom-sim.
#pragma once

#include "tools/examroom/examroom.h"

#include <string>
#include <vector>

namespace examclient::examroom {

struct CommandLine {
    ExamRoomOptions options;
    bool helpRequested = false;
    std::string error; // empty when the line was understood
};

// `arguments` without the program name. Files not named on the line are taken from
// `samplesDirectory` (roster.txt, precautions.txt, questions.zip).
CommandLine parseCommandLine(const std::vector<std::string>& arguments, const std::string& samplesDirectory);

std::string helpText(const std::string& programName);

} // namespace examclient::examroom
