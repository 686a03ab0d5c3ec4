#pragma once

#include <string>

struct Console;

// The client's own "?" commands. A line names a command when it starts with the
// command word (letter case aside) and ends there or goes on with a space.
// Returns true when the line named one (it has then run); the caller sends
// every other line to the server as public chat.
bool RunLocalCommand(Console& console, const std::string& line);

// The number at the start of `text` as the C library's atoi reads it (leading
// blanks, a sign, digits; anything else ends it), without its overflow trouble.
long LeadingNumber(const std::string& text);
