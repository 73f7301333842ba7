#include "app/fatal.h"

#include "app/examstate.h"
#include "app/gbk.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace examclient {
namespace {

FatalErrorPresenter& presenter()
{
    static FatalErrorPresenter installed;
    return installed;
}

std::function<void()>& cleanup()
{
    static std::function<void()> installed;
    return installed;
}

template <typename Number> void appendDecimal(Text& out, Number value)
{
    char buffer[32];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

// Without a toolkit there is no box; standard error is read by people on UTF-8 terminals.
void writeToStandardError(const Text& text, const Text& title)
{
    std::string shown = gbkToUtf8(title) + "\n" + gbkToUtf8(text) + "\n";
    std::fwrite(shown.data(), 1, shown.size(), stderr);
    std::fflush(stderr);
}

} // namespace

Text fatalErrorText(int code, std::string_view message)
{
    std::size_t zero = message.find('\0');
    if (zero != std::string_view::npos)
        message = message.substr(0, zero);

    Text text = "运行时出错!\r\n\r\n";
    if (code != 0) {
        text += "错误代码：";
        appendDecimal(text, code);
        text += "\r\n\r\n";
    }
    if (!message.empty()) {
        text += "错误信息：";
        text += message;
        text += "\r\n";
    }
    return text;
}

void fatalRuntimeError(int code, std::string_view message)
{
    // Nothing may escape from here: the process ends whatever the box or the cleanup do.
    try {
        Text text = fatalErrorText(code, message);
        Text title = "错误";
        if (presenter())
            presenter()(text, title);
        else
            writeToStandardError(text, title);
    } catch (...) {
    }

    // releaseExamState belongs to the normal end only.
    clearExitRoutines();
    try {
        if (cleanup())
            cleanup()();
    } catch (...) {
    }
    std::_Exit(-1);
}

void allocationFailed(std::size_t bytes)
{
    // Composed without allocating: the heap has just refused a request.
    static constexpr std::string_view before = "分配 ";
    static constexpr std::string_view after = " 字节内存失败!";
    char message[64];
    char* end = std::copy(before.begin(), before.end(), message);
    end = std::to_chars(end, end + 24, bytes).ptr;
    end = std::copy(after.begin(), after.end(), end);
    fatalRuntimeError(0, std::string_view(message, static_cast<std::size_t>(end - message)));
}

void installFatalErrorPresenter(FatalErrorPresenter installed)
{
    presenter() = std::move(installed);
}

void installFatalErrorCleanup(std::function<void()> installed)
{
    cleanup() = std::move(installed);
}

} // namespace examclient
