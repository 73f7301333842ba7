// The profile-reader seam: one private-profile (INI) value, as the Windows call
// GetPrivateProfileStringA gives it. A Windows build implements it with that call; other
// platforms have their own reader with the same lookup and value rules.
#pragma once

#include "app/text.h"

#include <cstddef>
#include <optional>
#include <string_view>

namespace examclient {

// The value of `key` in `section` of the INI file `file`, cut to bufferSize - 1 bytes.
// `file` is a Windows path in GBK; a bare name (no directory, no drive) lies in the
// Windows directory. A missing file, section or key gives `defaultValue` (none: the
// empty text) without its trailing blanks. Section and key names match regardless of
// ASCII letter case and of blanks around them; the first matching section, and the
// first matching key in it, count. Blanks around a value and one pair of enclosing
// quotation marks (" or ') are dropped. Lines beginning with ";" are comments.
Text readPrivateProfileString(std::string_view file, std::string_view section, std::string_view key,
                              std::optional<std::string_view> defaultValue, std::size_t bufferSize);

} // namespace examclient
