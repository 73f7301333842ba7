// The exam window's clock and countdown rules, on texts alone.
#include "ui/examwindow.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

namespace examclient::ui {
namespace {

struct CountdownCase {
    const char* name;
    const char* minutes; // as the captions read before
    const char* seconds;
    std::int64_t steps;
    const char* expectedMinutes;
    const char* expectedSeconds;
    CountdownState expectedState;
};

class CountdownTest : public ::testing::TestWithParam<CountdownCase> {};

TEST_P(CountdownTest, AdvancesByTheCaptionArithmeticAndStopsAtZero)
{
    const CountdownCase& c = GetParam();
    CountdownCaptions captions{.minutes = c.minutes, .seconds = c.seconds};
    EXPECT_EQ(advanceCountdown(captions, c.steps), c.expectedState);
    EXPECT_EQ(captions.minutes, c.expectedMinutes);
    EXPECT_EQ(captions.seconds, c.expectedSeconds);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, CountdownTest,
    ::testing::Values(
        // At the start the minutes are the duration exactly as received, the seconds "0".
        CountdownCase{"NoTimeGoneChangesNothing", "45", "0", 0, "45", "0", CountdownState::Running},
        CountdownCase{"FirstSecondBorrowsAMinute", "45", "0", 1, "44", "59", CountdownState::Running},
        CountdownCase{"LeadingZeroStepsAsANumber", "045", "0", 1, "44", "59", CountdownState::Running},
        CountdownCase{"FractionalDuration", "1.5", "0", 1, "0.5", "59", CountdownState::Running},
        CountdownCase{"MissedTicksAreMadeUp", "45", "0", 3, "44", "57", CountdownState::Running},
        CountdownCase{"WholeDurationReachesZero", "45", "0", 45 * 60, "0", "0", CountdownState::Finished},
        CountdownCase{"StaysAtZero", "0", "0", 1, "0", "0", CountdownState::Finished},
        CountdownCase{"CatchUpBeyondZeroStopsThere", "0", "2", 10, "0", "0", CountdownState::Finished},
        CountdownCase{"DurationNotANumberStaysAsReceived", "abc", "0", 1, "abc", "0", CountdownState::Finished},
        CountdownCase{"EmptyDurationStays", "", "0", 1, "", "0", CountdownState::Finished},
        CountdownCase{"NegativeDurationStays", "-5", "0", 1, "-5", "0", CountdownState::Finished},
        // 1.5 minutes are 90 seconds: 0.5 ： 59 after one, and zero left at -0.5 ： 30.
        CountdownCase{"FractionalDurationEndsWhenNinetySecondsAreGone", "1.5", "0", 200, "-0.5", "30",
                      CountdownState::Finished}),
    [](const ::testing::TestParamInfo<CountdownCase>& info) { return std::string(info.param.name); });

DateTime at(int hour, int minute, int second, int day = 7)
{
    return DateTime{.year = 2016, .month = 6, .day = day, .hour = hour, .minute = minute, .second = second};
}

struct SkippedSecondCase {
    const char* name;
    std::optional<DateTime> previous; // the second the last tick compared
    DateTime current;                 // the second this tick shows
    const char* startTimeText;
    bool expected;
};

class SkippedSecondTest : public ::testing::TestWithParam<SkippedSecondCase> {};

TEST_P(SkippedSecondTest, FindsTheStartAmongTheSecondsALateTickSkipped)
{
    const SkippedSecondCase& c = GetParam();
    EXPECT_EQ(skippedSecondMatches(c.previous, c.current, c.startTimeText), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Ticks, SkippedSecondTest,
    ::testing::Values(
        SkippedSecondCase{"SkippedSecond", at(9, 5, 1), at(9, 5, 4), "2016年6月7日9时5分3秒", true},
        SkippedSecondCase{"FirstSkippedSecond", at(9, 5, 1), at(9, 5, 4), "2016年6月7日9时5分2秒", true},
        // The shown second is compared by the tick itself, the one compared before is over.
        SkippedSecondCase{"CurrentSecondIsNotSkipped", at(9, 5, 1), at(9, 5, 4), "2016年6月7日9时5分4秒", false},
        SkippedSecondCase{"PreviousSecondIsNotComparedAgain", at(9, 5, 1), at(9, 5, 4), "2016年6月7日9时5分1秒", false},
        SkippedSecondCase{"OnTimeTickSkipsNothing", at(9, 5, 3), at(9, 5, 4), "2016年6月7日9时5分3秒", false},
        // Seconds without time fields keep the clock text's short forms.
        SkippedSecondCase{"SkippedFullMinute", at(9, 4, 58), at(9, 5, 2), "2016年6月7日9时5分", true},
        SkippedSecondCase{"SkippedMidnight", at(23, 59, 58), at(0, 0, 2, 8), "2016年6月8日", true},
        // The exact-text rule holds for skipped seconds too.
        SkippedSecondCase{"OtherFormNeverMatches", at(9, 5, 1), at(9, 5, 4), "2016年6月7日9时5分03秒", false},
        // Before the window's first tick nothing was skipped: a start in the past stays past.
        SkippedSecondCase{"StartBeforeTheFirstTick", std::nullopt, at(9, 5, 4), "2016年6月7日9时5分3秒", false},
        SkippedSecondCase{"ClockWentBack", at(9, 5, 10), at(9, 5, 4), "2016年6月7日9时5分3秒", false},
        SkippedSecondCase{"JumpOfDaysCatchesUpTheLastHour", at(9, 0, 0, 1), at(9, 0, 0, 7), "2016年6月7日8时30分",
                          true},
        SkippedSecondCase{"JumpOfDaysForgetsWhatLiesBeforeTheLastHour", at(9, 0, 0, 1), at(9, 0, 0, 7),
                          "2016年6月7日7时30分", false}),
    [](const ::testing::TestParamInfo<SkippedSecondCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace examclient::ui
