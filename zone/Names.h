#pragma once

#include <cstddef>
#include <string>

// Player names are compared without regard to letter case everywhere: in the
// player list's order, the ignore lists, the player table and the away replies.
int CompareNamesNoCase(const std::string& a, const std::string& b);
bool SameNameNoCase(const std::string& a, const std::string& b);
std::string LowerName(std::string name);

// Where `needle` stands in `text` without regard to case, searching forward
// from `from` or backward from just before it; npos when nowhere.
size_t FindNoCase(const std::string& text, const std::string& needle, size_t from, bool forward = true);
// Whether `text` names `name` as a word of its own: "hi bob!" names Bob, "bobby" does not.
bool NamesPlayer(const std::string& text, const std::string& name);

// Text from the server as the window shows it: each control character (line
// breaks and tabs among them) as a visible currency sign, so that it can neither
// break a line nor forge one. What is kept or sent stays as it came.
std::string Visible(std::string text);
// The same in place, from `from` on.
void MakeVisible(std::string& text, size_t from = 0);
