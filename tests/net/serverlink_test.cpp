#include "net/messages.h"
#include "net/serverlink.h"
#include "tests/net/loopbackpeer.h"

#include <QEventLoop>
#include <QTest>
#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <numeric>
#include <thread>

namespace examclient {
namespace {

using test::LoopbackPeer;

constexpr int waitMilliseconds = 10000;

bool waitUntil(const std::function<bool()>& condition)
{
    return QTest::qWaitFor(condition, waitMilliseconds);
}

// Gives queued notifications the chance to run, to show that nothing is raised.
void settle()
{
    QTest::qWait(200);
}

Bytes bytesOf(std::string_view text)
{
    return Bytes(text.begin(), text.end());
}

struct Event {
    LinkEvent kind;
    Bytes data;
};

// Records every event of a link, with the arrival's bytes.
class Recorder final {
public:
    void attach(ServerLink& link)
    {
        link.setDataArrivalHandler([this, &link] { events.push_back({LinkEvent::DataArrival, link.receivedData()}); });
        link.setConnectionClosedHandler([this] { events.push_back({LinkEvent::ConnectionClosed, {}}); });
    }

    Bytes allData() const
    {
        Bytes all;
        for (const Event& event : events)
            all.insert(all.end(), event.data.begin(), event.data.end());
        return all;
    }

    bool closed() const { return !events.empty() && events.back().kind == LinkEvent::ConnectionClosed; }

    std::vector<Event> events;
};

// A link connected to a loopback peer, with its events recorded.
class LinkTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(peer.listening());
        recorder.attach(link);
        ASSERT_TRUE(link.connect("127.0.0.1", peer.port()));
        ASSERT_TRUE(peer.accept());
    }

    LoopbackPeer peer;
    ServerLink link;
    Recorder recorder;
};

TEST(LinkPort, ClampsThenKeepsTheLow16Bits)
{
    struct Case {
        std::int32_t given;
        std::uint16_t used;
    };
    for (const Case& c : {Case{0, 1}, Case{-1, 1}, Case{INT_MIN, 1}, Case{1, 1}, Case{19730, 19730}, Case{65535, 65535},
                          Case{65536, 0}, Case{70000, 4464}, Case{INT_MAX, 65535}})
        EXPECT_EQ(linkPort(c.given), c.used) << c.given;
}

TEST(LinkConnect, FailsWithoutAConnection)
{
    LoopbackPeer peer;
    ASSERT_TRUE(peer.listening());
    struct Case {
        const char* name;
        std::string address;
        std::int32_t port;
    };
    for (const Case& c :
         {Case{"empty address", "", peer.port()}, Case{"nobody listens", "127.0.0.1", test::unusedPort()},
          Case{"not an address", "256.1.1.1 x", peer.port()}}) {
        ServerLink link;
        Recorder recorder;
        recorder.attach(link);
        EXPECT_FALSE(link.connect(c.address, c.port)) << c.name;
        EXPECT_FALSE(link.isConnected()) << c.name;
        EXPECT_FALSE(link.send("x")) << c.name;
        settle();
        EXPECT_TRUE(recorder.events.empty()) << c.name;
    }
}

TEST(LinkConnect, ReachesThePeerByAddressOrName)
{
    LoopbackPeer peer;
    ASSERT_TRUE(peer.listening());
    for (const char* address : {"127.0.0.1", "127.1", "localhost"}) {
        ServerLink link;
        ASSERT_TRUE(link.connect(address, peer.port())) << address;
        EXPECT_TRUE(link.isConnected());
        ASSERT_TRUE(peer.accept()) << address;
        EXPECT_TRUE(link.send("hello"));
        EXPECT_EQ(peer.read(5), bytesOf("hello")) << address;
    }
}

TEST(LinkConnect, UsesTheLow16BitsOfALargePort)
{
    LoopbackPeer peer;
    ASSERT_TRUE(peer.listening());
    ServerLink link;
    ASSERT_TRUE(link.connect("127.0.0.1", 65536 + peer.port()));
    EXPECT_TRUE(peer.accept());
}

TEST(LinkConnect, PortsBelowOneMeanPortOne)
{
    LoopbackPeer peer(1);
    if (!peer.listening())
        GTEST_SKIP() << "port 1 cannot be listened on here";
    for (std::int32_t port : {0, -1}) {
        ServerLink link;
        EXPECT_TRUE(link.connect("127.0.0.1", port)) << port;
        EXPECT_TRUE(peer.accept()) << port;
    }
}

TEST(LinkConnect, ANewConnectionReplacesTheOldOneQuietly)
{
    LoopbackPeer first;
    LoopbackPeer second;
    ServerLink link;
    Recorder recorder;
    recorder.attach(link);
    ASSERT_TRUE(link.connect("127.0.0.1", first.port()));
    ASSERT_TRUE(first.accept());
    ASSERT_TRUE(first.write("old"));
    ASSERT_TRUE(link.connect("127.0.0.1", second.port()));
    ASSERT_TRUE(second.accept());
    EXPECT_TRUE(first.seesLinkClose());

    ASSERT_TRUE(second.write("new"));
    ASSERT_TRUE(waitUntil([&] { return !recorder.events.empty(); }));
    settle();
    ASSERT_EQ(recorder.events.size(), 1u);
    EXPECT_EQ(recorder.events[0].data, bytesOf("new"));
}

