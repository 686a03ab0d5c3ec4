#include "zone/ZoneFixture.h"

#include "console/PlayerMenu.h"

#include <cstdio>

namespace {

// The tool tip's layout as a format, filled in by printf.
std::string Formatted(const char* name, const char* squad, unsigned freq, unsigned ship, unsigned points, unsigned wins,
                      unsigned losses)
{
    char buffer[512];
    std::snprintf(buffer, sizeof buffer,
                  "----------------------------------------\n(Name)>  %s\n(Sqaud)> %s\n(Freq)>    %u\n(Ship)>     "
                  "%u\n(Points)>  %u\n(Wins)>    %u\n(Losses)> %u",
                  name, squad, freq, ship, points, wins, losses);
    return buffer;
}

class PlayerToolTipTest : public ZoneTest {};

TEST_F(PlayerToolTipTest, ShowsThePlayersDetailsWithTheShipCountedFromOne)
{
    EnterArenaWith({{3, "Bob", 7, 0, "Squad", 100, 23, 4, 5}, {4, "Watcher", 65535, 8, "", 4000000000u, 1, 65535, 0}});
    EXPECT_EQ(PlayerToolTipFor(*h, "bob"), Formatted("Bob", "Squad", 7, 1, 123, 4, 5));
    EXPECT_EQ(PlayerToolTipFor(*h, "Watcher"), Formatted("Watcher", "", 65535, 9, 4000000001u, 65535, 0));
}

TEST_F(PlayerToolTipTest, AnEntryThatNamesNobodyPresentHasNoToolTip)
{
    EnterArenaWith({{3, "Bob"}});
    EXPECT_EQ(PlayerToolTipFor(*h, "Ghost"), "");
    EXPECT_EQ(PlayerToolTipFor(*h, ""), "");
}

} // namespace
