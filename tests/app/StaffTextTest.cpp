// The texts the staff commands send and the font codes the store keeps; no display needed.
#include "app/ChatFont.h"
#include "app/FontSelection.h"
#include "app/StaffActions.h"

#include <gtest/gtest.h>

namespace {

TEST(StaffTextTest, BansCarryEveryFieldAsTypedAndAPlayersBanIgnoresTheAddressesAndTheName)
{
    const BanOptions options{"2", " x ", "10.0.0.1", "10.0.0.*", "12345", "J\xF6rg", true, true};
    EXPECT_EQ(GenericBanText(BanOptions{}), "?ban -a4 -e7 -i -m -n ");
    EXPECT_EQ(GenericBanText(options), "?ban -a2 -e x  -i10.0.0.1 -m10.0.0.* -n12345 -! -k J\xF6rg");
    EXPECT_EQ(PlayerBanText(options, "Bob"), "?ban -a2 -e x  -! -k Bob");
    EXPECT_EQ(PlayerBanText(BanOptions{}, "Bob"), "?ban -a4 -e7 Bob");
}

TEST(StaffTextTest, KickTimeIsAWholeNumberWithAnOptionalSign)
{
    for (const char* valid : {"0", "+5", "-5", "0007", "99999999999999999999"})
        EXPECT_TRUE(ValidKickTime(valid)) << valid;
    for (const char* invalid : {"", "+", "+-5", "5m", "1.5", " 5", "5 ", "5+", "\xB2"})
        EXPECT_FALSE(ValidKickTime(invalid)) << invalid;
}

TEST(StaffTextTest, FontCodesAreTheClassicOnesAndEveryStyleAndWeightReadsBack)
{
    EXPECT_EQ(FontStyleCode(wxFONTSTYLE_NORMAL), 90);
    EXPECT_EQ(FontStyleCode(wxFONTSTYLE_ITALIC), 93);
    EXPECT_EQ(FontStyleCode(wxFONTSTYLE_SLANT), 94);
    EXPECT_EQ(FontWeightCode(wxFONTWEIGHT_NORMAL), 90);
    EXPECT_EQ(FontWeightCode(wxFONTWEIGHT_LIGHT), 91);
    EXPECT_EQ(FontWeightCode(wxFONTWEIGHT_BOLD), 92);
    EXPECT_EQ(FontWeightCode(wxFONTWEIGHT_SEMIBOLD), 600);
    for (wxFontStyle style : {wxFONTSTYLE_NORMAL, wxFONTSTYLE_ITALIC, wxFONTSTYLE_SLANT})
        EXPECT_EQ(FontStyleFromCode(FontStyleCode(style)), style);
    for (wxFontWeight weight : {wxFONTWEIGHT_THIN, wxFONTWEIGHT_LIGHT, wxFONTWEIGHT_NORMAL, wxFONTWEIGHT_MEDIUM,
                                wxFONTWEIGHT_SEMIBOLD, wxFONTWEIGHT_BOLD, wxFONTWEIGHT_HEAVY})
        EXPECT_EQ(FontWeightFromCode(FontWeightCode(weight)), weight) << int(weight);
}

} // namespace
