#pragma once

#include "console/Views.h"

// The colours the user sees, written out here rather than read from the code under test.
namespace Seen {
constexpr Rgb kGreen{0, 255, 0};
constexpr Rgb kLightBlue{160, 160, 255};
constexpr Rgb kYellow{255, 255, 0};
constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kOrange{255, 128, 0};
constexpr Rgb kWhite{255, 255, 255};

// The colour of each colour slot: the chat kinds 0 to 9; the client's own white (16) and anything else.
inline Rgb OfSlot(int slot)
{
    constexpr Rgb bySlot[] = {kGreen, kLightBlue, kLightBlue, kYellow, kLightBlue, kGreen, kRed, kGreen, kRed, kOrange};
    return slot >= 0 && slot < 10 ? bySlot[slot] : kWhite;
}
} // namespace Seen
