// The examinee's whole way through the real windows, against the exam room on loopback
// and with a fake clock, so that the start and the countdown come without waiting.
//
// Windows open modally from handlers, and a handler that opens one waits in its loop. The
// test therefore runs as a scenario of steps driven by a timer, in whatever loop is
// current; each step waits for its condition, checks, and acts.
#include "app/clock.h"
#include "app/examstate.h"
#include "app/text.h"
#include "tools/examroom/examroom.h"
#include "ui/examwindow.h"
#include "ui/identitywindow.h"
#include "ui/loginwindow.h"
#include "ui/noticewindow.h"
#include "ui/qt/qtcontrols.h"
#include "ui/qt/qttoolkit.h"
#include "ui/toolkit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace examclient::ui {
namespace {

constexpr const char* kWindowNames[] = {kExamWindowName, kNoticeWindowName, kIdentityWindowName, kLoginWindowName};

// The examinee of the sample roster.
constexpr char kExamineeNumber[] = "2026001";
constexpr char kIdCardNumber[] = "11010519900307281X";
constexpr int kDurationMinutes = 45;
// The exam starts at this second (wall clock); the test sets the clock around it.
constexpr std::int64_t kStartSecond = 1'900'000'000;

class FakeClock final : public Clock {
public:
    std::int64_t wallSeconds() override { return m_wallSeconds.load(); }
    std::int64_t monotonicMilliseconds() override { return m_monotonicMilliseconds.load(); }

    void setWallSeconds(std::int64_t seconds) { m_wallSeconds = seconds; }
    void advanceWall(std::int64_t seconds) { m_wallSeconds += seconds; }
    void advanceMonotonic(std::int64_t milliseconds) { m_monotonicMilliseconds += milliseconds; }

private:
    std::atomic<std::int64_t> m_wallSeconds{kStartSecond - 600};
    std::atomic<std::int64_t> m_monotonicMilliseconds{5'000'000};
};

// Steps run one after another, each once its condition holds. A step's action is posted
// on its own, so that one which waits in a modal loop does not hold up the next steps.
class Scenario final {
public:
    Scenario()
    {
        m_poll.setInterval(20);
        QObject::connect(&m_poll, &QTimer::timeout, [this] { poll(); });
    }

    void then(std::string what, std::function<bool()> ready, std::function<void()> action)
    {
        m_steps.push_back({std::move(what), std::move(ready), std::move(action)});
    }
    void then(std::string what, std::function<void()> action)
    {
        then(
            std::move(what), [] { return true; }, std::move(action));
    }

    void start()
    {
        m_sinceStep.start();
        m_poll.start();
    }
    bool finished() const { return m_next == m_steps.size() && !m_abandoned; }

private:
    struct Step {
        std::string what;
        std::function<bool()> ready;
        std::function<void()> action;
    };

    void poll()
    {
        if (m_actionPending)
            return;
        if (m_next == m_steps.size()) {
            m_poll.stop();
            return;
        }
        Step& step = m_steps[m_next];
        if (step.ready()) {
            ++m_next;
            m_sinceStep.restart();
            m_actionPending = true;
            QTimer::singleShot(0, [this, action = step.action] {
                m_actionPending = false;
                action();
            });
        } else if (m_sinceStep.elapsed() > kStepTimeoutMilliseconds) {
            ADD_FAILURE() << "never came: " << step.what;
            abandon();
        }
    }

    // Destroys every window, which ends every modal loop and then the message loop.
    void abandon()
    {
        m_abandoned = true;
        m_poll.stop();
        for (const char* name : kWindowNames) {
            if (Window* window = findWindow(name))
                closeWindow(*window);
        }
    }

    static constexpr qint64 kStepTimeoutMilliseconds = 30'000;
    std::vector<Step> m_steps;
    std::size_t m_next = 0;
    bool m_actionPending = false;
    bool m_abandoned = false;
    QTimer m_poll;
    QElapsedTimer m_sinceStep;
};

// Notes whether LoginWindow was visible at the moment IdentityWindow was shown.
class ShowWatcher final : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched->objectName() == QLatin1String(kIdentityWindowName)) {
            Window* login = findWindow(kLoginWindowName);
            loginVisibleWhenIdentityShown = login && login->isWindowVisible();
            identityShown = true;
        }
        return false;
    }
    bool identityShown = false;
    bool loginVisibleWhenIdentityShown = true;
};

