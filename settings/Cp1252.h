#pragma once

#include <string>

// Windows-1252, the 8-bit text of the zone protocol and of the program's files.
// Every byte decodes to one character; the five bytes the code page leaves
// undefined map to the control characters of the same value, so decoding and
// encoding again gives back the original bytes.
std::wstring DecodeCp1252(const std::string& bytes);

// Characters the code page cannot hold become "?".
std::string EncodeCp1252(const std::wstring& text);
