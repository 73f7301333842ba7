// LoginWindow, the start-up window: the examinee types the examinee number and the ID
// card number, the login link sends them, and the reply "1" leads on to IdentityWindow.
#pragma once

#include "ui/toolkit.h"

namespace examclient::ui {

inline constexpr char kLoginWindowName[] = "LoginWindow";

// The window's table of controls, settings and handlers.
WindowDefinition loginWindowDefinition();

const WindowFactory& loginWindow();

} // namespace examclient::ui
