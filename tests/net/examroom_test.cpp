#include "app/gbk.h"
#include "net/messages.h"
#include "net/serverlink.h"
#include "tools/examroom/commandline.h"
#include "tools/examroom/examroom.h"
#include "tools/examroom/roster.h"
#include "tools/examroom/ziparchive.h"

#include <QTest>
#include <gtest/gtest.h>
#include <unzip.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>

namespace examclient::examroom {
namespace {

constexpr int waitMilliseconds = 10000;
const std::string samples = EXAMROOM_SAMPLES_DIR;

Bytes bytesOf(std::string_view text)
{
    return Bytes(text.begin(), text.end());
}

Bytes readFile(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// A directory of its own per test, removed afterwards.
class ScratchDirectory final {
public:
    ScratchDirectory()
    {
        std::random_device seed;
        m_path = std::filesystem::temp_directory_path() / ("examroom-test-" + std::to_string(seed()));
        std::filesystem::create_directories(m_path);
    }
    ~ScratchDirectory() { std::filesystem::remove_all(m_path); }

    std::string write(const std::string& name, const Bytes& content) const
    {
        std::filesystem::path path = m_path / name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(content.data()), static_cast<std::streamsize>(content.size()));
        return path.string();
    }

private:
    std::filesystem::path m_path;
};

TEST(Roster, ReadsPairsAndSkipsCommentsAndBlankLines)
{
    std::string error;
    std::optional<Roster> roster = Roster::parse("# comment\r\n\n2026001 11010519900307281X\r\n  2026002\t31\n", error);
    ASSERT_TRUE(roster) << error;
    EXPECT_EQ(roster->entries(), (std::vector<RosterEntry>{{"2026001", "11010519900307281X"}, {"2026002", "31"}}));
    EXPECT_FALSE(Roster::parse("2026001\n", error));
    EXPECT_NE(error.find("line 1"), std::string::npos);
    EXPECT_FALSE(Roster::parse("1 2 3\n", error));
}

TEST(Roster, JudgesEachArrivalAsOneRequest)
{
    std::string error;
    const Roster roster = *Roster::parse("2026001 11010519900307281X\n", error);
    struct Case {
        std::string request;
        LoginVerdict verdict;
    };
    const Case cases[] = {
        {"2026001fg11010519900307281X", LoginVerdict::Accepted},
        {"2026001fg11010519900307281x", LoginVerdict::Rejected},
        {"2026002fg11010519900307281X", LoginVerdict::Rejected},
        {"2026001fg11010519900307281X2026001fg11010519900307281X", LoginVerdict::Malformed},
        {"fg", LoginVerdict::Malformed},
        {"2026001", LoginVerdict::Malformed},
        {std::string("2026001fg11010519900307281X\0", 28), LoginVerdict::Malformed},
    };
    for (const Case& c : cases)
        EXPECT_EQ(judgeLogin(roster, bytesOf(c.request)).verdict, c.verdict) << c.request;
    EXPECT_EQ(judgeLogin(roster, bytesOf("2026001fg1")).examineeNumber, "2026001");
}

TEST(LocalDateTime, ParsesOnlyRealDates)
{
    EXPECT_EQ(parseLocalDateTime("2026-06-07 09:05:03"), (DateTime{2026, 6, 7, 9, 5, 3}));
    EXPECT_EQ(parseLocalDateTime("2024-02-29 00:00:00"), (DateTime{2024, 2, 29, 0, 0, 0}));
    for (const char* wrong : {"2026-6-7 9:05:03", "2026-02-29 00:00:00", "2026-13-01 00:00:00", "2026-06-07 24:00:00",
                              "2026-06-07T09:05:03", "2026-06-07 09:05:0x", ""})
        EXPECT_FALSE(parseLocalDateTime(wrong)) << wrong;
}

TEST(CommandLine, DefaultsServeTheSamplesOnTheFixedPorts)
{
    CommandLine line = parseCommandLine({}, "samples");
    ASSERT_TRUE(line.error.empty());
    EXPECT_FALSE(line.helpRequested);
    EXPECT_EQ(line.options.listenAddress, "127.0.0.1");
    EXPECT_EQ(line.options.loginPort, 19730);
    EXPECT_EQ(line.options.archivePort, 19733);
    EXPECT_EQ(line.options.rosterPath, "samples/roster.txt");
    EXPECT_EQ(line.options.archivePath, "samples/questions.zip");
    EXPECT_EQ(line.options.startInSeconds, 60);
    EXPECT_FALSE(line.options.startAt);
    EXPECT_EQ(line.options.durationMinutes, 45);
}

TEST(CommandLine, ReadsOptions)
{
    CommandLine line =
        parseCommandLine({"--port-base", "20000", "--schedule-port", "0", "--start-at", "2026-06-07 09:05:03",
                          "--duration", "90", "--chunk-range", "10:20", "--seed", "7", "--pause-ms", "5"},
                         "samples");
    ASSERT_TRUE(line.error.empty()) << line.error;
    EXPECT_EQ(line.options.loginPort, 20000);
    EXPECT_EQ(line.options.precautionsPort, 20001);
    EXPECT_EQ(line.options.schedulePort, 0);
    EXPECT_EQ(line.options.archivePort, 20003);
    EXPECT_EQ(line.options.startAt, (DateTime{2026, 6, 7, 9, 5, 3}));
    EXPECT_EQ(line.options.durationMinutes, 90);
    EXPECT_EQ(line.options.chunkMinimum, 10u);
    EXPECT_EQ(line.options.chunkMaximum, 20u);
    EXPECT_EQ(line.options.chunkSeed, 7u);
    EXPECT_EQ(line.options.pauseMilliseconds, 5);
    EXPECT_TRUE(parseCommandLine({"--duration", "5", "--help"}, "s").helpRequested);
}

TEST(CommandLine, RejectsWhatItDoesNotUnderstand)
{
    const std::vector<std::vector<std::string>> wrong = {
        {"--login-port", "65536"},
        {"--chunk", "0"},
        {"--chunk-range", "20:10"},
        {"--start-at", "tomorrow"},
        {"--duration"},
        {"--frobnicate", "1"},
        {"stray"},
        {"--start-in", "1m"},
    };
    for (const auto& arguments : wrong)
        EXPECT_FALSE(parseCommandLine(arguments, "s").error.empty()) << arguments[0];
}

TEST(Samples, AreACompleteDemoExam)
{
    std::string error;
    Bytes rosterBytes = readFile(samples + "/roster.txt");
    std::optional<Roster> roster = Roster::parse(std::string(rosterBytes.begin(), rosterBytes.end()), error);
    ASSERT_TRUE(roster) << error;
    EXPECT_TRUE(roster->admits("2026001", "11010519900307281X"));

    Bytes precautions = readFile(samples + "/precautions.txt");
    std::string utf8;
    ASSERT_FALSE(precautions.empty());
    EXPECT_TRUE(gbkToUtf8Exact(std::string(precautions.begin(), precautions.end()), utf8));
    EXPECT_EQ(std::count(precautions.begin(), precautions.end(), 0), 0);

    // The archive opens with the same ZIP reader the client uses.
    unzFile archive = unzOpen((samples + "/questions.zip").c_str());
    ASSERT_NE(archive, nullptr);
    std::vector<std::string> names;
    for (int status = unzGoToFirstFile(archive); status == UNZ_OK; status = unzGoToNextFile(archive)) {
        char name[256];
        unz_file_info info;
        ASSERT_EQ(unzGetCurrentFileInfo(archive, &info, name, sizeof name, nullptr, 0, nullptr, 0), UNZ_OK);
        names.emplace_back(name);
        ASSERT_EQ(unzOpenCurrentFile(archive), UNZ_OK);
        Bytes content(info.uncompressed_size + 1);
        int read = unzReadCurrentFile(archive, content.data(), static_cast<unsigned>(content.size()));
        EXPECT_EQ(read, static_cast<int>(info.uncompressed_size)) << name;
        EXPECT_EQ(unzCloseCurrentFile(archive), UNZ_OK) << name; // checks the CRC
    }
    unzClose(archive);
    EXPECT_EQ(names, (std::vector<std::string>{"考试说明.txt", "题目/", "题目/第1题.txt", "题目/第2题.txt"}));
}

// The room on free loopback ports, with links of the client talking to it.
class ExamRoomTest : public testing::Test {
protected:
    ExamRoomOptions options(const Bytes& archive = bytesOf("PK archive"))
    {
        ExamRoomOptions options;
        options.loginPort = options.precautionsPort = options.schedulePort = options.archivePort = 0;
        options.rosterPath = samples + "/roster.txt";
        options.precautionsPath = samples + "/precautions.txt";
        options.archivePath = scratch.write("archive.zip", archive);
        return options;
    }

