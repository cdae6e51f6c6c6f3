#include <gtest/gtest.h>

#include "store/reply.h"

using qk::FieldList;

TEST(SplitFields, KeepsEveryEmptyFieldInPlace)
{
    EXPECT_EQ(qk::splitFields("", '|'), FieldList{""});
    EXPECT_EQ(qk::splitFields("a||b|", '|'), (FieldList{"a", "", "b", ""}));
    EXPECT_EQ(qk::splitFields("abc", '*'), FieldList{"abc"});
    EXPECT_EQ(qk::splitFields("|x", '|'), (FieldList{"", "x"}));
    EXPECT_EQ(qk::splitFields("||", '|'), (FieldList{"", "", ""}));
}

TEST(SplitFields, SeparatorsAreSingleBytesIncludingControlBytes)
{
    const std::string row = std::string("id\x01name\x01") + '\0' + "z";
    EXPECT_EQ(qk::splitFields(row, '\x01'), (FieldList{"id", "name", std::string("\0z", 2)}));
    EXPECT_EQ(qk::splitFields("head\x02row1\x02row2", '\x02').size(), 3u);
}

TEST(StartsWith, ComparesExactlyTheTokenLength)
{
    EXPECT_FALSE(qk::startsWith("Error:", "Error:1"));
    EXPECT_TRUE(qk::startsWith("Error:12", "Error:1"));
    EXPECT_TRUE(qk::startsWith("Error:1", "Error:1"));
    EXPECT_FALSE(qk::startsWith("error:1", "Error:1")) << "case-sensitive";
    EXPECT_FALSE(qk::startsWith("", "success"));
    EXPECT_TRUE(qk::startsWith("<!DOCTYPE html>", "<!DOCTYPE"));
}

TEST(FormEncode, EscapesAllButTheUnreservedSet)
{
    EXPECT_EQ(qk::formEncode("Tovrin Simulations"), "Tovrin+Simulations");
    EXPECT_EQ(qk::formEncode("a&b=c"), "a%26b%3dc");
    EXPECT_EQ(qk::formEncode("\xE9"), "%e9");
    EXPECT_EQ(qk::formEncode("x/y"), "x%2fy");
    EXPECT_EQ(qk::formEncode("-_.!~*'()AZaz09"), "-_.!~*'()AZaz09");
    EXPECT_EQ(qk::formEncode(std::string("\0%+", 3)), "%00%25%2b");
    EXPECT_EQ(qk::formEncode("\xFF\x80"), "%ff%80");
}

TEST(ToLower, ChangesOnlyAsciiCapitals)
{
    EXPECT_EQ(qk::toLower("ABC-xyz_09"), "abc-xyz_09");
    EXPECT_EQ(qk::toLower("\xC9t\xC9"), "\xC9t\xC9") << "bytes above 0x7F stay";
    EXPECT_EQ(qk::toLower("@[`{"), "@[`{");
}
