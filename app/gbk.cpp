#include "app/gbk.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>

namespace examclient {
namespace {

// One iconv conversion descriptor for the life of the program; the GUI thread is the
// only caller.
class Converter {
public:
    Converter(const char* to, const char* from) : m_handle(iconv_open(to, from)) {}
    ~Converter()
    {
        if (m_handle != invalidHandle())
            iconv_close(m_handle);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts as much as possible. Stops at an invalid or unconvertible sequence and
    // leaves `input` at it; returns false then.
    bool convert(std::string_view& input, std::string& output)
    {
        iconv(m_handle, nullptr, nullptr, nullptr, nullptr);
        char buffer[1024];
        while (!input.empty()) {
            char* in = const_cast<char*>(input.data());
            std::size_t inLeft = input.size();
            char* out = buffer;
            std::size_t outLeft = sizeof buffer;
            std::size_t result = iconv(m_handle, &in, &inLeft, &out, &outLeft);
            output.append(buffer, static_cast<std::size_t>(out - buffer));
            input.remove_prefix(input.size() - inLeft);
            if (result == static_cast<std::size_t>(-1) && errno != E2BIG)
                return false;
        }
        return true;
    }

private:
    static iconv_t invalidHandle() { return reinterpret_cast<iconv_t>(-1); }
    iconv_t m_handle;
};

Converter& gbkDecoder()
{
    static Converter converter("UTF-8", "GBK");
    return converter;
}

Converter& gbkEncoder()
{
    static Converter converter("GBK", "UTF-8");
    return converter;
}

// Length of the UTF-8 sequence that starts with `lead`, 1 for a stray byte.
std::size_t utf8SequenceLength(unsigned char lead)
{
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    if (lead >= 0xE0)
        return lead <= 0xEF ? 3 : 1;
    if (lead >= 0xC2)
        return 2;
    return 1;
}

} // namespace

std::string gbkToUtf8(std::string_view gbk)
{
    std::string result;
    result.reserve(gbk.size() * 3 / 2);
    while (!gbkDecoder().convert(gbk, result)) {
        result += "\xEF\xBF\xBD";
        gbk.remove_prefix(std::min(gbkCharacterLength(gbk, 0), gbk.size()));
    }
    return result;
}

bool gbkToUtf8Exact(std::string_view gbk, std::string& utf8)
{
    utf8.clear();
    return gbkDecoder().convert(gbk, utf8);
}

Text utf8ToGbk(std::string_view utf8)
{
    Text result;
    result.reserve(utf8.size());
    while (!gbkEncoder().convert(utf8, result)) {
        result += '?';
        std::size_t skip = utf8SequenceLength(static_cast<unsigned char>(utf8[0]));
        utf8.remove_prefix(std::min(skip, utf8.size()));
    }
    return result;
}

bool utf8ToGbkExact(std::string_view utf8, Text& gbk)
{
    gbk.clear();
    return gbkEncoder().convert(utf8, gbk);
}

} // namespace examclient
