#include "zone/Names.h"

#include <cctype>

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

std::string Visible(std::string text)
{
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20)
            c = '\xA4';
    return text;
}

std::string LowerName(std::string name)
{
    for (char& c : name)
        c = char(Lower(c));
    return name;
}
