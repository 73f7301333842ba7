// One toolkit for every test of the flow, initialised once as start-up does.
#include "ui/toolkit.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QtGlobal>

int main(int argc, char** argv)
{
    // Headless unless the caller chose a display (screenshots under Xvfb).
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    examclient::ui::initialiseToolkit(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    examclient::ui::shutdownToolkit();
    return result;
}
