#include "app/config.h"
#include "app/examstate.h"
#include "app/platformpaths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace examclient {
namespace {

namespace fs = std::filesystem;
using namespace std::string_view_literals;

// The full-width digits "１９７３１" in GBK.
constexpr const char* fullWidth19731 = "\xA3\xB1\xA3\xB9\xA3\xB7\xA3\xB3\xA3\xB1";

// Keeps an environment variable as it was before the test.
class SavedVariable final {
public:
    explicit SavedVariable(const char* name) : m_name(name)
    {
        if (const char* value = std::getenv(name))
            m_value = value;
    }
    ~SavedVariable()
    {
        if (m_value)
            setenv(m_name, m_value->c_str(), 1);
        else
            unsetenv(m_name);
    }
    SavedVariable(const SavedVariable&) = delete;
    SavedVariable& operator=(const SavedVariable&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_value;
};

// A scratch tree: the Windows directory, drive D and a working directory of its own.
class ConfigTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "examclient-config-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_root = pattern;
        fs::create_directories(windowsDir());
        fs::create_directories(driveD());
        fs::create_directories(workDir());
        setenv("EXAMCLIENT_WINDOWS_DIR", windowsDir().c_str(), 1);
        setenv("EXAMCLIENT_DRIVE_D", driveD().c_str(), 1);
        m_savedWorkDir = fs::current_path();
        fs::current_path(workDir());
        releaseExamState();
    }
    void TearDown() override
    {
        fs::current_path(m_savedWorkDir);
        std::error_code ignored;
        fs::remove_all(m_root, ignored);
        releaseExamState();
    }

    fs::path root() const { return m_root; }
    fs::path windowsDir() const { return m_root / "windows"; }
    fs::path driveD() const { return m_root / "d"; }
    fs::path workDir() const { return m_root / "work"; }

    static void writeFile(const fs::path& path, std::string_view content)
    {
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << content;
    }
    void writeConfig(std::string_view content) const { writeFile(windowsDir() / "config.ini", content); }

private:
    SavedVariable m_windowsVariable{"EXAMCLIENT_WINDOWS_DIR"};
    SavedVariable m_driveVariable{"EXAMCLIENT_DRIVE_D"};
    fs::path m_root;
    fs::path m_savedWorkDir;
};

