#include "zone/Names.h"

#include <cctype>
#include <cstdint>
#include <cstring>

namespace {
int Lower(char c) { return std::tolower(static_cast<unsigned char>(c)); }
} // namespace

int CompareNamesNoCase(const std::string& a, const std::string& b)
{
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        const int ca = Lower(a[i]);
        const int cb = Lower(b[i]);
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool SameNameNoCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && CompareNamesNoCase(a, b) == 0;
}

void MakeVisible(std::string& text, size_t from)
{
    // Every piece of chat passes here: eight bytes at a time, looking closer
    // only at a word that holds a byte below 0x20.
    constexpr uint64_t kOnes = 0x0101010101010101ull, kHighs = 0x8080808080808080ull;
    size_t i = from;
    for (; i + 8 <= text.size(); i += 8) {
        uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        if (((word - kOnes * 0x20) & ~word & kHighs) == 0)
            continue;
        for (size_t j = i; j < i + 8; ++j)
            if (static_cast<unsigned char>(text[j]) < 0x20)
                text[j] = '\xA4';
    }
    for (; i < text.size(); ++i)
        if (static_cast<unsigned char>(text[i]) < 0x20)
            text[i] = '\xA4';
}

std::string Visible(std::string text)
{
    MakeVisible(text);
    return text;
}

std::string LowerName(std::string name)
{
    for (char& c : name)
        c = char(Lower(c));
    return name;
}
