#pragma once

#include <wx/font.h>

class SettingsStore;
class wxTextCtrl;
class wxWindow;

// The windows that show the chat font.
struct ChatFontTargets {
    wxWindow& output;
    wxTextCtrl& input;
    wxWindow& users;
};

// F3: the platform's font dialog, opened on the font in force. A chosen font is
// applied to everything shown and typed and kept in the "Font" settings group;
// Cancel changes nothing.
void SelectChatFont(wxWindow& parent, const ChatFontTargets& targets, SettingsStore& settings);

// The font the chat is shown in: the output area's own.
wxFont ChatFontInForce(const wxWindow& output);

// Sets `font` on the output area, restyles the input line to it, keeping its
// colours, makes it the input's default for what follows, and sets it on the user list.
void ApplyChatFont(const ChatFontTargets& targets, const wxFont& font);

// Writes the face name, point size, style and weight codes to the "Font" group.
void StoreChatFont(SettingsStore& settings, const wxFont& font);

// The codes the store keeps: styles 90 normal, 93 italic, 94 slanted; weights
// 90 normal, 91 light, 92 bold, and any other weight as its number (100 to 900).
int FontStyleCode(wxFontStyle style);
int FontWeightCode(wxFontWeight weight);
