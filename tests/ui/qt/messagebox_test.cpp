// Message boxes: answered by the hook, by the environment for subprocess tests, or by
// a person (here a timer standing in for one).
#include "tests/ui/qt/toolkittest.h"

#include "app/fatal.h"
#include "app/platformpaths.h"

#include <gmock/gmock.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace examclient::ui {
namespace {

using MessageBoxTest = ToolkitTest;

std::string utf8(const char8_t* text)
{
    return reinterpret_cast<const char*>(text);
}

TEST_F(MessageBoxTest, HookAnswersInsteadOfAPerson)
{
    struct Box {
        Text text;
        MessageStyle style;
        Text title;
    };
    std::vector<Box> boxes;
    setMessageBoxHook([&](const Text& text, MessageStyle style, const Text& title) {
        boxes.push_back({text, style, title});
    });
    messageBox("考生信息有误，请重新输入", MessageStyle::Warning, "登录失败");
    messageBox("已告知监考教师，请坐在原位耐心等待。", MessageStyle::Information, "请耐心等待");
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, Text("考生信息有误，请重新输入"));
    EXPECT_EQ(boxes[0].style, MessageStyle::Warning);
    EXPECT_EQ(boxes[0].title, Text("登录失败"));
    EXPECT_EQ(boxes[1].style, MessageStyle::Information);
}

TEST_F(MessageBoxTest, EnvironmentAnswersWithOneLineOnStandardError)
{
    setenv("EXAMCLIENT_TEST_MESSAGE_BOXES", "1", 1);
    ::testing::internal::CaptureStderr();
    messageBox("运行时出错!\r\n\r\n错误代码：1", MessageStyle::Error, "错误");
    const std::string line = ::testing::internal::GetCapturedStderr();
    unsetenv("EXAMCLIENT_TEST_MESSAGE_BOXES");
    EXPECT_EQ(line, utf8(u8"错误|运行时出错!\\r\\n\\r\\n错误代码：1\n"));
}

// Each style with the icon it shows; a person clicks OK.
class MessageBoxStyleTest : public ToolkitTest,
                            public ::testing::WithParamInterface<std::pair<MessageStyle, QMessageBox::Icon>> {};

TEST_P(MessageBoxStyleTest, BoxIsApplicationModalWithOneOkButtonAndTheStylesIcon)
{
    bool answered = false;
    QTimer::singleShot(0, qApp, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->icon(), GetParam().second);
        EXPECT_EQ(box->windowTitle(), u"登录失败"_s);
        EXPECT_EQ(box->text(), u"第一行\n第二行"_s);
        EXPECT_EQ(box->windowModality(), Qt::ApplicationModal);
        EXPECT_EQ(box->parentWidget(), nullptr);
        ASSERT_EQ(box->buttons().size(), 1);
        EXPECT_EQ(box->standardButton(box->buttons().front()), QMessageBox::Ok);
        answered = true;
        box->buttons().front()->click();
    });
    messageBox("第一行\r\n第二行", GetParam().first, "登录失败");
    EXPECT_TRUE(answered);
}

INSTANTIATE_TEST_SUITE_P(Styles, MessageBoxStyleTest,
                         ::testing::Values(std::pair(MessageStyle::Warning, QMessageBox::Warning),
                                           std::pair(MessageStyle::Information, QMessageBox::Information),
                                           std::pair(MessageStyle::Error, QMessageBox::Critical)));

// The fatal error through the presenter that start-up installed: the error box, which
// leaves the windows usable, and then the cleanup that destroys the windows (and so
// their links) before the process ends with -1.
TEST(FatalErrorTest, ShowsTheErrorBoxWithoutBlockingAndDestroysTheWindowsBeforeEnding)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto fatalWithAWindowOpen = [] {
        struct State {
            ~State() { std::fputs("state released\n", stderr); }
        };
        openWindow(factoryFor("Doomed", [] {
            WindowDefinition definition = plainWindow("Doomed");
            definition.state = std::make_shared<State>();
            return definition;
        }));
        QTimer::singleShot(0, qApp, [] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                auto* box = qobject_cast<QMessageBox*>(widget);
                if (!box || !box->isVisible())
                    continue;
                std::fprintf(stderr, "box modal=%d critical=%d title=%s window enabled=%d\n",
                             box->windowModality() != Qt::NonModal, box->icon() == QMessageBox::Critical,
                             box->windowTitle().toUtf8().constData(), widgetOf("Doomed").isEnabled());
                box->buttons().front()->click();
            }
        });
        fatalRuntimeError(1, "数组成员引用下标超出定义范围");
    };
    EXPECT_EXIT(fatalWithAWindowOpen(), ::testing::ExitedWithCode(255),
                ::testing::AllOf(::testing::HasSubstr(utf8(u8"box modal=0 critical=1 title=错误 window enabled=1\n")),
                                 ::testing::HasSubstr("state released\n")));
}

TEST(StartUpTest, ProgramDirectoryIsTheCurrentDirectory)
{
    char* current = getcwd(nullptr, 0);
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(std::string(current), programDirectory());
    std::free(current);
}

} // namespace
} // namespace examclient::ui
