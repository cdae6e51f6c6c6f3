#include <gtest/gtest.h>

#include <string>

#include "cart_test_data.h"
#include "commerce/cart.h"

namespace qk {
namespace {

using test::CartWorld;

TEST(BuildProductList, SerializesEverySlotInOrderByteForByte)
{
    CartWorld w;
    w.addRecord("m1", "Member One", "29.95");
    w.addRecord("bndl-air", "Air Bundle", "120.00", "20|m1");
    ASSERT_EQ(w.add("p1001", "Air Show Pack", "49.95"), 1);
    ASSERT_EQ(w.add("p1002", "Caf\xe9 & Bar/2", "10.00", "SAVE10", "02"), 1);
    ASSERT_EQ(w.add("p1003", "Offer Pack", "5.00", "IGNORED", "03", "p1004"), 1);
    ASSERT_EQ(w.add("bndl-air", "Air Bundle", "120.00", "", "09"), 1);
    ASSERT_EQ(removeFromCart(w.cart, w.session, "p1002"), 1);  // leaves a hole in slot 1
    ASSERT_EQ(w.add("p1002", "Caf\xe9 & Bar/2", "10.00", "SAVE10", "02"), 1);
    w.cart.cartTotalText = "stale";

    buildProductList(w.cart);

    EXPECT_EQ(w.cart.productListParam,
              "&productlist="
              "p1001|Air+Show+Pack|49.95||4.12|tovrin|Tovrin+Simulations|01*"
              "p1002|Caf%e9+%26+Bar%2f2|10.00|SAVE10|0.83|tovrin|Tovrin+Simulations|02*"
              "p1003|Offer+Pack|5.00|p1004|0.41|tovrin|Tovrin+Simulations|03*"
              "m1|Member+One|23.96|bndl-air|1.98|tovrin|Tovrin+Simulations|09*");
    EXPECT_DOUBLE_EQ(w.cart.cartTotal, 49.95 + 10.0 + 5.0 + 23.96);
    EXPECT_EQ(w.cart.cartTotalText, "88.91");
}

TEST(BuildProductList, ShortLinkGivesWayToTheCouponAndEmptyCartGivesBareKey)
{
    CartWorld w;
    buildProductList(w.cart);
    EXPECT_EQ(w.cart.productListParam, "&productlist=");
    EXPECT_EQ(w.cart.cartTotalText, "0.00");

    ASSERT_EQ(w.add("p1001", "Air Show Pack", "49.95", "CPN", "01", "abcd"), 1);
    buildProductList(w.cart);
    EXPECT_EQ(w.cart.productListParam,
              "&productlist=p1001|Air+Show+Pack|49.95|CPN|4.12|tovrin|Tovrin+Simulations|01*");
}

}  // namespace
}  // namespace qk
