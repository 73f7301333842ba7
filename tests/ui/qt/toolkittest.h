// What the toolkit tests share: window definitions built row by row, a fixture that
// checks no window outlives its test, and a driver for the message loop.
#pragma once

#include "ui/toolkit.h"

#include <gtest/gtest.h>

#include <QString>

#include <functional>

class QWidget;

namespace examclient::ui {

// A control row; the style and the rest are set by the caller where they matter.
ControlDefinition row(const char* name, ControlKind kind, Point at, Size size, Text text = {});

// A factory whose window is `definition`, rebuilt each time it is opened.
WindowFactory factoryFor(const char* name, std::function<WindowDefinition()> build);
// A plain 200 x 100 window with no controls.
WindowDefinition plainWindow(const char* name);

// The widget behind an open window; fails the test when the window is not open.
QWidget& widgetOf(const char* windowName);
// A control of an open window by its Chinese name.
template <class T> T* controlOf(const char* windowName, const QString& controlName);

// Lets the thread go back to the loop, so posted work (a closeWindow) is done.
void settle();

// Runs the message loop with `start` posted as its first work; returns the loop's value.
// A stuck test is ended after a generous time with every window destroyed and -99.
int runLoopWith(std::function<void()> start);

class ToolkitTest : public ::testing::Test {
protected:
    void TearDown() override;
};

} // namespace examclient::ui

#include <QWidget>

template <class T> T* examclient::ui::controlOf(const char* windowName, const QString& controlName)
{
    T* control = widgetOf(windowName).findChild<T*>(controlName);
    EXPECT_NE(control, nullptr) << controlName.toStdString();
    return control;
}
