#include <gtest/gtest.h>

#include <string>

#include "cart_test_data.h"
#include "commerce/cart.h"

namespace qk {
namespace {

using test::CartWorld;
namespace result = cart_result;

TEST(IsBundleId, NeedsTheHyphenatedPrefixInAnyCase)
{
    EXPECT_TRUE(isBundleId("BNDL-x"));
    EXPECT_TRUE(isBundleId("bndl-flight"));
    EXPECT_TRUE(isBundleId("Bndl-1"));
    EXPECT_FALSE(isBundleId("bndl"));
    EXPECT_FALSE(isBundleId("bndlx1"));
    EXPECT_FALSE(isBundleId("p1001"));
    EXPECT_FALSE(isBundleId(""));
}

TEST(AddToCart, ChecksRunInOrderAndRefusalsChangeNothing)
{
    CartWorld w;
    w.own("p2002");
    w.cart.giftMode = false;

    w.session.storeReady = false;
    EXPECT_EQ(w.add("hide", "x", "hide"), result::kStoreNotReady);
    w.session.storeReady = true;

    w.purchases.purchasesLoaded = false;
    EXPECT_EQ(w.add("p1", "ab", "hide"), result::kPurchasesNotLoaded);
    w.purchases.purchasesLoaded = true;

    EXPECT_EQ(w.add("p1", "ab", "hide"), result::kHiddenPrice);
    EXPECT_EQ(w.add("p1001", "Air Show Pack", "9.9"), result::kTooShort);
    EXPECT_EQ(w.add("p10", "Air Show Pack", "49.95"), result::kTooShort);
    EXPECT_EQ(w.add("p1001", "Air", "49.95"), result::kTooShort);
    EXPECT_EQ(w.add("p2002", "Owned Thing", "19.95"), result::kAlreadyOwned);
    EXPECT_EQ(w.count(), 0);
    EXPECT_FALSE(w.cart.cartReady);

    EXPECT_EQ(w.add("p1001", "Air Show Pack", "49.95"), result::kAdded);
    EXPECT_EQ(w.add("p1001", "Air Show Pack", "49.95"), result::kAlreadyInCart);
    EXPECT_EQ(w.count(), 1);
    EXPECT_TRUE(w.cart.cartReady);
}

TEST(AddToCart, FillsTheFirstFreeSlotWithTaxAndVendor)
{
    CartWorld w;
    ASSERT_EQ(w.add("p1001", "Air Show Pack", "49.95", "SAVE10", "01", "p3003"), result::kAdded);
    ASSERT_EQ(w.add("p1002", "Free Scenery", "0.00", "", "02"), result::kAdded);
    ASSERT_EQ(removeFromCart(w.cart, w.session, "p3003"), 0);  // not in the cart

    const CartItem& first = w.cart.items[0];
    EXPECT_EQ(first.productId.str(), "p1001");
    EXPECT_EQ(first.title.str(), "Air Show Pack");
    EXPECT_EQ(first.price.str(), "49.95");
    EXPECT_EQ(first.tax.str(), "4.12");
    EXPECT_EQ(first.couponCode.str(), "SAVE10");
    EXPECT_EQ(first.cartTag.str(), "01");
    EXPECT_EQ(first.linkedId.str(), "p3003");
    EXPECT_EQ(first.vendorId.str(), "tovrin");
    EXPECT_EQ(first.vendorName.str(), "Tovrin Simulations");
    EXPECT_EQ(w.cart.items[1].price.str(), "0.00");
    EXPECT_EQ(w.cart.items[1].tax.str(), "0.00");

    // A slot freed in the middle is the next one filled.
    ASSERT_EQ(removeFromCart(w.cart, w.session, "p1001"), 1);
    ASSERT_EQ(w.add("p1003", "Third Thing", "10.00"), result::kAdded);
    EXPECT_EQ(w.cart.items[0].productId.str(), "p1003");
}

TEST(AddToCart, GiftModeLetsAnOwnedProductIn)
{
    CartWorld w;
    w.own("P2002");  // ownership ignores case
    EXPECT_EQ(w.add("p2002", "Owned Thing", "19.95"), result::kAlreadyOwned);
    w.cart.giftMode = true;
    EXPECT_EQ(w.add("p2002", "Owned Thing", "19.95"), result::kAdded);
}

TEST(AddToCart, NineteenEntriesFillTheCartForSingleProducts)
{
    CartWorld w;
    for (int i = 0; i < 19; ++i)
        ASSERT_EQ(w.add("p" + std::to_string(1000 + i), "Product " + std::to_string(i), "10.00"),
                  result::kAdded);
    EXPECT_EQ(w.add("p2000", "One Too Many", "10.00"), result::kCartFull);
    EXPECT_EQ(w.count(), 19);
    EXPECT_TRUE(w.cart.items[19].isFree());
}

class BundleCart : public ::testing::Test {
protected:
    void SetUp() override
    {
        w.addRecord("m1", "Member One", "29.95");
        w.addRecord("m2", "Member Two", "9.95", "", "Yes");  // hidden copy first
        w.addRecord("m2", "Member Two", "10.00");
        w.addRecord("m3", "Member Three", "100.00");
        w.addRecord("bndl-old", "Old Bundle", "1.00", "50|m1");
        w.addRecord("bndl-air", "Air Bundle", "120.00", "20|m1,m2,m3");
    }

