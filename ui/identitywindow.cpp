#include "ui/identitywindow.h"

#include "ui/examwindow.h"
#include "ui/loginwindow.h"
#include "ui/noticewindow.h"
#include "ui/pictures.h"

namespace examclient::ui {
namespace {

// The identity places keep their design texts and the photo area stays empty: nothing
// fills them in.
void created(Window&)
{
    if (Window* login = findWindow(kLoginWindowName))
        login->setWindowVisible(false);
}

// Only a box: the invigilator is told by other means, nothing is sent.
void informationWrongClicked(Window&)
{
    messageBox("已告知监考教师，请坐在原位耐心等待。", MessageStyle::Information, "请耐心等待");
}

// Returns once NoticeWindow is gone, by "确定" or by a close request alike.
void informationCorrectClicked(Window& window)
{
    openModal(noticeWindow());
    window.setDisabled("开始考试按钮", false);
    window.setDisabled("按钮2", true);
    window.setDisabled("按钮1", true);
}

void startExamClicked(Window&)
{
    openModal(examWindow());
}

} // namespace

WindowDefinition identityWindowDefinition()
{
    // The table keeps one line pair per control, as the window design lists them.
    // clang-format off
    return WindowDefinition{
        .name = kIdentityWindowName,
        .caption = "考试系统",
        .size = {.width = 1000, .height = 400},
        .background = {.mode = BackgroundMode::Tiled, .picture = kBackgroundPicture},
        .controls = {
            {.name = "开始考试按钮", .kind = ControlKind::Button, .container = "图片框3",
             .at = {336, 168}, .size = {72, 24}, .text = "开始考试", .disabled = true, .tabOrder = 2, .style = {}},
            {.name = "按钮2", .kind = ControlKind::Button, .container = "图片框3",
             .at = {232, 168}, .size = {72, 24}, .text = "信息正确", .tabOrder = 1, .style = {}},
            {.name = "按钮1", .kind = ControlKind::Button, .container = "图片框3",
             .at = {124, 168}, .size = {72, 24}, .text = "信息有误", .tabOrder = 0, .style = {}},
            {.name = "身份证号标签", .kind = ControlKind::Label, .container = "图片框3",
             .at = {115, 103}, .size = {153, 16}, .text = "身份证号", .style = kPanelLabelStyle},
            {.name = "标签6", .kind = ControlKind::Label, .container = "图片框3",
             .at = {51, 104}, .size = {61, 16}, .text = "身份证号：", .style = kPanelLabelStyle},
            {.name = "考生号标签", .kind = ControlKind::Label, .container = "图片框3",
             .at = {113, 81}, .size = {123, 16}, .text = "考生号", .style = kPanelLabelStyle},
            {.name = "标签4", .kind = ControlKind::Label, .container = "图片框3",
             .at = {51, 81}, .size = {48, 16}, .text = "考生号：", .style = kPanelLabelStyle},
            {.name = "考生姓名标签", .kind = ControlKind::Label, .container = "图片框3",
             .at = {112, 56}, .size = {48, 16}, .text = "考生姓名", .style = kPanelLabelStyle},
            {.name = "考生照片标签", .kind = ControlKind::PictureBox, .container = "图片框3",
             .at = {380, 40}, .size = {80, 104}, .text = "", .style = pictureBoxStyle(nullptr)},
            {.name = "标签2", .kind = ControlKind::Label, .container = "图片框3",
             .at = {52, 56}, .size = {48, 16}, .text = "姓名：", .style = kPanelLabelStyle},
            {.name = "图片框3", .kind = ControlKind::PictureBox, .container = nullptr,
             .at = {492, 80}, .size = {504, 209}, .text = "", .style = pictureBoxStyle(kPanelPicture)},
            {.name = "标签1", .kind = ControlKind::Label, .container = "图片框3",
             .at = {52, 24}, .size = {440, 16}, .text = "考生信息查看（本考场为）", .style = kPanelLabelStyle},
            {.name = "图片框2", .kind = ControlKind::PictureBox, .container = nullptr,
             .at = {111, 187}, .size = {283, 93}, .text = "", .style = pictureBoxStyle(kSloganPicture)},
            {.name = "图片框1", .kind = ControlKind::PictureBox, .container = nullptr,
             .at = {28, 90}, .size = {456, 86}, .text = "", .style = pictureBoxStyle(kTitlePicture)},
        },
        .created = created,
        .bindings = {
            {.control = "按钮1", .event = EventKind::Clicked, .handler = informationWrongClicked},
            {.control = "按钮2", .event = EventKind::Clicked, .handler = informationCorrectClicked},
            {.control = "开始考试按钮", .event = EventKind::Clicked, .handler = startExamClicked},
        },
        .componentBindings = {},
        .state = nullptr,
    };
    // clang-format on
}

const WindowFactory& identityWindow()
{
    static const WindowFactory factory{.name = kIdentityWindowName, .build = identityWindowDefinition};
    return factory;
}

} // namespace examclient::ui
