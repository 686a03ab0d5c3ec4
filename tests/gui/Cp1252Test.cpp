#include "app/Cp1252.h"
#include "app/WxText.h"

#include <gtest/gtest.h>

namespace {

TEST(Cp1252Test, EveryByteDecodesToOneCharacterAndEncodesBack)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(char(b));
    const std::wstring text = DecodeCp1252(all);
    ASSERT_EQ(text.size(), 256u);
    EXPECT_EQ(EncodeCp1252(text), all);
    EXPECT_EQ(WxToBytes(BytesToWx(all)), all);
}

TEST(Cp1252Test, HighBytesAreTheCodePagesOwnCharacters)
{
    EXPECT_EQ(DecodeCp1252("\x80"), L"\u20AC");
    EXPECT_EQ(DecodeCp1252("\x8A\x8C\x9F"), L"\u0160\u0152\u0178");
    EXPECT_EQ(DecodeCp1252("\x93hi\x94"), L"\u201Chi\u201D");
    EXPECT_EQ(DecodeCp1252("\xE9\xFF\xA0"), L"\u00E9\u00FF\u00A0");
    // Bytes the code page leaves undefined keep their value.
    EXPECT_EQ(DecodeCp1252("\x81\x8D\x8F\x90\x9D"), L"\u0081\u008D\u008F\u0090\u009D");
}

TEST(Cp1252Test, WhatTheCodePageCannotHoldBecomesAQuestionMark)
{
    EXPECT_EQ(EncodeCp1252(L"\u20ACuro caf\u00E9"), "\x80uro caf\xE9");
    EXPECT_EQ(EncodeCp1252(L"\u0416\u4E2D"), "??");
    // C1 controls that the code page puts other characters at.
    EXPECT_EQ(EncodeCp1252(L"\u0080\u0085\u009F"), "???");
    EXPECT_EQ(EncodeCp1252(L"a\U0001F600b"), "a?b");
    EXPECT_EQ(WxToBytes(wxString::FromUTF8("\xE2\x9C\x93 ok")), "? ok");
    EXPECT_EQ(EncodeCp1252(L""), "");
}

} // namespace
