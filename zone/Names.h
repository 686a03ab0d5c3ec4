#pragma once

#include <string>

// Player names are compared without regard to letter case everywhere: in the
// player list's order, the ignore lists, the player table and the away replies.
int CompareNamesNoCase(const std::string& a, const std::string& b);
bool SameNameNoCase(const std::string& a, const std::string& b);
std::string LowerName(std::string name);
