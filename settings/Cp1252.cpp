#include "settings/Cp1252.h"

namespace {

// Characters of bytes 0x80 to 0x9F; everything else is the byte's own code point.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

bool IsHighSurrogate(unsigned long c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(unsigned long c) { return c >= 0xDC00 && c <= 0xDFFF; }

char EncodeOne(unsigned long c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return char(c);
    for (int i = 0; i < 32; ++i)
        if (kHighControls[i] == c)
            return char(0x80 + i);
    return '?';
}

} // namespace

std::wstring DecodeCp1252(const std::string& bytes)
{
    std::wstring text;
    text.reserve(bytes.size());
    for (char byte : bytes) {
        const unsigned char b = static_cast<unsigned char>(byte);
        text.push_back(b >= 0x80 && b < 0xA0 ? wchar_t(kHighControls[b - 0x80]) : wchar_t(b));
    }
    return text;
}

std::string EncodeCp1252(const std::wstring& text)
{
    std::string bytes;
    bytes.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned long c = static_cast<unsigned long>(text[i]);
        // Where wchar_t is 16 bits, a character beyond the first plane is a pair: one "?" for both.
        if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(static_cast<unsigned long>(text[i + 1])))
            ++i;
        bytes.push_back(EncodeOne(c));
    }
    return bytes;
}