TEST_F(ConfigTest, ReadsLikeTheWindowsProfileReader)
{
    struct Case {
        const char* name;
        std::string_view content;
        const char* section;
        const char* key;
        const char* defaultValue;
        const char* value;
    };
    const Case cases[] = {
        {"crlf lines", "[Server]\r\nIP=10.0.0.1\r\nPort=19731\r\n", "Server", "IP", "x", "10.0.0.1"},
        {"lf lines", "[Server]\nIP=10.0.0.1\nPort=19731", "Server", "Port", "x", "19731"},
        {"cr lines", "[Server]\rIP=10.0.0.1\rPort=19731\r", "Server", "Port", "x", "19731"},
        {"case of names", "[sErVeR]\nip=10.0.0.1\n", "SERVER", "Ip", "x", "10.0.0.1"},
        {"blanks around key and value", "[Server]\n  IP \t=  10.0.0.2 \t\r\n", "Server", "IP", "x", "10.0.0.2"},
        {"blanks inside brackets", "  [  Server\t]  \nIP=10.0.0.3\n", "Server", "IP", "x", "10.0.0.3"},
        {"comment lines", "[Server]\n;IP=1.1.1.1\n  ; IP=2.2.2.2\nIP=3.3.3.3\n", "Server", "IP", "x", "3.3.3.3"},
        {"no comments after a value", "[Server]\nIP=1.2.3.4 ; main\n", "Server", "IP", "x", "1.2.3.4 ; main"},
        {"double quotes", "[Server]\nIP= \" 10.0.0.4 \" \n", "Server", "IP", "x", " 10.0.0.4 "},
        {"single quotes", "[Server]\nIP='10.0.0.5'\n", "Server", "IP", "x", "10.0.0.5"},
        {"one pair of quotes", "[Server]\nIP=\"\"x\"\"\n", "Server", "IP", "x", "\"x\""},
        {"unmatched quotes", "[Server]\nIP=\"x'\n", "Server", "IP", "x", "\"x'"},
        {"a lone quote", "[Server]\nIP=\"\n", "Server", "IP", "x", "\""},
        {"quotes around nothing", "[Server]\nIP=\"\"\n", "Server", "IP", "x", ""},
        {"equals in the value", "[Server]\nIP=a=b\n", "Server", "IP", "x", "a=b"},
        {"first key wins", "[Server]\nIP=1.1.1.1\nIP=2.2.2.2\n", "Server", "IP", "x", "1.1.1.1"},
        {"first section wins", "[Server]\nPort=1\n[Server]\nIP=2.2.2.2\n", "Server", "IP", "x", "x"},
        {"other sections", "[Client]\nIP=9.9.9.9\n[Server]\nIP=1.1.1.1\n", "Server", "IP", "x", "1.1.1.1"},
        {"key of another section", "[Server]\nPort=1\n[Client]\nIP=9.9.9.9\n", "Server", "IP", "x", "x"},
        {"key before any section", "IP=9.9.9.9\n[Server]\n", "Server", "IP", "x", "x"},
        {"line without equals", "[Server]\nIP\n", "Server", "IP", "x", "x"},
        {"header without bracket", "[Server]\n[Other\nIP=1.1.1.1\n", "Server", "IP", "x", "1.1.1.1"},
        {"missing key", "[Server]\nPort=1\n", "Server", "IP", "127.0.0.1", "127.0.0.1"},
        {"missing section", "[Client]\nIP=1.1.1.1\n", "Server", "IP", "127.0.0.1", "127.0.0.1"},
        {"empty file", "", "Server", "IP", "127.0.0.1", "127.0.0.1"},
        {"empty default", "", "Server", "IP", "", ""},
        {"default loses trailing blanks", "", "Server", "IP", "1.2.3.4  ", "1.2.3.4"},
        {"empty value", "[Server]\nIP=\n", "Server", "IP", "127.0.0.1", ""},
        {"blank value", "[Server]\nIP=  \t\n", "Server", "IP", "127.0.0.1", ""},
        {"byte-order mark", "\xEF\xBB\xBF[Server]\nIP=1.1.1.1\n", "Server", "IP", "x", "1.1.1.1"},
        {"value cut at a zero byte", "[Server]\nIP=1.1\0.1\n"sv, "Server", "IP", "x", "1.1"},
        {"gbk value", "[Server]\nName=\xBF\xBC\xCA\xD4\n", "Server", "Name", "x", "\xBF\xBC\xCA\xD4"},
        // The second byte of a GBK character is no letter: B0 41 and B0 61 are different.
        {"gbk key case", "[Server]\n\xB0\x41=1\n", "Server", "\xB0\x61", "x", "x"},
        {"gbk key", "[\xBF\xBC\xCA\xD4]\n\xB0\x41=1\n", "\xBF\xBC\xCA\xD4", "\xB0\x41", "x", "1"},
        {"full-width digits", "[Server]\nPort=\xA3\xB1\xA3\xB9\xA3\xB7\xA3\xB3\xA3\xB1\n", "Server", "Port", "x",
         fullWidth19731},
    };
    for (const Case& c : cases) {
        writeConfig(c.content);
        EXPECT_EQ(readIniValue("config.ini", c.section, c.key, c.defaultValue), c.value) << c.name;
    }
}

TEST_F(ConfigTest, SkipsLeadingControlsAndRefusesEmptyNames)
{
    writeConfig("[Server]\nIP=10.0.0.1\n");
    EXPECT_EQ(readIniValue("\x01\x1F config.ini", "\t Server", "\r\nIP", "x"), "10.0.0.1");

    // Nothing is read and the default is not used when a name is empty.
    EXPECT_EQ(readIniValue("", "Server", "IP", "127.0.0.1"), "");
    EXPECT_EQ(readIniValue(" \t", "Server", "IP", "127.0.0.1"), "");
    EXPECT_EQ(readIniValue("config.ini", "", "IP", "127.0.0.1"), "");
    EXPECT_EQ(readIniValue("config.ini", "Server", "\x20\x01", "127.0.0.1"), "");
    EXPECT_EQ(readIniValue("missing.ini", "", "IP", "127.0.0.1"), "");
}

TEST_F(ConfigTest, CutsLongValues)
{
    const std::string longest(10239, 'a');
    writeConfig("[Server]\nA=" + longest + "\nB=" + longest + "b\nC=\"" + longest + "bc\"\n");
    EXPECT_EQ(readIniValue("config.ini", "Server", "A", ""), longest);
    EXPECT_EQ(readIniValue("config.ini", "Server", "B", ""), longest);
    EXPECT_EQ(readIniValue("config.ini", "Server", "C", ""), longest);
}

