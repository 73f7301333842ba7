// ExamWindow: waits for the start time with a clock, then counts the exam time down;
// meanwhile the question archive arrives on the archive link and is unpacked.
#pragma once

#include "app/text.h"
#include "ui/toolkit.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace examclient::ui {

inline constexpr char kExamWindowName[] = "ExamWindow";

// The window's table of controls, settings and handlers.
WindowDefinition examWindowDefinition();

const WindowFactory& examWindow();

// A late tick can skip seconds of the clock. True when `startTimeText` is the clock text
// of a second after `previous` and before `current`, the seconds that tick skipped; the
// tick compares `current` itself by its shown text. Nothing was skipped at the first
// tick (no `previous`) or when the clock went back. A jump of more than an hour is
// caught up over its last hour only.
bool skippedSecondMatches(const std::optional<DateTime>& previous, const DateTime& current,
                          std::string_view startTimeText);

// The captions of the countdown: minutes and seconds.
struct CountdownCaptions {
    Text minutes;
    Text seconds;
};

// The remaining time the captions show, minutes x 60 + seconds, both read as numbers.
double remainingSeconds(const CountdownCaptions& captions);

// One second of the countdown, as the captions read: "0" seconds borrow a minute
// ("45" and "0" become "44" and "59"); the arithmetic is that of the captions' numbers,
// so "045" steps to "44" and "1.5" to "0.5".
void stepCountdown(CountdownCaptions& captions);

enum class CountdownState { Running, Finished };

// Advances the countdown by `seconds` whole seconds. It never goes past zero: it reports
// Finished once the remaining time is zero or less, and from then on changes nothing.
CountdownState advanceCountdown(CountdownCaptions& captions, std::int64_t seconds);

} // namespace examclient::ui
