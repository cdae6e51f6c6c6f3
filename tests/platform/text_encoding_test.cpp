#include <gtest/gtest.h>

#include "platform/text_encoding.h"

using qk::platform::cp1252ToUtf8;
using qk::platform::utf8ToCp1252;

TEST(TextEncoding, EveryByteRoundTripsThroughUtf8)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(utf8ToCp1252(cp1252ToUtf8(all)), all);
}

TEST(TextEncoding, HighControlsAndLatinLetters)
{
    EXPECT_EQ(cp1252ToUtf8("\x80"), "\xE2\x82\xAC");  // euro sign
    EXPECT_EQ(cp1252ToUtf8("caf\xE9"), "caf\xC3\xA9");
    EXPECT_EQ(utf8ToCp1252("\xE2\x80\x9Cq\xE2\x80\x9D"), "\x93q\x94");  // curly quotes
    EXPECT_EQ(utf8ToCp1252("\xE4\xB8\xAD"), "?") << "no byte for a CJK character";
    EXPECT_EQ(utf8ToCp1252("a\xC3"), "a?") << "truncated sequence";
}