struct Box {
    Text text;
    MessageStyle style;
    Text title;
};

template <class T> T* control(const char* windowName, const QString& controlName)
{
    Window* window = findWindow(windowName);
    return window ? qt::windowWidget(*window).findChild<T*>(controlName) : nullptr;
}

QString textOf(const char* windowName, const QString& labelName)
{
    const QLabel* label = control<QLabel>(windowName, labelName);
    return label ? label->text() : u"<no label>"_s;
}

bool isOpenAndVisible(const char* windowName)
{
    const Window* window = findWindow(windowName);
    return window && window->isWindowVisible();
}

bool anyWindowVisible()
{
    for (const char* name : kWindowNames) {
        if (isOpenAndVisible(name))
            return true;
    }
    return false;
}

bool buttonEnabled(const char* windowName, const QString& buttonName)
{
    const QPushButton* button = control<QPushButton>(windowName, buttonName);
    return button && button->isEnabled();
}

void click(const char* windowName, const QString& controlName)
{
    QWidget* widget = control<QWidget>(windowName, controlName);
    ASSERT_NE(widget, nullptr) << controlName.toStdString();
    QTest::mouseClick(widget, Qt::LeftButton);
}

void typeInto(const char* windowName, const QString& editName, const char* text)
{
    QLineEdit* edit = control<QLineEdit>(windowName, editName);
    ASSERT_NE(edit, nullptr) << editName.toStdString();
    edit->selectAll();
    QTest::keyClicks(edit, QString::fromLatin1(text));
}

void pressEscape(const char* windowName)
{
    Window* window = findWindow(windowName);
    ASSERT_NE(window, nullptr) << windowName;
    QTest::keyClick(&qt::windowWidget(*window), Qt::Key_Escape);
}

bool timerRunning(const char* windowName, const QString& timerName)
{
    Window* window = findWindow(windowName);
    const QObject* object = window ? qt::windowWidget(*window).findChild<QObject*>(timerName) : nullptr;
    const auto* timer = dynamic_cast<const qt::WindowTimer*>(object);
    return timer && timer->isRunning();
}

int currentPage(const char* windowName, const QString& containerName)
{
    const QStackedWidget* pages = control<QStackedWidget>(windowName, containerName);
    return pages ? pages->currentIndex() : -1;
}

// With EXAMCLIENT_SCREENSHOT_DIR set, the window as drawn goes to <dir>/<file>.
void screenshot(const char* windowName, const char* fileName)
{
    const QString directory = qEnvironmentVariable("EXAMCLIENT_SCREENSHOT_DIR");
    Window* window = findWindow(windowName);
    if (directory.isEmpty() || !window)
        return;
    EXPECT_TRUE(qt::windowWidget(*window).grab().save(QDir(directory).filePath(QString::fromLatin1(fileName))));
}

QString samplePath(const char* fileName)
{
    return QDir(QStringLiteral(EXAMCLIENT_SAMPLES_DIR)).filePath(QString::fromLatin1(fileName));
}

enum class Stage { LoginWindow, IdentityWindow, NoticeWindow, ExamWindowWaiting, ExamWindowCountingDown };

class ExamineeFlowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_windowsDirectory.isValid() && m_driveD.isValid());
        qputenv("EXAMCLIENT_WINDOWS_DIR", QFile::encodeName(m_windowsDirectory.path()));
        qputenv("EXAMCLIENT_DRIVE_D", QFile::encodeName(m_driveD.path()));
        releaseExamState();
        installClock(&m_clock);
        m_startText = clockTextAt(kStartSecond);

        examroom::ExamRoomOptions options;
        options.loginPort = 0;
        options.rosterPath = QFile::encodeName(samplePath("roster.txt")).toStdString();
        options.precautionsPath = QFile::encodeName(samplePath("precautions.txt")).toStdString();
        options.archivePath = QFile::encodeName(samplePath("questions.zip")).toStdString();
        options.startAt = localTimeAt(kStartSecond);
        options.durationMinutes = kDurationMinutes;
        m_room = std::make_unique<examroom::ExamRoom>(options);
        std::string error;
        ASSERT_TRUE(m_room->start(error)) << error;

        QFile config(QDir(m_windowsDirectory.path()).filePath(u"config.ini"_s));
        ASSERT_TRUE(config.open(QIODevice::WriteOnly));
        config.write("[Server]\r\nIP=127.0.0.1\r\nPort=" + QByteArray::number(m_room->ports().login) + "\r\n");
        config.close();

        setMessageBoxHook([this](const Text& text, MessageStyle style, const Text& title) {
            m_boxes.push_back({text, style, title});
        });
        qApp->installEventFilter(&m_showWatcher);
    }

    void TearDown() override
    {
        qApp->removeEventFilter(&m_showWatcher);
        setMessageBoxHook({});
        if (m_room)
            m_room->stop();
        installClock(nullptr);
        releaseExamState();
        // No window of the program outlives the test.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(anyWindowExists());
        for (const QWidget* widget : QApplication::topLevelWidgets())
            EXPECT_FALSE(widget->isVisible()) << "left open: " << widget->objectName().toStdString();
        qunsetenv("EXAMCLIENT_WINDOWS_DIR");
        qunsetenv("EXAMCLIENT_DRIVE_D");
    }

    DateTime localTimeAt(std::int64_t wallSeconds)
    {
        const std::int64_t now = m_clock.wallSeconds();
        m_clock.setWallSeconds(wallSeconds);
        const DateTime value = currentTime();
        m_clock.setWallSeconds(now);
        return value;
    }
    Text clockTextAt(std::int64_t wallSeconds) { return dateTimeToText(localTimeAt(wallSeconds)); }

    bool roomSaw(const char* first, const char* second) const
    {
        for (const std::string& line : m_room->events()) {
            if (line.find(first) != std::string::npos && line.find(second) != std::string::npos)
                return true;
        }
        return false;
    }

    // Start-up as the program does it; the message loop runs the scenario and returns
    // once the last window is gone.
    int run()
    {
        openWindow(loginWindow());
        m_scenario.start();
        const int value = anyWindowExists() ? runMessageLoop() : -1;
        EXPECT_TRUE(m_scenario.finished());
        return value;
    }

    // The steps of the flow up to `stage`, checking on the way.
    void walkTo(Stage stage)
    {
        m_scenario.then(
            "LoginWindow connected",
            [] { return isOpenAndVisible(kLoginWindowName) && buttonEnabled(kLoginWindowName, u"登录按钮"_s); },
            [] {
                EXPECT_EQ(textOf(kLoginWindowName, u"连接状态标签"_s), u"考生登录"_s);
                typeInto(kLoginWindowName, u"考生号输入框"_s, kExamineeNumber);
                typeInto(kLoginWindowName, u"身份证号输入框"_s, "000000000000000000");
            });
        if (stage == Stage::LoginWindow)
            return;

        m_scenario.then("a rejected login", [] {
            click(kLoginWindowName, u"登录按钮"_s);
            EXPECT_EQ(examState().examineeNumber, kExamineeNumber);
        });
        m_scenario.then(
            "the login failure box", [this] { return !m_boxes.empty(); },
            [this] {
                ASSERT_EQ(m_boxes.size(), 1u);
                EXPECT_EQ(m_boxes[0].text, "考生信息有误，请重新输入");
                EXPECT_EQ(m_boxes[0].title, "登录失败");
                EXPECT_EQ(m_boxes[0].style, MessageStyle::Warning);
                // The window stays as it was, the boxes keep their texts.
                EXPECT_TRUE(isOpenAndVisible(kLoginWindowName));
                EXPECT_FALSE(findWindow(kIdentityWindowName));
                EXPECT_EQ(control<QLineEdit>(kLoginWindowName, u"考生号输入框"_s)->text(), u"2026001"_s);
                EXPECT_EQ(control<QLineEdit>(kLoginWindowName, u"身份证号输入框"_s)->text(), u"000000000000000000"_s);
                EXPECT_TRUE(buttonEnabled(kLoginWindowName, u"登录按钮"_s));
                typeInto(kLoginWindowName, u"身份证号输入框"_s, kIdCardNumber);
                screenshot(kLoginWindowName, "login.png");
                click(kLoginWindowName, u"登录按钮"_s);
            });
        m_scenario.then(
            "IdentityWindow after an accepted login", [] { return isOpenAndVisible(kIdentityWindowName); },
            [this] {
                EXPECT_TRUE(m_showWatcher.identityShown);
                EXPECT_FALSE(m_showWatcher.loginVisibleWhenIdentityShown);
                ASSERT_NE(findWindow(kLoginWindowName), nullptr);
                EXPECT_FALSE(findWindow(kLoginWindowName)->isWindowVisible());
                // The identity places keep their design texts.
                EXPECT_EQ(textOf(kIdentityWindowName, u"考生姓名标签"_s), u"考生姓名"_s);
                EXPECT_EQ(textOf(kIdentityWindowName, u"考生号标签"_s), u"考生号"_s);
                EXPECT_EQ(textOf(kIdentityWindowName, u"身份证号标签"_s), u"身份证号"_s);
                EXPECT_TRUE(buttonEnabled(kIdentityWindowName, u"按钮1"_s));
                EXPECT_TRUE(buttonEnabled(kIdentityWindowName, u"按钮2"_s));
                EXPECT_FALSE(buttonEnabled(kIdentityWindowName, u"开始考试按钮"_s));
                screenshot(kIdentityWindowName, "identity.png");
            });
        if (stage == Stage::IdentityWindow)
            return;

        m_scenario.then("information wrong", [this] {
            m_loginEventsBefore = loginEvents();
            click(kIdentityWindowName, u"按钮1"_s);
            ASSERT_EQ(m_boxes.size(), 2u);
            EXPECT_EQ(m_boxes[1].text, "已告知监考教师，请坐在原位耐心等待。");
            EXPECT_EQ(m_boxes[1].title, "请耐心等待");
            EXPECT_EQ(m_boxes[1].style, MessageStyle::Information);
            EXPECT_TRUE(isOpenAndVisible(kIdentityWindowName));
            click(kIdentityWindowName, u"按钮2"_s); // waits here until NoticeWindow is gone
        });
        m_scenario.then(
            "NoticeWindow with the precautions and the schedule",
            [] {
                const QPlainTextEdit* box = control<QPlainTextEdit>(kNoticeWindowName, u"考试注意事项编辑框"_s);
                return box && !box->toPlainText().isEmpty() && !examState().durationText.empty();
            },
            [this] {
                EXPECT_EQ(loginEvents(), m_loginEventsBefore) << "information wrong sent something";
                QFile precautions(samplePath("precautions.txt"));
                ASSERT_TRUE(precautions.open(QIODevice::ReadOnly));
                const QByteArray bytes = precautions.readAll();
                QString expected = qt::toQString(std::string_view(bytes.constData(), bytes.size()));
                QString shown = control<QPlainTextEdit>(kNoticeWindowName, u"考试注意事项编辑框"_s)->toPlainText();
                EXPECT_EQ(shown.remove(u'\r'), expected.remove(u'\r'));
                EXPECT_EQ(examState().startTimeText, m_startText);
                EXPECT_EQ(examState().durationText, std::to_string(kDurationMinutes));
                EXPECT_FALSE(buttonEnabled(kNoticeWindowName, u"按钮1"_s));
                EXPECT_TRUE(isOpenAndVisible(kIdentityWindowName));
            });
        if (stage == Stage::NoticeWindow)
            return;

        m_scenario.then("agreeing", [] { click(kNoticeWindowName, u"选择框1"_s); });
        m_scenario.then(
            "OK enabled by the check box", [] { return buttonEnabled(kNoticeWindowName, u"按钮1"_s); },
            [] {
                EXPECT_TRUE(control<QCheckBox>(kNoticeWindowName, u"选择框1"_s)->isChecked());
                screenshot(kNoticeWindowName, "notice.png");
                click(kNoticeWindowName, u"按钮1"_s);
            });
        m_scenario.then(
            "NoticeWindow gone, both links closed",
            [this] {
                return !findWindow(kNoticeWindowName) && roomSaw("precautions: client", "closed the connection") &&
                       roomSaw("schedule: client", "closed the connection");
            },
            [this] {
                // "开始考试" is the only button left enabled.
                EXPECT_TRUE(isOpenAndVisible(kIdentityWindowName));
                EXPECT_TRUE(buttonEnabled(kIdentityWindowName, u"开始考试按钮"_s));
                EXPECT_FALSE(buttonEnabled(kIdentityWindowName, u"按钮2"_s));
                EXPECT_FALSE(buttonEnabled(kIdentityWindowName, u"按钮1"_s));
                m_clock.setWallSeconds(kStartSecond - 2);
                click(kIdentityWindowName, u"开始考试按钮"_s); // waits here for the whole exam
            });
        m_scenario.then(
            "ExamWindow showing the clock",
            [this] {
                return isOpenAndVisible(kExamWindowName) &&
                       textOf(kExamWindowName, u"时间标签"_s) == qt::toQString(clockTextAt(kStartSecond - 2));
            },
            [this] {
                ASSERT_NE(findWindow(kIdentityWindowName), nullptr);
                EXPECT_FALSE(findWindow(kIdentityWindowName)->isWindowVisible());
                EXPECT_EQ(currentPage(kExamWindowName, u"选择夹1"_s), 0);
                // The next tick comes three seconds on: the start second itself is skipped.
                m_clock.advanceWall(3);
            });
        if (stage == Stage::ExamWindowWaiting)
            return;

        m_scenario.then(
            "the start, detected at the skipped second", [] { return currentPage(kExamWindowName, u"选择夹1"_s) == 1; },
            [this] {
                EXPECT_EQ(textOf(kExamWindowName, u"分钟标签"_s), QString::number(kDurationMinutes));
                EXPECT_EQ(textOf(kExamWindowName, u"秒标签"_s), u"0"_s);
                EXPECT_FALSE(timerRunning(kExamWindowName, u"时钟1"_s));
                EXPECT_TRUE(timerRunning(kExamWindowName, u"时钟2"_s));
                m_clock.advanceMonotonic(1000);
            });
        m_scenario.then(
            "the first second of the countdown", [] { return textOf(kExamWindowName, u"秒标签"_s) == u"59"_s; },
            [this] {
                EXPECT_EQ(textOf(kExamWindowName, u"分钟标签"_s), QString::number(kDurationMinutes - 1));
                screenshot(kExamWindowName, "exam.png");
                // Ticks that never came are made up at the next one.
                m_clock.advanceMonotonic((kDurationMinutes * 60 - 1) * 1000);
            });
    }

    qint64 receivedArchiveSize() const { return QFileInfo(QDir(m_driveD.path()).filePath(u"e1/1.zip"_s)).size(); }
    static qint64 archiveSize() { return QFileInfo(samplePath("questions.zip")).size(); }

    int loginEvents() const
    {
        int count = 0;
        for (const std::string& line : m_room->events())
            count += line.starts_with("login") ? 1 : 0;
        return count;
    }

    // Closes what is left once the visible windows are gone: IdentityWindow if it is
    // still open, then the hidden LoginWindow, which ends the message loop.
    void closeRemainingWindows()
    {
        m_scenario.then("closing IdentityWindow", [] {
            EXPECT_FALSE(anyWindowVisible());
            if (Window* identity = findWindow(kIdentityWindowName))
                closeWindow(*identity);
        });
        m_scenario.then(
            "IdentityWindow gone", [] { return !findWindow(kIdentityWindowName); },
            [] {
                ASSERT_NE(findWindow(kLoginWindowName), nullptr);
                EXPECT_FALSE(findWindow(kLoginWindowName)->isWindowVisible());
                closeWindow(*findWindow(kLoginWindowName));
            });
    }

    QTemporaryDir m_windowsDirectory;
    QTemporaryDir m_driveD;
    FakeClock m_clock;
    Text m_startText;
    std::unique_ptr<examroom::ExamRoom> m_room;
    std::vector<Box> m_boxes;
    ShowWatcher m_showWatcher;
    Scenario m_scenario;
    int m_loginEventsBefore = 0;
};