TEST(LinkConnect, AFailedConnectEndsTheOldConnection)
{
    LoopbackPeer peer;
    ServerLink link;
    ASSERT_TRUE(link.connect("127.0.0.1", peer.port()));
    ASSERT_TRUE(peer.accept());
    EXPECT_FALSE(link.connect("", peer.port()));
    EXPECT_FALSE(link.isConnected());
    EXPECT_FALSE(link.send("x"));
    EXPECT_TRUE(peer.seesLinkClose());
}

TEST_F(LinkTest, SendsTheLoginRequestBytesExactly)
{
    struct Case {
        std::string examineeNumber;
        std::string idCardNumber;
        Bytes expected;
    };
    const Case cases[] = {
        {"A", "B", {0x41, 0x66, 0x67, 0x42}},
        {"", "", {0x66, 0x67}},
        {"2026001", "11010519900307281X", bytesOf("2026001fg11010519900307281X")},
        {"考生", "fg", {0xBF, 0xBC, 0xC9, 0xFA, 0x66, 0x67, 0x66, 0x67}},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(link.send(loginRequest(c.examineeNumber, c.idCardNumber)));
        EXPECT_EQ(peer.read(c.expected.size()), c.expected);
    }
}

TEST_F(LinkTest, SendsBuffersAndNothing)
{
    EXPECT_TRUE(link.send(Bytes{}));
    EXPECT_TRUE(link.send(""));
    EXPECT_TRUE(link.send(Bytes{'1', 0, 'x'}));
    EXPECT_EQ(peer.read(3), (Bytes{'1', 0, 'x'}));
    link.disconnect();
    EXPECT_FALSE(link.isConnected());
    EXPECT_FALSE(link.send("x"));
}

TEST_F(LinkTest, ArrivalsCarryEverythingReadableAtTheTime)
{
    // Two writes before the link looks come as one arrival.
    ASSERT_TRUE(peer.write("ab"));
    ASSERT_TRUE(peer.write(Bytes{'c', 0, 'd'}));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_TRUE(waitUntil([&] { return recorder.events.size() == 1; }));
    EXPECT_EQ(recorder.events[0].data, (Bytes{'a', 'b', 'c', 0, 'd'}));

    // A write after the first arrival was handled is an arrival of its own.
    ASSERT_TRUE(peer.write("ef"));
    ASSERT_TRUE(waitUntil([&] { return recorder.events.size() == 2; }));
    EXPECT_EQ(recorder.events[1].data, bytesOf("ef"));
    EXPECT_EQ(recorder.events[1].kind, LinkEvent::DataArrival);
}

TEST_F(LinkTest, ReceivedDataIsEmptyOutsideAHandler)
{
    EXPECT_TRUE(link.receivedData().empty());
    ASSERT_TRUE(peer.write("1"));
    ASSERT_TRUE(waitUntil([&] { return !recorder.events.empty(); }));
    EXPECT_EQ(recorder.events[0].data, bytesOf("1"));
    EXPECT_TRUE(link.receivedData().empty());
}

TEST_F(LinkTest, PeerCloseComesAfterItsData)
{
    ASSERT_TRUE(peer.write("last words"));
    peer.close();
    ASSERT_TRUE(waitUntil([&] { return recorder.closed(); }));
    settle();
    ASSERT_EQ(recorder.events.size(), 2u);
    EXPECT_EQ(recorder.events[0].data, bytesOf("last words"));
    EXPECT_EQ(recorder.events[1].kind, LinkEvent::ConnectionClosed);
    // The link still counts as connected until it is disconnected.
    EXPECT_TRUE(link.isConnected());
    link.disconnect();
    EXPECT_FALSE(link.isConnected());
}

TEST_F(LinkTest, PeerResetClosesOnce)
{
    peer.reset();
    ASSERT_TRUE(waitUntil([&] { return recorder.closed(); }));
    settle();
    ASSERT_EQ(recorder.events.size(), 1u);
    EXPECT_TRUE(link.isConnected());
    // Writing to a reset connection fails instead of raising SIGPIPE.
    bool sent = true;
    for (int attempt = 0; attempt < 3 && sent; ++attempt)
        sent = link.send("anyone there?");
    EXPECT_FALSE(sent);
}

TEST_F(LinkTest, NoEventAfterDisconnect)
{
    ASSERT_TRUE(peer.write("unread"));
    peer.close();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    link.disconnect();
    settle();
    EXPECT_TRUE(recorder.events.empty());
    link.disconnect(); // On a link without a socket it does nothing.
}

