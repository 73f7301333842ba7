#include "app/eventloop.h"

#include <cstdio>
#include <cstdlib>

namespace examclient {
namespace {
EventLoop* installedLoop = nullptr;
}

EventLoop& eventLoop()
{
    if (!installedLoop) {
        std::fputs("examclient: no event loop installed\n", stderr);
        std::abort();
    }
    return *installedLoop;
}

void installEventLoop(EventLoop* loop)
{
    installedLoop = loop;
}

} // namespace examclient
