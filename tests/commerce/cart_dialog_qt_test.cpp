// The cart dialog and the main window's cart captions on the real Qt dialog engine
// (offscreen): what the customer sees and clicks.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QTimer>

#include <cstdlib>
#include <functional>
#include <string>

#include "cart_test_data.h"
#include "commerce/cart_buttons.h"
#include "commerce/cart_dialog.h"
#include "support/scripted_message_box.h"
#include "support/temp_folder.h"
#include "ui/qt_dialog.h"
#include "ui/qt_dialog_factory.h"
#include "ui/resources/cart_dialog.h"
#include "ui/resources/main_window.h"

namespace qk {
namespace {

namespace res = ui::resources;

struct NoHandler : ui::DialogHandler {
    void onCommand(int, ui::Notify, int) override {}
};

// Clicks the button captioned `caption` in the cart window once the modal loop runs
// and `ready` holds (the window is shown and painted only some time after it opens).
void clickWhen(const QString& caption, bool& clicked, std::function<bool()> ready,
               int attemptsLeft = 200)
{
    QTimer::singleShot(10, [caption, &clicked, ready, attemptsLeft] {
        if (!ready() && attemptsLeft > 0) {
            clickWhen(caption, clicked, ready, attemptsLeft - 1);
            return;
        }
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (!window->isVisible() || window->windowTitle() != "Your Cart")
                continue;
            for (auto* button : window->findChildren<QAbstractButton*>())
                if (button->text() == caption) {
                    clicked = true;
                    button->click();
                }
        }
    });
}

class CartDialogOnScreen : public ::testing::Test {
protected:
    void SetUp() override
    {
        w.addRecord("m1", "Member One", "29.95");
        w.addRecord("m2", "Member Two", "10.00");
        w.addRecord("bndl-air", "Air Bundle", "120.00", "20|m1,m2");
        ASSERT_EQ(w.add("p1001", "Air Show Pack", "49.95"), 1);
        ASSERT_EQ(w.add("p1002", "Night Lights Scenery for the Northern Coast", "79.00"), 1);
        ASSERT_EQ(w.add("bndl-air", "Air Bundle", "120.00"), 1);
    }

    // Opens the presenter on a real window the way openCartDialog does, without the
    // modal loop, so the test can look at it and click.
    void open()
    {
        presenter = std::make_unique<CartDialog>(w.cart, w.session, environment);
        dialog = std::make_unique<ui::QtDialog>(res::cartDialogResource(), *presenter, nullptr);
        presenter->attach(*dialog);
        dialog->show();
        QApplication::processEvents();
        list = qobject_cast<QTableView*>(dialog->control(res::kCartList));
        ASSERT_NE(list, nullptr);
    }

    void click(int id) { qobject_cast<QAbstractButton*>(dialog->control(id))->click(); }
    std::string totalText() const
    {
        return qobject_cast<QLabel*>(dialog->control(res::kCartTotalText))->text().toStdString();
    }
    bool hidden(int id) const { return dialog->control(id)->isHidden(); }

