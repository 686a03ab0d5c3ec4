#include "zone/Names.h"

#include <cctype>
#include <cstdint>
#include <cstring>

namespace {
int Lower(char c) { return std::tolower(static_cast<unsigned char>(c)); }

// ASCII letters folded; the searches below run over whole windows of text.
struct FoldTable {
    unsigned char fold[256];
    FoldTable()
    {
        for (int c = 0; c < 256; ++c)
            fold[c] = static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    }
};
const FoldTable kFold;
inline unsigned char Fold(char c) { return kFold.fold[static_cast<unsigned char>(c)]; }

bool MatchesAt(const std::string& text, size_t at, const std::string& needle)
{
    for (size_t j = 1; j < needle.size(); ++j)
        if (Fold(text[at + j]) != Fold(needle[j]))
            return false;
    return true;
}

bool WordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; }
} // namespace

size_t FindNoCase(const std::string& text, const std::string& needle, size_t from, bool forward)
{
    if (needle.empty() || needle.size() > text.size())
        return std::string::npos;
    const size_t last = text.size() - needle.size();
    const unsigned char first = Fold(needle[0]);
    if (forward) {
        // Eight places at a time: only a word holding the first byte (in either
        // case, for a letter) is looked at closer.
        constexpr uint64_t kOnes = 0x0101010101010101ull, kHighs = 0x8080808080808080ull;
        const uint64_t fold = first >= 'a' && first <= 'z' ? kOnes * 0x20 : 0;
        const uint64_t pattern = kOnes * first;
        size_t i = from;
        for (; i + 8 <= last + 1; i += 8) {
            uint64_t word;
            std::memcpy(&word, text.data() + i, 8);
            const uint64_t x = (word | fold) ^ pattern;
            if (((x - kOnes) & ~x & kHighs) == 0)
                continue;
            for (size_t j = i; j < i + 8; ++j)
                if (Fold(text[j]) == first && MatchesAt(text, j, needle))
                    return j;
        }
        for (; i <= last; ++i)
            if (Fold(text[i]) == first && MatchesAt(text, i, needle))
                return i;
        return std::string::npos;
    }
    for (size_t i = from < last + 1 ? from : last + 1; i-- > 0;)
        if (Fold(text[i]) == first && MatchesAt(text, i, needle))
            return i;
    return std::string::npos;
}

bool NamesPlayer(const std::string& text, const std::string& name)
{
    if (name.empty())
        return false;
    for (size_t at = FindNoCase(text, name, 0); at != std::string::npos; at = FindNoCase(text, name, at + 1)) {
        const size_t end = at + name.size();
        const bool startsWord = !WordChar(name.front()) || at == 0 || !WordChar(text[at - 1]);
        const bool endsWord = !WordChar(name.back()) || end == text.size() || !WordChar(text[end]);
        if (startsWord && endsWord)
            return true;
    }
    return false;
}

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

namespace {

// Bytes that would show as nothing or as a control: those below 0x20, DEL, and
// the five places Windows-1252 leaves without a character.
struct HiddenTable {
    bool hidden[256] = {};
    HiddenTable()
    {
        for (int c = 0; c < 0x20; ++c)
            hidden[c] = true;
        for (int c : {0x7F, 0x81, 0x8D, 0x8F, 0x90, 0x9D})
            hidden[c] = true;
    }
};
const HiddenTable kHidden;

} // namespace

void MakeVisible(std::string& text, size_t from)
{
    // Every piece of chat passes here: eight bytes at a time, looking closer
    // only at a word that holds a byte below 0x20, DEL or one from 0x80 on.
    constexpr uint64_t kOnes = 0x0101010101010101ull, kHighs = 0x8080808080808080ull;
    size_t i = from;
    for (; i + 8 <= text.size(); i += 8) {
        uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        const uint64_t del = word ^ (kOnes * 0x7F);
        if ((((word - kOnes * 0x20) & ~word) | ((del - kOnes) & ~del) | word) & kHighs) {
            for (size_t j = i; j < i + 8; ++j)
                if (kHidden.hidden[static_cast<unsigned char>(text[j])])
                    text[j] = '\xA4';
        }
    }
    for (; i < text.size(); ++i)
        if (kHidden.hidden[static_cast<unsigned char>(text[i])])
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
