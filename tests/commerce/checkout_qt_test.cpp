// Checkout against the demo store: the real checkout dialog (offscreen) played like a
// customer, card and PayPal purchases, and what goes over the wire.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>

#include <algorithm>
#include <filesystem>

#include "commerce/checkout.h"
#include "commerce/purchase_request.h"
#include "store/store_request.h"
#include "store_customer.h"
#include "support/recording_shell.h"
#include "support/refusing_port.h"
#include "support/scripted_message_box.h"
#include "support/scripted_qt_dialogs.h"
#include "ui/resources/checkout_dialog.h"
#include "ui/store_logo.h"

namespace qk {
namespace {

namespace res = ui::resources;
using test::click;
using test::type;

constexpr const char* kApprovingCard = "4111111111111111";
constexpr const char* kDecliningCard = "4000000000000002";

using test::RecordingShell;

class CheckoutTest : public test::StoreCustomerTest {
protected:
    void addToCart(const char* id, const char* title, const char* price, const char* coupon = "")
    {
        ASSERT_EQ(qk::addToCart(cartContext(), id, title, price, coupon, "01", ""), 1);
    }

    // `taxTotal`: what the cart dialog leaves for checkout, written out by each test (the
    // store's rate is 8.25 %: 1.23 on 14.95, 4.12 on 49.95), so a fault in the cart's sum
    // or rounding shows here.
    int checkout(std::string& result, const char* taxTotal)
    {
        cart_.taxTotalText = taxTotal;
        CheckoutEnvironment environment{deployment_, session_, cart_,  state_,
                                        dialogs_,    nullptr,  box_.function(), shell_,
                                        [this] { ++loginDialogs_; }, ui::checkoutLogoPng(ui::screenPixelRatio()),
                                        ui::screenPixelRatio()};
        return openPurchaseScreen(environment, result);
    }

    static std::vector<test::ScriptedQtDialogs::Step> payByCard(const QString& number, const QString& ccv,
                                                                 const QString& name = "Alex Pilot")
    {
        return {[=](ui::QtDialog& d) {
                    type(d, res::kCardNumber, number);
                    type(d, res::kCardCode, ccv);
                    type(d, res::kNameOnCard, name);
                    test::choose(d, res::kExpiryMonth, 4);  // "05"
                    test::choose(d, res::kExpiryYear, 10);  // "29"
                    click(d, res::kPurchaseWithCard);
                }};
    }

    // The customer's browser on the PayPal page the agent opened.
    bool visitPaypalPage(const std::string& pathAndQuery)
    {
        StoreRequest browser(deployment_);
        browser.setUrl(deployment_.storeUrl(pathAndQuery));
        browser.secure = 1;
        browser.send();
        return browser.reply.find("payment is approved") != std::string::npos;
    }

    std::vector<test::LoggedRequest> requestsTo(const std::string& target)
    {
        return test::requestsMatching(store_, {.target = target});
    }

