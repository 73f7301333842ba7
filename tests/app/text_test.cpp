#include "app/clock.h"
#include "app/text.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <optional>
#include <random>
#include <string>

namespace examclient {
namespace {

// The date and time markers as GBK bytes, independent of how this file is encoded.
#define YEAR "\xC4\xEA"
#define MONTH "\xD4\xC2"
#define DAY "\xC8\xD5"
#define HOUR "\xCA\xB1"
#define MINUTE "\xB7\xD6"
#define SECOND "\xC3\xEB"

std::string hexOf(std::string_view bytes)
{
    std::string hex;
    char pair[4];
    for (char c : bytes) {
        std::snprintf(pair, sizeof pair, "%02X ", static_cast<unsigned char>(c));
        hex += pair;
    }
    return hex;
}

TEST(DateTimeToText, MarkersAreGbkBytes)
{
    EXPECT_EQ(hexOf(dateTimeToText({2016, 6, 7, 9, 5, 3})),
              hexOf("2016" YEAR "6" MONTH "7" DAY "9" HOUR "5" MINUTE "3" SECOND));
    EXPECT_EQ(hexOf(YEAR MONTH DAY HOUR MINUTE SECOND), "C4 EA D4 C2 C8 D5 CA B1 B7 D6 C3 EB ");
}

TEST(DateTimeToText, LeavesOutTrailingZeroFieldsOfTheTime)
{
    struct Case {
        DateTime value;
        const char* text;
    };
    const Case cases[] = {
        {{2016, 6, 7, 9, 5, 3}, "2016" YEAR "6" MONTH "7" DAY "9" HOUR "5" MINUTE "3" SECOND},
        {{2016, 6, 7, 9, 5, 0}, "2016" YEAR "6" MONTH "7" DAY "9" HOUR "5" MINUTE},
        {{2016, 6, 7, 9, 0, 0}, "2016" YEAR "6" MONTH "7" DAY "9" HOUR},
        {{2016, 6, 7, 0, 0, 0}, "2016" YEAR "6" MONTH "7" DAY},
        {{2016, 6, 7, 0, 0, 7}, "2016" YEAR "6" MONTH "7" DAY "0" HOUR "0" MINUTE "7" SECOND},
        {{2016, 6, 7, 14, 0, 30}, "2016" YEAR "6" MONTH "7" DAY "14" HOUR "0" MINUTE "30" SECOND},
        {{2016, 6, 7, 0, 30, 0}, "2016" YEAR "6" MONTH "7" DAY "0" HOUR "30" MINUTE},
        {{2016, 12, 31, 23, 59, 59}, "2016" YEAR "12" MONTH "31" DAY "23" HOUR "59" MINUTE "59" SECOND},
        {{100, 1, 1, 0, 0, 0}, "100" YEAR "1" MONTH "1" DAY},
        {{9999, 12, 31, 0, 0, 0}, "9999" YEAR "12" MONTH "31" DAY},
    };
    for (const Case& c : cases)
        EXPECT_EQ(hexOf(dateTimeToText(c.value)), hexOf(c.text)) << c.text;
}

TEST(DateTimeToText, ClampsToTheYears100To9999)
{
    struct Case {
        DateTime value;
        const char* text;
    };
    const char* earliest = "100" YEAR "1" MONTH "1" DAY;
    const char* latest = "9999" YEAR "12" MONTH "31" DAY;
    const Case cases[] = {
        {{99, 12, 31, 23, 59, 59}, earliest},
        {{0, 1, 1, 0, 0, 0}, earliest},
        {{-5, 6, 7, 8, 9, 10}, earliest},
        {{std::numeric_limits<int>::min(), 1, 1, 0, 0, 0}, earliest},
        {{100, 1, 1, 0, 0, 1}, "100" YEAR "1" MONTH "1" DAY "0" HOUR "0" MINUTE "1" SECOND},
        {{9999, 12, 30, 23, 59, 59}, "9999" YEAR "12" MONTH "30" DAY "23" HOUR "59" MINUTE "59" SECOND},
        {{9999, 12, 31, 0, 0, 1}, latest},
        {{9999, 12, 31, 23, 59, 59}, latest},
        {{10000, 1, 1, 0, 0, 0}, latest},
        {{std::numeric_limits<int>::max(), 12, 31, 0, 0, 0}, latest},
    };
    for (const Case& c : cases)
        EXPECT_EQ(hexOf(dateTimeToText(c.value)), hexOf(c.text)) << c.value.year;
}

TEST(DateTimeToText, NearMissesNeverEqualTheClockText)
{
    const Text clockText = dateTimeToText({2016, 6, 7, 9, 5, 0});
    EXPECT_TRUE(textEquals("2016" YEAR "6" MONTH "7" DAY "9" HOUR "5" MINUTE, clockText));
    const char* misses[] = {
        "2016" YEAR "06" MONTH "7" DAY "9" HOUR "5" MINUTE,
        "2016" YEAR "6" MONTH "7" DAY "09" HOUR "5" MINUTE,
        "2016" YEAR "6" MONTH "7" DAY "9" HOUR "05" MINUTE,
        "2016" YEAR "6" MONTH "7" DAY " 9" HOUR "5" MINUTE,
        "2016" YEAR "6" MONTH "7" DAY "9" HOUR "5" MINUTE " ",
        "2016" YEAR "6" MONTH "7" DAY "9" HOUR "5" MINUTE "0" SECOND,
        "2016-6-7 9:05",
    };
    for (const char* miss : misses)
        EXPECT_FALSE(textEquals(miss, clockText)) << miss;
}

class FixedClock final : public Clock {
public:
    explicit FixedClock(std::int64_t milliseconds) : m_milliseconds(milliseconds) {}
    // The wall clock cuts the fraction of the second off, as the system clock does.
    std::int64_t wallSeconds() override { return m_milliseconds / 1000; }
    std::int64_t monotonicMilliseconds() override { return m_milliseconds; }

private:
    std::int64_t m_milliseconds;
};

class CurrentTimeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const char* tz = std::getenv("TZ"))
            m_savedTimeZone = tz;
    }
    void TearDown() override
    {
        installClock(nullptr);
        if (m_savedTimeZone)
            setenv("TZ", m_savedTimeZone->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    static void useTimeZone(const char* rules)
    {
        setenv("TZ", rules, 1);
        tzset();
    }

private:
    std::optional<std::string> m_savedTimeZone;
};

TEST_F(CurrentTimeTest, LocalTimeTruncatedToTheSecond)
{
    // 2016-06-07 09:59:59 UTC.
    constexpr std::int64_t utcSeconds = 1465293599;
    struct Case {
        const char* timeZone;
        std::int64_t milliseconds;
        DateTime local;
    };
    const Case cases[] = {
        {"UTC0", utcSeconds * 1000 + 999, {2016, 6, 7, 9, 59, 59}},
        {"UTC0", utcSeconds * 1000 + 1000, {2016, 6, 7, 10, 0, 0}},
        // China Standard Time, eight hours ahead, no daylight saving.
        {"CST-8", (utcSeconds - 8 * 3600) * 1000 + 999, {2016, 6, 7, 9, 59, 59}},
        // Central European time is on summer time in June: two hours ahead.
        {"CET-1CEST,M3.5.0,M10.5.0/3", (utcSeconds - 2 * 3600) * 1000 + 999, {2016, 6, 7, 9, 59, 59}},
        // ...and in January one hour.
        {"CET-1CEST,M3.5.0,M10.5.0/3", (1452160799LL - 3600) * 1000 + 500, {2016, 1, 7, 9, 59, 59}},
        // Midnight of 2016-06-07 in China.
        {"CST-8", 1465228800LL * 1000, {2016, 6, 7, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        useTimeZone(c.timeZone);
        FixedClock fixed(c.milliseconds);
        installClock(&fixed);
        EXPECT_EQ(currentTime(), c.local) << c.timeZone << " " << c.milliseconds;
        installClock(nullptr);
    }
}

TEST_F(CurrentTimeTest, ClockTextAtMidnightHasNoTimePart)
{
    useTimeZone("CST-8");
    FixedClock midnight(1465228800LL * 1000 + 999);
    installClock(&midnight);
    EXPECT_EQ(hexOf(dateTimeToText(currentTime())), hexOf("2016" YEAR "6" MONTH "7" DAY));
}

TEST(BytesToText, StopsAtTheFirstZeroByte)
{
    struct Case {
        Bytes bytes;
        const char* text;
    };
    const Case cases[] = {
        {{'1', 0, 'x'}, "1"},
        {{0}, ""}, // a single zero byte
        {{}, ""},
        {{'1', ' '}, "1 "}, // nothing is trimmed
        {{0xB1, 0xEA, 0xC7, 0xA9}, "\xB1\xEA\xC7\xA9"},
        {{0xB1}, "\xB1"}, // nor completed
    };
    for (const Case& c : cases)
        EXPECT_EQ(bytesToText(c.bytes), c.text);
}

TEST(TextToBytes, GivesTheBytesWithoutTerminator)
{
    EXPECT_EQ(textToBytes("1fg2"), (Bytes{'1', 'f', 'g', '2'}));
    EXPECT_EQ(textToBytes("\xB1\xEA"), (Bytes{0xB1, 0xEA}));
    EXPECT_EQ(textToBytes(""), Bytes{});
}

TEST(ToHalfWidth, MapsFullWidthFormsOnly)
{
    struct Case {
        const char* text;
        const char* half;
    };
    const Case cases[] = {
        {"\xA3\xB1\xA3\xB2", "12"},          // full-width digits
        {"\xA3\xAB\xA3\xAD\xA3\xAE", "+-."}, // full-width plus, minus, point
        {"\xA3\xA1", "!"},                   // first of the full-width forms
        {"\xA3\xFE", "~"},                   // last of them
        {"\xA3\xA0", "\xA3\xA0"},            // just below the range: unchanged
        {"\xA1\xA1x", " x"},                 // ideographic space
        {"\xA1\xAB", "~"},
        {"\xA1\xEE\xA1\xEF", "**"}, // the two stars
        {"\xB1\xEA\xC7\xA9", "\xB1\xEA\xC7\xA9"},
        {"\xA3\x31", "\xA3\x31"}, // a lead byte takes the next byte, whatever it is
        {"12\xA3", "12"},         // a lone lead byte at the end is dropped
        {"\xA3\xB1\xA3", "1"},
        {"abc", "abc"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(hexOf(toHalfWidth(c.text)), hexOf(c.half)) << hexOf(c.text);
}

TEST(TextToNumber, ReadsTheLongestDecimalPrefix)
{
    const double infinity = std::numeric_limits<double>::infinity();
    struct Case {
        const char* text;
        double number;
    };
    const Case cases[] = {
        {"12", 12},
        {" 12", 12},
        {"\t\n\v\f\r 12", 12},
        {"\xA1\xA1\x31\x32", 12}, // ideographic space counts as a blank
        {"12abc", 12},
        {"\xB1\xEA\xC7\xA9", 0}, // a caption that is no number
        {"", 0},
        {"-1", -1},
        {"+5", 5},
        {"1.5", 1.5},
        {"1e3", 1000},
        {"1d3", 1000},
        {"1D+3", 1000},
        {"1E-2", 0.01},
        {"1e", 1},
        {"1e+", 1},
        {"1dx", 1},
        {"0x1A", 0},
        {"\xA3\xB1\xA3\xB2", 12},
        {"\xA3\xAD\xA3\xB5\xA3\xAE\xA3\xB5", -5.5},
        {"5.", 5},
        {".5", 0.5},
        {"-.5", -0.5},
        {".", 0},
        {"-", 0},
        {"+.e1", 0},
        {"1.2.3", 1.2},
        {"1,5", 1},
        {"inf", 0},
        {"nan", 0},
        {"090", 90},
        {"1e400", infinity},
        {"-1e400", -infinity},
        {"1e99999999999999999999", infinity},
        {"1e-400", 0},
        {"0e99999999999999999999", 0},
        {"0.000000000000000000000000000000000000001e39", 1},
        {"4.9406564584124654e-324", std::numeric_limits<double>::denorm_min()},
        {"1.7976931348623157e308", std::numeric_limits<double>::max()},
    };
    for (const Case& c : cases)
        EXPECT_EQ(textToNumber(c.text), c.number) << hexOf(c.text);
    EXPECT_TRUE(std::signbit(textToNumber("-0")));
    EXPECT_FALSE(std::signbit(textToNumber("-x")));
}

// An independent reference: strtod in the C locale, with the "d" exponent letter that
// it does not know written as "e".
double referenceNumber(std::string text)
{
    for (char& c : text) {
        if (c == 'd' || c == 'D')
            c = 'e';
    }
    return std::strtod(text.c_str(), nullptr);
}

TEST(TextToNumber, AgreesWithStrtodOnRandomDecimals)
{
    std::mt19937_64 random(20160607);
    auto pick = [&](std::size_t count) { return static_cast<std::size_t>(random() % count); };
    auto digits = [&](std::size_t count) {
        std::string out;
        for (std::size_t i = 0; i < count; ++i)
            out += static_cast<char>('0' + pick(10));
        return out;
    };
    const char* blanks[] = {"", " ", "\t", "\n \r"};
    const char* signs[] = {"", "", "+", "-"};
    const char* exponentLetters = "eEdD";
    const char* tails[] = {"", "", "z", "e", "d+", "fg", " 1", "."};

    for (int round = 0; round < 100000; ++round) {
        std::string text = blanks[pick(4)];
        text += signs[pick(4)];
        // Mostly short numbers, now and then long ones that need more than 19 digits.
        std::size_t longest = pick(20) == 0 ? 800 : 25;
        std::string whole = digits(pick(longest));
        std::string fraction = digits(pick(longest));
        if (whole.empty() && fraction.empty())
            whole = digits(1);
        text += whole;
        if (!fraction.empty() || pick(2) == 0)
            text += ".";
        text += fraction;
        if (pick(2) == 0) {
            text += exponentLetters[pick(4)];
            text += signs[pick(4)];
            text += digits(1 + pick(3));
        }
        text += tails[pick(8)];

        double expected = referenceNumber(text);
        double actual = textToNumber(text);
        ASSERT_EQ(std::bit_cast<std::uint64_t>(actual), std::bit_cast<std::uint64_t>(expected)) << text;
    }
}

TEST(TextToInteger, WrapsIn32Bits)
{
    struct Case {
        const char* text;
        std::int32_t number;
    };
    const Case cases[] = {
        {"19730", 19730},
        {"19730x", 19730},
        {"1.9e4", 1},
        {"1e3", 1},
        {"abc", 0},
        {"", 0},
        {"-5", -5},
        {"+7", 7},
        {" \t\r\n7", 7},
        {"- 5", 0},
        {"--5", 0},
        {"2147483647", 2147483647},
        {"2147483648", std::numeric_limits<std::int32_t>::min()},
        {"-2147483648", std::numeric_limits<std::int32_t>::min()},
        {"-2147483649", 2147483647},
        {"4294967296", 0},
        {"4294967297", 1},
        {"9999999999", 1410065407},
        {"00000000000000000000000042", 42},
        {"\xA3\xB1\xA3\xB9\xA3\xB7\xA3\xB3\xA3\xB1", 19731},
        {"\xA3\xAD\xA3\xB5", -5},
        {"\xA1\xA1\x38", 8},
        {"0x10", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(textToInteger(c.text), c.number) << hexOf(c.text);
}

TEST(NumberToText, WritesPercentPoint13gWithThreeExponentDigits)
{
    struct Case {
        double number;
        const char* text;
    };
    const Case cases[] = {
        {59, "59"},
        {-1, "-1"},
        {0, "0"},
        {1.5, "1.5"},
        {0.1, "0.1"},
        {10000000, "10000000"},
        {1234567890123, "1234567890123"},
        {10000000000000, "1e+013"},
        {0.0001, "0.0001"},
        {0.00001, "1e-005"},
        {2.0 / 3.0, "0.6666666666667"},
        {12345678901234, "1.234567890123e+013"},
        {9999999999999.5, "1e+013"},
        {-0.00012345, "-0.00012345"},
        {1e100, "1e+100"},
        {1e-300, "1e-300"},
        {std::numeric_limits<double>::max(), "1.797693134862e+308"},
        {std::numeric_limits<double>::denorm_min(), "4.940656458412e-324"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(numberToText(c.number), c.text);
}

TEST(NumberToText, CountdownStep)
{
    struct Case {
        const char* caption;
        const char* next;
    };
    const Case cases[] = {{"60", "59"}, {"1", "0"}, {"0", "-1"}, {"90.5", "89.5"}, {"090", "89"}, {"", "-1"}};
    for (const Case& c : cases)
        EXPECT_EQ(numberToText(textToNumber(c.caption) - 1), c.next) << c.caption;
}

// An independent reference: the C library's "%.13g", exponent widened to three digits.
std::string referenceText(double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.13g", value);
    std::string text = buffer;
    std::size_t e = text.find('e');
    if (e != std::string::npos) {
        std::string exponentDigits = text.substr(e + 2);
        while (exponentDigits.size() < 3)
            exponentDigits.insert(0, "0");
        text = text.substr(0, e + 2) + exponentDigits;
    }
    return text;
}

TEST(NumberToText, AgreesWithPrintfOnManyDoubles)
{
    std::vector<double> samples;
    std::mt19937_64 random(19730);
    // Any bit pattern: every exponent, subnormals, infinities and not-a-numbers.
    for (int i = 0; i < 100000; ++i)
        samples.push_back(std::bit_cast<double>(random()));
    // Ordinary magnitudes.
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    for (int i = 0; i < 20000; ++i)
        samples.push_back(unit(random) * std::pow(10.0, static_cast<int>(random() % 40) - 20));
    // Powers of ten and their neighbours, where the plain and the exponent form meet.
    for (int power = -330; power <= 310; ++power) {
        double value = std::pow(10.0, power);
        for (double v :
             {value, std::nextafter(value, 0.0), std::nextafter(value, std::numeric_limits<double>::infinity())}) {
            samples.push_back(v);
            samples.push_back(-v);
        }
    }
    // Halfway between two 13-digit decimals, where the rounding direction matters.
    for (int i = 0; i < 20000; ++i) {
        double mantissa = static_cast<double>(1000000000000 + random() % 9000000000000) + 0.5;
        double value = mantissa * std::pow(10.0, static_cast<int>(random() % 40) - 32);
        samples.push_back(value);
        samples.push_back(std::nextafter(value, 0.0));
        samples.push_back(std::nextafter(value, std::numeric_limits<double>::infinity()));
    }

    for (double value : samples)
        ASSERT_EQ(numberToText(value), referenceText(value)) << std::bit_cast<std::uint64_t>(value);
}

TEST(SplitText, SplitsWhereACharacterBegins)
{
    struct Case {
        std::string_view text;
        std::string_view separator;
        std::vector<Text> members;
    };
    const Case cases[] = {
        {"AfgB", "fg", {"A", "B"}},
        {"AfgBfg", "fg", {"A", "B"}},
        {"fgB", "fg", {"", "B"}},
        {"AfgfgB", "fg", {"A", "", "B"}},
        {"AB", "fg", {"AB"}},
        {"fg", "fg", {""}},
        {"fgfg", "fg", {"", ""}},
        {"", "fg", {}},
        {"", "", {}},
        {"AfgB", "", {"AfgB"}},
        {"AFGB", "fg", {"AFGB"}},
        {"\xB0\x66g", "fg", {"\xB0\x66g"}}, // B0 66 is one character
        {"\xB0\xA1\x66g1", "fg", {"\xB0\xA1", "1"}},
        {"Afg\xB0", "fg", {"A", "\xB0"}}, // a lone lead byte still ends the last member
        {"A\xB0", "x", {"A\xB0"}},        // ...and stops the scan
        {"A\xB0", "\xB0", {"A"}},
        {"2016" YEAR "6" MONTH "fg90", "fg", {"2016" YEAR "6" MONTH, "90"}},
        {std::string_view("Afg\0fgB", 7), "fg", {"A"}}, // a text ends at its zero byte
    };
    for (const Case& c : cases)
        EXPECT_EQ(splitText(c.text, c.separator), c.members) << hexOf(c.text) << "/ " << hexOf(c.separator);
}

TEST(TextEquals, ComparesBytesUpToTheZero)
{
    struct Case {
        std::string_view left;
        std::string_view right;
        bool equal;
    };
    const Case cases[] = {
        {"", "", true},
        {"1", "1", true},
        {"1", "1 ", false},
        {" 1", "1", false},
        {"a", "A", false},
        {"\xA3\xB1", "1", false},
        {"\xB1\xEA", "\xB1\xEA", true},
        {"\xB1\xEA", "\xB1\xEB", false},
        {std::string_view("1\0x", 3), "1", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(textEquals(c.left, c.right), c.equal) << hexOf(c.left) << "/ " << hexOf(c.right);
        EXPECT_EQ(textEquals(c.right, c.left), c.equal) << hexOf(c.right) << "/ " << hexOf(c.left);
    }
}

TEST(ConcatTexts, JoinsInOrder)
{
    EXPECT_EQ(concatTexts({"", "fg", ""}), "fg");
    EXPECT_EQ(concatTexts({"123", "fg", "456"}), "123fg456");
    EXPECT_EQ(concatTexts({"D:\\", "\xBF\xBC", ".zip"}), "D:\\\xBF\xBC.zip");
    EXPECT_EQ(concatTexts({"", ""}), "");
    EXPECT_EQ(concatTexts({std::string_view("a\0b", 3), "c"}), "ac");
}

} // namespace
} // namespace examclient