    int addBundle(std::string_view id = "bndl-air")
    {
        return w.add(id, "Air Bundle", "120.00", "", "07");
    }

    CartWorld w;
};

TEST_F(BundleCart, MembersEnterAtTheDiscountedPriceLinkedToTheBundle)
{
    ASSERT_EQ(addBundle(), result::kAdded);
    ASSERT_EQ(w.count(), 3);
    const auto& m1 = w.cart.items[0];
    EXPECT_EQ(m1.productId.str(), "m1");
    EXPECT_EQ(m1.title.str(), "Member One");
    EXPECT_EQ(m1.price.str(), "23.96");
    EXPECT_EQ(m1.tax.str(), "1.98");  // 23.96 x 0.0825 = 1.9767
    EXPECT_EQ(m1.linkedId.str(), "bndl-air");
    EXPECT_EQ(m1.cartTag.str(), "07");
    EXPECT_EQ(m1.vendorId.str(), "tovrin");
    EXPECT_EQ(w.cart.items[1].price.str(), "8.00");  // the listed record, not the hidden one
    EXPECT_EQ(w.cart.items[2].price.str(), "80.00");
    EXPECT_TRUE(w.cart.cartReady);

    // The bundle counts as in the cart through its members; members carry their link.
    EXPECT_EQ(cartLookup(w.cart, w.session, "bndl-air"), 1);
    EXPECT_EQ(cartLookup(w.cart, w.session, "m2"), 2);
    EXPECT_EQ(cartLookup(w.cart, w.session, "bndl-old"), 0);
}

TEST_F(BundleCart, OwnedMembersAreSkippedAndAllOwnedGivesMinusEight)
{
    w.own("m3");
    EXPECT_EQ(addBundle(), result::kLastMemberNotAdded);  // the last member was skipped
    EXPECT_EQ(w.count(), 2);  // the others stay

    CartWorld allOwned;
    allOwned.addRecord("m1", "Member One", "29.95");
    allOwned.addRecord("bndl-air", "Air Bundle", "120.00", "20|m1");
    allOwned.own("m1");
    EXPECT_EQ(allOwned.add("bndl-air", "Air Bundle", "120.00"), result::kLastMemberNotAdded);
    EXPECT_EQ(allOwned.count(), 0);
    EXPECT_FALSE(allOwned.cart.cartReady);
}

TEST_F(BundleCart, UnknownBundleOrMemberAddsNothing)
{
    EXPECT_EQ(w.add("bndl-none", "No Such Bundle", "1.00"), result::kLastMemberNotAdded);
    w.addRecord("bndl-ghost", "Ghost Bundle", "1.00", "10|m1,nosuch");
    EXPECT_EQ(w.add("bndl-ghost", "Ghost Bundle", "1.00"), result::kLastMemberNotAdded);
    EXPECT_EQ(w.count(), 1);  // m1 went in; the unknown member took nothing
}

TEST_F(BundleCart, DefinitionAboveOneHundredPercentAddsNothingAndNeverANegativePrice)
{
    w.addRecord("bndl-max", "Max Bundle", "1.00", "2147483647|m1,m2");
    w.addRecord("bndl-101", "Over Bundle", "1.00", "101|m3");
    EXPECT_EQ(w.add("bndl-max", "Max Bundle", "1.00"), result::kLastMemberNotAdded);
    EXPECT_EQ(w.add("bndl-101", "Over Bundle", "1.00"), result::kLastMemberNotAdded);
    EXPECT_EQ(w.count(), 0);
    EXPECT_FALSE(w.cart.cartReady);

    // One hundred percent is the most a definition may take off.
    w.addRecord("bndl-free", "Free Bundle", "1.00", "100|m3");
    ASSERT_EQ(w.add("bndl-free", "Free Bundle", "1.00"), result::kAdded);
    EXPECT_EQ(w.cart.items[0].price.str(), "0.00");
    buildProductList(w.cart);
    EXPECT_EQ(w.cart.productListParam,
              "&productlist=m3|Member+Three|0.00|bndl-free|0.00|tovrin|Tovrin+Simulations|01*");
}

TEST_F(BundleCart, MembersMayFillTheTwentiethSlotAndKeepWhatFitsWhenSlotsRunOut)
{
    for (int i = 0; i < 18; ++i)
        ASSERT_EQ(w.add("p" + std::to_string(1000 + i), "Product " + std::to_string(i), "10.00"),
                  result::kAdded);
    EXPECT_EQ(addBundle(), result::kNoSlotForMember);  // m3 finds no slot
    EXPECT_EQ(w.count(), 20);
    EXPECT_EQ(w.cart.items[18].productId.str(), "m1");
    EXPECT_EQ(w.cart.items[19].productId.str(), "m2");
    EXPECT_EQ(w.add("p3000", "Late Product", "10.00"), result::kCartFull);
}

TEST_F(BundleCart, RemovingAnyMemberOrTheBundleRemovesTheWholeBundle)
{
    ASSERT_EQ(w.add("p1001", "Air Show Pack", "49.95"), result::kAdded);
    ASSERT_EQ(addBundle(), result::kAdded);
    ASSERT_EQ(w.count(), 4);

    EXPECT_EQ(removeFromCart(w.cart, w.session, "m2"), 1);
    EXPECT_EQ(w.count(), 1);
    EXPECT_EQ(w.cart.items[0].productId.str(), "p1001");
    EXPECT_EQ(cartLookup(w.cart, w.session, "bndl-air"), 0);
    EXPECT_TRUE(w.cart.cartReady);

    ASSERT_EQ(addBundle(), result::kAdded);
    EXPECT_EQ(removeFromCart(w.cart, w.session, "bndl-air"), 1);
    EXPECT_EQ(removeFromCart(w.cart, w.session, "bndl-air"), 0);
    EXPECT_EQ(w.count(), 1);
}

TEST(RemoveFromCart, TheOfferedCompanionGoesWithTheMainProductNotTheOtherWay)
{
    CartWorld w;
    ASSERT_EQ(w.add("p1001", "Air Show Pack", "49.95", "", "01", "p3003"), result::kAdded);
    ASSERT_EQ(w.add("p3003", "Companion Pack", "15.00"), result::kAdded);
    ASSERT_EQ(w.add("p4004", "Bystander Pack", "5.00"), result::kAdded);

    EXPECT_EQ(cartLookup(w.cart, w.session, "p1001"), 2);
    EXPECT_EQ(cartLookup(w.cart, w.session, "p3003"), 1);
    EXPECT_EQ(removeFromCart(w.cart, w.session, "p1001"), 1);
    EXPECT_EQ(cartLookup(w.cart, w.session, "p3003"), 0);
    EXPECT_EQ(w.count(), 1);

    ASSERT_EQ(w.add("p1001", "Air Show Pack", "49.95", "", "01", "p3003"), result::kAdded);
    ASSERT_EQ(w.add("p3003", "Companion Pack", "15.00"), result::kAdded);
    EXPECT_EQ(removeFromCart(w.cart, w.session, "p3003"), 1);
    EXPECT_EQ(cartLookup(w.cart, w.session, "p1001"), 2);
    EXPECT_EQ(w.count(), 2);
}

TEST(RemoveFromCart, EmptyingTheCartOrAStoreNotSetUpClearsCartReady)
{
    CartWorld w;
    ASSERT_EQ(w.add("p1001", "Air Show Pack", "49.95"), result::kAdded);
    ASSERT_EQ(w.add("p1002", "Other Pack", "19.95"), result::kAdded);
    EXPECT_EQ(removeFromCart(w.cart, w.session, "nosuch"), 0);
    EXPECT_EQ(removeFromCart(w.cart, w.session, ""), 0);
    EXPECT_EQ(w.count(), 2);
    EXPECT_EQ(removeFromCart(w.cart, w.session, "p1001"), 1);
    EXPECT_TRUE(w.cart.cartReady);
    EXPECT_EQ(removeFromCart(w.cart, w.session, "p1002"), 1);
    EXPECT_FALSE(w.cart.cartReady);

    ASSERT_EQ(w.add("p1001", "Air Show Pack", "49.95"), result::kAdded);
    ASSERT_EQ(w.add("p1002", "Other Pack", "19.95"), result::kAdded);
    w.session.storeReady = false;
    EXPECT_EQ(w.count(), 0);
    EXPECT_EQ(removeFromCart(w.cart, w.session, "p1001"), 1);
    EXPECT_FALSE(w.cart.cartReady);
}

TEST(RemoveFromCart, BundleRemovalOnAnEmptiedCartStillClearsCartReady)
{
    // After a purchase or a logout the cart is emptied but cartReady stays set; any
    // removal that finds the cart empty, a bundle's included, clears it.
    CartWorld w;
    ASSERT_EQ(w.add("p1001", "Air Show Pack", "49.95"), result::kAdded);
    clearCart(w.cart);
    ASSERT_TRUE(w.cart.cartReady);
    EXPECT_EQ(removeFromCart(w.cart, w.session, "bndl-air"), 0);
    EXPECT_FALSE(w.cart.cartReady);
}

TEST(CartLookup, OnlyEntriesOfTheCurrentVendorCount)
{
    CartWorld w;
    ASSERT_EQ(w.add("p1001", "Air Show Pack", "49.95"), result::kAdded);
    EXPECT_EQ(cartLookup(w.cart, w.session, "p1001"), 1);
    EXPECT_EQ(cartLookup(w.cart, w.session, "P1001"), 0);  // exact comparison
    w.session.vendorId = "other1";
    EXPECT_EQ(cartLookup(w.cart, w.session, "p1001"), 0);
}

}  // namespace
}  // namespace qk
