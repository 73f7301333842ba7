#include "app/examstate.h"

#include <algorithm>
#include <vector>

namespace examclient {
namespace {

std::vector<ExitRoutine>& exitRoutines()
{
    static std::vector<ExitRoutine> routines;
    return routines;
}

// Assigning a fresh empty string gives the old buffer back at once.
void release(Text& text)
{
    text = Text();
}

} // namespace

ExamState& examState()
{
    static ExamState state;
    return state;
}

void releaseExamState()
{
    ExamState& state = examState();
    release(state.examineeNumber);
    release(state.startTimeText);
    release(state.durationText);
    release(state.serverIp);
    release(state.serverPortText);
}

void registerExitRoutine(ExitRoutine routine)
{
    std::vector<ExitRoutine>& routines = exitRoutines();
    if (routine && std::find(routines.begin(), routines.end(), routine) == routines.end())
        routines.push_back(routine);
}

void runExitRoutines()
{
    // The list is taken before the first routine runs, so a routine that runs or changes
    // the list cannot make any routine run twice.
    std::vector<ExitRoutine> routines;
    routines.swap(exitRoutines());
    for (ExitRoutine routine : routines)
        routine();
}

void clearExitRoutines()
{
    exitRoutines().clear();
}

} // namespace examclient
