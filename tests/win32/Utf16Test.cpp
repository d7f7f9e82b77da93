#include "win32/Utf16.h"

#include <gtest/gtest.h>

TEST(Utf16, ChineseTextCrossesTheBoundaryBothWays)
{
    const std::string utf8 = "综合算例.txt";
    const std::wstring utf16 = L"\u7efc\u5408\u7b97\u4f8b.txt";
    EXPECT_EQ(Utf16FromUtf8(utf8), utf16);
    EXPECT_EQ(Utf8FromUtf16(utf16), utf8);
    // Outside the basic plane: a surrogate pair.
    EXPECT_EQ(Utf16FromUtf8("\xF0\x9F\x98\x80"), std::wstring(L"\xD83D\xDE00"));
    EXPECT_EQ(Utf8FromUtf16(L"\xD83D\xDE00"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf16FromUtf8(""), L"");
    EXPECT_EQ(Utf8FromUtf16(L""), "");
}

TEST(Utf16, MalformedTextBecomesReplacementCharactersNotNothing)
{
    EXPECT_EQ(Utf16FromUtf8("a\xFF"
                            "b"),
              std::wstring(L"a\xFFFD"
                           L"b"));
    // A lone surrogate from a damaged UTF-16 name.
    EXPECT_EQ(Utf8FromUtf16(std::wstring(L"a\xD800"
                                         L"b")),
              "a\xEF\xBF\xBD"
              "b");
}