TEST_F(ExamineeFlowTest, FromLoginToTheEndOfTheCountdown)
{
    walkTo(Stage::ExamWindowCountingDown);
    m_scenario.then(
        "the countdown at zero",
        [] {
            return textOf(kExamWindowName, u"分钟标签"_s) == u"0"_s && textOf(kExamWindowName, u"秒标签"_s) == u"0"_s;
        },
        [this] { m_clock.advanceMonotonic(5000); });
    m_scenario.then(
        "the countdown stopped and the archive received",
        [this] { return !timerRunning(kExamWindowName, u"时钟2"_s) && receivedArchiveSize() == archiveSize(); },
        [this] {
            EXPECT_EQ(textOf(kExamWindowName, u"分钟标签"_s), u"0"_s);
            EXPECT_EQ(textOf(kExamWindowName, u"秒标签"_s), u"0"_s);
            pressEscape(kExamWindowName);
        });
    m_scenario.then(
        "ExamWindow gone", [] { return !findWindow(kExamWindowName); },
        [] {
            // Nothing is visible, and the program keeps running on its hidden windows.
            EXPECT_FALSE(anyWindowVisible());
            EXPECT_NE(findWindow(kIdentityWindowName), nullptr);
            EXPECT_NE(findWindow(kLoginWindowName), nullptr);
        });
    closeRemainingWindows();
    EXPECT_EQ(run(), 0);

    // The question archive came on the archive link while the exam window was open.
    EXPECT_TRUE(roomSaw("archive: complete", ""));
    EXPECT_EQ(receivedArchiveSize(), archiveSize());
}

