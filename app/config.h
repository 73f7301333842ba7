// config.ini, read through the profile-reader seam.
#pragma once

#include "app/text.h"

namespace examclient {

// The private-profile value of `key` in `section` of `file`, or `defaultValue`.
// A bare file name is looked up in the Windows directory only. Leading bytes 1..32
// of file, section and key are skipped; when any of them is then empty the result
// is the empty text without reading. Section and key match regardless of ASCII case;
// blanks around the value and one pair of enclosing quotes are dropped; the value is
// cut to 10239 bytes.
Text readIniValue(std::string_view file, std::string_view section, std::string_view key, std::string_view defaultValue);

// ServerIp and ServerPortText from config.ini into ExamState, and the login port
// as a number (textToInteger of ServerPortText).
int readServerConfiguration();

} // namespace examclient
