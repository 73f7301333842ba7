// An entry's name as the host components of a path below the target directory. Names
// are untrusted: one that would leave the target directory is refused, never repaired.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace examclient {

enum class EntryNameEncoding { Gbk, Utf8 };

enum class EntryPathProblem {
    None,
    Absolute,        // begins with a separator
    Drive,           // begins with a drive such as "C:"
    ParentComponent, // has a ".." component
    NotHostable,     // not valid in its encoding, or holds a zero byte
};

struct EntryPath {
    EntryPathProblem problem = EntryPathProblem::None;
    // UTF-8 host names; "." and empty components are dropped, as Windows drops them.
    std::vector<std::string> components;
    // The name ends with a separator: it names a directory, never a file.
    bool endsWithSeparator = false;
};

// "/" and "\" both separate, the latter only where a GBK character begins.
EntryPath entryPath(std::string_view name, EntryNameEncoding encoding);

const char* describe(EntryPathProblem problem);

} // namespace examclient
