#include "app/config.h"

#include "app/examstate.h"
#include "app/profilereader.h"

#include <optional>

namespace examclient {
namespace {

// The reader's result buffer; a longer value is cut to one byte less.
constexpr std::size_t valueBufferSize = 10240;

// Control characters and blanks (bytes 1 to 32) before a name are not part of it.
std::string_view withoutLeadingControls(std::string_view text)
{
    std::size_t zero = text.find('\0');
    if (zero != std::string_view::npos)
        text = text.substr(0, zero);
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= 32)
        text.remove_prefix(1);
    return text;
}

} // namespace

Text readIniValue(std::string_view file, std::string_view section, std::string_view key, std::string_view defaultValue)
{
    file = withoutLeadingControls(file);
    section = withoutLeadingControls(section);
    key = withoutLeadingControls(key);
    if (file.empty() || section.empty() || key.empty())
        return Text();

    std::size_t zero = defaultValue.find('\0');
    if (zero != std::string_view::npos)
        defaultValue = defaultValue.substr(0, zero);
    std::optional<std::string_view> passedDefault;
    if (!defaultValue.empty())
        passedDefault = defaultValue;

    Text value = readPrivateProfileString(file, section, key, passedDefault, valueBufferSize);
    zero = value.find('\0');
    if (zero != Text::npos)
        value.resize(zero);
    return value;
}

int readServerConfiguration()
{
    ExamState& state = examState();
    state.serverIp = readIniValue("config.ini", "Server", "IP", "127.0.0.1");
    state.serverPortText = readIniValue("config.ini", "Server", "Port", "19730");
    return textToInteger(state.serverPortText);
}

} // namespace examclient
