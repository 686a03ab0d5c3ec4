#include "app/FontSelection.h"

#include "app/WxText.h"
#include "settings/SettingsStore.h"

#include <wx/cmndata.h>
#include <wx/fontdlg.h>
#include <wx/textctrl.h>

int FontStyleCode(wxFontStyle style)
{
    switch (style) {
    case wxFONTSTYLE_ITALIC:
        return 93;
    case wxFONTSTYLE_SLANT:
        return 94;
    default:
        return 90;
    }
}

int FontWeightCode(wxFontWeight weight)
{
    switch (weight) {
    case wxFONTWEIGHT_NORMAL:
        return 90;
    case wxFONTWEIGHT_LIGHT:
        return 91;
    case wxFONTWEIGHT_BOLD:
        return 92;
    default:
        // Medium, semi-bold and the rest keep their number; the start-up reads it back.
        return int(weight);
    }
}

wxFont ChatFontInForce(const wxWindow& output) { return output.GetFont(); }

void ApplyChatFont(const ChatFontTargets& targets, const wxFont& font)
{
    // The output lays out only what is on screen: the font costs it one screen.
    targets.output.SetFont(font);

    const wxTextAttr style(wxNullColour, wxNullColour, font);
    // A single-line control on GTK takes no styles; its own font is what shows.
    wxTextCtrl& input = targets.input;
    input.SetStyle(0, input.GetLastPosition(), style);
    input.SetDefaultStyle(style);
    input.SetFont(font);

    targets.users.SetFont(font);
}

void StoreChatFont(SettingsStore& settings, const wxFont& font)
{
    settings.WriteString(Settings::FontName.group, Settings::FontName.key, WxToBytes(font.GetFaceName()));
    settings.WriteInteger(Settings::FontSize.group, Settings::FontSize.key, font.GetPointSize());
    settings.WriteInteger(Settings::FontStyle.group, Settings::FontStyle.key, FontStyleCode(font.GetStyle()));
    settings.WriteInteger(Settings::FontWeight.group, Settings::FontWeight.key, FontWeightCode(font.GetWeight()));
}

void SelectChatFont(wxWindow& parent, const ChatFontTargets& targets, SettingsStore& settings)
{
    wxFontData data;
    data.SetInitialFont(ChatFontInForce(targets.output));
    data.SetShowHelp(true);
    data.EnableEffects(false);

    wxFontDialog dialog(&parent, data);
    if (dialog.ShowModal() != wxID_OK)
        return;
    const wxFont chosen = dialog.GetFontData().GetChosenFont();
    if (!chosen.IsOk())
        return;
    ApplyChatFont(targets, chosen);
    StoreChatFont(settings, chosen);
}
