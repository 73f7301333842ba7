// The five program-wide texts that carry values from one window to the next.
#pragma once

#include "app/text.h"

namespace examclient {

// Each field owns its text; storing a new value replaces the one before. Readers use
// a field in place within one handler and never keep it across a nested loop.
struct ExamState {
    Text examineeNumber; // ExamineeNumber: 考生号输入框 at the last login click
    Text startTimeText;  // StartTimeText: member 1 of the last Schedule
    Text durationText;   // DurationText: member 2 of the last Schedule
    Text serverIp;       // ServerIp: config.ini [Server] IP
    Text serverPortText; // ServerPortText: config.ini [Server] Port
};

ExamState& examState();

// The exit routine: releases the five texts in the order of the fields above.
void releaseExamState();

// Exit routines run in the order of registration by a normal end; registering one
// that is already in the list changes nothing.
using ExitRoutine = void (*)();
void registerExitRoutine(ExitRoutine routine);
void runExitRoutines();
void clearExitRoutines();

} // namespace examclient