    // Connects a link and collects its arrivals.
    void connect(ServerLink& link, std::uint16_t port, std::vector<Bytes>& arrivals)
    {
        link.setDataArrivalHandler([&] { arrivals.push_back(link.receivedData()); });
        ASSERT_TRUE(link.connect("127.0.0.1", port));
    }

    ScratchDirectory scratch;
};

TEST_F(ExamRoomTest, JudgesLoginsAgainstTheRoster)
{
    ExamRoom room(options());
    std::string error;
    ASSERT_TRUE(room.start(error)) << error;
    ServerLink link;
    std::vector<Bytes> replies;
    connect(link, room.ports().login, replies);

    ASSERT_TRUE(link.send(loginRequest("2026001", "000000000000000000")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return replies.size() == 1; }, waitMilliseconds));
    EXPECT_FALSE(isLoginAccepted(replies[0]));
    ASSERT_TRUE(link.send(loginRequest("2026001", "11010519900307281X")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return replies.size() == 2; }, waitMilliseconds));
    EXPECT_EQ(replies[1], bytesOf("1"));
    EXPECT_TRUE(room.waitForEvent("login 2026001 accepted", std::chrono::milliseconds(waitMilliseconds)));
    EXPECT_TRUE(room.waitForEvent("login 2026001 rejected", std::chrono::milliseconds(0)));
}

