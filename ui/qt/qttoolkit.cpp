// The toolkit's free functions on Qt: the open windows, modal loops, the end of the
// program, message boxes and start-up.
#include "ui/qt/qttoolkit.h"

#include "app/fatal.h"
#include "app/gbk.h"
#include "app/platformpaths.h"
#include "ui/qt/qteventloop.h"
#include "ui/qt/qtwindow.h"

#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QPointer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace examclient::qt {
namespace {

// The open windows of the program, hidden ones included, in the order they opened.
std::vector<std::unique_ptr<QtWindow>>& openWindows()
{
    static std::vector<std::unique_ptr<QtWindow>> windows;
    return windows;
}

bool messageLoopEntered = false;
std::unique_ptr<QApplication> application;
ui::MessageBoxHook messageBoxHook;

QtWindow* findOpenWindow(std::string_view name)
{
    for (const auto& window : openWindows()) {
        if (window->name() == name)
            return window.get();
    }
    return nullptr;
}

void postQuitRequest(int value)
{
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [value] {
            if (messageLoopEntered)
                QCoreApplication::exit(value);
        },
        Qt::QueuedConnection);
}

QtWindow& createWindow(const ui::WindowFactory& factory, TaskbarEntry taskbar)
{
    openWindows().push_back(std::make_unique<QtWindow>(factory.build(), taskbar));
    return *openWindows().back();
}

// "<title>|<text>" on one line, CR and LF written as the escapes \r and \n.
std::string messageBoxLine(const Text& text, const Text& title)
{
    std::string line = gbkToUtf8(title) + "|";
    for (char c : gbkToUtf8(text)) {
        if (c == '\r')
            line += "\\r";
        else if (c == '\n')
            line += "\\n";
        else
            line += c;
    }
    return line + "\n";
}

enum class BoxModality { BlocksWindows, BlocksNothing };

void showMessageBox(const Text& text, ui::MessageStyle style, const Text& title, BoxModality modality)
{
    if (messageBoxHook) {
        messageBoxHook(text, style, title);
        return;
    }
    if (std::getenv("EXAMCLIENT_TEST_MESSAGE_BOXES")) {
        const std::string line = messageBoxLine(text, title);
        std::fwrite(line.data(), 1, line.size(), stderr);
        std::fflush(stderr);
        return;
    }
    if (!QCoreApplication::instance()) {
        const std::string line = messageBoxLine(text, title);
        std::fwrite(line.data(), 1, line.size(), stderr);
        return;
    }

    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (style) {
    case ui::MessageStyle::Warning:
        icon = QMessageBox::Warning;
        break;
    case ui::MessageStyle::Information:
        icon = QMessageBox::Information;
        break;
    case ui::MessageStyle::Error:
        icon = QMessageBox::Critical;
        break;
    }
    QString body = toQString(text);
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(icon, toQString(title), body, QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    if (modality == BoxModality::BlocksWindows) {
        box.setWindowModality(Qt::ApplicationModal);
        box.exec();
        return;
    }
    // The fatal error box leaves the windows usable while it waits.
    box.setWindowModality(Qt::NonModal);
    QEventLoop loop;
    QObject::connect(&box, &QMessageBox::finished, &loop, &QEventLoop::quit);
    box.show();
    loop.exec();
}

} // namespace

QString toQString(std::string_view gbk)
{
    return QString::fromUtf8(gbkToUtf8(gbk));
}

Text toText(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    return utf8ToGbk(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

QWidget& windowWidget(ui::Window& window)
{
    return static_cast<QtWindow&>(window).widget();
}

void destroyWindow(QtWindow& window)
{
    auto& windows = openWindows();
    auto found = std::find_if(windows.begin(), windows.end(), [&](const auto& open) { return open.get() == &window; });
    if (found == windows.end())
        return;
    // Out of the list first: while it is being destroyed the window no longer counts.
    std::unique_ptr<QtWindow> destroyed = std::move(*found);
    windows.erase(found);
    destroyed.reset();
    if (windows.empty() && messageLoopEntered)
        postQuitRequest(0);
}

void destroyAllWindows()
{
    while (!openWindows().empty())
        destroyWindow(*openWindows().back());
}

} // namespace examclient::qt

namespace examclient::ui {

using qt::QtWindow;

void initialiseToolkit(int& argc, char** argv)
{
    if (qt::application)
        return;
    qt::application = std::make_unique<QApplication>(argc, argv);
    // The program ends when its last window is destroyed, hidden windows counting;
    // Qt's own rule looks at visible windows only.
    QApplication::setQuitOnLastWindowClosed(false);
    qt::installQtEventLoop();

    const HostPath directory = programDirectory();
    if (!directory.empty() && chdir(directory.c_str()) != 0)
        std::perror("examclient: cannot change to the program directory");

    installFatalErrorPresenter([](const Text& text, const Text& title) {
        qt::showMessageBox(text, MessageStyle::Error, title, qt::BoxModality::BlocksNothing);
    });
    installFatalErrorCleanup([] { qt::destroyAllWindows(); });
}

void shutdownToolkit()
{
    installFatalErrorCleanup({});
    installFatalErrorPresenter({});
    qt::destroyAllWindows();
    qt::messageBoxHook = {};
    if (qt::application) {
        // Posted work (quit requests, socket callbacks) dies with the application.
        QCoreApplication::removePostedEvents(nullptr);
        qt::application.reset();
    }
    installEventLoop(nullptr);
}

void openModal(const WindowFactory& factory)
{
    if (QtWindow* open = qt::findOpenWindow(factory.name)) {
        open->activate();
        return;
    }
    QtWindow& window = qt::createWindow(factory, qt::TaskbarEntry::Hidden);
    QPointer<QWidget> alive(&window.widget());
    window.raiseCreated();
    if (!alive)
        return;

    // Every other window is disabled while this one is open; each gets back the state
    // it had, so a window that an outer modal window disabled stays disabled.
    std::vector<std::pair<QPointer<QWidget>, bool>> others;
    for (const auto& other : qt::openWindows()) {
        if (other.get() == &window)
            continue;
        QWidget& widget = other->widget();
        others.emplace_back(&widget, widget.isEnabled());
        widget.setEnabled(false);
    }

    window.showCentred();
    QEventLoop loop;
    QObject::connect(alive.data(), &QObject::destroyed, &loop, &QEventLoop::quit);
    loop.exec();

    for (auto& [widget, wasEnabled] : others) {
        if (widget)
            widget->setEnabled(wasEnabled);
    }
}

void openWindow(const WindowFactory& factory)
{
    if (QtWindow* open = qt::findOpenWindow(factory.name)) {
        open->activate();
        return;
    }
    QtWindow& window = qt::createWindow(factory, qt::TaskbarEntry::Shown);
    QPointer<QWidget> alive(&window.widget());
    window.raiseCreated();
    if (alive)
        window.showCentred();
}

int runMessageLoop()
{
    qt::messageLoopEntered = true;
    const int value = QApplication::exec();
    qt::messageLoopEntered = false;
    return value;
}

Window* findWindow(std::string_view name)
{
    return qt::findOpenWindow(name);
}

bool anyWindowExists()
{
    return !qt::openWindows().empty();
}

void closeWindow(Window& window)
{
    static_cast<QtWindow&>(window).requestDestroy();
}

void messageBox(std::string_view text, MessageStyle style, std::string_view title)
{
    qt::showMessageBox(Text(text), style, Text(title), qt::BoxModality::BlocksWindows);
}

void setMessageBoxHook(MessageBoxHook hook)
{
    qt::messageBoxHook = std::move(hook);
}

} // namespace examclient::ui
