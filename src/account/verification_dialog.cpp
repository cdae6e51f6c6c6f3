#include "account/verification_dialog.h"

#include <exception>

#include "store/session.h"
#include "platform/deployment.h"
#include "store/purchases.h"
#include "store/reply.h"
#include "store/store_request.h"
#include "ui/resources/account_dialog.h"

namespace qk {

namespace res = ui::resources;

VerificationDialog::VerificationDialog(AccountContext& context) : context_(context) {}

int VerificationDialog::run()
{
    return runModal(context_.dialogs, res::verificationDialogResource(), context_.owner);
}

void VerificationDialog::initialise()
{
    view_->centreOver(context_.owner);
}

void VerificationDialog::onCommand(int controlId, ui::Notify code, int /*index*/)
{
    if (view_ == nullptr || code != ui::Notify::Clicked)
        return;
    switch (controlId) {
    case res::kVerificationDone:
        confirmVerified();
        break;
    case res::kVerificationFailed:
        reportNotVerified();
        break;
    case res::kVerificationResend:
        resendMail();
        break;
    case ui::kCancelCommand:
        view_->endDialog(0);
        break;
    default:
        break;
    }
}

bool VerificationDialog::storeSaysVerified()
{
    // Only the purchases header tells whether the store has seen the link used.
    fetchPurchases(context_.deployment, context_.session, context_.purchases, context_.settings);
    return context_.session.accountVerified == 1;
}

void VerificationDialog::confirmVerified()
{
    if (storeSaysVerified()) {
        tell(kThanksForVerifyingText, kAccountVerifiedCaption);
        view_->endDialog(1);
        return;
    }
    tell(kStillNotVerifiedText, kAccountNotVerifiedCaption);
}

void VerificationDialog::reportNotVerified()
{
    const bool verified = storeSaysVerified();
    tell(verified ? kActuallyVerifiedText : kVerificationTroubleText,
         verified ? kAccountVerifiedCaption : kAccountNotVerifiedCaption);
    view_->endDialog(verified ? 1 : 0);
}

void VerificationDialog::resendMail()
{
    std::string reply;
    bool sent = false;
    try {
        if (context_.session.storeReady) {
            StoreRequest request(context_.deployment);
            request.maxReplyBytes = StoreRequest::kTextReplyMaxBytes;
            request.body = RequestBody("action=resend&email=").add(context_.session.email).text();
            request.setUrl(context_.deployment.storeUrl(script::kAccount));
            request.secure = 1;
            sent = request.send() == StoreRequest::kSent;
            reply = std::move(request.reply);
        }
    } catch (const std::exception&) {
        sent = false;
    }
    if (!sent)
        tell(kResendFailedText, "Error");
    else if (reply == token::kSuccess)
        tell(kResendSentText, kResendSentCaption);
    else
        tell(kResendRefusedText, "Error");
}

void VerificationDialog::tell(const char* text, const char* caption)
{
    context_.messageBox(nullptr, view_, text, caption, ui::mb::kOk | ui::mb::kIconExclamation);
}

int showVerificationDialog(AccountContext& context)
{
    VerificationDialog dialog(context);
    return dialog.run();
}

}  // namespace qk