TEST_F(ConfigTest, BareNameIsLookedUpInTheWindowsDirectoryOnly)
{
    // Beside the program and in the working directory: neither counts.
    const fs::path besideProgram = fs::path(programDirectory()) / "config.ini";
    const bool placedBesideProgram = !fs::exists(besideProgram);
    if (placedBesideProgram)
        writeFile(besideProgram, "[Server]\nIP=1.1.1.1\n");
    writeFile(workDir() / "config.ini", "[Server]\nIP=2.2.2.2\n");

    EXPECT_EQ(readIniValue("config.ini", "Server", "IP", "127.0.0.1"), "127.0.0.1");
    writeConfig("[Server]\nIP=3.3.3.3\n");
    EXPECT_EQ(readIniValue("config.ini", "Server", "IP", "127.0.0.1"), "3.3.3.3");

    if (placedBesideProgram)
        fs::remove(besideProgram);
}

TEST_F(ConfigTest, NameWithADirectoryIsAWindowsPath)
{
    writeFile(driveD() / "conf" / "exam.ini", "[Server]\nIP=4.4.4.4\n");
    writeFile(workDir() / "sub" / "exam.ini", "[Server]\nIP=5.5.5.5\n");
    // "考试.ini": a GBK name, found under its UTF-8 host name.
    writeFile(windowsDir() / "\xE8\x80\x83\xE8\xAF\x95.ini", "[Server]\nIP=6.6.6.6\n");

    struct Case {
        const char* file;
        const char* value;
    };
    const Case cases[] = {
        {"D:\\conf\\exam.ini", "4.4.4.4"},
        {"d:/conf/exam.ini", "4.4.4.4"}, // either separator
        {"D:conf\\exam.ini", "4.4.4.4"}, // a drive without a directory
        {"sub\\exam.ini", "5.5.5.5"},    // relative to the working directory
        {".\\sub\\exam.ini", "5.5.5.5"},
        {"\xBF\xBC\xCA\xD4.ini", "6.6.6.6"},
        {"D:\\conf\\missing.ini", "x"},
        {"1:\\conf\\exam.ini", "x"}, // no such drive
        {"\xFF\xFF.ini", "x"},       // no host name for it
    };
    for (const Case& c : cases)
        EXPECT_EQ(readIniValue(c.file, "Server", "IP", "x"), c.value) << c.file;
}

TEST_F(ConfigTest, UnreadableConfigGivesTheDefault)
{
    fs::create_directories(windowsDir() / "config.ini");
    EXPECT_EQ(readIniValue("config.ini", "Server", "IP", "127.0.0.1"), "127.0.0.1");
    fs::remove(windowsDir() / "config.ini");

    // A pipe of that name, with no writer, must not stall the reader.
    ASSERT_EQ(mkfifo((windowsDir() / "config.ini").c_str(), 0600), 0);
    EXPECT_EQ(readIniValue("config.ini", "Server", "IP", "127.0.0.1"), "127.0.0.1");

    setenv("EXAMCLIENT_WINDOWS_DIR", (root() / "nowhere").c_str(), 1);
    EXPECT_EQ(readIniValue("config.ini", "Server", "IP", "127.0.0.1"), "127.0.0.1");
}

TEST_F(ConfigTest, ServerConfiguration)
{
    struct Case {
        const char* name;
        std::optional<const char*> content;
        const char* serverIp;
        const char* serverPortText;
        int port;
    };
    const Case cases[] = {
        {"no file", std::nullopt, "127.0.0.1", "19730", 19730},
        {"no section", "[Client]\nIP=1.1.1.1\n", "127.0.0.1", "19730", 19730},
        {"both keys", "[Server]\r\nIP=192.168.1.10\r\nPort=20000\r\n", "192.168.1.10", "20000", 20000},
        {"host name", "[Server]\nIP=exam-server\n", "exam-server", "19730", 19730},
        {"empty IP", "[Server]\nIP=\n", "", "19730", 19730},
        {"port not a number", "[Server]\nPort=abc\n", "127.0.0.1", "abc", 0},
        {"port with a tail", "[Server]\nPort=19730x\n", "127.0.0.1", "19730x", 19730},
        {"negative port", "[Server]\nPort=-1\n", "127.0.0.1", "-1", -1},
        {"empty port", "[Server]\nPort=\n", "127.0.0.1", "", 0},
        {"full-width port", "[Server]\nPort=\xA3\xB1\xA3\xB9\xA3\xB7\xA3\xB3\xA3\xB1\n", "127.0.0.1", fullWidth19731,
         19731},
    };
    for (const Case& c : cases) {
        std::error_code ignored;
        fs::remove(windowsDir() / "config.ini", ignored);
        if (c.content)
            writeConfig(*c.content);
        examState().serverIp = "stale";
        examState().serverPortText = "stale";
        EXPECT_EQ(readServerConfiguration(), c.port) << c.name;
        EXPECT_EQ(examState().serverIp, c.serverIp) << c.name;
        EXPECT_EQ(examState().serverPortText, c.serverPortText) << c.name;
    }
}

} // namespace
} // namespace examclient
