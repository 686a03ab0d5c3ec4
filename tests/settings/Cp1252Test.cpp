#include "settings/Cp1252.h"
#include "app/WxText.h"

#include <gtest/gtest.h>

namespace {

TEST(Cp1252Test, EveryByteComesBackAndWhatTheCodePageCannotHoldBecomesAQuestionMark)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(char(b));
    const std::wstring text = DecodeCp1252(all);
    ASSERT_EQ(text.size(), 256u);
    EXPECT_EQ(EncodeCp1252(text), all);
    EXPECT_EQ(WxToBytes(BytesToWx(all)), all);
    // Bytes the code page leaves undefined keep their value.
    EXPECT_EQ(DecodeCp1252("\x80\x8A\x8C\x9F\x93\xFF\x81\x9D"), L"\u20AC\u0160\u0152\u0178\u201C\u00FF\u0081\u009D");
    // Outside the code page, as are the C1 controls whose places it gives other characters.
    EXPECT_EQ(EncodeCp1252(L"\u0416\u4E2D\u0080\u009F a\U0001F600"), "???? a?");
}

} // namespace
