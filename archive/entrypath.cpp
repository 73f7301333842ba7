#include "archive/entrypath.h"

#include "app/gbk.h"

namespace examclient {
namespace {

// Well-formed UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF).
bool isUtf8(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = lead < 0x80                    ? 1
                             : lead >= 0xc2 && lead <= 0xdf ? 2
                             : lead >= 0xe0 && lead <= 0xef ? 3
                             : lead >= 0xf0 && lead <= 0xf4 ? 4
                                                            : 0;
        if (length == 0 || i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xc0) != 0x80)
                return false;
        }
        auto second = static_cast<unsigned char>(length > 1 ? text[i + 1] : 0);
        if ((lead == 0xe0 && second < 0xa0) || (lead == 0xed && second > 0x9f) || (lead == 0xf0 && second < 0x90) ||
            (lead == 0xf4 && second > 0x8f))
            return false;
        i += length;
    }
    return true;
}

} // namespace

EntryPath entryPath(std::string_view name, EntryNameEncoding encoding)
{
    EntryPath path;
    if (name.find('\0') != std::string_view::npos) {
        path.problem = EntryPathProblem::NotHostable;
        return path;
    }
    if (!name.empty() && (name[0] == '/' || name[0] == '\\')) {
        path.problem = EntryPathProblem::Absolute;
        return path;
    }
    if (name.size() >= 2 && name[1] == ':' &&
        ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z'))) {
        path.problem = EntryPathProblem::Drive;
        return path;
    }

    std::vector<std::string_view> raw;
    std::size_t start = 0;
    for (std::size_t i = 0; i < name.size();) {
        // In UTF-8 every byte below 0x80 is a character of its own.
        std::size_t length = encoding == EntryNameEncoding::Gbk ? gbkCharacterLength(name, i) : 1;
        if (length == 1 && (name[i] == '/' || name[i] == '\\')) {
            raw.push_back(name.substr(start, i - start));
            start = i + 1;
        }
        i += length;
    }
    raw.push_back(name.substr(start));
    path.endsWithSeparator = raw.size() > 1 && raw.back().empty();

    for (std::string_view component : raw) {
        if (component == "..") {
            path.problem = EntryPathProblem::ParentComponent;
            path.components.clear();
            return path;
        }
        if (component.empty() || component == ".")
            continue;
        std::string host;
        bool valid = encoding == EntryNameEncoding::Gbk ? gbkToUtf8Exact(component, host) : isUtf8(component);
        if (!valid) {
            path.problem = EntryPathProblem::NotHostable;
            path.components.clear();
            return path;
        }
        path.components.push_back(encoding == EntryNameEncoding::Gbk ? std::move(host) : std::string(component));
    }
    return path;
}

const char* describe(EntryPathProblem problem)
{
    switch (problem) {
    case EntryPathProblem::None:
        return "a usable name";
    case EntryPathProblem::Absolute:
        return "the name is an absolute path";
    case EntryPathProblem::Drive:
        return "the name carries a drive";
    case EntryPathProblem::ParentComponent:
        return "the name has a \"..\" component";
    case EntryPathProblem::NotHostable:
        return "the name has no host form";
    }
    return "unknown";
}

} // namespace examclient
