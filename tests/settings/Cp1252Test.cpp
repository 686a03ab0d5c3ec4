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
    // The 32 bytes from 0x80 that the code page gives characters of their own (the
    // five it leaves undefined keep their value), as Windows-1252 defines them.
    const wchar_t high[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
                              0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
                              0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    for (int b = 0x80; b < 0xA0; ++b) {
        EXPECT_EQ(text[size_t(b)], high[b - 0x80]) << std::hex << b;
        EXPECT_EQ(EncodeCp1252(std::wstring(1, high[b - 0x80])), std::string(1, char(b))) << std::hex << b;
    }
    for (int b : {0x00, 0x41, 0x7F, 0xA0, 0xA4, 0xE9, 0xFF}) // the rest is Latin-1
        EXPECT_EQ(text[size_t(b)], wchar_t(b)) << std::hex << b;
    // Outside the code page, as are the C1 controls whose places it gives other characters.
    EXPECT_EQ(EncodeCp1252(L"\u0416\u4E2D\u0080\u009F a\U0001F600"), "???? a?");
}

} // namespace
