#include "app/platformpaths.h"

#include "app/gbk.h"

#include <cstdlib>
#include <unistd.h>

namespace examclient {
namespace {

HostPath homeDirectory()
{
    const char* home = std::getenv("HOME");
    return home && *home ? HostPath(home) : HostPath("/tmp");
}

HostPath environmentOr(const char* variable, HostPath fallback)
{
    const char* value = std::getenv(variable);
    return value && *value ? HostPath(value) : fallback;
}

} // namespace

HostPath windowsDirectory()
{
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    HostPath base = xdg && *xdg ? HostPath(xdg) : homeDirectory() + "/.config";
    return environmentOr("EXAMCLIENT_WINDOWS_DIR", base + "/examclient");
}

HostPath driveRoot(char driveLetter)
{
    char upper = driveLetter >= 'a' && driveLetter <= 'z' ? static_cast<char>(driveLetter - 'a' + 'A') : driveLetter;
    std::string variable = "EXAMCLIENT_DRIVE_";
    variable += upper;
    return environmentOr(variable.c_str(), homeDirectory() + "/examclient/" + upper);
}

std::optional<HostPath> toHostPath(std::string_view windowsPath)
{
    if (windowsPath.find('\0') != std::string_view::npos)
        return std::nullopt;

    HostPath prefix;
    std::string_view rest = windowsPath;
    if (rest.size() >= 2 && rest[1] == ':') {
        char letter = rest[0];
        bool isLetter = (letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z');
        if (!isLetter)
            return std::nullopt;
        prefix = driveRoot(letter);
        rest.remove_prefix(2);
        // "D:" and "D:\" both name the drive's root.
        if (!rest.empty() && rest[0] != '\\' && rest[0] != '/')
            prefix += '/';
    }

    // Separators are found only where a GBK character begins.
    Text withSlashes;
    withSlashes.reserve(rest.size());
    for (std::size_t i = 0; i < rest.size();) {
        std::size_t length = gbkCharacterLength(rest, i);
        if (length == 1 && rest[i] == '\\')
            withSlashes += '/';
        else
            withSlashes.append(rest.substr(i, length));
        i += length;
    }

    std::string utf8;
    if (!gbkToUtf8Exact(withSlashes, utf8))
        return std::nullopt;
    return prefix + utf8;
}

HostPath programDirectory()
{
    std::string buffer(4096, '\0');
    ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= buffer.size())
        return ".";
    buffer.resize(static_cast<std::size_t>(length));
    std::size_t slash = buffer.rfind('/');
    return slash == 0 ? HostPath("/") : buffer.substr(0, slash);
}

} // namespace examclient
