// The texts the staff commands send and the font codes the store keeps; no display needed.
#include "app/ChatFont.h"
#include "app/FontSelection.h"
#include "app/StaffActions.h"

#include <gtest/gtest.h>

namespace {

TEST(StaffTextTest, GenericBanWithThePreparedOptionsLeavesEveryOptionLetterBare)
{
    EXPECT_EQ(GenericBanText(BanOptions{}), "?ban -a4 -e7 -i -m -n ");
}

TEST(StaffTextTest, GenericBanCarriesEveryFieldAsTypedAndTheFlagsBeforeTheName)
{
    BanOptions options;
    options.level = "2";
    options.days = "30";
    options.ip = "10.0.0.1";
    options.name = "Bob";
    options.allAccounts = true;
    options.dontKick = true;
    EXPECT_EQ(GenericBanText(options), "?ban -a2 -e30 -i10.0.0.1 -m -n -! -k Bob");

    options.ipRange = "10.0.0.*";
    options.id = "12345";
    options.days = " x ";
    options.allAccounts = false;
    options.name = std::string("Sp\xE9") + "cial name";
    EXPECT_EQ(GenericBanText(options),
              std::string("?ban -a2 -e x  -i10.0.0.1 -m10.0.0.* -n12345 -k Sp\xE9") + "cial name");
}

TEST(StaffTextTest, PlayerBanNamesThePlayerAndIgnoresTheAddressAndNameFields)
{
    BanOptions options;
    EXPECT_EQ(PlayerBanText(options, "Bob"), "?ban -a4 -e7 Bob");

    options.ip = "10.0.0.1";
    options.ipRange = "10.0.0.*";
    options.id = "12345";
    options.name = "Someone Else";
    options.level = "0";
    options.days = "365";
    options.allAccounts = true;
    EXPECT_EQ(PlayerBanText(options, "Bob"), "?ban -a0 -e365 -! Bob");
    options.dontKick = true;
    EXPECT_EQ(PlayerBanText(options, "Bob"), "?ban -a0 -e365 -! -k Bob");
}

TEST(StaffTextTest, KickTimeIsAWholeNumberWithAnOptionalSign)
{
    for (const char* valid : {"0", "15", "+5", "-5", "0007", "99999999999999999999"})
        EXPECT_TRUE(ValidKickTime(valid)) << valid;
    for (const char* invalid : {"", "+", "-", "+-5", "--5", "5m", "1.5", " 5", "5 ", "five", "5+", "\xB2"})
        EXPECT_FALSE(ValidKickTime(invalid)) << invalid;
    EXPECT_EQ(KickText("0"), "/*kill 0");
    EXPECT_EQ(KickText("+15"), "/*kill +15");
}

TEST(StaffTextTest, FontCodesAreTheClassicOnesAndOtherWeightsKeepTheirNumber)
{
    EXPECT_EQ(FontStyleCode(wxFONTSTYLE_NORMAL), 90);
    EXPECT_EQ(FontStyleCode(wxFONTSTYLE_ITALIC), 93);
    EXPECT_EQ(FontStyleCode(wxFONTSTYLE_SLANT), 94);
    EXPECT_EQ(FontWeightCode(wxFONTWEIGHT_NORMAL), 90);
    EXPECT_EQ(FontWeightCode(wxFONTWEIGHT_LIGHT), 91);
    EXPECT_EQ(FontWeightCode(wxFONTWEIGHT_BOLD), 92);
    EXPECT_EQ(FontWeightCode(wxFONTWEIGHT_SEMIBOLD), 600);
    EXPECT_EQ(FontWeightCode(wxFONTWEIGHT_THIN), 100);

    // What the chooser writes, the next start reads back.
    for (wxFontStyle style : {wxFONTSTYLE_NORMAL, wxFONTSTYLE_ITALIC, wxFONTSTYLE_SLANT})
        EXPECT_EQ(FontStyleFromCode(FontStyleCode(style)), style);
    for (wxFontWeight weight : {wxFONTWEIGHT_THIN, wxFONTWEIGHT_LIGHT, wxFONTWEIGHT_NORMAL, wxFONTWEIGHT_MEDIUM,
                                wxFONTWEIGHT_SEMIBOLD, wxFONTWEIGHT_BOLD, wxFONTWEIGHT_HEAVY})
        EXPECT_EQ(FontWeightFromCode(FontWeightCode(weight)), weight) << int(weight);
}

} // namespace
