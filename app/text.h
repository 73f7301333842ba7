// Texts, byte buffers and date-times, and every conversion between them that the
// windows and the protocol rely on. Exact to the byte: the exam server produces the
// same start-time texts that dateTimeToText produces here.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace examclient {

// GBK bytes (code page 936); a byte of 0x80 or above begins a two-byte character.
// A Text never holds a zero byte. The absent text and the empty text are one value:
// the empty string. The operations below take a view that holds a zero byte as the
// text before it, as a zero-terminated string would be read.
using Text = std::string;

// A length and that many bytes of any value, zero bytes included, as sent to or
// received from a link. The absent buffer is the empty one.
using Bytes = std::vector<std::uint8_t>;

// A local calendar date and time to the second.
struct DateTime {
    int year = 0;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0;   // 0..23
    int minute = 0; // 0..59
    int second = 0; // 0..59
    friend bool operator==(const DateTime&, const DateTime&) = default;
};

// Now, in local time, truncated to the second. Reads the clock of app/clock.h.
DateTime currentTime();

// "2016年6月7日9时5分3秒"; trailing zero fields of the time are left out.
Text dateTimeToText(const DateTime& value);

// The bytes up to the first zero byte.
Text bytesToText(const Bytes& bytes);
// The bytes of a text, without a terminating zero.
Bytes textToBytes(std::string_view text);

// Full-width forms of ASCII become ASCII; a lone lead byte at the end is dropped.
Text toHalfWidth(std::string_view text);

// The longest decimal prefix (after toHalfWidth and leading white space) as the
// nearest double; "d"/"D" also mark the exponent. 0 when there is none.
double textToNumber(std::string_view text);

// Decimal digits after an optional sign, in wrapping 32-bit arithmetic.
std::int32_t textToInteger(std::string_view text);

// As "%.13g" with an exponent of at least three digits: 1e+013, 1e-005.
Text numberToText(double value);

// Splits at `separator`, found only where a GBK character begins. A separator at the
// very end adds no empty member; at the start or side by side it does.
std::vector<Text> splitText(std::string_view text, std::string_view separator);

// Byte for byte, up to the terminating zero: no case folding, no trimming.
bool textEquals(std::string_view left, std::string_view right);

// The texts one after another.
Text concatTexts(std::initializer_list<std::string_view> texts);

} // namespace examclient
