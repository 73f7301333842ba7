#include "tests/ui/qt/toolkittest.h"

#include "ui/qt/qttoolkit.h"

#include <QApplication>
#include <QTimer>

namespace examclient::ui {

ControlDefinition row(const char* name, ControlKind kind, Point at, Size size, Text text)
{
    ControlDefinition control{name, kind};
    control.at = at;
    control.size = size;
    control.text = std::move(text);
    return control;
}

WindowFactory factoryFor(const char* name, std::function<WindowDefinition()> build)
{
    return WindowFactory{name, std::move(build)};
}

WindowDefinition plainWindow(const char* name)
{
    WindowDefinition definition;
    definition.name = name;
    definition.size = {200, 100};
    return definition;
}

QWidget& widgetOf(const char* windowName)
{
    Window* window = findWindow(windowName);
    if (!window) {
        ADD_FAILURE() << "no window " << windowName;
        return *new QWidget; // deleted by TearDown, with anything else left behind
    }
    return qt::windowWidget(*window);
}

void settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

int runLoopWith(std::function<void()> start)
{
    QTimer::singleShot(0, qApp, std::move(start));
    bool stuck = false;
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, qApp, [&stuck] {
        stuck = true;
        QCoreApplication::exit(-99);
    });
    watchdog.start(30000);
    const int value = runMessageLoop();
    EXPECT_FALSE(stuck) << "the message loop did not end";
    return value;
}

void ToolkitTest::TearDown()
{
    settle();
    EXPECT_FALSE(anyWindowExists());
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty())
        << QApplication::topLevelWidgets().size() << " top-level widgets left";
    // Clean up after a failed test so the next one starts empty.
    qt::destroyAllWindows();
    qDeleteAll(QApplication::topLevelWidgets());
    settle();
    setMessageBoxHook({});
}

} // namespace examclient::ui
