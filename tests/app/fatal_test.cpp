#include "app/examstate.h"
#include "app/fatal.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace examclient {
namespace {

// The system's texts as GBK bytes.
#define RUNTIME_ERROR "\xD4\xCB\xD0\xD0\xCA\xB1\xB3\xF6\xB4\xED!" // 运行时出错!
#define CODE_LABEL "\xB4\xED\xCE\xF3\xB4\xFA\xC2\xEB\xA3\xBA"     // 错误代码：
#define MESSAGE_LABEL "\xB4\xED\xCE\xF3\xD0\xC5\xCF\xA2\xA3\xBA"  // 错误信息：
#define INDEX_OUT_OF_RANGE                                                                                             \
    "\xCA\xFD\xD7\xE9\xB3\xC9\xD4\xB1\xD2\xFD\xD3\xC3\xCF\xC2\xB1\xEA\xB3\xAC\xB3\xF6\xB6\xA8\xD2\xE5\xB7\xB6\xCE\xA7"
#define ERROR_TITLE "\xB4\xED\xCE\xF3" // 错误

std::string hexOf(std::string_view bytes)
{
    std::string hex;
    char pair[3];
    for (char c : bytes) {
        std::snprintf(pair, sizeof pair, "%02X", static_cast<unsigned char>(c));
        hex += pair;
    }
    return hex;
}

TEST(FatalErrorText, BuildsTheBoxText)
{
    struct Case {
        int code;
        std::string_view message;
        const char* text;
    };
    const Case cases[] = {
        {0, "", RUNTIME_ERROR "\r\n\r\n"},
        {1, "", RUNTIME_ERROR "\r\n\r\n" CODE_LABEL "1\r\n\r\n"},
        {-7, "", RUNTIME_ERROR "\r\n\r\n" CODE_LABEL "-7\r\n\r\n"},
        {0, "x", RUNTIME_ERROR "\r\n\r\n" MESSAGE_LABEL "x\r\n"},
        // The Schedule with fewer than two members.
        {1, INDEX_OUT_OF_RANGE,
         RUNTIME_ERROR "\r\n\r\n" CODE_LABEL "1\r\n\r\n" MESSAGE_LABEL INDEX_OUT_OF_RANGE "\r\n"},
        {0, std::string_view("\0x", 2), RUNTIME_ERROR "\r\n\r\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(hexOf(fatalErrorText(c.code, c.message)), hexOf(c.text)) << c.code << " " << hexOf(c.message);
}

// In the child of a death test: the presenter shows what it was given on standard
// error; the cleanup runs the exit routines, and the one registered would end the
// process with 3 if the list had not been emptied first.
void installRecorders()
{
    installFatalErrorPresenter([](const Text& text, const Text& title) {
        std::fprintf(stderr, "shown %s title %s\n", hexOf(text).c_str(), hexOf(title).c_str());
    });
    installFatalErrorCleanup([] {
        std::fprintf(stderr, "cleanup\n");
        runExitRoutines();
    });
    registerExitRoutine([] { std::_Exit(3); });
}

class FatalRuntimeErrorDeathTest : public ::testing::Test {
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(FatalRuntimeErrorDeathTest, ShowsTheBoxThenEndsWithMinusOne)
{
    const std::string expected =
        "shown " + hexOf(fatalErrorText(1, INDEX_OUT_OF_RANGE)) + " title " + hexOf(ERROR_TITLE) + "\ncleanup\n";
    EXPECT_EXIT(
        {
            installRecorders();
            fatalRuntimeError(1, INDEX_OUT_OF_RANGE);
        },
        ::testing::ExitedWithCode(255), expected);
}

TEST_F(FatalRuntimeErrorDeathTest, AllocationFailureNamesTheBytes)
{
    // "分配 123456789 字节内存失败!"
    const char* message = "\xB7\xD6\xC5\xE4 123456789 \xD7\xD6\xBD\xDA\xC4\xDA\xB4\xE6\xCA\xA7\xB0\xDC!";
    const std::string expected = "shown " + hexOf(fatalErrorText(0, message)) + " title ";
    EXPECT_EXIT(
        {
            installRecorders();
            allocationFailed(123456789);
        },
        ::testing::ExitedWithCode(255), expected);
}

TEST_F(FatalRuntimeErrorDeathTest, WithoutAPresenterTheTextGoesToStandardError)
{
    EXPECT_EXIT(
        {
            installFatalErrorPresenter(nullptr);
            fatalRuntimeError(0, "x");
        },
        ::testing::ExitedWithCode(255), "x");
}

} // namespace
} // namespace examclient
