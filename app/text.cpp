#include "app/text.h"

#include "app/clock.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <ctime>
#include <limits>
#include <system_error>
#include <tuple>

namespace examclient {
namespace {

constexpr unsigned char byteAt(std::string_view text, std::size_t i)
{
    return static_cast<unsigned char>(text[i]);
}

constexpr bool isLeadByte(unsigned char byte)
{
    return byte >= 0x80;
}

// A Text ends at its first zero byte; whatever a caller's view holds after it is not
// part of the text.
std::string_view asText(std::string_view text)
{
    std::size_t zero = text.find('\0');
    return zero == std::string_view::npos ? text : text.substr(0, zero);
}

// The white space that the number readers skip: blank, tab, line feed, vertical tab,
// form feed, carriage return. Not std::isspace, whose answer depends on the locale.
constexpr bool isWhiteSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

constexpr bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::size_t skipWhiteSpace(std::string_view text, std::size_t i)
{
    while (i < text.size() && isWhiteSpace(text[i]))
        ++i;
    return i;
}

void appendDecimal(Text& out, int value)
{
    std::array<char, 16> buffer{};
    auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    out.append(buffer.data(), result.ptr);
}

// The significant digits of a decimal number and where the point stands: the value is
// 0.<digits> * 10^exponent. The exponent saturates far outside the range of a double,
// so no input can overflow it.
struct DecimalNumber {
    bool negative = false;
    std::string digits; // no leading zeros; empty for zero
    std::int64_t exponent = 0;
};

constexpr std::int64_t exponentLimit = 1'000'000'000;

std::int64_t saturatedAdd(std::int64_t a, std::int64_t b)
{
    std::int64_t sum = a + b; // both operands stay within a few exponentLimits
    if (sum > exponentLimit)
        return exponentLimit;
    if (sum < -exponentLimit)
        return -exponentLimit;
    return sum;
}

// Reads the longest prefix of `text` at `i` that is a decimal number with an optional
// "e", "E", "d" or "D" exponent. False when there is none.
bool readDecimalNumber(std::string_view text, std::size_t i, DecimalNumber& number)
{
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        number.negative = text[i] == '-';
        ++i;
    }

    std::size_t mantissaDigits = 0;
    std::int64_t pointShift = 0; // digits before the point, once leading zeros are gone
    bool seenPoint = false;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (c == '.' && !seenPoint) {
            seenPoint = true;
            continue;
        }
        if (!isDigit(c))
            break;
        ++mantissaDigits;
        if (number.digits.empty() && c == '0') {
            // A leading zero after the point moves the first significant digit right.
            if (seenPoint)
                pointShift = saturatedAdd(pointShift, -1);
            continue;
        }
        number.digits += c;
        if (!seenPoint)
            pointShift = saturatedAdd(pointShift, 1);
    }
    if (mantissaDigits == 0)
        return false;

    // An exponent letter counts only when at least one digit follows it.
    std::int64_t exponent = 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
        std::size_t j = i + 1;
        bool negativeExponent = false;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
            negativeExponent = text[j] == '-';
            ++j;
        }
        if (j < text.size() && isDigit(text[j])) {
            for (; j < text.size() && isDigit(text[j]); ++j)
                exponent = std::min(exponent * 10 + (text[j] - '0'), exponentLimit);
            if (negativeExponent)
                exponent = -exponent;
        }
    }

    // Trailing zeros of the digits carry no value.
    while (!number.digits.empty() && number.digits.back() == '0')
        number.digits.pop_back();
    number.exponent = saturatedAdd(pointShift, exponent);
    return true;
}

// The double nearest to the number, by the correctly rounding std::from_chars, which
// unlike strtod does not depend on the locale's decimal point.
double nearestDouble(const DecimalNumber& number)
{
    double magnitude = 0.0;
    if (number.digits.empty()) {
        magnitude = 0.0;
    } else if (number.exponent > 400) {
        magnitude = std::numeric_limits<double>::infinity();
    } else if (number.exponent < -400) {
        magnitude = 0.0;
    } else {
        std::string scientific = "0." + number.digits + "e";
        appendDecimal(scientific, static_cast<int>(number.exponent));
        auto result = std::from_chars(scientific.data(), scientific.data() + scientific.size(), magnitude,
                                      std::chars_format::scientific);
        // Out of range means the nearest double is infinity or zero; which one the
        // exponent tells (magnitudes between 1e-330 and 1e300 are always in range).
        if (result.ec == std::errc::result_out_of_range)
            magnitude = number.exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
        else if (result.ec != std::errc())
            magnitude = 0.0;
    }
    return number.negative ? -magnitude : magnitude;
}

} // namespace

