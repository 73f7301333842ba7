#include "ui/examwindow.h"

#include "app/clock.h"
#include "app/examstate.h"
#include "archive/reception.h"
#include "archive/zipcomponent.h"
#include "net/serverlink.h"
#include "ui/identitywindow.h"

#include <algorithm>
#include <chrono>
#include <memory>

namespace examclient::ui {
namespace {

constexpr char kArchiveSenderAddress[] = "127.0.0.1";
constexpr int kArchivePort = 19733;
constexpr int kTickMilliseconds = 1000;
// The ZIP component's extractProgress event.
constexpr int kExtractProgressEvent = 1;

// A skipped stretch longer than this is caught up over its last part only, so that a
// clock set forward by days does not stall a tick.
constexpr std::int64_t kCatchUpSeconds = 3600;
// A tick may come a few milliseconds before the second is full on the monotonic clock;
// it still counts that second.
constexpr std::int64_t kEarlyTickMilliseconds = 50;

struct ExamWindowState {
    ~ExamWindowState() { zip.clearProgressSink(); }

    ZipComponent zip;       // ZIP压缩1
    ServerLink archiveLink; // 考题接受客户
    // The archive of the current connection of the archive link.
    std::optional<ArchiveReception> reception;
    // The second the clock compared last, to catch up seconds a late tick skipped.
    std::optional<DateTime> lastClockSecond;
    // Where on the monotonic clock the countdown made its last step.
    std::int64_t lastCountdownStep = 0;
};

// Black text in the face colour, without border or picture.
constexpr ControlStyle labelStyle(int fontPixelHeight, Alignment alignment)
{
    return ControlStyle{
        .textColour = 0x000000,
        .fontPixelHeight = fontPixelHeight,
        .alignment = alignment,
        .background = {.mode = BackgroundMode::None, .picture = nullptr},
        .picture = nullptr,
    };
}

// The extraction's progress is the window's component event while the window exists. No
// handler is bound to it, so it never cancels.
std::optional<bool> raiseExtractProgress(int percentage)
{
    Window* window = findWindow(kExamWindowName);
    if (!window)
        return std::nullopt;
    const std::optional<std::int64_t> result =
        window->raiseComponentEvent("ZIP压缩1", kExtractProgressEvent, {percentage});
    if (!result)
        return std::nullopt;
    return *result != 0;
}

// Seconds since 1970-01-01 00:00:00 of the local calendar date and time: no time zone
// is involved, the clock texts are made from the local fields alone.
std::int64_t localSeconds(const DateTime& value)
{
    using namespace std::chrono;
    const sys_days date{year{value.year} / month{static_cast<unsigned>(value.month)} /
                        day{static_cast<unsigned>(value.day)}};
    return std::int64_t{date.time_since_epoch().count()} * 86400 + value.hour * 3600 + value.minute * 60 + value.second;
}

DateTime localDateTime(std::int64_t seconds)
{
    using namespace std::chrono;
    const std::int64_t dayNumber = (seconds >= 0 ? seconds : seconds - 86399) / 86400;
    const std::int64_t secondOfDay = seconds - dayNumber * 86400;
    const year_month_day date{sys_days{days{dayNumber}}};
    return DateTime{
        .year = static_cast<int>(date.year()),
        .month = static_cast<int>(static_cast<unsigned>(date.month())),
        .day = static_cast<int>(static_cast<unsigned>(date.day())),
        .hour = static_cast<int>(secondOfDay / 3600),
        .minute = static_cast<int>(secondOfDay / 60 % 60),
        .second = static_cast<int>(secondOfDay % 60),
    };
}

void created(Window& window)
{
    auto& state = window.state<ExamWindowState>();
    window.setTimerPeriod("时钟1", kTickMilliseconds);
    if (Window* identity = findWindow(kIdentityWindowName))
        identity->setWindowVisible(false);
    state.zip.setProgressSink(raiseExtractProgress);
    if (state.archiveLink.connect(kArchiveSenderAddress, kArchivePort))
        state.reception.emplace(state.zip);
}

// Shows the clock; the exam starts when the clock text of this second, or of a second
// this tick came too late for, is exactly StartTimeText.
void clockTick(Window& window)
{
    auto& state = window.state<ExamWindowState>();
    const DateTime now = currentTime();
    window.setText("时间标签", dateTimeToText(now));
    const Text shown = window.getText("时间标签");
    const Text& startTimeText = examState().startTimeText;
    const bool started =
        textEquals(shown, startTimeText) || skippedSecondMatches(state.lastClockSecond, now, startTimeText);
    state.lastClockSecond = now;
    if (!started)
        return;

    window.setTimerPeriod("时钟1", 0);
    window.setTimerPeriod("时钟2", kTickMilliseconds);
    state.lastCountdownStep = clock().monotonicMilliseconds();
    window.setText("分钟标签", examState().durationText);
    window.setText("秒标签", "0");
    window.setCurrentPage("选择夹1", 1);
}

// Steps the countdown by the whole seconds gone since its last step, so that ticks that
// came late or not at all do not leave it behind real time; it stops at zero.
void countdownTick(Window& window)
{
    auto& state = window.state<ExamWindowState>();
    const std::int64_t elapsed = clock().monotonicMilliseconds() - state.lastCountdownStep;
    const std::int64_t seconds = std::max<std::int64_t>(0, (elapsed + kEarlyTickMilliseconds) / 1000);
    state.lastCountdownStep += seconds * 1000;

    CountdownCaptions captions{.minutes = window.getText("分钟标签"), .seconds = window.getText("秒标签")};
    const CountdownCaptions shown = captions;
    const CountdownState countdown = advanceCountdown(captions, seconds);
    if (captions.minutes != shown.minutes)
        window.setText("分钟标签", captions.minutes);
    if (captions.seconds != shown.seconds)
        window.setText("秒标签", captions.seconds);
    if (countdown == CountdownState::Finished)
        window.setTimerPeriod("时钟2", 0);
}

void archiveArrived(ExamWindowState& state)
{
    if (state.reception)
        state.reception->receive(state.archiveLink.receivedData(), examState().examineeNumber);
}

// The archive of a connection ends with it; an incomplete one is dropped.
void archiveConnectionClosed(ExamWindowState& state)
{
    state.reception.reset();
}

} // namespace

bool skippedSecondMatches(const std::optional<DateTime>& previous, const DateTime& current,
                          std::string_view startTimeText)
{
    if (!previous)
        return false;
    const std::int64_t last = localSeconds(current);
    const std::int64_t first = std::max(localSeconds(*previous) + 1, last - kCatchUpSeconds);
    for (std::int64_t second = first; second < last; ++second) {
        if (textEquals(dateTimeToText(localDateTime(second)), startTimeText))
            return true;
    }
    return false;
}

double remainingSeconds(const CountdownCaptions& captions)
{
    return textToNumber(captions.minutes) * 60.0 + textToNumber(captions.seconds);
}

void stepCountdown(CountdownCaptions& captions)
{
    if (textEquals(captions.seconds, "0")) {
        captions.minutes = numberToText(textToNumber(captions.minutes) - 1.0);
        captions.seconds = "60";
    }
    captions.seconds = numberToText(textToNumber(captions.seconds) - 1.0);
}

CountdownState advanceCountdown(CountdownCaptions& captions, std::int64_t seconds)
{
    for (;;) {
        if (remainingSeconds(captions) <= 0.0)
            return CountdownState::Finished;
        if (seconds <= 0)
            return CountdownState::Running;
        stepCountdown(captions);
        --seconds;
    }
}

WindowDefinition examWindowDefinition()
{
    auto state = std::make_shared<ExamWindowState>();
    state->archiveLink.setDataArrivalHandler([raw = state.get()] { archiveArrived(*raw); });
    state->archiveLink.setConnectionClosedHandler([raw = state.get()] { archiveConnectionClosed(*raw); });

    // The table keeps one line pair per control, as the window design lists them.
    // clang-format off
    return WindowDefinition{
        .name = kExamWindowName,
        .caption = "",
        .size = {.width = 525, .height = 145},
        .background = {.mode = BackgroundMode::None, .picture = nullptr},
        .controls = {
            {.name = "ZIP压缩1", .kind = ControlKind::Component, .container = "选择夹1", .page = 0,
             .at = {48, 80}, .size = {40, 32}, .text = "", .style = {}},
            {.name = "考题接受客户", .kind = ControlKind::Link, .container = "选择夹1", .page = 0,
             .at = {8, 80}, .size = {24, 24}, .text = "", .style = {}},
            {.name = "秒标签", .kind = ControlKind::Label, .container = "选择夹1", .page = 1,
             .at = {250, 39}, .size = {80, 56}, .text = "标签", .style = labelStyle(35, Alignment::Centre)},
            {.name = "标签4", .kind = ControlKind::Label, .container = "选择夹1", .page = 1,
             .at = {230, 39}, .size = {32, 56}, .text = "：", .style = labelStyle(35, Alignment::Centre)},
            {.name = "标签3", .kind = ControlKind::Label, .container = "选择夹1", .page = 1,
             .at = {8, 8}, .size = {232, 24}, .text = "本场考试剩余时间：", .style = labelStyle(0, Alignment::Left)},
            {.name = "时钟2", .kind = ControlKind::Timer, .container = "选择夹1", .page = 1,
             .at = {416, 280}, .size = {48, 24}, .text = "", .style = {}},
            {.name = "分钟标签", .kind = ControlKind::Label, .container = "选择夹1", .page = 1,
             .at = {144, 40}, .size = {80, 56}, .text = "标签", .style = labelStyle(35, Alignment::Centre)},
            {.name = "时钟1", .kind = ControlKind::Timer, .container = "选择夹1", .page = 0,
             .at = {472, 64}, .size = {32, 32}, .text = "", .style = {}},
            {.name = "时间标签", .kind = ControlKind::Label, .container = "选择夹1", .page = 0,
             .at = {120, 80}, .size = {240, 24}, .text = " ", .style = labelStyle(0, Alignment::Centre)},
            {.name = "标签1", .kind = ControlKind::Label, .container = "选择夹1", .page = 0,
             .at = {16, 16}, .size = {456, 56}, .text = "请等待监考员发出开始考试指令",
             .style = labelStyle(32, Alignment::Left)},
            {.name = "选择夹1", .kind = ControlKind::PageContainer, .container = nullptr,
             .at = {8, 8}, .size = {512, 136}, .text = "", .style = {}, .pageCount = 2},
        },
        .created = created,
        .bindings = {
            {.control = "时钟1", .event = EventKind::Tick, .handler = clockTick},
            {.control = "时钟2", .event = EventKind::Tick, .handler = countdownTick},
        },
        .componentBindings = {},
        .state = state,
    };
    // clang-format on
}

const WindowFactory& examWindow()
{
    static const WindowFactory factory{.name = kExamWindowName, .build = examWindowDefinition};
    return factory;
}

} // namespace examclient::ui