TEST_F(ExamRoomTest, SendsThePrecautionsAndTheScheduleForTheChosenSecond)
{
    struct Case {
        DateTime start;
        int minutes;
        Text expected;
    };
    // 年 月 日 时 分 秒 in GBK.
    const Text year = "\xC4\xEA", month = "\xD4\xC2", day = "\xC8\xD5";
    const Text hour = "\xCA\xB1", minute = "\xB7\xD6", second = "\xC3\xEB";
    const Case cases[] = {
        {{2026, 6, 7, 9, 5, 3},
         45,
         "2026" + year + "6" + month + "7" + day + "9" + hour + "5" + minute + "3" + second + "fg45"},
        {{2026, 6, 7, 14, 0, 0}, 90, "2026" + year + "6" + month + "7" + day + "14" + hour + "fg90"},
        {{2026, 12, 31, 0, 0, 7},
         1,
         "2026" + year + "12" + month + "31" + day + "0" + hour + "0" + minute + "7" + second + "fg1"},
    };
    for (const Case& c : cases) {
        ExamRoomOptions chosen = options();
        chosen.startAt = c.start;
        chosen.durationMinutes = c.minutes;
        ExamRoom room(chosen);
        std::string error;
        ASSERT_TRUE(room.start(error)) << error;

        ServerLink precautionsLink;
        ServerLink scheduleLink;
        std::vector<Bytes> precautions;
        std::vector<Bytes> schedules;
        connect(precautionsLink, room.ports().precautions, precautions);
        connect(scheduleLink, room.ports().schedule, schedules);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !precautions.empty() && !schedules.empty(); }, waitMilliseconds));
        EXPECT_EQ(precautions[0], readFile(samples + "/precautions.txt"));
        EXPECT_EQ(schedules[0], bytesOf(c.expected));
        EXPECT_EQ(room.schedule(), c.expected);
    }
}

TEST_F(ExamRoomTest, StartInSecondsCountsFromNow)
{
    ExamRoomOptions chosen = options();
    chosen.startInSeconds = 3600;
    ExamRoom room(chosen);
    const auto before = std::chrono::system_clock::now();
    std::string error;
    ASSERT_TRUE(room.start(error)) << error;
    const auto after = std::chrono::system_clock::now();
    auto secondsOf = [](std::chrono::system_clock::time_point time) {
        return std::chrono::duration_cast<std::chrono::seconds>(time.time_since_epoch()).count();
    };
    std::vector<Text> fields = parseSchedule(textToBytes(room.schedule()));
    ASSERT_EQ(fields.size(), 2u);
    EXPECT_EQ(fields[1], "45");
    EXPECT_TRUE(fields[0] == dateTimeToText(localDateTime(secondsOf(before) + 3600)) ||
                fields[0] == dateTimeToText(localDateTime(secondsOf(after) + 3600)))
        << fields[0];
}

