// The GUI thread's event loop, as the layers below the toolkit see it. The toolkit
// backend installs the one implementation at start-up; links and components use it
// to get their notifications delivered on the GUI thread, between handlers.
#pragma once

#include <functional>
#include <memory>

namespace examclient {

// Stops the notifications of one socket when destroyed.
class SocketWatch {
public:
    virtual ~SocketWatch() = default;
    // While disabled no readability callback runs. A watch starts enabled.
    virtual void setEnabled(bool enabled) = 0;
};

class EventLoop {
public:
    virtual ~EventLoop() = default;

    // Runs `callback` on the GUI thread once the thread is back in a message loop
    // (the main one or a modal window's), after the handler now running returns
    // or waits in a nested loop. Callbacks run in the order they were posted.
    virtual void post(std::function<void()> callback) = 0;

    // Calls `onReadable` on the GUI thread, from a message loop, whenever the socket
    // `descriptor` is readable (which includes end of stream and errors) and the
    // watch is enabled. Level-triggered: it fires again while data stays unread.
    virtual std::unique_ptr<SocketWatch> watchSocket(int descriptor, std::function<void()> onReadable) = 0;
};

// The installed loop; the toolkit installs it before any window exists.
EventLoop& eventLoop();
void installEventLoop(EventLoop* loop);

} // namespace examclient
