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

TEST(TextEncoding, OverlongSurrogateAndOutOfRangeFormsAreRefusedByteByByte)
{
    struct Case {
        const char* utf8;
        const char* cp1252;
    } cases[] = {
        {"\xC0\x80", "??"},                 // NUL
        {"\xC0\xAF", "??"},                 // "/"
        {"\xC1\xBF", "??"},                 // DEL
        {"a\xC0\xAF" "b", "a??b"},
        {"\xE0\x80\xAF", "???"},            // "/" in three bytes
        {"\xE0\x9F\xBF", "???"},            // U+07FF in three bytes
        {"\xE0\x81\x81", "???"},            // "A"
        {"\xF0\x80\x80\xAF", "????"},       // "/" in four bytes
        {"\xF0\x8F\xBF\xBF", "????"},       // U+FFFF in four bytes
        {"\xED\xA0\x80", "???"},            // U+D800
        {"\xED\xBF\xBF", "???"},            // U+DFFF
        {"\xF4\x90\x80\x80", "????"},       // U+110000
        {"\xF7\xBF\xBF\xBF", "????"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.utf8);
        EXPECT_EQ(utf8ToCp1252(c.utf8), c.cp1252);
    }

    // The shortest forms at each edge are still one character.
    EXPECT_EQ(utf8ToCp1252("\xC2\x81"), "\x81");
    EXPECT_EQ(utf8ToCp1252("\xC3\xBF"), "\xFF");
    EXPECT_EQ(utf8ToCp1252("\xE0\xA0\x80"), "?") << "U+0800";
    EXPECT_EQ(utf8ToCp1252("\xED\x9F\xBF"), "?") << "U+D7FF";
    EXPECT_EQ(utf8ToCp1252("\xEE\x80\x80"), "?") << "U+E000";
    EXPECT_EQ(utf8ToCp1252("\xF0\x90\x80\x80"), "?") << "U+10000";
    EXPECT_EQ(utf8ToCp1252("\xF4\x8F\xBF\xBF"), "?") << "U+10FFFF";
}

TEST(TextEncoding, CutPointNeverSplitsACharacter)
{
    using qk::platform::utf8CutPoint;
    // "é" is 2 bytes, "€" 3, "𝄞" (U+1D11E) 4: a cut at 5 falls after each of their bytes.
    EXPECT_EQ(utf8CutPoint("abc\xC3\xA9xyz", 4), 3u) << "inside the 2-byte character";
    EXPECT_EQ(utf8CutPoint("abc\xC3\xA9xyz", 5), 5u) << "just after it";
    EXPECT_EQ(utf8CutPoint("ab\xE2\x82\xAC" "x", 3), 2u);
    EXPECT_EQ(utf8CutPoint("ab\xE2\x82\xAC" "x", 4), 2u);
    EXPECT_EQ(utf8CutPoint("a\xF0\x9D\x84\x9E" "x", 4), 1u) << "after three of its four bytes";
    EXPECT_EQ(utf8CutPoint("a\xF0\x9D\x84\x9E" "x", 5), 5u);

    // Text that fits is never cut, whatever its last byte.
    EXPECT_EQ(utf8CutPoint("ab\xC3", 3), 3u);
    EXPECT_EQ(utf8CutPoint("", 0), 0u);

    // A cut never ends up anywhere but in front of a character start.
    const std::string mixed = "/home/\xC3\xA9t\xC3\xA9/\xE2\x82\xAC\xF0\x9D\x84\x9E/x";
    for (std::size_t limit = 0; limit <= mixed.size(); ++limit) {
        const std::size_t cut = utf8CutPoint(mixed, limit);
        SCOPED_TRACE(limit);
        EXPECT_LE(cut, limit);
        EXPECT_GE(cut + 3, limit) << "steps back over one character at most";
        const bool atCharacterStart =
            cut == mixed.size() || (static_cast<unsigned char>(mixed[cut]) & 0xC0) != 0x80;
        EXPECT_TRUE(atCharacterStart) << cut;
    }

    // Bytes that are not UTF-8 (a run of continuation bytes) are cut at the limit.
    EXPECT_EQ(utf8CutPoint(std::string(10, '\x80'), 6), 6u);
}
