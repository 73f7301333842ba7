// Windows: opening, modal loops, the enabled state around them, destruction and the
// end of the message loop.
#include "tests/ui/qt/toolkittest.h"

#include <QApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <string>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace examclient::ui {
namespace {

using WindowsTest = ToolkitTest;

// Lets other work run for a while from inside a handler, as a handler waiting in a
// nested loop does.
void waitInNestedLoop(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

TEST_F(WindowsTest, OpenWindowShowsAFramelessWindowWithATaskbarEntryCentred)
{
    bool createdBeforeShown = false;
    openWindow(factoryFor("Main", [&] {
        WindowDefinition definition = plainWindow("Main");
        definition.size = {300, 120};
        definition.created = [&](Window& window) { createdBeforeShown = !window.isWindowVisible(); };
        return definition;
    }));
    QWidget& widget = widgetOf("Main");
    EXPECT_TRUE(createdBeforeShown);
    EXPECT_TRUE(widget.isVisible());
    EXPECT_TRUE(widget.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(widget.windowType(), Qt::Window);
    EXPECT_EQ(widget.size(), QSize(300, 120));
    EXPECT_EQ(widget.geometry().center(), QGuiApplication::primaryScreen()->geometry().center());

    closeWindow(*findWindow("Main"));
    EXPECT_NE(findWindow("Main"), nullptr) << "closeWindow destroys only from the loop";
    settle();
    EXPECT_EQ(findWindow("Main"), nullptr);
}

TEST_F(WindowsTest, ModalWindowHasNoTaskbarEntryAndReturnsWhenDestroyed)
{
    std::vector<std::string> steps;
    const int value = runLoopWith([&] {
        openModal(factoryFor("Modal", [&] {
            WindowDefinition definition = plainWindow("Modal");
            definition.created = [&](Window& window) {
                steps.push_back("created");
                QTimer::singleShot(0, qApp, [&] {
                    QWidget& widget = widgetOf("Modal");
                    EXPECT_EQ(widget.windowType(), Qt::Tool);
                    EXPECT_TRUE(widget.windowFlags().testFlag(Qt::FramelessWindowHint));
                    EXPECT_TRUE(widget.isVisible());
                    steps.push_back("shown");
                    closeWindow(window);
                });
            };
            return definition;
        }));
        steps.push_back("returned");
    });
    EXPECT_EQ(value, 0);
    EXPECT_EQ(steps, (std::vector<std::string>{"created", "shown", "returned"}));
}

TEST_F(WindowsTest, NestedModalLoopsReturnInOrderWhateverOrderTheWindowsGo)
{
    // Outer is destroyed while Inner is still open: Outer's openModal must wait until
    // Inner's loop has returned.
    std::vector<std::string> steps;
    const int value = runLoopWith([&] {
        openModal(factoryFor("Outer", [&] {
            WindowDefinition definition = plainWindow("Outer");
            definition.created = [&](Window&) {
                QTimer::singleShot(0, qApp, [&] {
                    openModal(factoryFor("Inner", [&] {
                        WindowDefinition inner = plainWindow("Inner");
                        inner.created = [&](Window&) {
                            QTimer::singleShot(0, qApp, [&] {
                                closeWindow(*findWindow("Outer"));
                                QTimer::singleShot(20, qApp, [&] {
                                    steps.push_back(findWindow("Outer") ? "outer alive" : "outer gone");
                                    closeWindow(*findWindow("Inner"));
                                });
                            });
                        };
                        return inner;
                    }));
                    steps.push_back("inner returned");
                });
            };
            return definition;
        }));
        steps.push_back("outer returned");
    });
    EXPECT_EQ(value, 0);
    EXPECT_EQ(steps, (std::vector<std::string>{"outer gone", "inner returned", "outer returned"}));
}

TEST_F(WindowsTest, OpeningAnOpenWindowOnlyActivatesIt)
{
    int created = 0;
    WindowFactory factory = factoryFor("Once", [&] {
        WindowDefinition definition = plainWindow("Once");
        definition.created = [&](Window&) { ++created; };
        return definition;
    });
    openWindow(factory);
    openModal(factory); // returns at once: no nested loop for an open window
    openWindow(factory);
    EXPECT_EQ(created, 1);
    closeWindow(*findWindow("Once"));
}

TEST_F(WindowsTest, ModalWindowDisablesTheOthersAndRestoresEachOnesState)
{
    openWindow(factoryFor("Main", [] { return plainWindow("Main"); }));
    openWindow(factoryFor("Disabled", [] { return plainWindow("Disabled"); }));
    widgetOf("Disabled").setEnabled(false);

    struct Seen {
        bool main, disabled, first, second;
    };
    std::vector<Seen> seen;
    auto look = [&] {
        auto enabled = [](const char* name) { return findWindow(name) && widgetOf(name).isEnabled(); };
        seen.push_back({enabled("Main"), enabled("Disabled"), enabled("First"), enabled("Second")});
    };

    openModal(factoryFor("First", [&] {
        WindowDefinition definition = plainWindow("First");
        definition.created = [&](Window&) {
            QTimer::singleShot(0, qApp, [&] {
                look();
                openModal(factoryFor("Second", [&] {
                    WindowDefinition second = plainWindow("Second");
                    second.created = [&](Window& window) {
                        QTimer::singleShot(0, qApp, [&] {
                            look();
                            closeWindow(window);
                        });
                    };
                    return second;
                }));
                look();
                closeWindow(*findWindow("First"));
            });
        };
        return definition;
    }));
    look();

    ASSERT_EQ(seen.size(), 4u);
    // Under First: only First is enabled.
    EXPECT_FALSE(seen[0].main);
    EXPECT_FALSE(seen[0].disabled);
    EXPECT_TRUE(seen[0].first);
    // Under Second: only Second.
    EXPECT_FALSE(seen[1].main);
    EXPECT_FALSE(seen[1].first);
    EXPECT_TRUE(seen[1].second);
    // Second gone: First enabled again, Main still disabled by First.
    EXPECT_FALSE(seen[2].main);
    EXPECT_TRUE(seen[2].first);
    // First gone: Main as before, and the window that was disabled before stays so.
    EXPECT_TRUE(seen[3].main);
    EXPECT_FALSE(seen[3].disabled);

    closeWindow(*findWindow("Main"));
    closeWindow(*findWindow("Disabled"));
}

TEST_F(WindowsTest, HiddenWindowKeepsTheProgramAliveAndTheLastDestroyedEndsTheLoop)
{
    bool loopRanOn = false;
    openWindow(factoryFor("Visible", [] { return plainWindow("Visible"); }));
    openWindow(factoryFor("Hidden", [] { return plainWindow("Hidden"); }));
    findWindow("Hidden")->setWindowVisible(false);
    EXPECT_FALSE(findWindow("Hidden")->isWindowVisible());

    const int value = runLoopWith([&] {
        closeWindow(*findWindow("Visible"));
        // Had the visible window's end posted the quit request, the loop would be over
        // before this runs.
        QTimer::singleShot(50, qApp, [&] {
            loopRanOn = findWindow("Visible") == nullptr && findWindow("Hidden") != nullptr;
            closeWindow(*findWindow("Hidden"));
        });
    });
    EXPECT_TRUE(loopRanOn);
    EXPECT_EQ(value, 0);
}

// Where the examinee presses Esc: the window itself or any of its controls.
class EscapeTest : public ToolkitTest, public ::testing::WithParamInterface<const char16_t*> {};

TEST_P(EscapeTest, EscapeDestroysTheWindow)
{
    openWindow(factoryFor("Esc", [] {
        WindowDefinition definition = plainWindow("Esc");
        definition.controls = {
            row("输入框", ControlKind::LineEdit, {0, 0}, {100, 20}),
            row("按钮", ControlKind::Button, {0, 30}, {100, 20}, "确定"),
            row("文本框", ControlKind::TextBox, {100, 0}, {100, 60}),
        };
        return definition;
    }));
    QWidget& window = widgetOf("Esc");
    const QString target = QString::fromUtf16(GetParam());
    QWidget* receiver = target.isEmpty() ? &window : window.findChild<QWidget*>(target);
    ASSERT_NE(receiver, nullptr);
    QTest::keyClick(receiver, Qt::Key_Escape);
    settle();
    EXPECT_EQ(findWindow("Esc"), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Targets, EscapeTest, ::testing::Values(u"", u"输入框", u"按钮", u"文本框"));

TEST_F(WindowsTest, SystemCloseCommandDestroysAnEnabledWindowOnly)
{
    openWindow(factoryFor("Closing", [] { return plainWindow("Closing"); }));
    QWidget& widget = widgetOf("Closing");
    widget.setEnabled(false);
    widget.close();
    settle();
    ASSERT_NE(findWindow("Closing"), nullptr) << "a window under a modal one takes no close command";
    widget.setEnabled(true);
    widget.close();
    settle();
    EXPECT_EQ(findWindow("Closing"), nullptr);
}

TEST_F(WindowsTest, WindowClosedDuringItsOwnHandlerGoesWhenTheHandlerReturns)
{
    bool aliveWhileWaiting = false;
    bool hiddenWhileWaiting = false;
    openWindow(factoryFor("Busy", [&] {
        WindowDefinition definition = plainWindow("Busy");
        definition.controls = {row("按钮", ControlKind::Button, {0, 0}, {80, 24}, "关闭")};
        definition.bindings = {{"按钮", EventKind::Clicked, [&](Window& window) {
                                    closeWindow(window);
                                    waitInNestedLoop(20);
                                    aliveWhileWaiting = findWindow("Busy") == &window;
                                    hiddenWhileWaiting = !window.isWindowVisible();
                                    window.setText("按钮", "仍在");
                                }}};
        return definition;
    }));
    QTest::mouseClick(controlOf<QPushButton>("Busy", u"按钮"_s), Qt::LeftButton);
    EXPECT_TRUE(aliveWhileWaiting);
    EXPECT_TRUE(hiddenWhileWaiting);
    settle();
    EXPECT_EQ(findWindow("Busy"), nullptr);
}

TEST_F(WindowsTest, StateIsDestroyedAfterTheControls)
{
    struct State {
        QPointer<QWidget> label;
        bool* controlsGone = nullptr;
        ~State() { *controlsGone = label.isNull(); }
    };
    bool controlsGone = false;
    openWindow(factoryFor("Stateful", [&] {
        WindowDefinition definition = plainWindow("Stateful");
        definition.controls = {row("标签", ControlKind::Label, {0, 0}, {80, 20}, "文字")};
        definition.state = std::make_shared<State>();
        return definition;
    }));
    Window& window = *findWindow("Stateful");
    window.state<State>().label = controlOf<QWidget>("Stateful", u"标签"_s);
    window.state<State>().controlsGone = &controlsGone;
    closeWindow(window);
    settle();
    EXPECT_TRUE(controlsGone);
}

TEST_F(WindowsTest, ComponentEventsReachTheirBindingAndReturnItsResult)
{
    std::vector<std::int64_t> received;
    openWindow(factoryFor("Component", [&] {
        WindowDefinition definition = plainWindow("Component");
        definition.controls = {row("ZIP压缩1", ControlKind::Component, {0, 0}, {40, 32})};
        definition.componentBindings = {{"ZIP压缩1", 3, [&](Window&, const std::vector<std::int64_t>& args) {
                                             received = args;
                                             return std::optional<std::int64_t>(7);
                                         }}};
        return definition;
    }));
    Window& window = *findWindow("Component");
    EXPECT_EQ(window.raiseComponentEvent("ZIP压缩1", 3, {1, 2}), 7);
    EXPECT_EQ(received, (std::vector<std::int64_t>{1, 2}));
    EXPECT_EQ(window.raiseComponentEvent("ZIP压缩1", 4, {}), std::nullopt);
    EXPECT_EQ(window.raiseComponentEvent("其他", 3, {}), std::nullopt);
    closeWindow(window);
}

} // namespace
} // namespace examclient::ui
