// What a schedule arrival leaves in ExamState.
#include "app/examstate.h"
#include "ui/noticewindow.h"

#include <gtest/gtest.h>

#include <string>

namespace examclient::ui {
namespace {

struct ScheduleCase {
    const char* name;
    Text schedule; // the arrival, as a text
    const char* expectedStart;
    const char* expectedDuration;
};

class ScheduleTest : public ::testing::TestWithParam<ScheduleCase> {
protected:
    void SetUp() override
    {
        examState().startTimeText = "before";
        examState().durationText = "30";
    }
    void TearDown() override { releaseExamState(); }
};

TEST_P(ScheduleTest, StoresBothFieldsOrNothing)
{
    const ScheduleCase& c = GetParam();
    storeSchedule(c.schedule);
    EXPECT_EQ(examState().startTimeText, c.expectedStart);
    EXPECT_EQ(examState().durationText, c.expectedDuration);
}

INSTANTIATE_TEST_SUITE_P(
    Arrivals, ScheduleTest,
    ::testing::Values(ScheduleCase{"StartAndDuration", "2016年6月7日9时5分3秒fg45", "2016年6月7日9时5分3秒", "45"},
                      ScheduleCase{"FieldsAfterTheSecondIgnored", "AfgBfgC", "A", "B"},
                      ScheduleCase{"EmptyStartTime", "fg45", "", "45"},
                      ScheduleCase{"DurationKeptAsSent", "Afg045", "A", "045"},
                      // Fewer than two fields: dropped, the earlier schedule stays.
                      ScheduleCase{"NoSeparator", "abc", "before", "30"},
                      ScheduleCase{"NothingAfterTheSeparator", "abcfg", "before", "30"},
                      ScheduleCase{"SeparatorAlone", "fg", "before", "30"}, ScheduleCase{"Empty", "", "before", "30"},
                      // "fg" is found only where a character begins: B0 66 is one character.
                      ScheduleCase{"SeparatorInsideACharacter", "\xB0\x66g45", "before", "30"}),
    [](const ::testing::TestParamInfo<ScheduleCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace examclient::ui
