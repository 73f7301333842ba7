// IdentityWindow: the examinee confirms the identity shown, reads the exam notice and
// starts the exam from here.
#pragma once

#include "ui/toolkit.h"

namespace examclient::ui {

inline constexpr char kIdentityWindowName[] = "IdentityWindow";

// The window's table of controls, settings and handlers.
WindowDefinition identityWindowDefinition();

const WindowFactory& identityWindow();

} // namespace examclient::ui
