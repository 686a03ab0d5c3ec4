#include "app/FontSelection.h"

#include "app/ChatFrame.h"
#include "app/InputLine.h"
#include "app/SettingsStore.h"
#include "app/UserList.h"
#include "app/WxText.h"

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

wxFont ChatFontInForce(const wxTextCtrl& output)
{
    const wxTextAttr& style = output.GetDefaultStyle();
    return style.HasFont() ? style.GetFont() : output.GetFont();
}

void ApplyChatFont(ChatFrame& frame, const wxFont& font)
{
    // Font only: the colours of every range stay as they are. SetFont on the
    // filled output control would rebuild its text on GTK and lose every colour.
    const wxTextAttr style(wxNullColour, wxNullColour, font);
    wxTextCtrl& output = frame.OutputControl();
    output.SetStyle(0, output.GetLastPosition(), style);
    // The library adds the control's own white on black to a default style; each
    // append sets its colour over that.
    output.SetDefaultStyle(style);

    // A single-line control on GTK takes no styles; its own font is what shows.
    InputLine& input = frame.Input();
    input.SetStyle(0, input.GetLastPosition(), style);
    input.SetDefaultStyle(style);
    input.SetFont(font);

    frame.Users().SetFont(font);
}

void StoreChatFont(SettingsStore& settings, const wxFont& font)
{
    settings.WriteString(Settings::FontName.group, Settings::FontName.key, WxToBytes(font.GetFaceName()));
    settings.WriteInteger(Settings::FontSize.group, Settings::FontSize.key, font.GetPointSize());
    settings.WriteInteger(Settings::FontStyle.group, Settings::FontStyle.key, FontStyleCode(font.GetStyle()));
    settings.WriteInteger(Settings::FontWeight.group, Settings::FontWeight.key, FontWeightCode(font.GetWeight()));
}

void SelectChatFont(ChatFrame& frame)
{
    wxFontData data;
    data.SetInitialFont(ChatFontInForce(frame.OutputControl()));
    data.SetShowHelp(true);
    data.EnableEffects(false);

    wxFontDialog dialog(&frame, data);
    if (dialog.ShowModal() != wxID_OK)
        return;
    const wxFont chosen = dialog.GetFontData().GetChosenFont();
    if (!chosen.IsOk())
        return;
    ApplyChatFont(frame, chosen);
    StoreChatFont(frame.SettingsHandle(), chosen);
}
