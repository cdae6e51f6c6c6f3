// Coupons against the demo store, with the main window's real controls and the real
// coupon entry dialog (offscreen).

#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>
#include <QFontInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QLabel>

#include "commerce/coupon.h"
#include "commerce/coupon_dialog.h"
#include "store_customer.h"
#include "support/refusing_port.h"
#include "support/scripted_message_box.h"
#include "support/scripted_qt_dialogs.h"
#include "ui/message_box/message_box_params.h"
#include "ui/resources/coupon_dialog.h"
#include "ui/resources/main_window.h"

namespace qk {
namespace {

namespace res = ui::resources;

struct NoHandler : ui::DialogHandler {
    void onCommand(int, ui::Notify, int) override {}
};

TEST(CouponPrice, OnlyAPlainDecimalNumberIsAPrice)
{
    for (const char* price : {"0.00", "12.50", "0", "00", "5.", ".5", "1234.99"})
        EXPECT_TRUE(isValidPrice(price)) << price;
    for (const char* price : {"", "free", "12.50 USD", " 12.50", "0.0.0", ".", "-5.00", "+5", "1e3",
                              "inf", "nan", "0x1A", ".0"})
        EXPECT_FALSE(isValidPrice(price)) << price;
}

class CouponTest : public test::StoreCustomerTest {
protected:
    void SetUp() override
    {
        StoreCustomerTest::SetUp();
        window_ = factory_.create(res::mainWindowResource(), handler_, nullptr);
    }

    // Apply Coupon on `productId` with the type answer and, for a manual code, the text the
    // customer submits in the entry dialog.
    AppliedCoupon apply(const std::string& productId, int typeAnswer, const std::string& typed = "-1")
    {
        box_.answer(typeAnswer);
        CouponProduct product{productId, "Piper Cub Classic", "01", "", price_, code_};
        CouponEnvironment environment{deployment_, session_, cartContext(),
                                      *window_, box_.function(),
                                      [this, typed](const std::string& caption, const std::string& prompt) {
                                          prompts_.push_back(caption + "|" + prompt);
                                          return typed;
                                      }};
        return applyCoupon(environment, product);
    }

    std::string lastMessage() const { return box_.calls.empty() ? std::string() : box_.calls.back().text; }

    std::vector<std::string> couponBodies() { return bodiesTo("/vncoupon1.asp"); }

