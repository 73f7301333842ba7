// Windows to look at, not a test: the layouts of the real windows drawn by the toolkit
// with the program's pictures. Run under Xvfb and take a screenshot; each window closes
// itself after DEMO_SECONDS (default 5). DEMO_WINDOW picks one: login, notice or exam.
#include "ui/toolkit.h"

#include <QTimer>

#include <cstdlib>
#include <string>

using namespace examclient::ui;

namespace {

ControlDefinition control(const char* name, ControlKind kind, const char* container, Point at, Size size,
                          examclient::Text text = {})
{
    ControlDefinition row{name, kind, container};
    row.at = at;
    row.size = size;
    row.text = std::move(text);
    return row;
}

ControlDefinition panelLabel(const char* name, Point at, Size size, examclient::Text text)
{
    ControlDefinition row = control(name, ControlKind::Label, "图片框3", at, size, std::move(text));
    row.style.textColour = 0xFFFFFF;
    row.style.background = {BackgroundMode::Tiled, "panel.bmp"};
    return row;
}

WindowDefinition loginWindow()
{
    WindowDefinition definition;
    definition.name = "DemoWindow";
    definition.caption = "考试系统";
    definition.size = {1000, 400};
    definition.background = {BackgroundMode::Tiled, "background.bmp"};
    ControlDefinition idNumber =
        control("身份证号输入框", ControlKind::LineEdit, "图片框3", {172, 111}, {200, 20}, "11010119900307123X");
    idNumber.tabOrder = 1;
    ControlDefinition number = control("考生号输入框", ControlKind::LineEdit, "图片框3", {172, 64}, {200, 20});
    number.tabOrder = 0;
    ControlDefinition login = control("登录按钮", ControlKind::Button, "图片框3", {212, 160}, {118, 39}, "登录");
    login.tabOrder = 2;
    ControlDefinition panel = control("图片框3", ControlKind::PictureBox, nullptr, {492, 80}, {504, 209});
    panel.style.picture = "panel.bmp";
    ControlDefinition slogan = control("图片框2", ControlKind::PictureBox, nullptr, {111, 187}, {283, 93});
    slogan.style.picture = "slogan.bmp";
    ControlDefinition title = control("图片框1", ControlKind::PictureBox, nullptr, {28, 90}, {456, 86});
    title.style.picture = "title.bmp";
    definition.controls = {
        idNumber, panelLabel("标签3", {108, 114}, {56, 16}, "身份证号："),
        number,   panelLabel("标签2", {108, 67}, {48, 16}, "考生号："),
        login,    panelLabel("连接状态标签", {52, 24}, {192, 16}, "考生登录"),
        panel,    slogan,
        title,
    };
    return definition;
}

WindowDefinition noticeWindow()
{
    WindowDefinition definition;
    definition.name = "DemoWindow";
    definition.size = {996, 711};
    definition.background = {BackgroundMode::Stretched, "notice.jpg"};
    examclient::Text text;
    for (int i = 1; i <= 40; ++i)
        text += std::to_string(i) +
                "、考生须按时进入考场，考试期间不得交谈，不得离开座位；这一行很长，应当在文本框的宽度处"
                "自动换行，而不出现水平滚动条。\r\n";
    definition.controls = {
        control("按钮1", ControlKind::Button, nullptr, {808, 616}, {104, 22}, "确定"),
        control("选择框1", ControlKind::CheckBox, nullptr, {599, 622}, {200, 16}, "我已阅读并同意遵守以上内容。"),
        control("考试注意事项编辑框", ControlKind::TextBox, nullptr, {88, 164}, {824, 444}, text),
    };
    definition.controls[0].disabled = true;
    return definition;
}

WindowDefinition examWindow()
{
    WindowDefinition definition;
    definition.name = "DemoWindow";
    definition.size = {525, 145};
    auto label = [](const char* name, int page, Point at, Size size, examclient::Text text, int height,
                    Alignment alignment) {
        ControlDefinition row = control(name, ControlKind::Label, "选择夹1", at, size, std::move(text));
        row.page = page;
        row.style.fontPixelHeight = height;
        row.style.alignment = alignment;
        return row;
    };
    ControlDefinition pages = control("选择夹1", ControlKind::PageContainer, nullptr, {8, 8}, {512, 136});
    pages.pageCount = 2;
    const bool countdown = std::getenv("DEMO_PAGE") && std::string(std::getenv("DEMO_PAGE")) == "1";
    definition.controls = {
        label("秒标签", 1, {250, 39}, {80, 56}, "59", 35, Alignment::Centre),
        label("标签4", 1, {230, 39}, {32, 56}, "：", 35, Alignment::Centre),
        label("标签3", 1, {8, 8}, {232, 24}, "本场考试剩余时间：", 0, Alignment::Left),
        label("分钟标签", 1, {144, 40}, {80, 56}, "44", 35, Alignment::Centre),
        label("时间标签", 0, {120, 80}, {240, 24}, "2016年6月7日9时5分3秒", 0, Alignment::Centre),
        label("标签1", 0, {16, 16}, {456, 56}, "请等待监考员发出开始考试指令", 32, Alignment::Left),
        pages,
    };
    if (countdown)
        definition.created = [](Window& window) { window.setCurrentPage("选择夹1", 1); };
    return definition;
}

} // namespace

int main(int argc, char** argv)
{
    initialiseToolkit(argc, argv);
    const char* which = std::getenv("DEMO_WINDOW");
    const std::string name = which ? which : "login";
    openWindow({"DemoWindow", name == "notice" ? noticeWindow : name == "exam" ? examWindow : loginWindow});
    const char* seconds = std::getenv("DEMO_SECONDS");
    QTimer::singleShot((seconds ? std::atoi(seconds) : 5) * 1000, [] {
        if (Window* window = findWindow("DemoWindow"))
            closeWindow(*window);
    });
    const int value = runMessageLoop();
    shutdownToolkit();
    return value;
}
