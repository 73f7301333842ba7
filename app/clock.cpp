#include "app/clock.h"

#include <chrono>

namespace examclient {
namespace {

class SystemClock final : public Clock {
public:
    std::int64_t wallSeconds() override
    {
        using namespace std::chrono;
        return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
    }
    std::int64_t monotonicMilliseconds() override
    {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }
};

SystemClock systemClock;
Clock* installedClock = &systemClock;

} // namespace

Clock& clock()
{
    return *installedClock;
}

void installClock(Clock* replacement)
{
    installedClock = replacement ? replacement : &systemClock;
}

} // namespace examclient
