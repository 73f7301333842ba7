// Controls: texts at the GBK boundary, states, pages, timers, drawing and input.
#include "tests/ui/qt/toolkittest.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QEventLoop>
#include <QImage>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <string>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace examclient::ui {
namespace {

using ControlsTest = ToolkitTest;

// A window with one control of each kind that holds a text.
WindowDefinition textWindow()
{
    WindowDefinition definition = plainWindow("Texts");
    definition.size = {400, 300};
    definition.controls = {
        row("标签", ControlKind::Label, {0, 0}, {200, 16}, "考生号："),
        row("输入框", ControlKind::LineEdit, {0, 20}, {200, 20}),
        row("文本框", ControlKind::TextBox, {0, 50}, {200, 100}),
        row("按钮", ControlKind::Button, {0, 160}, {80, 24}, "登录"),
        row("选择框", ControlKind::CheckBox, {100, 160}, {200, 16}, "同意"),
    };
    return definition;
}

class TextRoundTripTest : public ToolkitTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(TextRoundTripTest, GbkTextsComeBackByteForByte)
{
    openWindow(factoryFor("Texts", textWindow));
    Window& window = *findWindow("Texts");
    const Text texts[] = {"", "abc 123", "考生信息有误，请重新输入", "１９７３１", "2016年6月7日9时5分3秒"};
    for (const Text& text : texts) {
        window.setText(GetParam(), text);
        EXPECT_EQ(window.getText(GetParam()), text) << GetParam();
    }
    closeWindow(window);
}

INSTANTIATE_TEST_SUITE_P(Kinds, TextRoundTripTest, ::testing::Values("标签", "输入框", "文本框", "按钮", "选择框"));

TEST_F(ControlsTest, TextsAreShownDecodedAndReadBackAsGbk)
{
    openWindow(factoryFor("Texts", textWindow));
    Window& window = *findWindow("Texts");
    EXPECT_EQ(controlOf<QLabel>("Texts", u"标签"_s)->text(), u"考生号："_s);
    EXPECT_EQ(controlOf<QPushButton>("Texts", u"按钮"_s)->text(), u"登录"_s);

    // What the examinee types: a character GBK cannot hold reads back as "?".
    auto* edit = controlOf<QLineEdit>("Texts", u"输入框"_s);
    edit->setFocus();
    QTest::keyClicks(edit, "a");
    // Chinese comes through the input method; å and a Hangul syllable are not in GBK.
    QInputMethodEvent typed;
    typed.setCommitString(u"考\u00E5\uD55C"_s);
    QApplication::sendEvent(edit, &typed);
    QTest::keyClicks(edit, "1");
    EXPECT_EQ(window.getText("输入框"), Text("a考??1"));
    closeWindow(window);
}

TEST_F(ControlsTest, TextBoxShowsCrLfAsLineBreaksAndGivesThemBack)
{
    openWindow(factoryFor("Texts", textWindow));
    Window& window = *findWindow("Texts");
    window.setText("文本框", "第一行\r\n第二行");
    auto* box = controlOf<QPlainTextEdit>("Texts", u"文本框"_s);
    EXPECT_EQ(box->document()->blockCount(), 2);
    EXPECT_EQ(window.getText("文本框"), Text("第一行\r\n第二行"));

    // Read-only but selectable, wrapped at its width, a vertical scroll bar only.
    EXPECT_TRUE(box->isReadOnly());
    EXPECT_TRUE(box->textInteractionFlags().testFlag(Qt::TextSelectableByMouse));
    EXPECT_EQ(box->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_EQ(box->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    box->setFocus();
    QTest::keyClicks(box, u"x"_s);
    EXPECT_EQ(window.getText("文本框"), Text("第一行\r\n第二行"));
    closeWindow(window);
}

TEST_F(ControlsTest, LineEditHasNoLengthLimit)
{
    openWindow(factoryFor("Texts", textWindow));
    Window& window = *findWindow("Texts");
    const Text longText(40000, 'x');
    window.setText("输入框", longText);
    EXPECT_EQ(window.getText("输入框"), longText);
    closeWindow(window);
}

TEST_F(ControlsTest, DisabledAndVisibleFlagsAreTheControlsOwn)
{
    WindowFactory factory = factoryFor("Flags", [] {
        WindowDefinition definition = textWindow();
        definition.name = "Flags";
        definition.controls[3].disabled = true;
        return definition;
    });
    openWindow(factory);
    Window& window = *findWindow("Flags");
    auto* button = controlOf<QPushButton>("Flags", u"按钮"_s);
    EXPECT_TRUE(window.isDisabled("按钮"));
    EXPECT_FALSE(button->isEnabled());
    window.setDisabled("按钮", false);
    EXPECT_TRUE(button->isEnabled());

    // A window disabled under a modal one leaves its controls' own flags alone.
    widgetOf("Flags").setEnabled(false);
    EXPECT_FALSE(window.isDisabled("按钮"));
    widgetOf("Flags").setEnabled(true);

    window.setVisible("标签", false);
    EXPECT_FALSE(controlOf<QLabel>("Flags", u"标签"_s)->isVisible());
    window.setWindowVisible(false);
    EXPECT_FALSE(window.isWindowVisible());
    EXPECT_NE(findWindow("Flags"), nullptr);
    closeWindow(window);
}

TEST_F(ControlsTest, ButtonsAndCheckBoxRaiseClickedOnEveryClickButNotOnEnter)
{
    int buttonClicks = 0;
    int boxClicks = 0;
    openWindow(factoryFor("Texts", [&] {
        WindowDefinition definition = textWindow();
        definition.controls[3].tabOrder = 0;
        definition.bindings = {
            {"按钮", EventKind::Clicked, [&](Window&) { ++buttonClicks; }},
            {"选择框", EventKind::Clicked, [&](Window&) { ++boxClicks; }},
        };
        return definition;
    }));
    auto* button = controlOf<QPushButton>("Texts", u"按钮"_s);
    auto* box = controlOf<QCheckBox>("Texts", u"选择框"_s);
    EXPECT_FALSE(button->autoDefault());
    EXPECT_FALSE(button->isDefault());

    QTest::mouseClick(button, Qt::LeftButton);
    button->setFocus();
    QTest::keyClick(button, Qt::Key_Return);
    QTest::keyClick(button, Qt::Key_Enter);
    EXPECT_EQ(buttonClicks, 1);

    QTest::mouseClick(box, Qt::LeftButton);
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_EQ(boxClicks, 2);
    EXPECT_FALSE(box->isChecked());
    closeWindow(*findWindow("Texts"));
}

TEST_F(ControlsTest, TabOrderFollowsTheTableAndTheFirstHasTheFocus)
{
    openWindow(factoryFor("Tabs", [] {
        WindowDefinition definition = plainWindow("Tabs");
        definition.controls = {
            row("第三", ControlKind::Button, {0, 0}, {60, 20}, "3"),
            row("第一", ControlKind::LineEdit, {0, 30}, {60, 20}),
            row("不停", ControlKind::Button, {0, 60}, {60, 20}, "-"),
            row("第二", ControlKind::LineEdit, {100, 30}, {60, 20}),
        };
        definition.controls[0].tabOrder = 2;
        definition.controls[1].tabOrder = 0;
        definition.controls[3].tabOrder = 1;
        return definition;
    }));
    QWidget* first = controlOf<QWidget>("Tabs", u"第一"_s);
    QWidget* second = controlOf<QWidget>("Tabs", u"第二"_s);
    QWidget* third = controlOf<QWidget>("Tabs", u"第三"_s);
    EXPECT_EQ(widgetOf("Tabs").focusWidget(), first);
    EXPECT_EQ(first->nextInFocusChain(), second);
    EXPECT_EQ(second->nextInFocusChain(), third);
    EXPECT_FALSE(controlOf<QWidget>("Tabs", u"不停"_s)->focusPolicy() & Qt::TabFocus);
    closeWindow(*findWindow("Tabs"));
}

// Two pages with one label each; a label in a picture box on page 1.
WindowDefinition pagedWindow()
{
    WindowDefinition definition = plainWindow("Pages");
    definition.size = {525, 145};
    definition.controls = {
        row("页一标签", ControlKind::Label, {10, 10}, {100, 20}, "标签"),
        row("页零标签", ControlKind::Label, {10, 10}, {100, 20}, "请等待"),
        row("选择夹1", ControlKind::PageContainer, {8, 8}, {512, 136}),
    };
    definition.controls[0].container = "选择夹1";
    definition.controls[0].page = 1;
    definition.controls[1].container = "选择夹1";
    definition.controls[2].pageCount = 2;
    return definition;
}

TEST_F(ControlsTest, SetCurrentPageClampsAndShowsOnlyThatPagesControls)
{
    openWindow(factoryFor("Pages", pagedWindow));
    Window& window = *findWindow("Pages");
    QLabel* page0 = controlOf<QLabel>("Pages", u"页零标签"_s);
    QLabel* page1 = controlOf<QLabel>("Pages", u"页一标签"_s);
    EXPECT_TRUE(page0->isVisible());
    EXPECT_FALSE(page1->isVisible());
    EXPECT_EQ(page0->mapTo(&widgetOf("Pages"), QPoint(0, 0)), QPoint(18, 18));

    struct Case {
        int index;
        bool page0Shown;
    };
    for (const Case& c : {Case{1, false}, Case{0, true}, Case{7, false}, Case{-3, true}, Case{2, false}}) {
        window.setCurrentPage("选择夹1", c.index);
        EXPECT_EQ(page0->isVisible(), c.page0Shown) << c.index;
        EXPECT_EQ(page1->isVisible(), !c.page0Shown) << c.index;
    }
    closeWindow(window);
}

// The timer object behind a timer row, for its remaining time.
QTimer* timerOf(const char* window, const QString& name)
{
    QObject* timer = widgetOf(window).findChild<QObject*>(name);
    return timer ? timer->findChild<QTimer*>() : nullptr;
}

TEST_F(ControlsTest, SetTimerPeriodStartsRestartsAndStops)
{
    openWindow(factoryFor("Timers", [] {
        WindowDefinition definition = plainWindow("Timers");
        definition.controls = {row("时钟1", ControlKind::Timer, {0, 0}, {32, 32})};
        return definition;
    }));
    Window& window = *findWindow("Timers");
    QTimer* timer = timerOf("Timers", u"时钟1"_s);
    ASSERT_NE(timer, nullptr);
    EXPECT_FALSE(timer->isActive()) << "a timer starts stopped";

    window.setTimerPeriod("时钟1", 100000);
    EXPECT_TRUE(timer->isActive());
    QThread::msleep(60);
    window.setTimerPeriod("时钟1", 100000);
    EXPECT_LE(timer->remainingTime(), 100000 - 50) << "the same period must not restart the timer";

    window.setTimerPeriod("时钟1", 90000);
    EXPECT_GT(timer->remainingTime(), 90000 - 50) << "a new period restarts, the first tick one period later";

    window.setTimerPeriod("时钟1", 0);
    EXPECT_FALSE(timer->isActive());
    window.setTimerPeriod("时钟1", 90000);
    window.setTimerPeriod("时钟1", -5);
    EXPECT_FALSE(timer->isActive());
    closeWindow(window);
}

// How a tick handler keeps the thread: busy, or waiting in a nested loop.
enum class Blocking { Busy, NestedLoop };

class TimerBlockingTest : public ToolkitTest, public ::testing::WithParamInterface<Blocking> {};

TEST_P(TimerBlockingTest, HandlerBlockingTwoAndAHalfPeriodsYieldsOneLateTick)
{
    constexpr int period = 800;
    int ticks = 0;
    int overlaps = 0;
    bool inHandler = false;
    int ticksRightAfter = -1;

    openWindow(factoryFor("Blocking", [&] {
        WindowDefinition definition = plainWindow("Blocking");
        definition.controls = {row("时钟1", ControlKind::Timer, {0, 0}, {32, 32})};
        definition.bindings = {{"时钟1", EventKind::Tick, [&](Window& window) {
                                    if (inHandler)
                                        ++overlaps;
                                    inHandler = true;
                                    if (++ticks == 1) {
                                        if (GetParam() == Blocking::Busy) {
                                            QThread::msleep(period * 5 / 2);
                                        } else {
                                            QEventLoop loop;
                                            QTimer::singleShot(period * 5 / 2, &loop, &QEventLoop::quit);
                                            loop.exec();
                                        }
                                        // A quarter period on, the late tick has come and the
                                        // next regular one is a quarter period or more away.
                                        QTimer::singleShot(period / 4, qApp, [&] {
                                            ticksRightAfter = ticks;
                                            window.setTimerPeriod("时钟1", 0);
                                            closeWindow(window);
                                        });
                                    }
                                    inHandler = false;
                                }}};
        return definition;
    }));
    findWindow("Blocking")->setTimerPeriod("时钟1", period);
    QEventLoop until;
    QObject::connect(&widgetOf("Blocking"), &QObject::destroyed, &until, &QEventLoop::quit);
    QTimer::singleShot(30000, &until, &QEventLoop::quit);
    until.exec();

    EXPECT_EQ(overlaps, 0);
    EXPECT_EQ(ticksRightAfter, 2) << "one late tick, the missed ones not made up";
}

INSTANTIATE_TEST_SUITE_P(Ways, TimerBlockingTest, ::testing::Values(Blocking::Busy, Blocking::NestedLoop));

// Drawing: a 4 x 4 picture of four 2 x 2 quarters, red and blue over lime and yellow.
const QRgb red = qRgb(255, 0, 0);
const QRgb blue = qRgb(0, 0, 255);
const QRgb lime = qRgb(0, 255, 0);
const QRgb yellow = qRgb(255, 255, 0);

QImage shotOf(QWidget& widget)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

TEST_F(ControlsTest, LabelTilesItsPictureFromItsOwnCornerAndPictureBoxCrops)
{
    openWindow(factoryFor("Drawing", [] {
        WindowDefinition definition = plainWindow("Drawing");
        definition.size = {100, 100};
        ControlDefinition label = row("标签", ControlKind::Label, {2, 20}, {8, 8});
        label.style.background = {BackgroundMode::Tiled, "quarters.png"};
        ControlDefinition box = row("图片框", ControlKind::PictureBox, {10, 10}, {6, 3});
        box.style.picture = "quarters.png";
        ControlDefinition empty = row("空图片框", ControlKind::PictureBox, {50, 50}, {8, 8});
        ControlDefinition missing = row("无图片框", ControlKind::PictureBox, {70, 50}, {8, 8});
        missing.style.picture = "missing.png";
        definition.controls = {label, box, empty, missing};
        return definition;
    }));
    // The label sits at an odd offset: tiled from the window's corner it would start
    // with blue, from its own it starts with red.
    QImage label = shotOf(*controlOf<QWidget>("Drawing", u"标签"_s));
    EXPECT_EQ(label.pixel(0, 0), red);
    EXPECT_EQ(label.pixel(2, 0), blue);
    EXPECT_EQ(label.pixel(0, 2), lime);
    EXPECT_EQ(label.pixel(4, 4), red);

    // Natural size from the top-left, cropped: no scaling to the 6 x 3 box.
    QImage box = shotOf(*controlOf<QWidget>("Drawing", u"图片框"_s));
    EXPECT_EQ(box.size(), QSize(6, 3));
    EXPECT_EQ(box.pixel(1, 1), red);
    EXPECT_EQ(box.pixel(3, 1), blue);
    EXPECT_EQ(box.pixel(3, 2), yellow);
    const QRgb face = QApplication::palette().color(QPalette::Window).rgb();
    EXPECT_EQ(box.pixel(5, 0), face);
    EXPECT_EQ(shotOf(*controlOf<QWidget>("Drawing", u"空图片框"_s)).pixel(4, 4), face);
    EXPECT_EQ(shotOf(*controlOf<QWidget>("Drawing", u"无图片框"_s)).pixel(4, 4), face);
    closeWindow(*findWindow("Drawing"));
}

class WindowBackgroundTest : public ToolkitTest, public ::testing::WithParamInterface<BackgroundMode> {};

TEST_P(WindowBackgroundTest, WindowBackgroundIsTiledOrStretched)
{
    openWindow(factoryFor("Background", [] {
        WindowDefinition definition = plainWindow("Background");
        definition.size = {40, 40};
        definition.background = {GetParam(), "quarters.png"};
        return definition;
    }));
    const QImage shot = shotOf(widgetOf("Background"));
    EXPECT_EQ(shot.pixel(0, 0), red);
    if (GetParam() == BackgroundMode::Tiled) {
        EXPECT_EQ(shot.pixel(4, 0), red);
        EXPECT_EQ(shot.pixel(38, 38), yellow);
    } else {
        EXPECT_EQ(shot.pixel(5, 5), red);
        EXPECT_EQ(shot.pixel(35, 5), blue);
        EXPECT_EQ(shot.pixel(5, 35), lime);
        EXPECT_EQ(shot.pixel(39, 39), yellow);
    }
    closeWindow(*findWindow("Background"));
}

INSTANTIATE_TEST_SUITE_P(Modes, WindowBackgroundTest,
                         ::testing::Values(BackgroundMode::Tiled, BackgroundMode::Stretched));

TEST_F(ControlsTest, LabelStyleSetsColourFontAndAlignment)
{
    openWindow(factoryFor("Styles", [] {
        WindowDefinition definition = plainWindow("Styles");
        ControlDefinition white = row("白字", ControlKind::Label, {0, 0}, {100, 20}, "考生号：");
        white.style.textColour = 0xFFFFFF;
        ControlDefinition big = row("大字", ControlKind::Label, {0, 30}, {100, 56}, "45");
        big.style.fontPixelHeight = 35;
        big.style.alignment = Alignment::Centre;
        definition.controls = {white, big};
        return definition;
    }));
    auto* white = controlOf<QLabel>("Styles", u"白字"_s);
    auto* big = controlOf<QLabel>("Styles", u"大字"_s);
    EXPECT_EQ(white->palette().color(QPalette::WindowText), QColor(Qt::white));
    EXPECT_EQ(white->font(), QApplication::font());
    EXPECT_EQ(white->alignment(), Qt::AlignLeft | Qt::AlignVCenter);
    EXPECT_EQ(big->font().pixelSize(), 35);
    EXPECT_EQ(big->alignment(), Qt::AlignHCenter | Qt::AlignVCenter);
    EXPECT_EQ(big->palette().color(QPalette::WindowText), QColor(Qt::black));
    closeWindow(*findWindow("Styles"));
}

} // namespace
} // namespace examclient::ui
