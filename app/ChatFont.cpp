#include "app/ChatFont.h"

#include "settings/SettingsStore.h"
#include "app/WxText.h"

#include <wx/fontenum.h>

wxFontStyle FontStyleFromCode(int code)
{
    switch (code) {
    case wxFONTSTYLE_ITALIC:
        return wxFONTSTYLE_ITALIC;
    case wxFONTSTYLE_SLANT:
        return wxFONTSTYLE_SLANT;
    default:
        return wxFONTSTYLE_NORMAL;
    }
}

wxFontWeight FontWeightFromCode(int code)
{
    switch (code) {
    case 91:
        return wxFONTWEIGHT_LIGHT;
    case 92:
        return wxFONTWEIGHT_BOLD;
    case 90:
        return wxFONTWEIGHT_NORMAL;
    default:
        // A numeric weight (100 to 900) passes through; anything else is normal.
        return code >= wxFONTWEIGHT_THIN && code <= wxFONTWEIGHT_MAX ? wxFontWeight(code) : wxFONTWEIGHT_NORMAL;
    }
}

wxFont ChatFontFromSettings(const SettingsStore& settings)
{
    const wxString face = BytesToWx(Settings::Read(settings, Settings::FontName));
    int size = Settings::Read(settings, Settings::FontSize);
    if (size <= 0)
        size = Settings::FontSize.def;
    const wxFontStyle style = FontStyleFromCode(Settings::Read(settings, Settings::FontStyle));
    const wxFontWeight weight = FontWeightFromCode(Settings::Read(settings, Settings::FontWeight));

    wxFontInfo info(size);
    info.Family(wxFONTFAMILY_SWISS).Style(style).Weight(weight);
    if (!face.empty() && wxFontEnumerator::IsValidFacename(face))
        info.FaceName(face);
    return wxFont(info);
}
