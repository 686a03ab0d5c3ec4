#pragma once

#include <wx/font.h>

class SettingsStore;

// The chat font as the "Font" settings group holds it: face name, point size and
// the library's classic style and weight codes (90 normal, 93 italic, 94 slanted;
// 90 normal, 91 light, 92 bold). When the face is not installed, the platform's
// sans face stands in with the same size, style and weight.
wxFont ChatFontFromSettings(const SettingsStore& settings);

wxFontStyle FontStyleFromCode(int code);
wxFontWeight FontWeightFromCode(int code);
