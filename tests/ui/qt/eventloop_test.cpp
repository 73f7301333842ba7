// The Qt event loop behind app/eventloop.h: posted callbacks and socket readability,
// on a socket pair.
#include "app/eventloop.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <memory>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace examclient {
namespace {

// Runs the loop until `done` or a generous time has passed.
void runUntil(const bool& done)
{
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done)
            loop.quit();
    });
    poll.start(1);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
}

class SocketPair {
public:
    SocketPair() { EXPECT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, m_ends), 0); }
    ~SocketPair()
    {
        close(m_ends[0]);
        close(m_ends[1]);
    }
    int watched() const { return m_ends[0]; }
    void send(const std::string& bytes)
    {
        ASSERT_EQ(write(m_ends[1], bytes.data(), bytes.size()), ssize_t(bytes.size()));
    }
    std::string receive()
    {
        char buffer[256];
        const ssize_t got = read(m_ends[0], buffer, sizeof buffer);
        return got > 0 ? std::string(buffer, static_cast<std::size_t>(got)) : std::string();
    }

private:
    int m_ends[2] = {-1, -1};
};

TEST(QtEventLoopTest, PostedCallbacksRunLaterInOrder)
{
    std::vector<int> order;
    eventLoop().post([&] { order.push_back(1); });
    eventLoop().post([&] { order.push_back(2); });
    EXPECT_TRUE(order.empty()) << "a posted callback waits for the loop";
    bool done = false;
    eventLoop().post([&] { done = true; });
    runUntil(done);
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
}

TEST(QtEventLoopTest, CallbackWaitingInANestedLoopStillSeesLaterData)
{
    SocketPair pair;
    bool sawSecondWhileWaiting = false;
    std::vector<std::string> arrivals;
    bool done = false;
    std::unique_ptr<SocketWatch> watch = eventLoop().watchSocket(pair.watched(), [&] {
        arrivals.push_back(pair.receive());
        if (arrivals.size() == 1) {
            // The handler of the first arrival waits (as in a modal window) while the
            // second arrives; that one must be delivered inside the wait.
            pair.send("second");
            runUntil(done);
            sawSecondWhileWaiting = done;
        } else {
            done = true;
        }
    });
    pair.send("first");
    runUntil(done);
    EXPECT_TRUE(sawSecondWhileWaiting);
    EXPECT_EQ(arrivals, (std::vector<std::string>{"first", "second"}));
}

TEST(QtEventLoopTest, DisabledWatchDeliversNothingUntilEnabled)
{
    SocketPair pair;
    int calls = 0;
    std::unique_ptr<SocketWatch> watch = eventLoop().watchSocket(pair.watched(), [&] {
        ++calls;
        pair.receive();
    });
    watch->setEnabled(false);
    pair.send("x");
    bool waited = false;
    QTimer::singleShot(50, [&] { waited = true; });
    runUntil(waited);
    EXPECT_EQ(calls, 0);
    watch->setEnabled(true);
    bool delivered = false;
    eventLoop().post([] {});
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] { delivered = calls == 1; });
    poll.start(1);
    runUntil(delivered);
    EXPECT_EQ(calls, 1);
}

TEST(QtEventLoopTest, CallbackMayDestroyItsOwnWatch)
{
    SocketPair pair;
    bool done = false;
    std::unique_ptr<SocketWatch> watch;
    auto token = std::make_shared<int>(42);
    watch = eventLoop().watchSocket(pair.watched(), [&, token] {
        pair.receive();
        watch.reset(); // the link closed by its own handler
        done = *token == 42;
    });
    pair.send("bye");
    runUntil(done);
    EXPECT_TRUE(done);
}

} // namespace
} // namespace examclient
