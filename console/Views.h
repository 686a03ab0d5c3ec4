#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
    bool operator!=(const Rgb& o) const { return !(*this == o); }
};

// The colours the console draws with: the chat kinds, the input line and the player list.
namespace Colours {
constexpr Rgb kGreen{0, 255, 0};
constexpr Rgb kLightBlue{160, 160, 255};
constexpr Rgb kYellow{255, 255, 0};
constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kOrange{255, 128, 0};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kMentionTint{40, 40, 96}; // behind a line that speaks to the user
} // namespace Colours

// A small picture as rows of RGB pixels, for icons the console defines and the GUI draws.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels; // row by row, width * height
    Rgb At(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

// What ChatOutput needs from the output area. Text is 8-bit protocol text, one
// character a byte; the view decides how to show it.
class OutputView {
public:
    virtual ~OutputView() = default;
    // Adds text at the end in the given colour, on the mention tint when `marked`,
    // keeping the user's view and selection.
    virtual void AppendStyled(const std::string& text, Rgb colour, bool marked) = 0;
    // True exactly when the last line of the text is in view.
    virtual bool IsAtEnd() const = 0;
    // Removes the first `characters` characters (whole lines), keeping the user's place.
    virtual void RemoveFirst(size_t characters) = 0;
};

// What ChatOutput needs from the player list: one column of names, each with a
// text colour and an icon from the list's icons.
class UserListView {
public:
    virtual ~UserListView() = default;
    virtual void Prepare(const std::string& header, int columnWidth, const std::vector<Picture>& icons) = 0;
    virtual void SetHeader(const std::string& text) = 0;
    virtual int Count() const = 0;
    virtual std::string TextAt(int index) const = 0;
    virtual void Insert(int index, const std::string& text) = 0;
    virtual void Remove(int index) = 0;
    virtual void SetLook(int index, Rgb colour, int image) = 0;
};
