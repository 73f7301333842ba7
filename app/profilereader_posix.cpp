// The profile reader of hosts without GetPrivateProfileStringA: a small INI reader with
// that call's lookup and value rules.
#include "app/profilereader.h"

#include "app/platformpaths.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace examclient {
namespace {

constexpr bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

constexpr bool isLeadByte(char c)
{
    return static_cast<unsigned char>(c) >= 0x80;
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

constexpr char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Equal but for the case of ASCII letters. The second byte of a GBK character may
// look like a letter; it is compared as it is.
bool equalIgnoringAsciiCase(std::string_view left, std::string_view right)
{
    if (left.size() != right.size())
        return false;
    for (std::size_t i = 0; i < left.size(); ++i) {
        if (isLeadByte(left[i]) && i + 1 < left.size()) {
            if (left[i] != right[i] || left[i + 1] != right[i + 1])
                return false;
            ++i;
        } else if (asciiLower(left[i]) != asciiLower(right[i])) {
            return false;
        }
    }
    return true;
}

// A name without a directory and without a drive is looked up in the Windows directory
// only; anything else is a Windows path of its own.
bool isBareName(std::string_view file)
{
    if (file.size() >= 2 && !isLeadByte(file[0]) && file[1] == ':')
        return false;
    for (std::size_t i = 0; i < file.size(); ++i) {
        if (isLeadByte(file[i])) {
            ++i; // the second byte of a GBK character is never a separator
            continue;
        }
        if (file[i] == '\\' || file[i] == '/')
            return false;
    }
    return true;
}

std::optional<HostPath> hostPathOf(std::string_view file)
{
    std::optional<HostPath> path = toHostPath(file);
    if (path && isBareName(file))
        return windowsDirectory() + "/" + *path;
    return path;
}

// The whole file, or nothing when it is no regular file or cannot be read. Opened without
// blocking, so that a pipe or device of that name cannot stall the program.
std::optional<std::string> readFile(const HostPath& path)
{
    int descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        return std::nullopt;
    std::optional<std::string> content;
    struct stat status {};
    if (fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode)) {
        content.emplace();
        char buffer[8192];
        for (;;) {
            ssize_t count = read(descriptor, buffer, sizeof buffer);
            if (count > 0) {
                content->append(buffer, static_cast<std::size_t>(count));
            } else if (count < 0 && errno == EINTR) {
                continue;
            } else {
                if (count < 0)
                    content.reset();
                break;
            }
        }
    }
    close(descriptor);
    return content;
}

// The next line of `content` from `position` on; CR LF, LF and CR all end a line.
std::string_view nextLine(std::string_view content, std::size_t& position)
{
    std::size_t begin = position;
    std::size_t end = content.find_first_of("\r\n", begin);
    if (end == std::string_view::npos)
        end = content.size();
    position = end;
    if (position < content.size() && content[position] == '\r')
        ++position;
    if (position < content.size() && content[position] == '\n')
        ++position;
    return content.substr(begin, end - begin);
}

// The value of the first `key` in the first `section` of an INI text, before the value
// rules apply; nothing when there is no such key.
std::optional<std::string_view> findValue(std::string_view content, std::string_view section, std::string_view key)
{
    // Notepad may save the file as UTF-8 with a byte-order mark.
    if (content.starts_with("\xEF\xBB\xBF"))
        content.remove_prefix(3);

    enum class Where { BeforeSection, InSection };
    Where where = Where::BeforeSection;
    std::size_t position = 0;
    while (position < content.size()) {
        std::string_view line = trimmed(nextLine(content, position));
        if (line.empty() || line.front() == ';')
            continue;
        if (line.front() == '[') {
            std::size_t close = line.rfind(']');
            if (close == std::string_view::npos)
                continue; // not a section header, and no key either
            if (where == Where::InSection)
                return std::nullopt; // only the first matching section counts
            if (equalIgnoringAsciiCase(trimmed(line.substr(1, close - 1)), section))
                where = Where::InSection;
            continue;
        }
        if (where != Where::InSection)
            continue;
        std::size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            continue;
        if (equalIgnoringAsciiCase(trimmed(line.substr(0, equals)), key))
            return trimmed(line.substr(equals + 1));
    }
    return std::nullopt;
}

std::string_view withoutEnclosingQuotes(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

Text limited(std::string_view value, std::size_t bufferSize)
{
    std::size_t zero = value.find('\0');
    if (zero != std::string_view::npos)
        value = value.substr(0, zero);
    return Text(value.substr(0, bufferSize - 1));
}

} // namespace

Text readPrivateProfileString(std::string_view file, std::string_view section, std::string_view key,
                              std::optional<std::string_view> defaultValue, std::size_t bufferSize)
{
    if (bufferSize == 0)
        return Text();

    if (std::optional<HostPath> path = hostPathOf(file)) {
        if (std::optional<std::string> content = readFile(*path)) {
            if (std::optional<std::string_view> value = findValue(*content, trimmed(section), trimmed(key)))
                return limited(withoutEnclosingQuotes(*value), bufferSize);
        }
    }

    // The default loses its trailing blanks, as GetPrivateProfileStringA's does.
    std::string_view fallback = defaultValue.value_or(std::string_view());
    while (!fallback.empty() && (fallback.back() == ' ' || fallback.back() == '\t'))
        fallback.remove_suffix(1);
    return limited(fallback, bufferSize);
}

} // namespace examclient
