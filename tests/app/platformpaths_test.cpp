#include "app/platformpaths.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace examclient {
namespace {

class PlatformPathsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("EXAMCLIENT_DRIVE_D", "/drives/d", 1);
        setenv("EXAMCLIENT_WINDOWS_DIR", "/windows", 1);
    }
};

TEST_F(PlatformPathsTest, EnvironmentNamesTheWindowsDirectoryAndDrives)
{
    EXPECT_EQ(windowsDirectory(), "/windows");
    EXPECT_EQ(driveRoot('D'), "/drives/d");
    EXPECT_EQ(driveRoot('d'), "/drives/d");
}

TEST_F(PlatformPathsTest, TranslatesWindowsPaths)
{
    struct Case {
        const char* windows;
        const char* host;
    };
    const Case cases[] = {
        {"D:\\e1\\1.zip", "/drives/d/e1/1.zip"},
        {"D:\\123", "/drives/d/123"},
        {"D:\\123\\", "/drives/d/123/"},
        {"d:\\", "/drives/d/"},
        {"D:", "/drives/d"},
        {"D:x", "/drives/d/x"},
        {"config.ini", "config.ini"},
        // 0x81 0x5C is one GBK character whose trail byte is the backslash code.
        {"D:\\\x81\x5C\\a", "/drives/d/\xE4\xB9\x97/a"},
        {"D:\\\xD6\xD0\xCE\xC4", "/drives/d/\xE4\xB8\xAD\xE6\x96\x87"},
    };
    for (const Case& c : cases) {
        std::optional<HostPath> host = toHostPath(c.windows);
        ASSERT_TRUE(host.has_value()) << c.windows;
        EXPECT_EQ(*host, c.host) << c.windows;
    }
}

TEST_F(PlatformPathsTest, RefusesPathsWithoutAHostForm)
{
    EXPECT_FALSE(toHostPath("1:\\x").has_value());
    EXPECT_FALSE(toHostPath(std::string_view("D:\\a\0b", 6)).has_value());
    EXPECT_FALSE(toHostPath("D:\\\xFF\xFF").has_value());
}

} // namespace
} // namespace examclient
