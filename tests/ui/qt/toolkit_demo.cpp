// A window to look at, not a test: labels over a tiled panel picture, Chinese texts in
// the default and large fonts, edit boxes, a button, a check box, a text box and a page
// container. Run it under Xvfb and take a screenshot; it closes itself after a while.
#include "ui/toolkit.h"

#include <QTimer>

#include <cstdlib>

using namespace examclient::ui;

namespace {

ControlDefinition control(const char* name, ControlKind kind, Point at, Size size, examclient::Text text = {})
{
    ControlDefinition row{name, kind};
    row.at = at;
    row.size = size;
    row.text = std::move(text);
    return row;
}

WindowDefinition demoWindow()
{
    WindowDefinition definition;
    definition.name = "DemoWindow";
    definition.caption = "考试系统";
    definition.size = {640, 400};
    definition.background = {BackgroundMode::Tiled, "quarters.png"};

    ControlDefinition panel = control("图片框3", ControlKind::PictureBox, {300, 40}, {320, 200});
    ControlDefinition status = control("连接状态标签", ControlKind::Label, {20, 10}, {192, 16}, "考生登录");
    status.container = "图片框3";
    status.style.textColour = 0xFFFFFF;
    status.style.background = {BackgroundMode::Tiled, "quarters.png"};
    ControlDefinition caption = control("标签2", ControlKind::Label, {21, 41}, {60, 16}, "考生号：");
    caption.container = "图片框3";
    caption.style.textColour = 0xFFFFFF;
    caption.style.background = {BackgroundMode::Tiled, "quarters.png"};
    ControlDefinition number = control("考生号输入框", ControlKind::LineEdit, {90, 38}, {200, 20}, "20160607");
    number.container = "图片框3";
    number.tabOrder = 0;
    ControlDefinition login = control("登录按钮", ControlKind::Button, {150, 120}, {118, 39}, "登录");
    login.container = "图片框3";
    login.tabOrder = 1;

    ControlDefinition notice = control("考试注意事项编辑框", ControlKind::TextBox, {20, 40}, {260, 120},
                                       "一、考生须按时进入考场。\r\n二、考试期间不得交谈。这一行很长，"
                                       "应当在文本框的宽度处自动换行，而不出现水平滚动条。");
    ControlDefinition agree = control("选择框1", ControlKind::CheckBox, {20, 170}, {260, 16},
                                      "我已阅读并同意遵守以上内容。");
    ControlDefinition pages = control("选择夹1", ControlKind::PageContainer, {20, 250}, {512, 136});
    pages.pageCount = 2;
    ControlDefinition waiting =
        control("标签1", ControlKind::Label, {16, 16}, {456, 56}, "请等待监考员发出开始考试指令");
    waiting.container = "选择夹1";
    waiting.style.fontPixelHeight = 32;
    ControlDefinition clock = control("时间标签", ControlKind::Label, {120, 80}, {240, 24}, "2016年6月7日9时5分3秒");
    clock.container = "选择夹1";
    clock.style.alignment = Alignment::Centre;

    definition.controls = {panel, status, caption, number, login, notice, agree, pages, waiting, clock};
    return definition;
}

} // namespace

int main(int argc, char** argv)
{
    initialiseToolkit(argc, argv);
    openWindow({"DemoWindow", demoWindow});
    const char* seconds = std::getenv("DEMO_SECONDS");
    QTimer::singleShot((seconds ? std::atoi(seconds) : 5) * 1000, [] {
        if (Window* window = findWindow("DemoWindow"))
            closeWindow(*window);
    });
    const int value = runMessageLoop();
    shutdownToolkit();
    return value;
}