TEST_F(ExamRoomTest, StreamsTheArchiveInPieces)
{
    Bytes archive(200000);
    std::mt19937 random(5);
    for (std::uint8_t& byte : archive)
        byte = static_cast<std::uint8_t>(random());
    ExamRoomOptions chosen = options(archive);
    chosen.chunkMinimum = 1000;
    chosen.chunkMaximum = 30000;
    chosen.pauseMilliseconds = 5;
    ExamRoom room(chosen);
    std::string error;
    ASSERT_TRUE(room.start(error)) << error;

    ServerLink link;
    std::vector<Bytes> arrivals;
    connect(link, room.ports().archive, arrivals);
    auto received = [&] {
        Bytes all;
        for (const Bytes& arrival : arrivals)
            all.insert(all.end(), arrival.begin(), arrival.end());
        return all;
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return received().size() >= archive.size(); }, waitMilliseconds * 3));
    EXPECT_TRUE(received() == archive);
    EXPECT_GT(arrivals.size(), 1u);
    EXPECT_TRUE(room.waitForEvent("archive: complete", std::chrono::milliseconds(waitMilliseconds)));
    EXPECT_TRUE(room.waitForEvent("archive: sent 200000/200000 bytes", std::chrono::milliseconds(0)));
}

TEST_F(ExamRoomTest, ReportsMissingFilesAndTakenPorts)
{
    ExamRoomOptions missing = options();
    missing.rosterPath = samples + "/no-such-roster.txt";
    std::string error;
    EXPECT_FALSE(ExamRoom(missing).start(error));
    EXPECT_NE(error.find("no-such-roster.txt"), std::string::npos);

    ExamRoom first(options());
    ASSERT_TRUE(first.start(error)) << error;
    ExamRoomOptions taken = options();
    taken.schedulePort = first.ports().schedule;
    EXPECT_FALSE(ExamRoom(taken).start(error));
    EXPECT_NE(error.find(std::to_string(first.ports().schedule)), std::string::npos);
}

// The client's fixed ports and the room's defaults meet. Holds the fixed-port lock.
TEST_F(ExamRoomTest, DefaultPortsAreTheClientsPorts)
{
    ExamRoomOptions defaults = options();
    ExamRoomOptions fixed;
    defaults.loginPort = fixed.loginPort;
    defaults.precautionsPort = fixed.precautionsPort;
    defaults.schedulePort = fixed.schedulePort;
    defaults.archivePort = fixed.archivePort;
    ExamRoom room(defaults);
    std::string error;
    ASSERT_TRUE(room.start(error)) << error;
    for (std::int32_t port : {defaultLoginPort, precautionsPort, schedulePort, archivePort}) {
        ServerLink link;
        EXPECT_TRUE(link.connect(archiveSenderAddress, port)) << port;
    }
}

TEST(ZipArchive, WritesEntriesTheReaderAccepts)
{
    ScratchDirectory scratch;
    const std::string path =
        scratch.write("made.zip", makeZipArchive({{"a.txt", bytesOf("stored"), ZipCompression::Stored},
                                                  {"dir/", {}, ZipCompression::Stored},
                                                  {"dir/b.txt", Bytes(5000, 'b'), ZipCompression::Deflated}}));
    unzFile archive = unzOpen(path.c_str());
    ASSERT_NE(archive, nullptr);
    ASSERT_EQ(unzLocateFile(archive, "dir/b.txt", 1), UNZ_OK);
    unz_file_info info;
    ASSERT_EQ(unzGetCurrentFileInfo(archive, &info, nullptr, 0, nullptr, 0, nullptr, 0), UNZ_OK);
    EXPECT_EQ(info.compression_method, 8u);
    EXPECT_LT(info.compressed_size, 5000u);
    ASSERT_EQ(unzOpenCurrentFile(archive), UNZ_OK);
    Bytes content(6000);
    EXPECT_EQ(unzReadCurrentFile(archive, content.data(), static_cast<unsigned>(content.size())), 5000);
    EXPECT_EQ(unzCloseCurrentFile(archive), UNZ_OK);
    unzClose(archive);
}

} // namespace
} // namespace examclient::examroom