DateTime currentTime()
{
    std::time_t seconds = static_cast<std::time_t>(clock().wallSeconds());
    std::tm local{};
    if (!localtime_r(&seconds, &local)) {
        // Only a clock far outside the calendar gets here; the epoch is as good as any.
        return DateTime{1970, 1, 1, 0, 0, 0};
    }
    return DateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

Text dateTimeToText(const DateTime& value)
{
    static constexpr DateTime earliest{100, 1, 1, 0, 0, 0};
    static constexpr DateTime latest{9999, 12, 31, 0, 0, 0};
    auto fields = [](const DateTime& d) { return std::tie(d.year, d.month, d.day, d.hour, d.minute, d.second); };

    DateTime shown = value;
    if (fields(shown) < fields(earliest))
        shown = earliest;
    else if (fields(shown) > fields(latest))
        shown = latest;

    Text text;
    appendDecimal(text, shown.year);
    text += "年";
    appendDecimal(text, shown.month);
    text += "月";
    appendDecimal(text, shown.day);
    text += "日";
    if (shown.second != 0 || shown.minute != 0 || shown.hour != 0) {
        appendDecimal(text, shown.hour);
        text += "时";
    }
    if (shown.second != 0 || shown.minute != 0) {
        appendDecimal(text, shown.minute);
        text += "分";
    }
    if (shown.second != 0) {
        appendDecimal(text, shown.second);
        text += "秒";
    }
    return text;
}

Text bytesToText(const Bytes& bytes)
{
    std::string_view view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return Text(asText(view));
}

Bytes textToBytes(std::string_view text)
{
    text = asText(text);
    return Bytes(text.begin(), text.end());
}

Text toHalfWidth(std::string_view text)
{
    text = asText(text);
    Text half;
    half.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned char lead = byteAt(text, i);
        if (!isLeadByte(lead)) {
            half += text[i];
            continue;
        }
        if (i + 1 == text.size())
            break; // a lead byte without its second byte is dropped
        unsigned char trail = byteAt(text, i + 1);
        if (lead == 0xA1 && trail == 0xA1)
            half += ' '; // ideographic space
        else if (lead == 0xA1 && trail == 0xAB)
            half += '~';
        else if (lead == 0xA1 && (trail == 0xEE || trail == 0xEF))
            half += '*'; // the white and the black star
        else if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE)
            half += static_cast<char>(trail - 0x80); // full-width "!" to "~"
        else
            half.append(text.substr(i, 2));
        ++i;
    }
    return half;
}

double textToNumber(std::string_view text)
{
    Text half = toHalfWidth(text);
    DecimalNumber number;
    if (!readDecimalNumber(half, skipWhiteSpace(half, 0), number))
        return 0.0;
    return nearestDouble(number);
}

std::int32_t textToInteger(std::string_view text)
{
    Text half = toHalfWidth(text);
    std::size_t i = skipWhiteSpace(half, 0);
    bool negative = false;
    if (i < half.size() && (half[i] == '+' || half[i] == '-')) {
        negative = half[i] == '-';
        ++i;
    }
    // Unsigned arithmetic wraps by definition; the conversion back is modular in C++20.
    std::uint32_t value = 0;
    for (; i < half.size() && isDigit(half[i]); ++i)
        value = value * 10u + static_cast<std::uint32_t>(half[i] - '0');
    if (negative)
        value = 0u - value;
    return static_cast<std::int32_t>(value);
}

Text numberToText(double value)
{
    // std::to_chars with the general format and a precision is printf's "%.13g" in the
    // C locale; only the exponent needs widening to three digits.
    std::array<char, 64> buffer{};
    auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::general, 13);
    Text text(buffer.data(), result.ptr);

    std::size_t e = text.find('e');
    if (e != Text::npos && e + 1 < text.size()) {
        std::size_t digitsAt = e + 2; // after "e" and the sign
        std::size_t digitCount = text.size() - digitsAt;
        if (digitCount < 3)
            text.insert(digitsAt, 3 - digitCount, '0');
    }
    return text;
}

std::vector<Text> splitText(std::string_view text, std::string_view separator)
{
    text = asText(text);
    separator = asText(separator);
    std::vector<Text> members;
    if (text.empty())
        return members;
    if (separator.empty()) {
        members.emplace_back(text);
        return members;
    }

    std::size_t memberBegin = 0;
    std::size_t i = 0;
    while (text.size() - i >= separator.size()) {
        if (text.compare(i, separator.size(), separator) == 0) {
            members.emplace_back(text.substr(memberBegin, i - memberBegin));
            i += separator.size();
            memberBegin = i;
            continue;
        }
        if (isLeadByte(byteAt(text, i))) {
            if (i + 1 == text.size())
                break;
            i += 2;
        } else {
            ++i;
        }
    }
    if (memberBegin < text.size())
        members.emplace_back(text.substr(memberBegin));
    return members;
}

bool textEquals(std::string_view left, std::string_view right)
{
    return asText(left) == asText(right);
}

Text concatTexts(std::initializer_list<std::string_view> texts)
{
    Text joined;
    for (std::string_view text : texts)
        joined.append(asText(text));
    return joined;
}

} // namespace examclient
