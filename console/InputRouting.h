#pragma once

#include "console/Views.h"

#include <optional>
#include <string>

struct Console;
class RecentSenders;

// Enter in the input line: the first character of the line decides what it
// becomes (team, frequency, private, remote private, channel or public chat, a
// frequency change, or a local command). `selected` is the text of the user
// list's selected entry, if any. Returns true when the field is to be cleared;
// false leaves the text for the user (not in an arena, an empty line, a lone
// prefix character, or an error line asking for a selection).
bool SubmitInputText(Console& console, const std::string& line, const std::optional<std::string>& selected);

// The input field's colour by the first character, and the "::" completion of
// the latest private senders' names. One per input field; it remembers whether
// the field holds a remote private message.
class InputAssist {
public:
    struct Change {
        std::optional<Rgb> colour;          // colour the whole field and what is typed next
        std::optional<std::string> newText; // replace the field's text
    };

    // Called on every change of the field's text, typed or not.
    Change OnInputChanged(const std::string& text, RecentSenders* senders);
    bool RemoteMode() const { return remoteMode_; }

private:
    bool remoteMode_ = false;
};
