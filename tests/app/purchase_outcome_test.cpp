// A purchase on a demo store whose payment gateway answers late, or not at all: the agent
// waits for the outcome, and without one reads the customer's purchases before he may pay
// again.

#include <gtest/gtest.h>

#include "main_window_fixture.h"
#include "ui/resources/cart_dialog.h"
#include "ui/resources/checkout_dialog.h"
#include "ui/resources/main_window.h"

namespace qk::test {
namespace {

class PurchaseOutcomeTest : public ScriptedWindowTest {
protected:
    // The purchase's idle limit for these tests; the store's delays are set around it.
    static constexpr int kReplySeconds = 3;

    struct Attempt {
        std::string status;  // the checkout's status line once the purchase flow ended
        bool buttonBack = false;
    };

    void SetUp() override
    {
        ScriptedWindowTest::SetUp();
        start();
        agent_->deployment.purchaseReplySeconds = kReplySeconds;
    }

    // Night Lighting bought with `card`, the store answering the purchase `delayMs` late.
    Attempt buy(const std::string& card, int delayMs)
    {
        EXPECT_TRUE(store_.control("delay", std::to_string(delayMs) + ":/cgi-bin/vnprocess1.asp"));
        clickRow("Night Lighting");
        press(ids::kAddToCart);
        dialogs_.script(ids::kCartDialogId, {[](ui::QtDialog& d) { click(d, ids::kCartProceed); }});
        Attempt attempt;
        dialogs_.script(ids::kCheckoutDialogId, {[&attempt, card](ui::QtDialog& d) {
                                                     type(d, ids::kCardNumber, QString::fromStdString(card));
                                                     type(d, ids::kCardCode, "123");
                                                     click(d, ids::kPurchaseWithCard);
                                                     attempt.status = d.text(ids::kCheckoutStatus);
                                                     attempt.buttonBack = d.isEnabled(ids::kPurchaseWithCard);
                                                     if (d.qtWidget()->isVisible())
                                                         click(d, ids::kCheckoutCancel);
                                                 }});
        box_.calls.clear();
        store_.clearRequests();
        press(ids::kCheckout);
        return attempt;
    }

    std::vector<std::string> targets()
    {
        std::vector<std::string> all;
        for (const auto& request : store_.requests())
            all.push_back(request.target);
        return all;
    }
};

TEST_F(PurchaseOutcomeTest, ALateReplyIsShownAsApproved)
{
    const Attempt attempt = buy("4111111111111111", 1500);
    ASSERT_FALSE(box_.calls.empty());
    EXPECT_EQ(box_.calls.front().caption, "Information");
    EXPECT_EQ(attempt.status.rfind("Your purchase has been approved! Your order number is ", 0), 0U) << attempt.status;
    EXPECT_TRUE(listed("* Night Lighting"));
    EXPECT_EQ(view().text(ids::kCheckout), "Checkout (0) Items");
}

TEST_F(PurchaseOutcomeTest, NoReplyWithTheOrderAmongThePurchasesCountsAsApproved)
{
    // The store charges and records the order at once; its answer would come too late.
    const Attempt attempt = buy("4111111111111111", 1000 * kReplySeconds + 2000);
    ASSERT_EQ(box_.calls.size(), 1U);
    EXPECT_EQ(box_.calls[0].caption, "Information");
    EXPECT_NE(box_.calls[0].text.find("The store did not confirm this purchase in time, but it is now among "
                                      "your purchases: your purchase has been approved."),
              std::string::npos)
        << box_.calls[0].text;
    EXPECT_EQ(attempt.status, "Your purchase has been approved! It was found among your purchases.");
    // The purchase, the purchases read again at once, then the store refreshed.
    const auto asked = targets();
    ASSERT_GE(asked.size(), 2U);
    EXPECT_EQ(asked[0], "/cgi-bin/vnprocess1.asp");
    EXPECT_EQ(asked[1], "/vnpurchase1.asp");
    EXPECT_TRUE(listed("* Night Lighting"));
    EXPECT_EQ(view().text(ids::kCheckout), "Checkout (0) Items");
}

TEST_F(PurchaseOutcomeTest, NoReplyAndNoOrderGivesThePurchaseButtonBackWithTheReceiptAdvice)
{
    // A declined card records nothing; the answer saying so never comes in time.
    const Attempt attempt = buy("4000000000000002", 1000 * kReplySeconds + 2000);
    ASSERT_EQ(box_.calls.size(), 1U);
    EXPECT_EQ(box_.calls[0].caption, "Purchase Not Confirmed");
    EXPECT_EQ(box_.calls[0].text,
              "The store did not confirm this purchase, and your card may have been charged. The "
              "purchase is not among your purchases yet.\n\nPlease check your email for a receipt "
              "before you try again, or contact support.");
    EXPECT_EQ(attempt.status,
              "The store did not confirm this purchase and it is not among your purchases yet. Please "
              "check your email for a receipt before you try again.");
    EXPECT_TRUE(attempt.buttonBack);
    const auto asked = targets();
    ASSERT_GE(asked.size(), 2U);
    EXPECT_EQ(asked[0], "/cgi-bin/vnprocess1.asp");
    EXPECT_EQ(asked[1], "/vnpurchase1.asp");
    EXPECT_TRUE(listed("Night Lighting"));
    EXPECT_EQ(view().text(ids::kCheckout), "Checkout (1) Items");
}

}  // namespace
}  // namespace qk::test