    ui::QtDialogFactory factory_;
    NoHandler handler_;
    std::unique_ptr<ui::DialogView> window_;
    test::ScriptedMessageBox box_;
    std::vector<std::string> prompts_;
    std::string price_ = "19.95";
    std::string code_;
};

TEST_F(CouponTest, ManualCodeSetsThePriceKeepsTheCodeAndAsksTheTypeFirst)
{
    const AppliedCoupon applied = apply("tov-1002", ui::kIdNo, "SAVE10");
    EXPECT_TRUE(applied.applied);
    EXPECT_EQ(price_, "17.95");
    EXPECT_EQ(code_, "SAVE10");
    EXPECT_EQ(applied.price, "17.95");
    EXPECT_EQ(window_->text(res::kAddToCart), "Add to Cart ($17.95)");

    ASSERT_EQ(box_.calls.size(), 2u);
    const test::RecordedMessage& question = box_.calls[0];
    EXPECT_EQ(question.caption, "Select Coupon Type");
    EXPECT_EQ(question.text,
              "Would you like us to auto-lookup an available coupon or enter one manually?\r\n\r\nNote: "
              "Auto-Lookup applies only to upgrade discounts that are associated with a previous "
              "purchase.");
    EXPECT_EQ(question.flags, ui::mb::kYesNoCancel | ui::mb::kIconQuestion);
    EXPECT_EQ(question.yesCaption, "Auto-Lookup (Upgrades Only)");
    EXPECT_EQ(question.noCaption, "Enter Manually");
    EXPECT_EQ(box_.calls[1].caption, "Coupon Successfully Applied");
    EXPECT_EQ(box_.calls[1].text,
              "The selected coupon has successfully been applied. Your new price of $17.95 has been "
              "set for the selected product.");
    ASSERT_EQ(prompts_.size(), 1u);
    EXPECT_EQ(prompts_[0],
              "Enter a Coupon|Coupon for Piper Cub Classic... Please enter a coupon code below and "
              "select the Submit button. If the coupon is valid the price will be automatically "
              "adjusted.");
    EXPECT_EQ(couponBodies(),
              std::vector<std::string>{"email=pilot@tovrin.example&password=skylane182&vendorid=tovrin"
                                       "&productid=tov-1002&coupon=SAVE10&version=2.11&qk=2"});
}

TEST_F(CouponTest, AutoLookupTakesTheStoresCodeAndWithoutOneOnlyThePrice)
{
    const AppliedCoupon applied = apply("tov-1001", ui::kIdYes);
    EXPECT_TRUE(applied.applied);
    EXPECT_EQ(price_, "19.95");
    EXPECT_EQ(code_, "UPGRADE-1008");
    EXPECT_TRUE(prompts_.empty());
    EXPECT_TRUE(couponBodies().at(0).find("&coupon=auto&") != std::string::npos);

    box_.calls.clear();
    ASSERT_TRUE(store_.control("couponreply", "success|24.95"));
    EXPECT_FALSE(apply("tov-1001", ui::kIdYes).applied);
    EXPECT_EQ(price_, "24.95");
    EXPECT_EQ(code_, "");
    EXPECT_EQ(box_.calls.size(), 1u) << "the price changes without a message";
}

TEST_F(CouponTest, RefusalsEndWithTheirOneMessage)
{
    struct Case {
        const char* typed;
        const char* message;
        const char* caption;
    };
    const Case cases[] = {
        {"EXPIRED", "We are sorry, this coupon has expired.", "Server Message"},
        {"BROKEN",
         "There was an error applying the coupon. The message received from the server is:\r\n\r\n"
         "Coupon table unavailable (code 17).",
         "Server Message"},
        {"BADCONFIG", "There selected coupon has an invalid configuration. Please contact support.", ""},
        {"", "Please enter a valid coupon code.", ""},
        {"AB", "There was an error applying the selected coupon.", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        box_.calls.clear();
        code_ = "OLD";
        price_ = "19.95";
        EXPECT_FALSE(apply("tov-1002", ui::kIdNo, c.typed).applied);
        ASSERT_EQ(box_.calls.size(), 2u);
        EXPECT_EQ(box_.calls[1].text, c.message);
        EXPECT_EQ(box_.calls[1].caption, c.caption);
        EXPECT_EQ(box_.calls[1].flags, ui::mb::kIconExclamation);
        EXPECT_EQ(price_, "19.95");
    }
    EXPECT_EQ(code_, "OLD") << "only an invalid price empties the code";
    EXPECT_EQ(couponBodies().size(), 3u) << "no request for an empty or short code";

    // "0.00" is a price; the store out of reach is an unusable reply.
    box_.calls.clear();
    EXPECT_TRUE(apply("tov-1002", ui::kIdNo, "FREEBIE").applied);
    EXPECT_EQ(price_, "0.00");
    const test::RefusingPort refusing;
    deployment_.storeHttpsPort = refusing.port();
    EXPECT_FALSE(apply("tov-1002", ui::kIdNo, "SAVE10").applied);
    EXPECT_EQ(lastMessage(), "There was an error applying the selected coupon.");
}

TEST_F(CouponTest, CancelAndBundlesStopBeforeAnyRequest)
{
    EXPECT_FALSE(apply("tov-1002", ui::kIdNo, "-1").applied);  // typed "-1" is Cancel
    EXPECT_EQ(box_.calls.size(), 1u);
    EXPECT_FALSE(apply("tov-1002", ui::kIdCancel).applied);
    EXPECT_TRUE(prompts_.size() == 1u);

    box_.calls.clear();
    EXPECT_FALSE(apply("bndl-2001", ui::kIdYes).applied);
    ASSERT_EQ(box_.calls.size(), 1u);
    EXPECT_EQ(box_.calls[0].text, "Coupons or vouchers cannot be applied to bundles.");
    EXPECT_EQ(box_.calls[0].caption, "Coupon Error");
    EXPECT_TRUE(couponBodies().empty());

    // The bundle test is case-sensitive: "BNDL-" goes on to the question.
    box_.calls.clear();
    apply("BNDL-2001", ui::kIdCancel);
    ASSERT_EQ(box_.calls.size(), 1u);
    EXPECT_EQ(box_.calls[0].caption, "Select Coupon Type");
}

TEST_F(CouponTest, AProductInTheCartGetsTheCouponPriceThere)
{
    ASSERT_EQ(addToCart(cartContext(), "tov-1002", "Piper Cub Classic", "14.95", "", "01", ""),
              1);
    EXPECT_TRUE(apply("tov-1002", ui::kIdNo, "SAVE10").applied);
    EXPECT_EQ(cart_.items[0].price.str(), "17.95");
    EXPECT_EQ(cart_.items[0].couponCode.str(), "SAVE10");
    EXPECT_EQ(cartCount(cart_, session_), 1);
    EXPECT_EQ(window_->text(res::kAddToCart), "Remove ($17.95)");
    EXPECT_EQ(lastMessage(),
              "The selected coupon has successfully been applied. Your new price of $17.95 is now "
              "reflected in the cart.");

    // A price the cart cannot take leaves the cart entry as it was.
    ASSERT_TRUE(store_.control("couponreply", "success|9.5"));
    EXPECT_FALSE(apply("tov-1002", ui::kIdNo, "SAVE10").applied);
    EXPECT_EQ(lastMessage(), "There was an error applying the discount to the selected product.");
    EXPECT_EQ(cartCount(cart_, session_), 1);
    EXPECT_EQ(cart_.items[0].price.str(), "17.95");
}

TEST_F(CouponTest, EntryDialogEchoesTheCodeLargeAndSubmitsOrCancels)
{
    test::ScriptedQtDialogs dialogs;
    QString echoed;
    QFont echoFont;
    dialogs.script(res::kCouponDialogId, {[&](ui::QtDialog& d) {
                                              EXPECT_EQ(d.title(), "Enter a Coupon");
                                              EXPECT_TRUE(d.text(res::kCouponPrompt).starts_with("Coupon for X..."));
                                              test::type(d, res::kCouponCode, "SAVE10-ABCDEFGHIJKLMNOPQRSTUVWXYZ");
                                              auto* echo = qobject_cast<QLabel*>(d.control(res::kCouponEcho));
                                              ASSERT_NE(echo, nullptr);
                                              echoed = echo->text();
                                              echoFont = echo->font();
                                              d.show();
                                              QApplication::processEvents();
                                              test::expectTextsFit(d, res::couponDialogResource());
                                              const char* kept = std::getenv("QK_SCREENSHOT_DIR");
                                              if (kept)
                                                  ui::grabToPng(d, std::string(kept) + "/coupon_entry.png");
                                              test::click(d, res::kCouponSubmit);
                                          }});
    EXPECT_EQ(promptText(dialogs, window_.get(), "Enter a Coupon",
                         "Coupon for X... Please enter a coupon code below and select the Submit "
                         "button. If the coupon is valid the price will be automatically adjusted."),
              "SAVE10-ABCDEFGHIJKLMNOPQ");
    EXPECT_EQ(echoed, "SAVE10-ABCDEFGHIJKLMNOPQ") << "the field and its echo hold 24 characters";
    // 18 points at the screen's resolution, in the metric twin of Courier New.
    const int dpi = static_cast<int>(QGuiApplication::primaryScreen()->logicalDotsPerInchY() + 0.5);
    EXPECT_EQ(echoFont.pixelSize(), (18 * dpi + 36) / 72);
    EXPECT_EQ(echoFont.family(), "Courier New");
    EXPECT_TRUE(QFontInfo(echoFont).fixedPitch()) << QFontInfo(echoFont).family().toStdString();

    dialogs.script(res::kCouponDialogId, {[](ui::QtDialog& d) {
                                              test::type(d, res::kCouponCode, "SAVE10");
                                              test::click(d, res::kCouponCancel);
                                          }});
    EXPECT_EQ(promptText(dialogs, window_.get(), "Enter a Coupon", "p"), "-1");
}

// A code the store's code page cannot hold would be sent with "?" in it: the dialog says so
// and stays open for the customer to correct it.
TEST_F(CouponTest, ACodeOutsideTheStoresCodePageIsRefusedInTheDialog)
{
    test::ScriptedQtDialogs dialogs;
    bool stayedOpen = false;
    dialogs.script(res::kCouponDialogId, {[&](ui::QtDialog& d) {
                                              test::type(d, res::kCouponCode, QString::fromUtf8("DVOŘÁK10"));
                                              test::click(d, res::kCouponSubmit);
                                              stayedOpen = d.qtWidget()->isVisible();
                                              test::type(d, res::kCouponCode, QString::fromUtf8("MÜLLER10"));
                                              test::click(d, res::kCouponSubmit);
                                          }});
    EXPECT_EQ(promptText(dialogs, window_.get(), "Enter a Coupon", "p", box_.function()), "M\xDCLLER10");
    EXPECT_TRUE(stayedOpen);
    ASSERT_EQ(box_.calls.size(), 1u);
    EXPECT_EQ(box_.calls[0].text,
              "Invalid entry for \"Coupon Code\". Please use only characters of Western European "
              "languages in this field.");
    EXPECT_EQ(box_.calls[0].caption, "Invalid field submitted...");
    EXPECT_EQ(box_.calls[0].flags, ui::mb::kIconExclamation);
}

}  // namespace
}  // namespace qk
