#include "net/messages.h"

#include <gtest/gtest.h>

namespace examclient {
namespace {

Bytes bytesOf(std::string_view text)
{
    return Bytes(text.begin(), text.end());
}

// The date and time markers in GBK: 年 月 日 时 分 秒.
const Text yearMark = "\xC4\xEA";
const Text monthMark = "\xD4\xC2";
const Text dayMark = "\xC8\xD5";
const Text hourMark = "\xCA\xB1";
const Text minuteMark = "\xB7\xD6";
const Text secondMark = "\xC3\xEB";
const Text leadByte = "\xB0";

TEST(LoginRequest, IsBothNumbersAroundTheSeparator)
{
    EXPECT_EQ(loginRequest("A", "B"), "\x41\x66\x67\x42");
    EXPECT_EQ(loginRequest("", ""), "fg");
    EXPECT_EQ(loginRequest("2026fg1", ""), "2026fg1fg");
}

TEST(LoginReply, OnlyTheTextOneAccepts)
{
    struct Case {
        Bytes reply;
        bool accepted;
    };
    const Case cases[] = {
        {bytesOf("1"), true},   {Bytes{'1', 0, 'x'}, true}, {bytesOf("11"), false}, {bytesOf("1\n"), false},
        {bytesOf(" 1"), false}, {bytesOf("0"), false},      {Bytes{}, false},       {Bytes{0}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(isLoginAccepted(c.reply), c.accepted) << std::string(c.reply.begin(), c.reply.end());
}

TEST(Schedule, IsTheClockTextTheSeparatorAndTheMinutes)
{
    const Text start =
        "2016" + yearMark + "6" + monthMark + "7" + dayMark + "9" + hourMark + "5" + minuteMark + "3" + secondMark;
    EXPECT_EQ(scheduleText(DateTime{2016, 6, 7, 9, 5, 3}, 45), start + "fg45");
    EXPECT_EQ(scheduleText(DateTime{2016, 6, 7, 0, 0, 0}, 90),
              "2016" + yearMark + "6" + monthMark + "7" + dayMark + "fg90");
    EXPECT_EQ(scheduleText(start, "45"), start + "fg45");
}

TEST(Schedule, ParsesIntoItsFields)
{
    struct Case {
        std::string arrival;
        std::vector<Text> fields;
    };
    const Case cases[] = {
        {"AfgB", {"A", "B"}},
        {"AfgBfgC", {"A", "B", "C"}},
        {"fg45", {"", "45"}},
        {"Afg", {"A"}},
        {"AB", {"AB"}},
        {"", {}},
        // "f" is the second byte of a character, not a separator.
        {leadByte + "fg", {leadByte + "fg"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parseSchedule(bytesOf(c.arrival)), c.fields) << c.arrival;
}

} // namespace
} // namespace examclient
