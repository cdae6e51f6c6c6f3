#include "commerce/cart_dialog.h"

#include "store/session.h"
#include "commerce/money.h"
#include "ui/resources/cart_dialog.h"

namespace qk {

namespace res = ui::resources;

namespace {

constexpr int kProductColumnWidth = 455;
constexpr int kPriceColumnWidth = 70;
constexpr std::size_t kRowTextMax = 255;

}  // namespace

CartDialog::CartDialog(Cart& cart, const Session& session,
                       const CartDialogEnvironment& environment)
    : cart_(cart), session_(session), environment_(environment)
{
}

void CartDialog::attach(ui::DialogView& view)
{
    view_ = &view;
    initialise();
}

void CartDialog::onInit()
{
    initialise();
}

void CartDialog::initialise()
{
    // The engine may announce the dialog before or after it hands the view over.
    if (view_ == nullptr || initialised_)
        return;
    initialised_ = true;

    view_->centreOver(environment_.owner);
    view_->setVisible(res::kCartGiftBox, !environment_.mainWindowReady);
    view_->listSetGridAndFullRow(res::kCartList);
    view_->listSetColumns(res::kCartList,
                          {{"Product", kProductColumnWidth}, {"Price", kPriceColumnWidth}});
    fillList();
    showTotals();
    if (cart_.giftMode) {
        view_->setChecked(res::kCartGiftBox, true);
        view_->setEnabled(res::kCartGiftBox, false);
    }
    if (view_->listRowCount(res::kCartList) > 0) {
        view_->listSelectRow(res::kCartList, 0);
        view_->setFocus(res::kCartList);
    }
}

void CartDialog::onFirstPaint()
{
    if (cart_.giftMode)
        environment_.messageBox(nullptr, view_, kGiftModeNoticeText, kGiftModeNoticeCaption,
                                ui::mb::kOk);
}

void CartDialog::fillList()
{
    view_->listClear(res::kCartList);
    int row = 0;
    for (const auto& slot : cart_.items) {
        if (slot.isFree())
            continue;
        view_->listInsertRow(res::kCartList, row++, {slot.title.str(), slot.price.str()});
    }
    if (row == 0)
        cart_.cartReady = false;
}

void CartDialog::showTotals()
{
    double total = 0.0;
    double taxSum = 0.0;
    for (const auto& slot : cart_.items) {
        if (slot.isFree())
            continue;
        total += readMoney(slot.price);
        taxSum += readMoney(slot.tax);
    }
    cart_.cartTotal = total;
    cart_.taxTotalText = sumText(taxSum);
    view_->setText(res::kCartTotalText, "Cart Total: $" + sumText(total));
    view_->setVisible(res::kCartTaxNote, taxSum > 0.0);
}

void CartDialog::removeSelected()
{
    const int row = view_->listFirstSelected(res::kCartList);
    // Without a selected row there is nothing to name; an empty title would match a
    // free slot.
    if (row < 0)
        return;
    std::string title = view_->listCell(res::kCartList, row, 0);
    if (title.size() > kRowTextMax)
        title.resize(kRowTextMax);

    for (const auto& slot : cart_.items) {
        if (slot.isFree() || !(slot.title == title))
            continue;
        const std::string productId = slot.productId.str();
        const std::string linkedId = slot.linkedId.str();
        removeFromCart(cart_, session_, isBundleId(linkedId) ? linkedId : productId);
        break;
    }

    fillList();
    if (view_->listRowCount(res::kCartList) > 0) {
        view_->listSelectRow(res::kCartList, 0);
    } else {
        view_->setVisible(res::kCartProceed, false);
        cart_.cartReady = false;
    }
    showTotals();
}

void CartDialog::giftBoxClicked()
{
    if (!view_->isChecked(res::kCartGiftBox))
        return;  // clearing the box does not end gift mode
    const int answer = environment_.messageBox(nullptr, view_, kGiftQuestionText,
                                               kGiftQuestionCaption, ui::mb::kOkCancel);
    if (answer == ui::kIdCancel || answer == ui::kIdNoAnswer) {
        view_->setChecked(res::kCartGiftBox, false);
        cart_.giftMode = false;
    } else {
        cart_.giftMode = true;
    }
}

void CartDialog::onCommand(int controlId, ui::Notify code, int /*index*/)
{
    if (view_ == nullptr || code != ui::Notify::Clicked)
        return;
    switch (controlId) {
    case res::kCartRemove:
        removeSelected();
        break;
    case res::kCartGiftBox:
        giftBoxClicked();
        break;
    case res::kCartViewAccount:
        if (environment_.openAccountDialog)
            environment_.openAccountDialog(environment_.owner);
        break;
    case res::kCartProceed:
        view_->endDialog(cart_.cartReady ? 1 : 0);
        break;
    case res::kCartClose:
    case ui::kCancelCommand:
        view_->endDialog(0);
        break;
    default:
        break;
    }
}

int openCartDialog(Cart& cart, const Session& session, const CartDialogEnvironment& environment)
{
    if (!cart.cartReady)
        return 0;
    CartDialog presenter(cart, session, environment);
    auto view = environment.factory.create(res::cartDialogResource(), presenter,
                                           environment.owner);
    if (!view)
        return 0;
    presenter.attach(*view);
    return view->runModal() == 1 ? 1 : 0;
}

}  // namespace qk
