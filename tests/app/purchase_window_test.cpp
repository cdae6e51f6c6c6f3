// The customer's buying road through the real main window (offscreen) and the demo
// store: a coupon, the cart, checkout, and the bought product among the owned rows.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "main_window_fixture.h"
#include "ui/resources/cart_dialog.h"
#include "ui/resources/checkout_dialog.h"
#include "ui/resources/coupon_dialog.h"
#include "ui/resources/main_window.h"

namespace qk::test {
namespace {

class PurchaseWindowTest : public ScriptedWindowTest {
protected:
    void SetUp() override
    {
        ScriptedWindowTest::SetUp();
        start();
    }
};

TEST_F(PurchaseWindowTest, CouponCartAndCardCheckoutMakeTheProductsOwned)
{
    clickRow("Glider ASK 21");
    ASSERT_EQ(view().text(ids::kAddToCart), "Add to Cart ($22.00)");

    box_.answer(ui::kIdNo);  // Enter Manually
    dialogs_.script(ids::kCouponDialogId, {[](ui::QtDialog& d) {
                                              type(d, ids::kCouponCode, "SAVE10");
                                              click(d, ids::kCouponSubmit);
                                          }});
    press(ids::kApplyCoupon);
    EXPECT_EQ(view().text(ids::kAddToCart), "Add to Cart ($19.80)");
    press(ids::kAddToCart);
    EXPECT_EQ(view().text(ids::kAddToCart), "Remove ($19.80)");

    // The coupon price stays with the product while the window's table lives.
    clickRow("Night Lighting");
    clickRow("Glider ASK 21");
    EXPECT_EQ(view().text(ids::kAddToCart), "Remove ($19.80)");

    clickRow("Tovrin Starter Bundle");
    press(ids::kAddToCart);
    ASSERT_EQ(view().text(ids::kCheckout), "Checkout (2) Items");

    dialogs_.script(ids::kCartDialogId, {[](ui::QtDialog& d) { click(d, ids::kCartProceed); }});
    std::string total;
    dialogs_.script(ids::kCheckoutDialogId, {[&](ui::QtDialog& d) {
                                                 total = d.text(ids::kTotal);
                                                 type(d, ids::kCardNumber, "4111111111111111");
                                                 type(d, ids::kCardCode, "123");
                                                 click(d, ids::kPurchaseWithCard);
                                             }});
    box_.calls.clear();
    store_.clearRequests();
    press(ids::kCheckout);

    ASSERT_FALSE(box_.calls.empty());
    EXPECT_EQ(box_.calls.back().caption, "Information") << box_.calls.back().text;
    // 19.80 for the glider, 15.96 for the bundle's Piper Cub (the owned Skylane is left out),
    // and their taxes 1.63 and 1.32.
    EXPECT_EQ(total, "$38.71");
    std::string purchase;
    for (const auto& request : store_.requests())
        if (request.target == "/cgi-bin/vnprocess1.asp")
            purchase = request.body;
    EXPECT_NE(purchase.find("&productlist=tov-1016|Glider+ASK+21|19.80|SAVE10|1.63|tovrin|"), std::string::npos)
        << purchase;

    // The store was asked again: the bought products are owned rows now, the cart empty.
    EXPECT_TRUE(listed("* Glider ASK 21"));
    EXPECT_TRUE(listed("* Piper Cub Classic"));
    EXPECT_FALSE(listed("Glider ASK 21"));
    EXPECT_EQ(view().text(ids::kCheckout), "Checkout (0) Items");
}

TEST_F(PurchaseWindowTest, ACouponOnASaleItemIsChargedAtTheCouponPrice)
{
    clickRow("Piper Cub Classic");
    ASSERT_EQ(view().text(ids::kAddToCart), "Add to Cart ($14.95)");  // on sale, was $19.95

    box_.answer(ui::kIdNo);  // Enter Manually
    dialogs_.script(ids::kCouponDialogId, {[](ui::QtDialog& d) {
                                              type(d, ids::kCouponCode, "SAVE10");
                                              click(d, ids::kCouponSubmit);
                                          }});
    box_.calls.clear();
    press(ids::kApplyCoupon);
    // The price the customer is told, taken from the store's answer.
    const std::string caption = view().text(ids::kAddToCart);
    ASSERT_EQ(caption.rfind("Add to Cart ($", 0), 0U) << caption;
    const std::string couponPrice = caption.substr(14, caption.size() - 15);
    ASSERT_NE(couponPrice, "14.95");
    ASSERT_FALSE(box_.calls.empty());
    EXPECT_NE(box_.calls.back().text.find("Your new price of $" + couponPrice + " has been set"), std::string::npos)
        << box_.calls.back().text;

    press(ids::kAddToCart);
    EXPECT_EQ(view().text(ids::kAddToCart), "Remove ($" + couponPrice + ")");

    dialogs_.script(ids::kCartDialogId, {[](ui::QtDialog& d) { click(d, ids::kCartProceed); }});
    dialogs_.script(ids::kCheckoutDialogId, {[](ui::QtDialog& d) {
                                                 type(d, ids::kCardNumber, "4111111111111111");
                                                 type(d, ids::kCardCode, "123");
                                                 click(d, ids::kPurchaseWithCard);
                                             }});
    store_.clearRequests();
    press(ids::kCheckout);
    std::string purchase;
    for (const auto& request : store_.requests())
        if (request.target == "/cgi-bin/vnprocess1.asp")
            purchase = request.body;
    EXPECT_NE(purchase.find("&productlist=tov-1002|Piper+Cub+Classic|" + couponPrice + "|SAVE10|"), std::string::npos)
        << purchase;
}

TEST_F(PurchaseWindowTest, ClosingCheckoutBuysNothingAndKeepsTheCart)
{
    clickRow("Night Lighting");
    press(ids::kAddToCart);
    dialogs_.script(ids::kCartDialogId, {[](ui::QtDialog& d) { click(d, ids::kCartProceed); }});
    dialogs_.script(ids::kCheckoutDialogId, {[](ui::QtDialog& d) { click(d, ids::kCheckoutCancel); }});
    store_.clearRequests();
    press(ids::kCheckout);
    EXPECT_TRUE(box_.calls.empty());
    EXPECT_EQ(view().text(ids::kCheckout), "Checkout (1) Items");
    for (const auto& request : store_.requests())
        EXPECT_NE(request.target, "/cgi-bin/vnprocess1.asp");
    EXPECT_TRUE(listed("Night Lighting"));
}

}  // namespace
}  // namespace qk::test
