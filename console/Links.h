#pragma once

#include <string>
#include <utility>
#include <vector>

// The web addresses in a piece of text, as (start, length): "http://" or
// "https://" and what follows up to a space, less the punctuation that ends a
// sentence. No other scheme counts.
std::vector<std::pair<size_t, size_t>> FindLinks(const std::string& text);
// Whether a text is one address that FindLinks would give in full.
bool IsWebLink(const std::string& text);
