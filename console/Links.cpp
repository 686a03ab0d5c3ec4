#include "console/Links.h"

#include "zone/Names.h"

namespace {

bool EndsAddress(unsigned char c) { return c <= ' ' || c == '"' || c == '<' || c == '>' || c == 0xA4 || c >= 0x7F; }

size_t SchemeAt(const std::string& text, size_t at)
{
    for (const char* scheme : {"http://", "https://"}) {
        const std::string prefix(scheme);
        if (text.size() - at > prefix.size() && FindNoCase(text.substr(at, prefix.size()), prefix, 0) == 0)
            return prefix.size();
    }
    return 0;
}

} // namespace

std::vector<std::pair<size_t, size_t>> FindLinks(const std::string& text)
{
    std::vector<std::pair<size_t, size_t>> links;
    for (size_t at = FindNoCase(text, "http", 0); at != std::string::npos; at = FindNoCase(text, "http", at + 1)) {
        const size_t scheme = SchemeAt(text, at);
        if (scheme == 0 || (at > 0 && !EndsAddress(static_cast<unsigned char>(text[at - 1])) && text[at - 1] != '(' &&
                            text[at - 1] != '\'' && text[at - 1] != '['))
            continue;
        size_t end = at + scheme;
        while (end < text.size() && !EndsAddress(static_cast<unsigned char>(text[end])))
            ++end;
        while (end > at + scheme && std::string(".,;:!?)]'").find(text[end - 1]) != std::string::npos)
            --end;
        if (end > at + scheme) {
            links.emplace_back(at, end - at);
            at = end - 1;
        }
    }
    return links;
}

bool IsWebLink(const std::string& text)
{
    const auto links = FindLinks(text);
    return links.size() == 1 && links[0].first == 0 && links[0].second == text.size();
}
