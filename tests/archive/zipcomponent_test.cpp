#include "archive/zipcomponent.h"

#include "app/gbk.h"
#include "tests/archive/testdrive.h"
#include "tools/zipwriter/zipwriter.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace examclient {
namespace {

using testing::TestDrive;
using zipwriter::buildZip;
using zipwriter::directoryEntry;
using zipwriter::fileEntry;
using zipwriter::toBytes;
using zipwriter::ZipWriterEntry;

namespace fs = std::filesystem;

class ExtractTest : public ::testing::Test {
protected:
    ExtractTest()
    {
        m_component.setProgressSink([this](int percent) -> std::optional<bool> {
            m_events.push_back(percent);
            return std::nullopt;
        });
    }

    int extract(const std::vector<ZipWriterEntry>& entries)
    {
        m_drive.write("123.zip", buildZip(entries));
        return m_component.extract("D:\\123.zip", "D:\\123");
    }

    std::string content(const std::string& relative) const
    {
        Bytes bytes = m_drive.read(relative);
        return std::string(bytes.begin(), bytes.end());
    }

    struct stat status(const std::string& relative) const
    {
        struct stat result {};
        EXPECT_EQ(lstat(m_drive.host(relative).c_str(), &result), 0) << relative;
        return result;
    }

    TestDrive m_drive;
    ZipComponent m_component;
    std::vector<int> m_events;
};

TEST_F(ExtractTest, DirectoryThenFile)
{
    EXPECT_EQ(extract({directoryEntry("a/"), fileEntry("a/b.txt", "hello")}), 1);
    EXPECT_TRUE(fs::is_directory(m_drive.host("123/a")));
    EXPECT_EQ(content("123/a/b.txt"), "hello");
    EXPECT_EQ(m_events, (std::vector<int>{0, 50, 100}));
}

TEST_F(ExtractTest, ProgressCountsEveryEntryAndStoredAndDeflatedDataComeOutWhole)
{
    std::string large;
    for (int i = 0; large.size() < 200000; ++i)
        large += std::to_string(i * 7919) + (i % 13 ? " " : "\n");
    EXPECT_EQ(extract({fileEntry("1.txt", large, 8), fileEntry("2.txt", large, 0), fileEntry("3.txt", ""),
                       fileEntry("4.txt", "x", 0)}),
              1);
    EXPECT_EQ(content("123/1.txt"), large);
    EXPECT_EQ(content("123/2.txt"), large);
    EXPECT_EQ(content("123/3.txt"), "");
    EXPECT_EQ(m_events, (std::vector<int>{0, 25, 50, 75, 100}));
}

TEST_F(ExtractTest, FileWithoutItsDirectoryFails)
{
    EXPECT_EQ(extract({fileEntry("a/b.txt", "hello")}), 0);
    EXPECT_FALSE(m_drive.exists("123/a"));
    EXPECT_EQ(m_events, (std::vector<int>{100}));
    EXPECT_EQ(m_component.lastFailure(), ExtractFailure::FileNotWritten);
}

TEST_F(ExtractTest, UnreadableEntryEndsTheLeadingRun)
{
    ZipWriterEntry unsupported = fileEntry("bad.txt", "data", 0);
    unsupported.method = 12;

    EXPECT_EQ(extract({unsupported, fileEntry("after.txt", "x")}), 1);
    EXPECT_TRUE(fs::is_directory(m_drive.host("123")));
    EXPECT_FALSE(m_drive.exists("123/after.txt"));
    EXPECT_EQ(m_events, (std::vector<int>{0}));

    m_events.clear();
    fs::remove_all(m_drive.host("123"));
    EXPECT_EQ(extract({fileEntry("1.txt", "one"), fileEntry("2.txt", "two"), unsupported, fileEntry("4.txt", "x")}), 1);
    EXPECT_EQ(content("123/1.txt"), "one");
    EXPECT_EQ(content("123/2.txt"), "two");
    EXPECT_FALSE(m_drive.exists("123/bad.txt"));
    EXPECT_FALSE(m_drive.exists("123/4.txt"));
    EXPECT_EQ(m_events, (std::vector<int>{0, 50, 100}));
}

TEST_F(ExtractTest, LocalHeaderDisagreeingWithCentralRecordIsUnreadable)
{
    ZipWriterEntry otherMethod = fileEntry("b.txt", "data");
    otherMethod.localMethod = 0;
    ZipWriterEntry otherName = fileEntry("c.txt", "data");
    otherName.localNameLength = 4;
    for (const ZipWriterEntry& broken : {otherMethod, otherName}) {
        fs::remove_all(m_drive.host("123"));
        EXPECT_EQ(extract({fileEntry("a.txt", "a"), broken}), 1) << broken.name;
        EXPECT_TRUE(m_drive.exists("123/a.txt"));
        EXPECT_FALSE(m_drive.exists("123/" + broken.name));
    }
}

TEST_F(ExtractTest, FilesThatAreNoArchive)
{
    Bytes valid = buildZip({fileEntry("a.txt", "a")});
    Bytes nameless = valid;
    nameless[26] = nameless[27] = 0; // name length 0 and upper size 0: offset 24 reads 0
    nameless[24] = nameless[25] = 0;
    struct Case {
        const char* label;
        Bytes bytes;
    };
    const Case cases[] = {
        {"empty archive", buildZip({})},
        {"31 bytes", Bytes(valid.begin(), valid.begin() + 31)},
        {"wrong signature", toBytes("MZ" + std::string(100, 'x'))},
        {"first entry without a name", nameless},
        {"no end record", Bytes(valid.begin(), valid.end() - 22)},
    };
    for (const Case& c : cases) {
        m_events.clear();
        fs::remove_all(m_drive.host("123"));
        m_drive.write("123.zip", c.bytes);
        EXPECT_EQ(m_component.extract("D:\\123.zip", "D:\\123"), 0) << c.label;
        EXPECT_TRUE(fs::is_directory(m_drive.host("123"))) << c.label;
        EXPECT_EQ(m_events, (std::vector<int>{0})) << c.label;
    }
}

TEST_F(ExtractTest, MissingArchiveAndAbsentArguments)
{
    EXPECT_EQ(m_component.extract("D:\\none.zip", "D:\\123"), -1);
    EXPECT_FALSE(m_drive.exists("123"));
    EXPECT_EQ(m_events, (std::vector<int>{0}));

    m_events.clear();
    EXPECT_EQ(m_component.extract("", "D:\\123"), -1);
    EXPECT_EQ(m_component.extract("D:\\none.zip", ""), -1);
    EXPECT_TRUE(m_events.empty());
}

TEST_F(ExtractTest, TargetDirectoryThatCannotBeCreated)
{
    m_drive.write("123.zip", buildZip({fileEntry("a.txt", "a")}));
    m_drive.write("file", toBytes("x"));
    EXPECT_EQ(m_component.extract("D:\\123.zip", "D:\\file\\sub"), 0);
    EXPECT_EQ(m_component.lastFailure(), ExtractFailure::TargetNotCreatable);
    EXPECT_EQ(m_events, (std::vector<int>{0}));
}

TEST_F(ExtractTest, NoWindowNoEvents)
{
    m_component.clearProgressSink();
    EXPECT_EQ(extract({fileEntry("a.txt", "a")}), 1);
    EXPECT_TRUE(m_events.empty());
}

TEST_F(ExtractTest, CancelOnTheFirstEvent)
{
    m_component.setProgressSink([this](int percent) -> std::optional<bool> {
        m_events.push_back(percent);
        return false;
    });
    EXPECT_EQ(extract({fileEntry("1.txt", "1"), fileEntry("2.txt", "2"), fileEntry("3.txt", "3")}), 1);
    EXPECT_TRUE(m_drive.exists("123/1.txt"));
    EXPECT_FALSE(m_drive.exists("123/2.txt"));
    EXPECT_EQ(m_events, (std::vector<int>{0}));
}

TEST_F(ExtractTest, HandlerWhoseWindowWentDoesNotCancel)
{
    m_component.setProgressSink([this](int percent) -> std::optional<bool> {
        m_events.push_back(percent);
        m_component.clearProgressSink();
        return false;
    });
    EXPECT_EQ(extract({fileEntry("1.txt", "1"), fileEntry("2.txt", "2")}), 1);
    EXPECT_TRUE(m_drive.exists("123/2.txt"));
    EXPECT_EQ(m_events, (std::vector<int>{0}));
}

TEST_F(ExtractTest, HandlerThatDestroysTheComponentEndsTheExtraction)
{
    m_drive.write("123.zip", buildZip({fileEntry("1.txt", "1"), fileEntry("2.txt", "2")}));
    std::optional<ZipComponent> component(std::in_place);
    component->setProgressSink([&](int percent) -> std::optional<bool> {
        m_events.push_back(percent);
        component.reset();
        return std::nullopt;
    });
    EXPECT_EQ(component->extract("D:\\123.zip", "D:\\123"), 1);
    EXPECT_FALSE(m_drive.exists("123/2.txt"));
    EXPECT_EQ(m_events, (std::vector<int>{0}));
}

TEST_F(ExtractTest, ReadOnlyFileIsReplacedAndEndsNormal)
{
    m_drive.write("123/x.txt", toBytes("old old old"));
    chmod(m_drive.host("123/x.txt").c_str(), 0444);
    ZipWriterEntry windowsEntry = fileEntry("x.txt", "new");
    windowsEntry.externalAttributes = 0; // written on Windows: read-only here
    EXPECT_EQ(extract({windowsEntry}), 1);
    EXPECT_EQ(content("123/x.txt"), "new");
    EXPECT_TRUE(status("123/x.txt").st_mode & S_IWUSR);
}

TEST_F(ExtractTest, FileTimes)
{
    constexpr std::int64_t dosInstant = 1462089600; // 2016-05-01 08:00:00 UTC
    struct Case {
        const char* label;
        Bytes localExtra;
        std::uint16_t dosDate;
        std::int64_t modification;
        std::int64_t access;
    };
    const std::uint16_t validDate = (36 << 9) | (5 << 5) | 1;
    Bytes afterLongBlock = zipwriter::extraBlock(0x7075, Bytes(300, 'x'));
    Bytes ut = zipwriter::timestampBlock(3, {1000000000, 1100000000});
    afterLongBlock.insert(afterLongBlock.end(), ut.begin(), ut.end());
    Bytes truncated = zipwriter::timestampBlock(7, {1000000000}); // announces three, holds one
    const Case cases[] = {
        {"DOS time as UTC", {}, validDate, dosInstant, dosInstant},
        {"UT modification only", zipwriter::timestampBlock(1, {1234567890}), validDate, 1234567890, dosInstant},
        {"UT modification and access", ut, validDate, 1000000000, 1100000000},
        {"UT after a 300-byte block", afterLongBlock, validDate, 1000000000, 1100000000},
        {"UT shorter than its flags", truncated, validDate, 1000000000, dosInstant},
        {"UT before 1970", zipwriter::timestampBlock(1, {-86400}), validDate, -86400, dosInstant},
        {"first UT block wins",
         [&] {
             Bytes two = zipwriter::timestampBlock(1, {2000});
             Bytes second = zipwriter::timestampBlock(1, {3000});
             two.insert(two.end(), second.begin(), second.end());
             return two;
         }(),
         validDate, 2000, dosInstant},
    };
    for (const Case& c : cases) {
        fs::remove_all(m_drive.host("123"));
        ZipWriterEntry entry = fileEntry("t.txt", "t");
        entry.localExtra = c.localExtra;
        entry.dosDate = c.dosDate;
        EXPECT_EQ(extract({entry}), 1) << c.label;
        struct stat result = status("123/t.txt");
        EXPECT_EQ(result.st_mtim.tv_sec, c.modification) << c.label;
        EXPECT_EQ(result.st_atim.tv_sec, c.access) << c.label;
    }

    // A DOS date that is no date leaves the time the file was written.
    fs::remove_all(m_drive.host("123"));
    ZipWriterEntry invalid = fileEntry("t.txt", "t");
    invalid.dosDate = (36 << 9) | (13 << 5) | 1; // month 13
    EXPECT_EQ(extract({invalid}), 1);
    EXPECT_GT(status("123/t.txt").st_mtim.tv_sec, 1600000000);
}

TEST_F(ExtractTest, NamesThatWouldLeaveTheTargetAreRefused)
{
    const char* names[] = {"../x", "a/../../x", "/abs", "C:\\x", "..\\x", "\\abs", "c:x", "a\\..\\..\\x"};
    for (const char* name : names) {
        m_events.clear();
        fs::remove_all(m_drive.host("123"));
        EXPECT_EQ(extract({directoryEntry("a/"), fileEntry(name, "escaped")}), 0) << name;
        EXPECT_EQ(m_component.lastFailure(), ExtractFailure::UnsafeName) << name;
        EXPECT_FALSE(m_drive.exists("x")) << name;
        EXPECT_FALSE(m_drive.exists("abs")) << name;
        EXPECT_EQ(m_events, (std::vector<int>{0, 100})) << name;
    }
    EXPECT_EQ(extract({directoryEntry("../up/")}), 0);
    EXPECT_FALSE(m_drive.exists("up"));
}

TEST_F(ExtractTest, ExistingSymbolicLinksAreNeverFollowed)
{
    fs::create_directories(m_drive.host("outside"));
    m_drive.write("outside/keep.txt", toBytes("keep"));
    fs::create_directories(m_drive.host("123"));
    fs::create_directory_symlink(m_drive.host("outside"), m_drive.host("123/link"));
    fs::create_symlink(m_drive.host("outside/keep.txt"), m_drive.host("123/file.txt"));

    EXPECT_EQ(extract({directoryEntry("link/"), fileEntry("link/x.txt", "escaped")}), 0);
    EXPECT_FALSE(m_drive.exists("outside/x.txt"));
    EXPECT_EQ(extract({directoryEntry("link/sub/")}), 0);
    EXPECT_FALSE(m_drive.exists("outside/sub"));
    EXPECT_EQ(extract({fileEntry("file.txt", "escaped")}), 0);
    EXPECT_EQ(m_drive.read("outside/keep.txt"), toBytes("keep"));
    EXPECT_TRUE(status("outside/keep.txt").st_mode & S_IWUSR);
}

TEST_F(ExtractTest, DataThatDoesNotCheckOutFailsTheEntry)
{
    ZipWriterEntry shortStored = fileEntry("short.txt", "only this", 0);
    shortStored.uncompressedSize = 100;
    ZipWriterEntry shortDeflated = fileEntry("short.txt", "only this", 8);
    shortDeflated.uncompressedSize = 100;
    ZipWriterEntry badCrc = fileEntry("short.txt", "data", 8);
    badCrc.crc = 0x12345678;
    ZipWriterEntry encrypted = fileEntry("secret.txt", "cipher", 0);
    encrypted.flags = 1;
    struct Case {
        const char* label;
        ZipWriterEntry entry;
        bool written;
    };
    const Case cases[] = {
        {"stored data shorter than declared", shortStored, true},
        {"deflated data shorter than declared", shortDeflated, true},
        {"CRC-32 mismatch", badCrc, true},
        {"encrypted", encrypted, false},
    };
    for (const Case& c : cases) {
        fs::remove_all(m_drive.host("123"));
        m_events.clear();
        EXPECT_EQ(extract({fileEntry("first.txt", "1"), c.entry, fileEntry("last.txt", "3")}), 0) << c.label;
        EXPECT_TRUE(m_drive.exists("123/first.txt")) << c.label;
        EXPECT_EQ(m_drive.exists("123/" + c.entry.name), c.written) << c.label;
        EXPECT_FALSE(m_drive.exists("123/last.txt")) << c.label;
        EXPECT_EQ(m_events, (std::vector<int>{0, 100})) << c.label;
    }
}

TEST_F(ExtractTest, CorruptDeflateDataFails)
{
    Bytes archive = buildZip({fileEntry("a.txt", std::string(5000, 'a'))});
    archive[30 + 5] ^= 0xff; // inside the deflate stream, just after the name
    m_drive.write("123.zip", archive);
    EXPECT_EQ(m_component.extract("D:\\123.zip", "D:\\123"), 0);
}

TEST_F(ExtractTest, NamesAreReadByTheirOwnEncoding)
{
    const std::string chineseUtf8 = "\xe4\xb8\xad\xe6\x96\x87.txt"; // 中文.txt
    Text chineseGbk;
    ASSERT_TRUE(utf8ToGbkExact(chineseUtf8, chineseGbk));
    ZipWriterEntry utf8 = fileEntry(chineseUtf8, "utf8");
    utf8.flags = 0x0800;
    ZipWriterEntry gbk = fileEntry("sub/" + chineseGbk, "gbk");
    // A GBK character whose trail byte is 0x5C ("\") is one character, no separator.
    ZipWriterEntry trail = fileEntry("\x81\x5c.txt", "trail");

    EXPECT_EQ(extract({utf8, directoryEntry("sub/"), gbk, trail}), 1);
    EXPECT_EQ(content("123/" + chineseUtf8), "utf8");
    EXPECT_EQ(content("123/sub/" + chineseUtf8), "gbk");
    EXPECT_EQ(content("123/" + gbkToUtf8("\x81\x5c") + ".txt"), "trail");

    ZipWriterEntry notUtf8 = fileEntry("\xff\xfe.txt", "x");
    notUtf8.flags = 0x0800;
    EXPECT_EQ(extract({notUtf8}), 0);
    EXPECT_EQ(m_component.lastFailure(), ExtractFailure::UnsafeName);
}

TEST_F(ExtractTest, LongNamesAreHandledWithoutTruncation)
{
    // One 5,000-byte component: no host file name holds it.
    EXPECT_EQ(extract({fileEntry(std::string(5000, 'n'), "x")}), 0);
    EXPECT_EQ(m_component.lastFailure(), ExtractFailure::FileNotWritten);

    // 5,000 bytes in 200-byte components: longer than the host's whole-path limit, fine.
    std::vector<ZipWriterEntry> entries;
    std::string path;
    while (path.size() < 5000) {
        path += std::string(199, 'd') + "/";
        entries.push_back(directoryEntry(path));
    }
    entries.push_back(fileEntry(path + "leaf.txt", "deep"));
    fs::remove_all(m_drive.host("123"));
    EXPECT_EQ(extract(entries), 1);
    EXPECT_EQ(m_component.lastFailure(), ExtractFailure::None);
}

TEST_F(ExtractTest, FileNamesThatCannotBeFiles)
{
    fs::create_directories(m_drive.host("123/dir"));
    EXPECT_EQ(extract({fileEntry("dir", "x")}), 0);
    EXPECT_EQ(extract({fileEntry("slash/", "x")}), 0);
    EXPECT_FALSE(m_drive.exists("123/slash"));
}

// Info-ZIP unzip reads DOS times as local time; with TZ=UTC both agree.
TEST_F(ExtractTest, SameTreeAndTimesAsInfoZipUnzip)
{
    if (std::system("command -v unzip >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "unzip is not installed";
    std::string text;
    for (int i = 0; text.size() < 70000; ++i)
        text += "line " + std::to_string(i) + "\n";
    ZipWriterEntry stamped = fileEntry("docs/stamped.txt", text);
    stamped.localExtra = zipwriter::timestampBlock(3, {1500000000, 1500000100});
    ZipWriterEntry dated = fileEntry("docs/dated.txt", "dated", 0);
    dated.dosDate = (40 << 9) | (12 << 5) | 31;  // 2020-12-31
    dated.dosTime = (23 << 11) | (59 << 5) | 29; // 23:59:58
    m_drive.write("ref.zip", buildZip({directoryEntry("docs/"), stamped, dated, directoryEntry("docs/empty/"),
                                       fileEntry("top.bin", std::string(40000, '\x7f'), 0)}));
    ASSERT_EQ(m_component.extract("D:\\ref.zip", "D:\\ours"), 1);
    std::string command = "cd '" + m_drive.host().string() + "' && TZ=UTC unzip -o -q ref.zip -d theirs";
    ASSERT_EQ(std::system(command.c_str()), 0);

    auto listing = [](const fs::path& root) {
        std::vector<std::string> lines;
        for (const auto& item : fs::recursive_directory_iterator(root)) {
            std::string line = fs::relative(item.path(), root).string();
            if (item.is_regular_file()) {
                struct stat result {};
                lstat(item.path().c_str(), &result);
                Bytes bytes = testing::readHostFile(item.path());
                line += " " + std::to_string(bytes.size()) + " " + std::to_string(result.st_mtim.tv_sec) + " " +
                        std::string(bytes.begin(), bytes.end()).substr(0, 16);
            } else {
                line += "/";
            }
            lines.push_back(line);
        }
        std::sort(lines.begin(), lines.end());
        return lines;
    };
    EXPECT_EQ(listing(m_drive.host("ours")), listing(m_drive.host("theirs")));
    EXPECT_EQ(m_drive.read("ours/top.bin"), m_drive.read("theirs/top.bin"));
    EXPECT_EQ(m_drive.read("ours/docs/stamped.txt"), m_drive.read("theirs/docs/stamped.txt"));
}

TEST(PathOperations, EnsureTrailingBackslashCountsGbkCharacters)
{
    struct Case {
        Text input;
        Text expected;
    };
    const Case cases[] = {
        {"D:\\123", "D:\\123\\"},
        {"D:\\123\\", "D:\\123\\"},
        {"\x81\x5c", "\x81\x5c\\"},
        {"a\x81\x5c\\", "a\x81\x5c\\"},
        {"x", "x\\"},
    };
    for (const Case& c : cases) {
        Text path = c.input;
        ensureTrailingBackslash(path);
        EXPECT_EQ(path, c.expected) << c.input;
    }
}

TEST(PathOperations, CreateDirectoryPathMakesEveryMissingLevel)
{
    TestDrive drive;
    EXPECT_TRUE(createDirectoryPath("D:\\a\\b\\c"));
    EXPECT_TRUE(fs::is_directory(drive.host("a/b/c")));
    EXPECT_TRUE(createDirectoryPath("D:\\a\\b\\c\\"));
    // The trail byte 0x5C stays part of its character.
    EXPECT_TRUE(createDirectoryPath("D:\\\x81\x5c"));
    EXPECT_TRUE(fs::is_directory(drive.host(gbkToUtf8("\x81\x5c"))));
    drive.write("file", toBytes("x"));
    EXPECT_FALSE(createDirectoryPath("D:\\file\\sub"));
}

} // namespace
} // namespace examclient