TEST(LinkDisconnect, IgnoresNotificationsAlreadyQueued)
{
    // Both links become readable in the same round of the loop; whichever handler
    // runs first disconnects the other, whose notification may already be queued.
    LoopbackPeer firstPeer;
    LoopbackPeer secondPeer;
    ServerLink first;
    ServerLink second;
    int firstEvents = 0;
    int secondEvents = 0;
    first.setDataArrivalHandler([&] {
        ++firstEvents;
        second.disconnect();
    });
    second.setDataArrivalHandler([&] {
        ++secondEvents;
        first.disconnect();
    });
    first.setConnectionClosedHandler([&] { ++firstEvents; });
    second.setConnectionClosedHandler([&] { ++secondEvents; });
    ASSERT_TRUE(first.connect("127.0.0.1", firstPeer.port()));
    ASSERT_TRUE(firstPeer.accept());
    ASSERT_TRUE(second.connect("127.0.0.1", secondPeer.port()));
    ASSERT_TRUE(secondPeer.accept());
    ASSERT_TRUE(firstPeer.write("1"));
    ASSERT_TRUE(secondPeer.write("2"));
    firstPeer.close();
    secondPeer.close();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_TRUE(waitUntil([&] { return firstEvents + secondEvents > 0; }));
    settle();
    // The one that ran also sees its own close; the other link sees nothing at all.
    EXPECT_TRUE((firstEvents == 2 && secondEvents == 0) || (firstEvents == 0 && secondEvents == 2))
        << firstEvents << " " << secondEvents;
}

TEST_F(LinkTest, NestedArrivalTakesTheBufferOver)
{
    Bytes outerBefore;
    Bytes outerAfter;
    std::vector<Bytes> nested;
    int depth = 0;
    link.setDataArrivalHandler([&] {
        ++depth;
        if (depth == 1) {
            outerBefore = link.receivedData();
            ASSERT_TRUE(peer.write("second"));
            QEventLoop loop;
            while (nested.empty())
                loop.processEvents(QEventLoop::WaitForMoreEvents);
            outerAfter = link.receivedData();
        } else {
            nested.push_back(link.receivedData());
        }
        --depth;
    });
    ASSERT_TRUE(peer.write("first"));
    ASSERT_TRUE(waitUntil([&] { return !outerBefore.empty() && depth == 0; }));
    EXPECT_EQ(outerBefore, bytesOf("first"));
    ASSERT_EQ(nested.size(), 1u);
    EXPECT_EQ(nested[0], bytesOf("second"));
    EXPECT_TRUE(outerAfter.empty());
}

TEST_F(LinkTest, UnfetchedBytesAreGone)
{
    link.setDataArrivalHandler([] {});
    ASSERT_TRUE(peer.write("ignored"));
    settle();
    recorder.attach(link);
    ASSERT_TRUE(peer.write("seen"));
    ASSERT_TRUE(waitUntil([&] { return !recorder.events.empty(); }));
    EXPECT_EQ(recorder.allData(), bytesOf("seen"));
}

// A handler may end the link's life, or start it anew, from inside its own event.
TEST(LinkHandler, MayDestroyDisconnectOrReconnectTheLink)
{
    enum class Action { Destroy, Disconnect, Reconnect };
    for (LinkEvent event : {LinkEvent::DataArrival, LinkEvent::ConnectionClosed}) {
        for (Action action : {Action::Destroy, Action::Disconnect, Action::Reconnect}) {
            LoopbackPeer peer;
            LoopbackPeer other;
            auto link = std::make_unique<ServerLink>();
            bool handled = false;
            ServerLink* raw = link.get();
            link->setHandler(event, [&] {
                handled = true;
                if (action == Action::Destroy)
                    link.reset();
                else if (action == Action::Disconnect)
                    raw->disconnect();
                else
                    EXPECT_TRUE(raw->connect("127.0.0.1", other.port()));
            });
            ASSERT_TRUE(link->connect("127.0.0.1", peer.port()));
            ASSERT_TRUE(peer.accept());
            ASSERT_TRUE(peer.write("bye"));
            peer.close();
            ASSERT_TRUE(waitUntil([&] { return handled; }));
            settle();
            if (action == Action::Reconnect) {
                ASSERT_TRUE(other.accept());
                EXPECT_TRUE(link->send("again"));
                EXPECT_EQ(other.read(5), bytesOf("again"));
            }
        }
    }
}

TEST_F(LinkTest, LargeArrivalsKeepEveryByte)
{
    constexpr std::size_t size = 50u << 20;
    Bytes sent(size);
    std::iota(sent.begin(), sent.end(), std::uint8_t{0});
    sent[size / 2] = 0;
    std::thread sender([&] {
        peer.write(sent);
        peer.close();
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return recorder.closed(); }, 60000));
    sender.join();
    recorder.events.pop_back();
    EXPECT_TRUE(recorder.allData() == sent);
}

TEST_F(LinkTest, APeerThatNeverReadsFailsTheSendInsteadOfStalling)
{
    Bytes huge(64u << 20, 'x');
    EXPECT_FALSE(link.send(huge));
    // The link is still usable for what fits.
    EXPECT_TRUE(link.isConnected());
}

} // namespace
} // namespace examclient