TEST_F(ExamineeFlowTest, EscapeBeforeLoginEndsTheMessageLoopWithZero)
{
    walkTo(Stage::LoginWindow);
    m_scenario.then("escape", [] { pressEscape(kLoginWindowName); });
    EXPECT_EQ(run(), 0);
    EXPECT_FALSE(roomSaw("login ", "accepted"));
}

TEST_F(ExamineeFlowTest, EscapeOnIdentityWindowLeavesNothingVisible)
{
    walkTo(Stage::IdentityWindow);
    m_scenario.then("escape", [] { pressEscape(kIdentityWindowName); });
    m_scenario.then(
        "IdentityWindow gone", [] { return !findWindow(kIdentityWindowName); },
        [] { EXPECT_NE(findWindow(kLoginWindowName), nullptr); });
    closeRemainingWindows();
    EXPECT_EQ(run(), 0);
}

TEST_F(ExamineeFlowTest, EscapeOnNoticeWindowGoesOnAsAfterOk)
{
    walkTo(Stage::NoticeWindow);
    m_scenario.then("escape", [] { pressEscape(kNoticeWindowName); });
    m_scenario.then(
        "NoticeWindow gone", [] { return !findWindow(kNoticeWindowName); },
        [] {
            EXPECT_TRUE(isOpenAndVisible(kIdentityWindowName));
            EXPECT_TRUE(buttonEnabled(kIdentityWindowName, u"开始考试按钮"_s));
            EXPECT_FALSE(buttonEnabled(kIdentityWindowName, u"按钮2"_s));
            EXPECT_FALSE(buttonEnabled(kIdentityWindowName, u"按钮1"_s));
            pressEscape(kIdentityWindowName);
        });
    m_scenario.then(
        "IdentityWindow gone", [] { return !findWindow(kIdentityWindowName); }, [] {});
    closeRemainingWindows();
    EXPECT_EQ(run(), 0);
}

TEST_F(ExamineeFlowTest, EscapeOnExamWindowWhileWaitingLeavesNothingVisible)
{
    walkTo(Stage::ExamWindowWaiting);
    m_scenario.then("escape", [] { pressEscape(kExamWindowName); });
    m_scenario.then(
        "ExamWindow gone", [] { return !findWindow(kExamWindowName); },
        [] { EXPECT_NE(findWindow(kIdentityWindowName), nullptr); });
    closeRemainingWindows();
    EXPECT_EQ(run(), 0);
}

} // namespace
} // namespace examclient::ui
