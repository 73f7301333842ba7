#include "ui/noticewindow.h"

#include "app/examstate.h"
#include "app/text.h"
#include "net/serverlink.h"
#include "ui/pictures.h"

#include <memory>
#include <vector>

namespace examclient::ui {
namespace {

constexpr int kPrecautionsPort = 19731;
constexpr int kSchedulePort = 19732;

struct NoticeWindowState {
    ServerLink scheduleLink;    // 客户2
    ServerLink precautionsLink; // 客户1
};

// Both attempts block, one after the other, before the window comes up; a failed one
// only means that nothing arrives on that link.
void created(Window& window)
{
    auto& state = window.state<NoticeWindowState>();
    state.precautionsLink.connect(examState().serverIp, kPrecautionsPort);
    state.scheduleLink.connect(examState().serverIp, kSchedulePort);
}

// Each arrival replaces the whole text, so a text that comes in pieces shows its last.
void precautionsArrived(ServerLink& precautionsLink)
{
    const Text precautions = bytesToText(precautionsLink.receivedData());
    if (Window* window = findWindow(kNoticeWindowName))
        window->setText("考试注意事项编辑框", precautions);
}

// Each arrival is one whole schedule.
void scheduleArrived(ServerLink& scheduleLink)
{
    storeSchedule(bytesToText(scheduleLink.receivedData()));
}

// Any click, ticking or clearing the box, enables "确定" for good.
void agreeClicked(Window& window)
{
    window.setDisabled("按钮1", false);
}

void okClicked(Window& window)
{
    auto& state = window.state<NoticeWindowState>();
    state.precautionsLink.disconnect();
    state.scheduleLink.disconnect();
    closeWindow(window);
}

} // namespace

void storeSchedule(const Text& schedule)
{
    const std::vector<Text> fields = splitText(schedule, "fg");
    if (fields.size() < 2)
        return;
    examState().startTimeText = fields[0];
    examState().durationText = fields[1];
}

WindowDefinition noticeWindowDefinition()
{
    auto state = std::make_shared<NoticeWindowState>();
    state->precautionsLink.setDataArrivalHandler([link = &state->precautionsLink] { precautionsArrived(*link); });
    state->scheduleLink.setDataArrivalHandler([link = &state->scheduleLink] { scheduleArrived(*link); });

    // The table keeps one line pair per control, as the window design lists them.
    // clang-format off
    return WindowDefinition{
        .name = kNoticeWindowName,
        .caption = "",
        .size = {.width = 996, .height = 711},
        .background = {.mode = BackgroundMode::Stretched, .picture = kNoticePicture},
        .controls = {
            {.name = "客户2", .kind = ControlKind::Link, .container = nullptr,
             .at = {40, 56}, .size = {56, 32}, .text = "", .style = {}},
            {.name = "客户1", .kind = ControlKind::Link, .container = nullptr,
             .at = {40, 24}, .size = {56, 32}, .text = "", .style = {}},
            {.name = "按钮1", .kind = ControlKind::Button, .container = nullptr,
             .at = {808, 616}, .size = {104, 22}, .text = "确定", .disabled = true, .tabOrder = 2, .style = {}},
            {.name = "选择框1", .kind = ControlKind::CheckBox, .container = nullptr,
             .at = {599, 622}, .size = {200, 16}, .text = "我已阅读并同意遵守以上内容。", .tabOrder = 1, .style = {}},
            {.name = "考试注意事项编辑框", .kind = ControlKind::TextBox, .container = nullptr,
             .at = {88, 164}, .size = {824, 444}, .text = "", .tabOrder = 0, .style = {}},
        },
        .created = created,
        .bindings = {
            {.control = "选择框1", .event = EventKind::Clicked, .handler = agreeClicked},
            {.control = "按钮1", .event = EventKind::Clicked, .handler = okClicked},
        },
        .componentBindings = {},
        .state = state,
    };
    // clang-format on
}

const WindowFactory& noticeWindow()
{
    static const WindowFactory factory{.name = kNoticeWindowName, .build = noticeWindowDefinition};
    return factory;
}

} // namespace examclient::ui
