// The fatal run-time error: the only error that ends the program.
#pragma once

#include "app/text.h"

#include <cstddef>
#include <functional>

namespace examclient {

// The box text: "运行时出错!" CR LF CR LF, then "错误代码：" code CR LF CR LF when the
// code is not 0, then "错误信息：" message CR LF when the message is not empty.
Text fatalErrorText(int code, std::string_view message);

// Shows the box (title "错误", error icon, no owner) and, once it is closed, ends the
// process with exit code -1 without running the exit routines.
[[noreturn]] void fatalRuntimeError(int code, std::string_view message);

// "分配 %d 字节内存失败!" as a fatal error, for an allocation that failed.
[[noreturn]] void allocationFailed(std::size_t bytes);

// How the box is shown; the toolkit installs its message box at start-up. Without one
// the text is written to standard error.
using FatalErrorPresenter = std::function<void(const Text& text, const Text& title)>;
void installFatalErrorPresenter(FatalErrorPresenter presenter);

// Releases toolkit and link resources before the process ends; the toolkit installs it.
void installFatalErrorCleanup(std::function<void()> cleanup);

} // namespace examclient
