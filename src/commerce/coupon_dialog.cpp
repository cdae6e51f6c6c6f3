#include "commerce/coupon_dialog.h"

#include "ui/resources/coupon_dialog.h"

namespace qk {

namespace res = ui::resources;

namespace {
constexpr std::size_t kSubmittedMax = 99;
constexpr int kEchoPoints = 18;
constexpr int kNormalWeight = 400;
constexpr const char* kCouponCodeCodePage =
    "Invalid entry for \"Coupon Code\". Please use only characters of Western European languages "
    "in this field.";
}  // namespace

CouponEntryDialog::CouponEntryDialog(std::string caption, std::string prompt, ui::DialogView* owner,
                                     ui::MessageBoxFunction messageBox)
    : caption_(std::move(caption)), prompt_(std::move(prompt)), owner_(owner),
      messageBox_(std::move(messageBox))
{
}

void CouponEntryDialog::attach(ui::DialogView& view)
{
    view_ = &view;
    initialise();
}

void CouponEntryDialog::onInit()
{
    initialise();
}

void CouponEntryDialog::initialise()
{
    if (view_ == nullptr || initialised_)
        return;
    initialised_ = true;
    view_->centreOver(owner_);
    view_->setTitle(caption_);
    view_->setText(res::kCouponPrompt, prompt_);
    view_->setFont(res::kCouponEcho, "Courier New", kEchoPoints, kNormalWeight);
    view_->setFocus(res::kCouponCode);
}

void CouponEntryDialog::onCommand(int controlId, ui::Notify code, int /*index*/)
{
    if (view_ == nullptr)
        return;
    switch (controlId) {
    case res::kCouponCode:
        // The code shown large while it is typed, for codes read off a printed voucher.
        if (code == ui::Notify::EditChanged)
            view_->setText(res::kCouponEcho, view_->text(res::kCouponCode).substr(0, res::kCouponCodeMax));
        else if (code == ui::Notify::EnterPressed)
            onCommand(res::kCouponSubmit, ui::Notify::Clicked, 0);
        return;
    case res::kCouponSubmit:
        // The code goes to the store in its code page: a letter without a byte there would
        // arrive as "?", a code the customer never typed. He corrects it here.
        if (!view_->textFitsCodePage(res::kCouponCode)) {
            if (messageBox_)
                messageBox_(nullptr, view_, kCouponCodeCodePage, "Invalid field submitted...",
                            ui::mb::kIconExclamation);
            view_->setFocus(res::kCouponCode);
            return;
        }
        result_ = view_->text(res::kCouponCode).substr(0, kSubmittedMax);
        view_->endDialog(1);
        return;
    case res::kCouponCancel:
    case ui::kCancelCommand:
        result_ = "-1";
        view_->endDialog(0);
        return;
    default:
        return;
    }
}

std::string promptText(ui::DialogFactory& factory, ui::DialogView* owner, const std::string& caption,
                       const std::string& prompt, ui::MessageBoxFunction messageBox)
{
    CouponEntryDialog presenter(caption, prompt, owner, std::move(messageBox));
    auto view = factory.create(res::couponDialogResource(), presenter, owner);
    if (!view)
        return "-1";
    presenter.attach(*view);
    view->runModal();
    return presenter.result();
}

}  // namespace qk