    test::CartWorld w;
    test::ScriptedMessageBox box;
    ui::QtDialogFactory factory;
    CartDialogEnvironment environment{factory, nullptr, box.function(), false, {}};
    std::unique_ptr<CartDialog> presenter;
    std::unique_ptr<ui::QtDialog> dialog;
    QTableView* list = nullptr;
};

TEST_F(CartDialogOnScreen, ListsTheCartAndRemovesDownToEmpty)
{
    open();
    ASSERT_EQ(list->model()->rowCount(), 4);
    EXPECT_EQ(list->horizontalHeader()->sectionSize(0), 455);
    EXPECT_EQ(list->horizontalHeader()->sectionSize(1), 70);
    EXPECT_EQ(list->model()->index(2, 0).data().toString().toStdString(), "Member One");
    EXPECT_EQ(list->model()->index(2, 1).data().toString().toStdString(), "23.96");
    EXPECT_EQ(totalText(), "Cart Total: $160.91");
    EXPECT_EQ(w.cart.taxTotalText, "13.28");  // 4.12 + 6.52 + 1.98 + 0.66
    EXPECT_FALSE(hidden(res::kCartTaxNote));
    EXPECT_FALSE(hidden(res::kCartGiftBox));  // no main window yet

    // Removing a member takes its whole bundle off the list.
    list->clearSelection();  // as the customer's click on the last row does
    list->selectRow(3);
    click(res::kCartRemove);
    EXPECT_EQ(list->model()->rowCount(), 2);
    EXPECT_EQ(totalText(), "Cart Total: $128.95");
    EXPECT_EQ(cartLookup(w.cart, w.session, "bndl-air"), 0);

    click(res::kCartRemove);  // row 0 is selected again
    click(res::kCartRemove);
    EXPECT_EQ(list->model()->rowCount(), 0);
    EXPECT_TRUE(hidden(res::kCartProceed));
    EXPECT_TRUE(hidden(res::kCartTaxNote));
    EXPECT_EQ(totalText(), "Cart Total: $0.00");
    EXPECT_FALSE(w.cart.cartReady);
    click(res::kCartRemove);  // nothing left to select: nothing happens
    EXPECT_EQ(w.count(), 0);
    click(res::kCartProceed);  // hidden, and even when pressed it cannot give 1
    EXPECT_EQ(dialog->runModal(), 0);
}

TEST_F(CartDialogOnScreen, NoTaxHidesTheNoteAndAMainWindowHidesTheGiftBox)
{
    w.session.taxRate = "0";
    clearCart(w.cart);
    ASSERT_EQ(w.add("p1001", "Air Show Pack", "49.95"), 1);
    environment.mainWindowReady = true;
    open();
    EXPECT_TRUE(hidden(res::kCartTaxNote));
    EXPECT_EQ(w.cart.taxTotalText, "0.00");
    EXPECT_TRUE(hidden(res::kCartGiftBox));
}

TEST_F(CartDialogOnScreen, GiftQuestionCancelUnchecksAndOkSetsGiftMode)
{
    open();
    auto* gift = qobject_cast<QCheckBox*>(dialog->control(res::kCartGiftBox));
    box.answer(ui::kIdCancel);
    gift->click();
    ASSERT_EQ(box.calls.size(), 1u);
    EXPECT_EQ(box.calls[0].caption, "Gift Cart Selected!");
    EXPECT_EQ(box.calls[0].text,
              "Important! Are you sure you want to purchase all items in this cart as a gift? "
              "Gift voucher codes for each product will be provided that you can give to a "
              "recipient to redeem.\r\n\r\nPlease select OK to proceed as a gift purchase or "
              "Cancel to keep this as a regular purchase.");
    EXPECT_EQ(box.calls[0].flags, ui::mb::kOkCancel);
    EXPECT_TRUE(box.calls[0].hadOwner);
    EXPECT_FALSE(gift->isChecked());
    EXPECT_FALSE(w.cart.giftMode);

    gift->click();  // OK this time (the script is used up)
    EXPECT_TRUE(gift->isChecked());
    EXPECT_TRUE(w.cart.giftMode);

    gift->click();  // clearing the box asks nothing and keeps gift mode
    EXPECT_EQ(box.calls.size(), 2u);
    EXPECT_TRUE(w.cart.giftMode);
}

TEST_F(CartDialogOnScreen, ViewAccountRunsTheAccountHookOwnedByTheCartOwner)
{
    open();
    click(res::kCartViewAccount);  // no account dialog yet: nothing happens
    EXPECT_TRUE(dialog->qtWidget()->isVisible());

    ui::DialogView* seenOwner = &*dialog;
    int runs = 0;
    environment.openAccountDialog = [&](ui::DialogView* owner) {
        seenOwner = owner;
        ++runs;
    };
    click(res::kCartViewAccount);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(seenOwner, nullptr);  // the cart's owner: here the desktop
    EXPECT_TRUE(dialog->qtWidget()->isVisible());
}

TEST_F(CartDialogOnScreen, ModalRunGivesOneOnlyForProceedAndShowsTheGiftNotice)
{
    Cart emptyCart;
    EXPECT_EQ(openCartDialog(emptyCart, w.session, environment), 0);  // no window at all
    EXPECT_TRUE(box.calls.empty());

    w.cart.giftMode = true;
    bool clicked = false;
    clickWhen("Proceed to Checkout", clicked, [this] { return !box.calls.empty(); });
    EXPECT_EQ(openCartDialog(w.cart, w.session, environment), 1);
    EXPECT_TRUE(clicked);
    ASSERT_EQ(box.calls.size(), 1u);
    EXPECT_EQ(box.calls[0].caption, "Products Purchased as Gift!");
    EXPECT_EQ(box.calls[0].text,
              "Important: You are operating in Gift Mode. All items in this cart will be "
              "purchased as a gift with vouchers issued. If you do not want to purchase as a "
              "gift, please exit the next screen, then cancel Gift Mode and start over.");
    EXPECT_EQ(box.calls[0].flags, ui::mb::kOk);

    clicked = false;
    clickWhen("Close", clicked, [this] { return box.calls.size() > 1; });
    EXPECT_EQ(openCartDialog(w.cart, w.session, environment), 0);
    EXPECT_TRUE(clicked);
    EXPECT_EQ(box.calls.size(), 2u);  // the notice again, every time the cart shows
}

TEST_F(CartDialogOnScreen, EveryControlFitsAndTheWindowGrabsToPng)
{
    open();
    const QRect client = dialog->qtWidget()->rect();
    for (const auto& item : res::cartDialogResource().controls)
        EXPECT_TRUE(client.contains(dialog->control(item.id)->geometry())) << item.id;
    EXPECT_LE(455 + 70, list->viewport()->width());  // both columns without scrolling

    const test::TempFolder scratch;
    const char* dir = std::getenv("QK_SCREENSHOT_DIR");
    EXPECT_TRUE(ui::grabToPng(*dialog, ((dir ? std::filesystem::path(dir) : scratch.path()) / "cart_dialog.png").string()));
}

TEST(UpdateCartButtons, CaptionsFollowTheCartAndCheckoutIsEnabledOnlyWithItems)
{
    test::CartWorld w;
    NoHandler handler;
    ui::QtDialog window(res::mainWindowResource(), handler, nullptr);
    bool inCart = true;

    updateCartButtons(window, w.cart, w.session, "p1001", "49.95", inCart);
    EXPECT_EQ(window.text(res::kAddToCart), "Add to Cart ($49.95)");
    EXPECT_FALSE(inCart);
    EXPECT_EQ(window.text(res::kCheckout), "Checkout (0) Items");
    EXPECT_FALSE(window.isEnabled(res::kCheckout));

    ASSERT_EQ(w.add("p1001", "Air Show Pack", "49.95", "", "01", "p3003"), 1);
    ASSERT_EQ(w.add("p3003", "Companion Pack", "15.00"), 1);
    updateCartButtons(window, w.cart, w.session, "p1001", "49.95", inCart);
    EXPECT_EQ(window.text(res::kAddToCart), "Remove ($49.95)");
    EXPECT_TRUE(inCart);
    EXPECT_EQ(window.text(res::kCheckout), "Checkout (2) Items");
    EXPECT_TRUE(window.isEnabled(res::kCheckout));

    // A long price text is cut so the caption stays within 29 characters.
    updateCartButtons(window, w.cart, w.session, "p9999", "123456789012345678901234", inCart);
    EXPECT_EQ(window.text(res::kAddToCart), "Add to Cart ($123456789012345");
}

}  // namespace
}  // namespace qk