    CheckoutState state_;
    test::ScriptedQtDialogs dialogs_;
    test::ScriptedMessageBox box_;
    RecordingShell shell_;
    int loginDialogs_ = 0;
};

TEST_F(CheckoutTest, ApprovedCardPurchaseEmptiesTheCartAndSendsTheBodyInItsOrder)
{
    addToCart("tov-1002", "Piper Cub Classic", "49.95");
    std::string shownTotal;
    std::string leftInEdits = "unread";
    auto steps = payByCard(kApprovingCard, "123");
    steps.push_back([&](ui::QtDialog& d) { leftInEdits = d.text(res::kCardNumber) + d.text(res::kCardCode); });
    steps.insert(steps.begin(), [&](ui::QtDialog& d) {
        EXPECT_EQ(d.title(), "Varnel Secure Purchasing");
        EXPECT_EQ(d.text(res::kSummary), "Subtotal (1 item in cart):");
        EXPECT_EQ(d.text(res::kSubtotal), "$49.95");
        EXPECT_EQ(d.text(res::kTax), "$4.12");
        shownTotal = d.text(res::kTotal);
        EXPECT_EQ(d.text(res::kCheckoutAccountEmail), "pilot@tovrin.example");
        EXPECT_EQ(d.text(res::kNameOnCard), "Alex Pilot");
        EXPECT_TRUE(d.isChecked(res::kUseCard));
        EXPECT_EQ(d.comboCount(res::kExpiryMonth), 12);
        EXPECT_EQ(d.comboText(res::kExpiryYear, 0), "19");
        EXPECT_EQ(d.comboText(res::kExpiryYear, d.comboCount(res::kExpiryYear) - 1), "38");
        EXPECT_FALSE(d.isEnabled(res::kPaypalLogin));
        EXPECT_TRUE(d.hasPicture(res::kCheckoutLogo));
    });
    dialogs_.script(res::kCheckoutDialogId, steps);

    std::string result;
    const int rc = checkout(result, "4.12");
    EXPECT_EQ(shownTotal, "$54.07");
    ASSERT_EQ(box_.calls.size(), 1u) << (box_.calls.empty() ? "" : box_.calls[0].text);
    EXPECT_EQ(box_.calls[0].caption, "Information");
    EXPECT_EQ(box_.calls[0].flags, ui::mb::kIconInformation);
    ASSERT_TRUE(result.starts_with("approved|800")) << result;
    EXPECT_EQ(box_.calls[0].text, "Your purchase has been approved! Your order number is " + result.substr(9) +
                                      ".\n\nA receipt has been emailed to you. This order has also been saved in "
                                      "your Varnel account.\n\nWe thank you for your purchase!");
    EXPECT_EQ(rc, static_cast<int>(result.size()));
    EXPECT_EQ(rc, 15);
    EXPECT_EQ(cartCount(cart_, session_), 0);
    EXPECT_TRUE(state_.card.number.str().empty() && state_.card.code.str().empty())
        << "the card is wiped once it has been sent";
    EXPECT_EQ(leftInEdits, "") << "nor left in the closed dialog's edits";

    const auto purchases = requestsTo("/cgi-bin/vnprocess1.asp");
    ASSERT_EQ(purchases.size(), 1u);
    // The log masks the card number but for its last four digits and the card code whole.
    EXPECT_EQ(purchases[0].body,
              "action=purchase&vendor=Tovrin+Simulations&vendorid=tovrin&vendorpwd=tvS8x2Qa&channel=0"
              "&version=2.11&qk=2&email=pilot@tovrin.example&password=skylane182"
              "&productlist=tov-1002|Piper+Cub+Classic|49.95||4.12|tovrin|Tovrin+Simulations|01*"
              "&cname=Alex+Pilot&cardnum=************1111&expdate=0529&ccv=***&gift=no"
              "&taxrate=0.0825&total=$54.07");

    // The store now counts the product as the customer's.
    ASSERT_GE(fetchPurchases(deployment_, session_, purchases_, *settings_), 0);
    EXPECT_EQ(findOrder(purchases_, false, "tov-1002"), 1);
}

TEST_F(CheckoutTest, RefusedAnswersKeepTheDialogOpenAndTheCart)
{
    addToCart("tov-1002", "Piper Cub Classic", "14.95");
    addToCart("tov-1004", "Navigation Charts Pro", "14.95");
    std::vector<std::string> statusLines;
    auto steps = payByCard(kDecliningCard, "123");
    steps.push_back([&](ui::QtDialog& d) {
        statusLines.push_back(d.text(res::kCheckoutStatus));
        EXPECT_TRUE(d.isEnabled(res::kPurchaseWithCard)) << "the customer may try again";
        EXPECT_EQ(d.text(res::kSummary), "Subtotal (2 items in cart):");
        EXPECT_EQ(d.text(res::kCardCode), "") << "a card code serves one attempt";
        EXPECT_EQ(d.text(res::kCardNumber), kDecliningCard);
        type(d, res::kCardNumber, "4000000000000119");  // the processor does not answer
        type(d, res::kCardCode, "123");
        click(d, res::kPurchaseWithCard);
        statusLines.push_back(d.text(res::kCheckoutStatus));
        type(d, res::kCardNumber, "4000000000009995");
        type(d, res::kCardCode, "123");
        click(d, res::kPurchaseWithCard);
        statusLines.push_back(d.text(res::kCheckoutStatus));
        click(d, res::kCheckoutCancel);
        EXPECT_EQ(d.text(res::kCardNumber) + d.text(res::kCardCode), "") << "Cancel empties the card edits";
    });
    dialogs_.script(res::kCheckoutDialogId, steps);

    std::string result;
    EXPECT_EQ(checkout(result, "2.46"), -1);
    EXPECT_TRUE(result.empty());
    ASSERT_EQ(box_.calls.size(), 3u);
    EXPECT_EQ(box_.calls[0].text, "Your transaction has been declined.");
    EXPECT_EQ(box_.calls[0].caption, "Purchase Error");
    EXPECT_EQ(box_.calls[0].flags, ui::mb::kIconStop);
    EXPECT_EQ(box_.calls[1].text, "Error: The card processor did not answer. Please try again later.");
    EXPECT_EQ(box_.calls[2].caption, "No Serial Numbers Available");
    ASSERT_EQ(statusLines.size(), 3u);
    EXPECT_EQ(statusLines[0], "Declined: the card issuer declined the transaction.");
    EXPECT_EQ(statusLines[1], "Error: The card processor did not answer. Please try again later.");
    EXPECT_EQ(statusLines[2], "no_serial");
    EXPECT_EQ(cartCount(cart_, session_), 2);
    EXPECT_EQ(state_.keepCheckoutOpen, keep_open::kCancelled);
}

TEST_F(CheckoutTest, IncompleteCardDataAndShortNamesSendNothing)
{
    addToCart("tov-1002", "Piper Cub Classic", "14.95");
    std::string status;
    dialogs_.script(res::kCheckoutDialogId,
                    {[&](ui::QtDialog& d) {
                         type(d, res::kCardNumber, "411111111111");  // 12 digits
                         type(d, res::kCardCode, "123");
                         click(d, res::kPurchaseWithCard);
                         status = d.text(res::kCheckoutStatus);
                         type(d, res::kCardNumber, kApprovingCard);
                         type(d, res::kCardCode, "12");
                         click(d, res::kPurchaseWithCard);
                         type(d, res::kCardCode, "123");
                         type(d, res::kNameOnCard, "Al");
                         click(d, res::kPurchaseWithCard);
                         d.qtWidget()->close();  // the close box
                         EXPECT_EQ(d.text(res::kCardNumber) + d.text(res::kCardCode), "");
                     }});
    std::string result;
    EXPECT_EQ(checkout(result, "1.23"), 0);
    EXPECT_EQ(status,
              "The data you entered is incomplete. Please make sure you enter the correct information "
              "and try again.");
    ASSERT_EQ(box_.calls.size(), 3u);
    EXPECT_EQ(box_.calls[0].caption, "Incomplete Information");
    EXPECT_EQ(box_.calls[1].caption, "Incomplete Information");
    EXPECT_EQ(box_.calls[2].text, "Your Name on Card is invalid. Please enter a longer billing name.");
    EXPECT_EQ(box_.calls[2].caption, "Error");
    EXPECT_TRUE(requestsTo("/cgi-bin/vnprocess1.asp").empty());
    EXPECT_TRUE(state_.card.number.str().empty()) << "no card data outlives the attempt";
}

// A name the store's code page cannot hold would be sent with "?" in it.
TEST_F(CheckoutTest, ANameOnCardOutsideTheStoresCodePageIsRefused)
{
    addToCart("tov-1002", "Piper Cub Classic", "14.95");
    dialogs_.script(res::kCheckoutDialogId, {[&](ui::QtDialog& d) {
                        type(d, res::kCardNumber, kApprovingCard);
                        type(d, res::kCardCode, "123");
                        type(d, res::kNameOnCard, QString::fromUtf8("Anton Dvořák"));
                        click(d, res::kPurchaseWithCard);
                        EXPECT_TRUE(state_.card.nameOnCard.str().empty()) << "no card data outlives the refusal";
                        type(d, res::kNameOnCard, QString::fromUtf8("José Müller"));
                        click(d, res::kPurchaseWithCard);
                    }});
    std::string result;
    EXPECT_GT(checkout(result, "1.23"), 0);
    ASSERT_EQ(box_.calls.size(), 2u);
    EXPECT_EQ(box_.calls[0].text,
              "Invalid entry for \"Name on Card\". Please use only characters of Western European "
              "languages in this field.");
    EXPECT_EQ(box_.calls[0].caption, "Invalid field submitted...");
    EXPECT_EQ(box_.calls[0].flags, ui::mb::kIconExclamation);
    const auto purchases = requestsTo("/cgi-bin/vnprocess1.asp");
    ASSERT_EQ(purchases.size(), 1u);
    EXPECT_NE(purchases[0].body.find("&cname=Jos%e9+M%fcller&"), std::string::npos) << purchases[0].body;
}

TEST_F(CheckoutTest, NoAnswerIsTheUnspecifiedErrorAndARetrySendsExactlyOneMore)
{
    addToCart("tov-1002", "Piper Cub Classic", "14.95");
    const int realPort = deployment_.storeHttpsPort;
    const test::RefusingPort refusing;
    int sentAfterRetry = 0;
    auto steps = payByCard(kApprovingCard, "123");
    steps.insert(steps.begin(), [&](ui::QtDialog&) { deployment_.storeHttpsPort = refusing.port(); });
    steps.push_back([&](ui::QtDialog& d) {
        EXPECT_EQ(d.text(res::kCheckoutStatus),
                  "There was an unspecified error with this transaction. Please try again or contact support");
        EXPECT_EQ(cartCount(cart_, session_), 1);
        deployment_.storeHttpsPort = realPort;
        store_.clearRequests();
        type(d, res::kCardNumber, kApprovingCard);
        type(d, res::kCardCode, "123");
        click(d, res::kPurchaseWithCard);
        sentAfterRetry = static_cast<int>(requestsTo("/cgi-bin/vnprocess1.asp").size());
    });
    dialogs_.script(res::kCheckoutDialogId, steps);
    std::string result;
    EXPECT_GT(checkout(result, "1.23"), 0);
    EXPECT_EQ(sentAfterRetry, 1);
    ASSERT_EQ(box_.calls.size(), 2u);
    EXPECT_EQ(box_.calls[0].caption, "Purchase Error");
    EXPECT_EQ(box_.calls[1].caption, "Information");
    EXPECT_EQ(cartCount(cart_, session_), 0);
}

TEST_F(CheckoutTest, APressDuringTheAnswerIsNoSecondPurchase)
{
    addToCart("tov-1002", "Piper Cub Classic", "14.95");
    // A session the customer never approved: the store refuses the purchase with it.
    ASSERT_TRUE(store_.control("paypalreply", "ok|ABCDEFGHIJKLMNOP"));
    ui::QtDialog* dialog = nullptr;
    dialogs_.script(res::kCheckoutDialogId, {[&](ui::QtDialog& d) {
                                                 dialog = &d;
                                                 click(d, res::kUsePaypal);
                                                 click(d, res::kPaypalLogin);
                                                 click(d, res::kPaypalComplete);
                                                 click(d, res::kCheckoutCancel);
                                             }});
    // The answer's message box runs its own loop: the customer presses again meanwhile.
    auto recordingBox = box_.function();
    bool pressedAgain = false;
    CheckoutEnvironment environment{deployment_, session_, cart_, state_, dialogs_, nullptr,
                                    [&](const ui::MessageBoxParams* p, ui::DialogView* o, const std::string& t,
                                        const char* c, unsigned f) {
                                        if (dialog != nullptr && !pressedAgain) {
                                            pressedAgain = true;
                                            click(*dialog, res::kPaypalComplete);
                                        }
                                        return recordingBox(p, o, t, c, f);
                                    },
                                    shell_, {}, {}};
    cart_.taxTotalText = "1.23";
    std::string result;
    EXPECT_EQ(openPurchaseScreen(environment, result), -1);
    EXPECT_TRUE(pressedAgain);
    EXPECT_EQ(requestsTo("/cgi-bin/vnprocess1.asp").size(), 1u);
    ASSERT_EQ(box_.calls.size(), 1u);
    EXPECT_TRUE(box_.calls[0].text.starts_with("Error: The PayPal session was not approved")) << box_.calls[0].text;
}

TEST_F(CheckoutTest, PaypalSessionOpensTheBrowserAndCompletesThePurchase)
{
    addToCart("tov-1002", "Piper Cub Classic", "14.95");
    bool completeEnabled = false;
    dialogs_.script(res::kCheckoutDialogId,
                    {[&](ui::QtDialog& d) {
                         click(d, res::kUsePaypal);
                         EXPECT_TRUE(d.isEnabled(res::kPaypalLogin));
                         EXPECT_FALSE(d.isEnabled(res::kPaypalComplete));
                         EXPECT_FALSE(d.isEnabled(res::kCardNumber));
                         click(d, res::kPaypalLogin);
                         completeEnabled = d.isEnabled(res::kPaypalComplete);
                         // The customer logs in to PayPal in the browser the agent opened.
                         ASSERT_EQ(shell_.opened.size(), 1u);
                         const std::string page = shell_.opened[0];
                         ASSERT_TRUE(visitPaypalPage(page.substr(page.find("/vnpaypal1.asp"))));
                         click(d, res::kPaypalComplete);
                     }});
    std::string result;
    EXPECT_GT(checkout(result, "1.23"), 0);
    EXPECT_TRUE(result.starts_with("approved|")) << result;
    EXPECT_TRUE(completeEnabled);
    ASSERT_EQ(shell_.opened.size(), 1u);
    EXPECT_EQ(shell_.opened[0], "https://" + deployment_.storeHost + ":" + std::to_string(deployment_.storeHttpsPort) +
                                    "/vnpaypal1.asp?session=" + state_.paypalSession);
    EXPECT_EQ(state_.paypalSession.size(), 16u);

    const auto sessions = requestsTo("/vnpaypal1.asp");
    ASSERT_EQ(sessions.size(), 1u);
    EXPECT_EQ(sessions[0].body,
              "mode=setexp&vendor=Tovrin+Simulations&vendorid=tovrin&vendorpwd=tvS8x2Qa&channel=0"
              "&version=2.11&qk=2&email=pilot@tovrin.example&password=skylane182"
              "&productlist=tov-1002|Piper+Cub+Classic|14.95||1.23|tovrin|Tovrin+Simulations|01*"
              "&curtype=USD&total=$16.18");
    const auto purchases = requestsTo("/cgi-bin/vnprocess1.asp");
    ASSERT_EQ(purchases.size(), 1u);
    EXPECT_EQ(purchases[0].body,
              "action=purchase&vendor=Tovrin+Simulations&vendorid=tovrin&vendorpwd=tvS8x2Qa&channel=0"
              "&version=2.11&qk=2&email=pilot@tovrin.example&password=skylane182"
              "&productlist=tov-1002|Piper+Cub+Classic|14.95||1.23|tovrin|Tovrin+Simulations|01*"
              "&paypal=yes&cardnum=" + state_.paypalSession + "&gift=no&taxrate=0.0825&total=$16.18");
}

TEST_F(CheckoutTest, RefusedPaypalSessionsKeepButtonOneAndCancelDropsTheToken)
{
    addToCart("tov-1002", "Piper Cub Classic", "14.95");
    const int realPort = deployment_.storeHttpsPort;
    const test::RefusingPort refusing;
    std::vector<bool> completeEnabled;
    std::string token;
    dialogs_.script(res::kCheckoutDialogId,
                    {[&](ui::QtDialog& d) {
                         click(d, res::kUsePaypal);
                         session_.password = "wrongpassword";  // the store refuses the session
                         click(d, res::kPaypalLogin);
                         completeEnabled.push_back(d.isEnabled(res::kPaypalComplete));
                         EXPECT_TRUE(d.isEnabled(res::kPaypalLogin));
                         session_.password = "skylane182";
                         deployment_.storeHttpsPort = refusing.port();  // no answer at all
                         click(d, res::kPaypalLogin);
                         deployment_.storeHttpsPort = realPort;
                         // A token that is not 16 letters and digits would go into the
                         // browser's address and the purchase body as it stands: refused.
                         for (const char* reply : {"ok|SHORT", "ok|ABCDEFGH/JKLMNOP", "ok|ABCDEFGH&JKLMNOP",
                                                   "ok|ABCDEFGH JKLMNOP"}) {
                             store_.control("paypalreply", reply);
                             click(d, res::kPaypalLogin);
                             completeEnabled.push_back(d.isEnabled(res::kPaypalComplete));
                             EXPECT_TRUE(d.isEnabled(res::kPaypalLogin));
                             EXPECT_TRUE(state_.paypalSession.empty()) << reply;
                         }
                         click(d, res::kUseCard);
                         click(d, res::kUsePaypal);
                         completeEnabled.push_back(d.isEnabled(res::kPaypalComplete));
                         EXPECT_TRUE(d.isEnabled(res::kPaypalLogin));
                         store_.control("paypalreply", "");
                         click(d, res::kPaypalLogin);
                         EXPECT_EQ(state_.paypalSession.size(), 16u);
                         token = state_.paypalSession;
                         click(d, res::kCheckoutCancel);
                     }});
    std::string result;
    EXPECT_EQ(checkout(result, "1.23"), 0);
    ASSERT_EQ(box_.calls.size(), 6u);
    EXPECT_EQ(box_.calls[0].text, "Error: Your login is not valid. Please log in again.");
    EXPECT_EQ(box_.calls[0].caption, "Error");
    EXPECT_EQ(box_.calls[0].flags, ui::mb::kOk);
    for (std::size_t call = 1; call < box_.calls.size(); ++call) {
        EXPECT_EQ(box_.calls[call].text,
                  "There was a undefined error trying to initialize a PayPal session. Please try again "
                  "shortly or contact support.");
        EXPECT_EQ(box_.calls[call].caption, "Error");
    }
    EXPECT_EQ(completeEnabled, (std::vector<bool>{false, false, false, false, false, false}));
    ASSERT_EQ(shell_.opened.size(), 1u) << "only the last, whole token opens the browser";
    EXPECT_EQ(shell_.opened[0], "https://" + deployment_.storeHost + ":" + std::to_string(realPort) +
                                    "/vnpaypal1.asp?session=" + token);
    EXPECT_TRUE(state_.paypalSession.empty()) << "Cancel drops the session";

    // Opened again, PayPal mode offers button 1 only.
    bool loginOnly = false;
    dialogs_.script(res::kCheckoutDialogId, {[&](ui::QtDialog& d) {
                                                 click(d, res::kUsePaypal);
                                                 loginOnly = d.isEnabled(res::kPaypalLogin) &&
                                                             !d.isEnabled(res::kPaypalComplete);
                                                 click(d, res::kCheckoutCancel);
                                             }});
    checkout(result, "1.23");
    EXPECT_TRUE(loginOnly);
}

TEST_F(CheckoutTest, UnusableLoginAsksForALoginFirstAndOpensNothingWithout)
{
    addToCart("tov-1002", "Piper Cub Classic", "14.95");
    session_.password = "short";
    std::string result;
    EXPECT_EQ(checkout(result, "1.23"), 0);
    EXPECT_EQ(loginDialogs_, 1);
    ASSERT_EQ(box_.calls.size(), 1u);
    EXPECT_EQ(box_.calls[0].text,
              "The purchase screen could not be opened as the login or password data is invalid.");
    EXPECT_EQ(box_.calls[0].caption, "Error");
    EXPECT_TRUE(std::find(dialogs_.built.begin(), dialogs_.built.end(), res::kCheckoutDialogId) ==
                dialogs_.built.end());
}

// The customer is charged the price and code he was told: nothing is cut on the way from
// the coupon dialog (24 characters) and the product table (10) to the purchase body.
TEST_F(CheckoutTest, ALongCouponCodeAndPriceReachThePurchaseBodyWhole)
{
    const std::string code = "SPRING2026-LOYALTY-ABCDE";
    ASSERT_EQ(code.size(), 24u);
    addToCart("tov-1002", "Piper Cub Classic", "1049.95", code.c_str());
    addToCart("tov-1004", "Navigation Charts Pro", "123456.78");
    buildProductList(cart_);
    const std::string body = purchaseBody(session_, cart_, nullptr, "ABCDEFGHIJKLMNOP");
    EXPECT_NE(body.find("&productlist=tov-1002|Piper+Cub+Classic|1049.95|" + code + "|86.62|tovrin|"),
              std::string::npos)
        << body;
    EXPECT_NE(body.find("*tov-1004|Navigation+Charts+Pro|123456.78||10185.18|tovrin|"), std::string::npos)
        << body;
    EXPECT_EQ(cart_.cartTotalText, "124506.73");
}

TEST(PurchaseReply, OnlyApprovedWithItsBarApprovesAndOddOrderNumbersStayText)
{
    EXPECT_EQ(classifyPurchaseReply("approved").kind, PurchaseOutcome::Kind::Unspecified);
    EXPECT_EQ(classifyPurchaseReply("").kind, PurchaseOutcome::Kind::Unspecified);
    EXPECT_EQ(classifyPurchaseReply("approved|").statusText, "Your purchase has been approved! Your order number is ");
    const std::string odd("approved|12\r\n3\0", 15);
    const PurchaseOutcome outcome = classifyPurchaseReply(odd);
    EXPECT_EQ(outcome.kind, PurchaseOutcome::Kind::Approved);
    EXPECT_EQ(outcome.statusText.substr(54), odd.substr(9));
    EXPECT_EQ(classifyPurchaseReply("Error: x").kind, PurchaseOutcome::Kind::ErrorAnswer);
    EXPECT_EQ(classifyPurchaseReply("Declined because").statusText, "Declined because");
    EXPECT_EQ(checkoutSummary(0), "Subtotal (0 item in cart):");
    EXPECT_EQ(checkoutSummary(1), "Subtotal (1 item in cart):");
    EXPECT_EQ(checkoutSummary(2), "Subtotal (2 items in cart):");

    // A runaway "Error:" answer is shown (and put in the status line) cut to 4 KiB.
    const std::string huge = "Error: " + std::string(10000, 'x');
    const PurchaseOutcome error = classifyPurchaseReply(huge);
    EXPECT_EQ(error.message, huge.substr(0, 4096));
    EXPECT_EQ(error.statusText, huge.substr(0, 4096));
    EXPECT_EQ(classifyPurchaseReply("Error: short").message, "Error: short");
}

// The dialog as the customer sees it, in both payment modes (kept as PNG in
// QK_SCREENSHOT_DIR when set): nothing outside the window, no caption cut.
TEST_F(CheckoutTest, CheckoutDialogShowsWholeInBothModes)
{
    addToCart("tov-1002", "Piper Cub Classic", "14.95");
    addToCart("tov-1004", "Navigation Charts Pro", "14.95");
    const char* kept = std::getenv("QK_SCREENSHOT_DIR");
    const std::filesystem::path folder = kept ? std::filesystem::path(kept) : store_.stateDir();
    dialogs_.script(res::kCheckoutDialogId,
                    {[&](ui::QtDialog& d) {
                         d.show();
                         QApplication::processEvents();
                         test::expectTextsFit(d, res::checkoutDialogResource());
                         EXPECT_TRUE(ui::grabToPng(d, (folder / "checkout_card.png").string()));
                         click(d, res::kUsePaypal);
                         QApplication::processEvents();
                         EXPECT_TRUE(ui::grabToPng(d, (folder / "checkout_paypal.png").string()));
                         d.setText(res::kCheckoutStatus,
                                   "The data you entered is incomplete. Please make sure you enter the "
                                   "correct information and try again.");
                         test::expectTextsFit(d, res::checkoutDialogResource());
                         // The terms open on the store's unencrypted address.
                         emit qobject_cast<QLabel*>(d.control(res::kTermsLink))->linkActivated("0");
                         click(d, res::kCheckoutCancel);
                     }});
    std::string result;
    checkout(result, "2.46");
    EXPECT_EQ(shell_.opened, std::vector<std::string>{"http://127.0.0.1:" + std::to_string(deployment_.storeHttpPort) +
                                                      "/view.asp?page=tos"});
}

}  // namespace
}  // namespace qk
