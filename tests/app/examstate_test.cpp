#include "app/examstate.h"

#include <gtest/gtest.h>

#include <string>

namespace examclient {
namespace {

std::string calls;

void first()
{
    calls += "1";
}

void second()
{
    calls += "2";
}

class ExitRoutinesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        clearExitRoutines();
        calls.clear();
    }
    void TearDown() override { clearExitRoutines(); }
};

TEST_F(ExitRoutinesTest, RunInOrderOfRegistrationAndOnlyOnce)
{
    registerExitRoutine(first);
    registerExitRoutine(second);
    registerExitRoutine(first); // already there: changes nothing
    registerExitRoutine(nullptr);
    runExitRoutines();
    EXPECT_EQ(calls, "12");

    runExitRoutines();
    EXPECT_EQ(calls, "12");
}

TEST_F(ExitRoutinesTest, ClearedRoutinesDoNotRun)
{
    registerExitRoutine(first);
    clearExitRoutines();
    runExitRoutines();
    EXPECT_EQ(calls, "");
}

TEST(ExamState, ReleaseEmptiesAllFiveTexts)
{
    ExamState& state = examState();
    state.examineeNumber = "123456";
    state.startTimeText = "2016\xC4\xEA";
    state.durationText = "90";
    state.serverIp = "127.0.0.1";
    state.serverPortText = "19730";
    EXPECT_EQ(&examState(), &state);

    releaseExamState();
    EXPECT_EQ(state.examineeNumber, "");
    EXPECT_EQ(state.startTimeText, "");
    EXPECT_EQ(state.durationText, "");
    EXPECT_EQ(state.serverIp, "");
    EXPECT_EQ(state.serverPortText, "");
}

TEST(ExamState, ReleaseIsTheExitRoutineOfANormalEnd)
{
    clearExitRoutines();
    examState().examineeNumber = "123456";
    registerExitRoutine(releaseExamState);
    runExitRoutines();
    EXPECT_EQ(examState().examineeNumber, "");
}

} // namespace
} // namespace examclient
