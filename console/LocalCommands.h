#pragma once

#include <string>

struct Console;

// The client's own "?" commands. A line names a command when it starts with the
// command word (letter case aside) and ends there or goes on with a space.
// Returns true when the line named one (it has then run); the caller sends
// every other line to the server as public chat.
bool RunLocalCommand(Console& console, const std::string& line);

// The reception switches; each prints what it did in green.
void TogglePublicChat(Console& console);
void ToggleTeamChat(Console& console);
void ToggleArenaChat(Console& console);
void ToggleSysopWarnings(Console& console);
void ToggleLeaveNotices(Console& console);
void ToggleEnterNotices(Console& console);
void ToggleDeathNotices(Console& console);
// 0 lists channels 1 to 9; 1 to 9 switches that channel; anything else is refused.
void ToggleChannel(Console& console, int channel);
// `message` is everything after "?away", the separating space included.
void SetAway(Console& console, const std::string& message);

// The number at the start of `text` as the C library's atoi reads it (leading
// blanks, a sign, digits; anything else ends it), without its overflow trouble.
long LeadingNumber(const std::string& text);
