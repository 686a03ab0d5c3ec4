#pragma once

#include "settings/Cp1252.h"

#include <wx/string.h>

// Protocol bytes to what the widgets show, and back.
inline wxString BytesToWx(const std::string& bytes) { return wxString(DecodeCp1252(bytes)); }
inline std::string WxToBytes(const wxString& text) { return EncodeCp1252(text.ToStdWstring()); }
