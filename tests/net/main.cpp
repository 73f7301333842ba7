// One QCoreApplication for the whole test binary, with the Qt event loop installed, so
// that links get their notifications as they do in the program.
#include "ui/qt/qteventloop.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    examclient::qt::installQtEventLoop();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
