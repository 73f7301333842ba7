// Where Windows places live on this host. The Windows directory (where config.ini is
// looked up) is $EXAMCLIENT_WINDOWS_DIR; a drive letter X is $EXAMCLIENT_DRIVE_X.
// Defaults, for an examinee who sets nothing:
//   Windows directory: $XDG_CONFIG_HOME/examclient, else ~/.config/examclient
//   drive X:           ~/examclient/X   (for drive D: ~/examclient/D)
#pragma once

#include "app/text.h"

#include <optional>
#include <string>
#include <string_view>

namespace examclient {

// Host paths are UTF-8 file names.
using HostPath = std::string;

HostPath windowsDirectory();
HostPath driveRoot(char driveLetter);

// Translates a Windows path (GBK, "\" separators) into a host path, at this one place:
// "D:\e1\1.zip" -> driveRoot('D') + "/e1/1.zip". Characters are counted in GBK, so a
// trail byte 0x5C is never a separator. A relative path stays relative (to the current
// directory); a bare name such as "config.ini" is not resolved here. Nothing when the
// path has no host form (a drive that is not a letter, a name GBK cannot decode, or a
// zero byte); a trailing "\" keeps a trailing "/".
std::optional<HostPath> toHostPath(std::string_view windowsPath);

// The directory holding the running program file ("/proc/self/exe").
HostPath programDirectory();

} // namespace examclient
