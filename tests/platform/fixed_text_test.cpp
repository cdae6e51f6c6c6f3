#include <gtest/gtest.h>

#include "platform/fixed_text.h"

using qk::FixedText;

TEST(FixedText, CutsAtWidthMinusOneAndAtAnEmbeddedNul)
{
    FixedText<7> price = "1234567890";
    EXPECT_EQ(price.str(), "123456");
    EXPECT_EQ(FixedText<7>::capacity, 6u);

    price = std::string("12\0" "34", 5);
    EXPECT_EQ(price.str(), "12");

    price = "29.95";
    EXPECT_EQ(price, "29.95");
    price = static_cast<const char*>(nullptr);
    EXPECT_TRUE(price.empty());
}
