// The event loop of app/eventloop.h on Qt's event dispatcher. Needs only QtCore, so
// the links can be tested with a QCoreApplication.
#pragma once

#include "app/eventloop.h"

namespace examclient::qt {

// Installs the Qt loop as the program's event loop; a QCoreApplication must exist.
void installQtEventLoop();

} // namespace examclient::qt
