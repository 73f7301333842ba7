#include "archive/reception.h"

#include "archive/filesystem.h"
#include "archive/zipcomponent.h"
#include "tests/archive/testdrive.h"
#include "tools/zipwriter/zipwriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace examclient {
namespace {

using testing::TestDrive;
using zipwriter::buildZip;
using zipwriter::fileEntry;
using zipwriter::toBytes;

namespace fs = std::filesystem;

class ReceptionTest : public ::testing::Test {
protected:
    ReceptionTest()
    {
        m_component.setProgressSink([this](int percent) -> std::optional<bool> {
            m_events.push_back(percent);
            return std::nullopt;
        });
    }

    // Extractions begin with the event for the first entry, 0.
    int extractions() const { return static_cast<int>(std::count(m_events.begin(), m_events.end(), 0)); }

    std::vector<std::string> driveRootNames() const
    {
        std::vector<std::string> names;
        for (const auto& item : fs::directory_iterator(m_drive.host()))
            names.push_back(item.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    TestDrive m_drive;
    ZipComponent m_component;
    std::vector<int> m_events;
};

TEST_F(ReceptionTest, ArrivalsAreAppendedToTheReceiveFile)
{
    ArchiveReception reception(m_component);
    reception.receive(toBytes("abcd"), "123");
    reception.receive(toBytes("efghij"), "123");
    EXPECT_EQ(m_drive.read("e1/1.zip"), toBytes("abcdefghij"));
    EXPECT_FALSE(m_drive.exists("123.zip"));
    EXPECT_EQ(extractions(), 0);
}

TEST_F(ReceptionTest, OldReceiveFileKeepsItsContent)
{
    Bytes old(100, 'o');
    m_drive.write("e1/1.zip", old);
    ArchiveReception reception(m_component);
    reception.receive(toBytes("0123456789"), "123");
    Bytes expected = old;
    expected.insert(expected.end(), {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9'});
    EXPECT_EQ(m_drive.read("e1/1.zip"), expected);
}

TEST_F(ReceptionTest, ArchiveInAThousandChunksIsPublishedAndExtractedOnce)
{
    std::vector<zipwriter::ZipWriterEntry> entries;
    std::string text;
    for (int i = 0; text.size() < 300000; ++i)
        text += std::to_string(i * 31337) + "\n";
    entries.push_back(fileEntry("big.txt", text));
    for (int i = 0; i < 20; ++i)
        entries.push_back(fileEntry("f" + std::to_string(i) + ".txt", std::string(5000 + i, 'a' + i), 0));
    Bytes archive = buildZip(entries, "a comment");

    std::mt19937 random(20161);
    std::vector<std::size_t> cuts;
    std::uniform_int_distribution<std::size_t> position(1, archive.size() - 1);
    while (cuts.size() < 999) {
        cuts.push_back(position(random));
        std::sort(cuts.begin(), cuts.end());
        cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
    }
    cuts.push_back(archive.size());

    ArchiveReception reception(m_component);
    std::size_t start = 0;
    for (std::size_t cut : cuts) {
        ASSERT_FALSE(m_drive.exists("123.zip")) << "published early, before byte " << start;
        reception.receive(Bytes(archive.begin() + static_cast<std::ptrdiff_t>(start),
                                archive.begin() + static_cast<std::ptrdiff_t>(cut)),
                          "123");
        start = cut;
    }
    EXPECT_EQ(m_drive.read("123.zip"), archive);
    EXPECT_EQ(m_drive.read("e1/1.zip"), archive);
    EXPECT_EQ(extractions(), 1);
    EXPECT_EQ(m_drive.read("123/big.txt"), toBytes(text));
    EXPECT_EQ(m_drive.read("123/f19.txt"), toBytes(std::string(5019, 't')));
    // Nothing but the receive directory, the archive and its directory.
    EXPECT_EQ(driveRootNames(), (std::vector<std::string>{"123", "123.zip", "e1"}));
}

TEST_F(ReceptionTest, ArchiveInArrivalsOfOneByte)
{
    Bytes archive = buildZip({fileEntry("a.txt", "one byte at a time")}, "comment");
    ArchiveReception reception(m_component);
    for (std::uint8_t byte : archive)
        reception.receive(Bytes{byte}, "123");
    EXPECT_EQ(m_drive.read("123.zip"), archive);
    EXPECT_EQ(extractions(), 1);
    EXPECT_EQ(m_drive.read("123/a.txt"), toBytes("one byte at a time"));
}

TEST_F(ReceptionTest, ArchivesOneAfterAnotherUseTheNumberOfTheirCompletion)
{
    Bytes first = buildZip({fileEntry("one.txt", "1")});
    Bytes second = buildZip({fileEntry("two.txt", "2")});
    ArchiveReception reception(m_component);
    reception.receive(Bytes(first.begin(), first.begin() + 10), "");
    reception.receive(Bytes(first.begin() + 10, first.end()), "111");
    reception.receive(second, "222");
    EXPECT_EQ(m_drive.read("111.zip"), first);
    EXPECT_EQ(m_drive.read("222.zip"), second);
    EXPECT_TRUE(m_drive.exists("111/one.txt"));
    EXPECT_TRUE(m_drive.exists("222/two.txt"));
    EXPECT_EQ(extractions(), 2);
}

TEST_F(ReceptionTest, ArchiveStoredInsideTheArchiveDoesNotEndIt)
{
    Bytes inner = buildZip({fileEntry("inner.txt", "inner")});
    Bytes outer = buildZip(
        {fileEntry("nested.zip", std::string(inner.begin(), inner.end()), 0), fileEntry("after.txt", "after")});
    // The inner archive's end record ends 30 + 10 + inner size bytes in.
    std::size_t innerEnd = 30 + std::string("nested.zip").size() + inner.size();
    ASSERT_TRUE(
        std::equal(inner.begin(), inner.end(), outer.begin() + static_cast<std::ptrdiff_t>(innerEnd - inner.size())));
    ArchiveReception reception(m_component);
    reception.receive(Bytes(outer.begin(), outer.begin() + static_cast<std::ptrdiff_t>(innerEnd)), "123");
    EXPECT_FALSE(m_drive.exists("123.zip"));
    reception.receive(Bytes(outer.begin() + static_cast<std::ptrdiff_t>(innerEnd), outer.end()), "123");
    EXPECT_EQ(m_drive.read("123.zip"), outer);
    EXPECT_TRUE(m_drive.exists("123/after.txt"));
}

TEST_F(ReceptionTest, UnsafeExamineeNumbersPublishNothing)
{
    Bytes archive = buildZip({fileEntry("a.txt", "a")});
    const char* numbers[] = {"", ".", "..", "..\\up", "a\\b", "a/b", "C:", "x..y"};
    Bytes received;
    for (const char* number : numbers) {
        {
            ArchiveReception reception(m_component);
            reception.receive(archive, number);
        }
        received.insert(received.end(), archive.begin(), archive.end());
        EXPECT_EQ(driveRootNames(), (std::vector<std::string>{"e1"})) << number;
        EXPECT_EQ(extractions(), 0) << number;
        EXPECT_FALSE(isSafeExamineeNumber(number)) << number;
    }
    EXPECT_EQ(m_drive.read("e1/1.zip"), received);
    EXPECT_TRUE(isSafeExamineeNumber("123"));
}

TEST_F(ReceptionTest, UnfinishedArchiveLeavesNoTemporaryFile)
{
    Bytes archive = buildZip({fileEntry("a.txt", "a")});
    {
        ArchiveReception reception(m_component);
        reception.receive(Bytes(archive.begin(), archive.end() - 1), "123");
        EXPECT_EQ(driveRootNames().size(), 2u); // e1 and the assembly
    }
    EXPECT_EQ(driveRootNames(), (std::vector<std::string>{"e1"}));
}

TEST_F(ReceptionTest, MissingDriveLosesNothingButTheArchive)
{
    fs::remove_all(m_drive.host());
    ArchiveReception reception(m_component);
    reception.receive(buildZip({fileEntry("a.txt", "a")}), "123");
    EXPECT_EQ(extractions(), 0);
    EXPECT_FALSE(fs::exists(m_drive.host()));
}

TEST(ReceiveFileOperations, UnknownFileNumbersDoNothing)
{
    TestDrive drive;
    EXPECT_EQ(openFile("D:\\missing\\1.zip", FileOpenMode::Write, FileShare::ReadWrite), 0);
    EXPECT_FALSE(seekToEnd(0));
    EXPECT_FALSE(writeBytes(0, toBytes("x")));
    closeFile(0);
    int file = openFile("D:\\f", FileOpenMode::Write, FileShare::ReadWrite);
    ASSERT_NE(file, 0);
    EXPECT_TRUE(writeBytes(file, {}));
    EXPECT_TRUE(writeBytes(file, toBytes("ab")));
    closeFile(file);
    EXPECT_FALSE(seekToEnd(file));
    EXPECT_EQ(drive.read("f"), toBytes("ab"));
}

} // namespace
} // namespace examclient
