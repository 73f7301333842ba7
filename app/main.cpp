// Start-up: the toolkit, the exit routine, LoginWindow, and the message loop until the
// last window of the program is gone. Every other action is a window's handler.
#include "app/examstate.h"
#include "app/fatal.h"
#include "ui/loginwindow.h"
#include "ui/toolkit.h"

int main(int argc, char** argv)
{
    using namespace examclient;

    ui::initialiseToolkit(argc, argv);
    registerExitRoutine(releaseExamState);

    // The start-up window has no owner and a taskbar entry.
    ui::openWindow(ui::loginWindow());
    if (!ui::findWindow(ui::kLoginWindowName))
        fatalRuntimeError(0, "载入启动窗口失败");

    int quitValue = 0;
    if (ui::anyWindowExists())
        quitValue = ui::runMessageLoop();

    runExitRoutines();
    ui::shutdownToolkit();
    return quitValue;
}
