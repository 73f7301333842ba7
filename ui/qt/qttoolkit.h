// What the Qt backend offers beyond ui/toolkit.h: the text conversions at the control
// boundary, and the widget behind a window for tests that drive it.
#pragma once

#include "ui/toolkit.h"

#include <QString>

#include <string_view>

class QWidget;

namespace examclient::qt {

class QtWindow;

// GBK to the text a control shows; a byte sequence that is not GBK becomes U+FFFD.
QString toQString(std::string_view gbk);
// A control's text as GBK; a character GBK cannot hold becomes "?".
Text toText(const QString& text);

// The top-level widget of an open window; its controls are its children, named by
// their (decoded) Chinese names.
QWidget& windowWidget(ui::Window& window);

// Removes the window from the open windows and destroys it at once; called by the
// window itself when its destruction is due.
void destroyWindow(QtWindow& window);

// Destroys every open window at once, the last opened first: the fatal error's cleanup,
// and tests that must leave nothing behind.
void destroyAllWindows();

} // namespace examclient::qt
