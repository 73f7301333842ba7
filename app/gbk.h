// The two places where GBK meets Unicode on this platform: the toolkit drawing or
// reading a control, and a Windows path becoming a host (UTF-8) file name.
#pragma once

#include "app/text.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace examclient {

// Number of bytes of the GBK character that starts at text[i]: 2 for a lead byte
// followed by another byte, else 1.
inline std::size_t gbkCharacterLength(std::string_view text, std::size_t i)
{
    return static_cast<unsigned char>(text[i]) >= 0x80 && i + 1 < text.size() ? 2 : 1;
}

// GBK to UTF-8. A byte sequence that is not GBK becomes U+FFFD.
std::string gbkToUtf8(std::string_view gbk);

// Strict GBK to UTF-8: false when a byte sequence is not GBK.
bool gbkToUtf8Exact(std::string_view gbk, std::string& utf8);

// UTF-8 to GBK. A character that GBK cannot hold becomes "?", as an ANSI interface does.
Text utf8ToGbk(std::string_view utf8);

// Strict UTF-8 to GBK for names that must round-trip: false when a character has no
// GBK form or the input is not UTF-8.
bool utf8ToGbkExact(std::string_view utf8, Text& gbk);

} // namespace examclient
