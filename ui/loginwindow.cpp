#include "ui/loginwindow.h"

#include "app/config.h"
#include "app/examstate.h"
#include "app/text.h"
#include "net/serverlink.h"
#include "ui/identitywindow.h"
#include "ui/pictures.h"

#include <memory>

namespace examclient::ui {
namespace {

struct LoginWindowState {
    ServerLink loginLink; // 客户1
};

void created(Window& window)
{
    window.setText("连接状态标签", "正在连接服务器");
    window.setDisabled("登录按钮", true);
    const int port = readServerConfiguration();
    // Blocks until the attempt is over; a failed connect leaves the login impossible
    // for this run, without retry or message.
    if (window.state<LoginWindowState>().loginLink.connect(examState().serverIp, port)) {
        window.setDisabled("登录按钮", false);
        window.setText("连接状态标签", "考生登录");
    }
}

// Nothing typed is validated: empty boxes are sent as they are.
void loginClicked(Window& window)
{
    const Text examineeNumber = window.getText("考生号输入框");
    const Text idCardNumber = window.getText("身份证号输入框");
    const Text request = concatTexts({examineeNumber, "fg", idCardNumber});
    window.state<LoginWindowState>().loginLink.send(request);
    examState().examineeNumber = window.getText("考生号输入框");
}

// Each arrival is one whole reply; only the text "1" accepts.
void replyArrived(ServerLink& loginLink)
{
    const Text reply = bytesToText(loginLink.receivedData());
    if (textEquals(reply, "1")) {
        openModal(identityWindow());
        // LoginWindow stays open, hidden, for the rest of the run.
        if (Window* login = findWindow(kLoginWindowName))
            login->setWindowVisible(false);
    } else {
        messageBox("考生信息有误，请重新输入", MessageStyle::Warning, "登录失败");
    }
}

} // namespace

WindowDefinition loginWindowDefinition()
{
    auto state = std::make_shared<LoginWindowState>();
    state->loginLink.setDataArrivalHandler([link = &state->loginLink] { replyArrived(*link); });

    // The table keeps one line pair per control, as the window design lists them.
    // clang-format off
    return WindowDefinition{
        .name = kLoginWindowName,
        .caption = "考试系统",
        .size = {.width = 1000, .height = 400},
        .background = {.mode = BackgroundMode::Tiled, .picture = kBackgroundPicture},
        .controls = {
            {.name = "客户1", .kind = ControlKind::Link, .container = nullptr,
             .at = {16, 16}, .size = {32, 32}, .text = "", .style = {}},
            {.name = "身份证号输入框", .kind = ControlKind::LineEdit, .container = "图片框3",
             .at = {172, 111}, .size = {200, 20}, .text = "", .tabOrder = 1, .style = {}},
            {.name = "标签3", .kind = ControlKind::Label, .container = "图片框3",
             .at = {108, 114}, .size = {56, 16}, .text = "身份证号：", .style = kPanelLabelStyle},
            {.name = "考生号输入框", .kind = ControlKind::LineEdit, .container = "图片框3",
             .at = {172, 64}, .size = {200, 20}, .text = "", .tabOrder = 0, .style = {}},
            {.name = "标签2", .kind = ControlKind::Label, .container = "图片框3",
             .at = {108, 67}, .size = {48, 16}, .text = "考生号：", .style = kPanelLabelStyle},
            {.name = "登录按钮", .kind = ControlKind::Button, .container = "图片框3",
             .at = {212, 160}, .size = {118, 39}, .text = "登录", .tabOrder = 2, .style = {}},
            {.name = "连接状态标签", .kind = ControlKind::Label, .container = "图片框3",
             .at = {52, 24}, .size = {192, 16}, .text = "考生登录", .style = kPanelLabelStyle},
            {.name = "图片框3", .kind = ControlKind::PictureBox, .container = nullptr,
             .at = {492, 80}, .size = {504, 209}, .text = "", .style = pictureBoxStyle(kPanelPicture)},
            {.name = "图片框2", .kind = ControlKind::PictureBox, .container = nullptr,
             .at = {111, 187}, .size = {283, 93}, .text = "", .style = pictureBoxStyle(kSloganPicture)},
            {.name = "图片框1", .kind = ControlKind::PictureBox, .container = nullptr,
             .at = {28, 90}, .size = {456, 86}, .text = "", .style = pictureBoxStyle(kTitlePicture)},
        },
        .created = created,
        .bindings = {
            {.control = "登录按钮", .event = EventKind::Clicked, .handler = loginClicked},
        },
        .componentBindings = {},
        .state = state,
    };
    // clang-format on
}

const WindowFactory& loginWindow()
{
    static const WindowFactory factory{.name = kLoginWindowName, .build = loginWindowDefinition};
    return factory;
}

} // namespace examclient::ui
