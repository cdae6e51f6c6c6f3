#include "account/account_dialog.h"

#include <exception>
#include <optional>

#include "account/country_list.h"
#include "store/session.h"
#include "account/verification_dialog.h"
#include "platform/deployment.h"
#include "platform/secret_text.h"
#include "platform/settings_store.h"
#include "store/credentials.h"
#include "store/reply.h"
#include "store/store_request.h"
#include "ui/resources/account_dialog.h"

namespace qk {

namespace res = ui::resources;

namespace {

// The edits the view reply fills, in the order of its fields 1 to 6.
constexpr int kBillingEdits[] = {res::kAccountFirstName, res::kAccountLastName,
                                 res::kAccountStreet,    res::kAccountCity,
                                 res::kAccountStateProvince, res::kAccountZipCode};

// Sends `body` to the account script on `request` and hands back the reply; nothing when
// the exchange could not run. The body holds passwords: it is wiped once sent.
std::optional<std::string> sendAccountBody(StoreRequest& request, const Deployment& deployment,
                                           std::string_view body)
{
    request.body.reserve(body.size());
    request.body.assign(body);
    request.setUrl(deployment.storeUrl(script::kAccount));
    request.secure = 1;
    const int result = request.send();
    wipeText(request.body);
    if (result != StoreRequest::kSent)
        return std::nullopt;
    return std::move(request.reply);
}

}  // namespace

AccountDialog::AccountDialog(AccountContext& context) : context_(context) {}

int AccountDialog::run()
{
    return runModal(context_.dialogs, res::accountDialogResource(), context_.owner);
}

void AccountDialog::initialise()
{
    mode_ = context_.session.hasLogin ? AccountMode::Update : AccountMode::Create;
    const bool update = mode_ == AccountMode::Update;
    view_->centreOver(context_.owner);
    view_->setText(res::kAccountHeading,
                   update ? res::kEditAccountHeading : res::kCreateAccountHeading);
    view_->setFont(res::kAccountHeading, "Arial", 11, 700);
    view_->setVisible(res::kAccountCurrentPasswordLabel, update);
    view_->setVisible(res::kAccountCurrentPassword, update);
    fillCountries();
    if (viewAccount() == -2) {
        warn(kAccountOpenFailedText, "Error");
        view_->endDialog(0);
    }
}

void AccountDialog::fillCountries()
{
    view_->comboClear(res::kAccountCountry);
    for (const std::string_view country : countryList())
        view_->comboAdd(res::kAccountCountry, std::string(country));
    view_->comboSetCurrent(res::kAccountCountry, kCountryPromptEntry);
}

int AccountDialog::viewAccount()
{
    const Session& session = context_.session;
    try {
        // One request object fetches the terms and then the account data.
        StoreRequest request(context_.deployment);
        request.maxReplyBytes = StoreRequest::kTextReplyMaxBytes;
        if (session.storeReady) {
            request.setUrl(context_.deployment.storeUrl(script::kTerms));
            request.secure = 1;
            request.send();
            view_->setText(res::kAccountTerms, request.reply);
        }
        if (mode_ == AccountMode::Create)
            return 0;
        if (!session.storeReady)
            return -2;
        RequestBody body("action=view");
        body.add(kProtocolVersionPairs, "&login=", session.email, "&password=", session.password);
        std::string bodyText = body.release();
        const std::optional<std::string> reply =
            sendAccountBody(request, context_.deployment, bodyText);
        wipeText(bodyText);
        const std::optional<AccountProfile> profile =
            reply ? parseAccountView(*reply) : std::nullopt;
        if (!profile)
            return -2;
        showProfile(*profile);
        return 0;
    } catch (const std::exception&) {
        return -2;
    }
}

void AccountDialog::showProfile(const AccountProfile& profile)
{
    for (std::size_t i = 0; i < std::size(kBillingEdits); ++i)
        view_->setText(kBillingEdits[i], profile.fields[i]);
    const int country = findCountryEntry(profile.fields[kProfileCountry]);
    if (country >= 0)
        view_->comboSetCurrent(res::kAccountCountry, country);
    view_->setText(res::kAccountUserName, profile.fields[7]);
    view_->setText(res::kAccountEmail, context_.session.email);
    view_->setText(res::kAccountRepeatEmail, context_.session.email);
    view_->setText(res::kAccountPasswordLabel, res::kUpdatePasswordLabel);
    view_->setText(res::kAccountSubmit, res::kUpdateAccountButton);
}

void AccountDialog::onCommand(int controlId, ui::Notify code, int /*index*/)
{
    if (view_ == nullptr || code != ui::Notify::Clicked)
        return;
    if (controlId == res::kAccountSubmit)
        submit();
    else if (controlId == res::kAccountCancel || controlId == ui::kCancelCommand)
        view_->endDialog(0);
}

void AccountDialog::readForm(AccountForm& form) const
{
    const auto read = [this](FormText& field, int id) {
        field.text = view_->text(id);
        field.encodable = view_->textFitsCodePage(id);
    };
    read(form.firstName, res::kAccountFirstName);
    read(form.lastName, res::kAccountLastName);
    read(form.street, res::kAccountStreet);
    read(form.city, res::kAccountCity);
    read(form.stateProvince, res::kAccountStateProvince);
    read(form.zipCode, res::kAccountZipCode);
    read(form.email, res::kAccountEmail);
    read(form.repeatEmail, res::kAccountRepeatEmail);
    read(form.password, res::kAccountPassword);
    read(form.repeatPassword, res::kAccountRepeatPassword);
    read(form.userName, res::kAccountUserName);
    if (mode_ == AccountMode::Update)
        read(form.currentPassword, res::kAccountCurrentPassword);
    form.countryIndex = view_->comboCurrent(res::kAccountCountry);
    form.countryText = form.countryIndex >= 0 ? view_->comboText(res::kAccountCountry, form.countryIndex)
                                              : std::string();
}

void AccountDialog::submit()
{
    if (!view_->isChecked(res::kAccountAgreeTerms)) {
        warn(kAgreeTermsText, kAgreeTermsCaption);
        return;
    }
    AccountForm form;
    readForm(form);
    Session& session = context_.session;
    const AccountRequest request = buildAccountRequest(form, mode_, session.email);
    if (request.refusal) {
        warn(request.refusal->message, request.refusal->caption.c_str());
        return;
    }

    std::optional<std::string> reply;
    try {
        if (session.storeReady) {
            StoreRequest exchange(context_.deployment);
            exchange.maxReplyBytes = StoreRequest::kTextReplyMaxBytes;
            reply = sendAccountBody(exchange, context_.deployment, request.body);
        }
    } catch (const std::exception&) {
        reply.reset();
    }
    const std::string replyText = reply.value_or(std::string());
    if (replyText == token::kSuccess) {
        session.email = form.email.text;
        if (!form.password.text.empty()) {
            wipeText(session.password);
            session.password = form.password.text;
        }
        if (mode_ == AccountMode::Update) {
            // A login kept on this computer follows the change, so the next start does
            // not fail with the old password.
            if (context_.settings.readValue(kSettingsKey, "email").has_value())
                saveCredentials(context_.settings, session);
            warn(kAccountUpdatedText, kAccountUpdatedCaption);
            view_->endDialog(1);
            return;
        }
        finishCreated();
        return;
    }
    if (startsWith(replyText, token::kUserMessage))
        warn(std::string(shownStoreMessage(replyText)), "Error");
    else
        warn(kAccountUnspecifiedErrorText, "Error");
}

void AccountDialog::finishCreated()
{
    Session& session = context_.session;
    session.hasLogin = true;
    const int answer = context_.messageBox(nullptr, view_, kAccountCreatedText,
                                           kAccountCreatedCaption, ui::mb::kYesNo);
    if (answer == ui::kIdYes)
        saveCredentials(context_.settings, session);
    AccountContext verification{context_.deployment, context_.session, context_.purchases,
                                context_.settings,   context_.dialogs, context_.messageBox,
                                view_};
    session.accountVerified = showVerificationDialog(verification);
    view_->endDialog(1);
}

void AccountDialog::warn(const std::string& text, const char* caption)
{
    context_.messageBox(nullptr, view_, text, caption, ui::mb::kOk | ui::mb::kIconExclamation);
}

int openAccountDialog(AccountContext& context)
{
    AccountDialog dialog(context);
    return dialog.run();
}

}  // namespace qk
