// The account and verification dialogs on the real Qt engine (offscreen), against the demo
// store, played the way a customer would.
#include <gtest/gtest.h>

#include <QFont>
#include <QGuiApplication>
#include <QScreen>
#include <QLineEdit>

#include <cstdlib>

#include "account/account_dialog.h"
#include "account/verification_dialog.h"
#include "login_fixture.h"
#include "store/store_request.h"
#include "support/request_log.h"
#include "support/scripted_qt_dialogs.h"
#include "ui/resources/account_dialog.h"

namespace {

namespace res = qk::ui::resources;
using qk::test::click;
using qk::ui::QtDialog;

// The fixture has a `type` of its own, for the widget-free login dialog.
void enter(QtDialog& dialog, int id, const QString& text)
{
    qk::test::type(dialog, id, text);
}

constexpr int kBrazil = 38;
constexpr const char* kNewEmail = "ana.souza@example.com";

class AccountDialogOnQt : public qk::test::LoginFixture {
protected:
    qk::test::ScriptedQtDialogs qtDialogs;
    qk::AccountContext accountContext{deployment, session,  purchases, settings,
                                      qtDialogs,  messages.function(), nullptr};

    void logInAs(const char* email, const char* password)
    {
        session.email = email;
        session.password = password;
        session.hasLogin = true;
    }

    // Bodies the account script received, in order.
    std::vector<std::string> accountBodies() const
    {
        return qk::test::bodiesOf(qk::test::requestsMatching(store, {.server = "https", .target = "/vnaccount.asp"}));
    }

    // What the customer's browser does with the link of the verification mail.
    void openVerificationLink(const std::string& email)
    {
        qk::StoreRequest browser(deployment);
        browser.setUrl(deployment.storePlainPageUrl("/vnverify.asp?email=" + email));
        ASSERT_EQ(browser.send(), qk::StoreRequest::kSent);
        ASSERT_NE(browser.reply.find("Your account is verified"), std::string::npos) << browser.reply;
    }

    static void fillNewAccount(QtDialog& dialog)
    {
        enter(dialog, res::kAccountFirstName, "Ana");
        enter(dialog, res::kAccountLastName, "Souza");
        enter(dialog, res::kAccountStreet, "Rua Augusta 12");
        enter(dialog, res::kAccountCity, QString::fromUtf8("São Paulo"));
        enter(dialog, res::kAccountStateProvince, "SP");
        enter(dialog, res::kAccountZipCode, "01305-000");
        enter(dialog, res::kAccountEmail, kNewEmail);
        enter(dialog, res::kAccountRepeatEmail, kNewEmail);
        enter(dialog, res::kAccountUserName, "ana_s");
        enter(dialog, res::kAccountPassword, "voar-alto9");
        enter(dialog, res::kAccountRepeatPassword, "voar-alto9");
        qk::test::choose(dialog, res::kAccountCountry, kBrazil);
    }

    static bool isOpen(QtDialog& dialog) { return dialog.qtWidget()->isVisible(); }
};

TEST_F(AccountDialogOnQt, CreatingAnAccountSendsTheFormAndVerifiesThroughTheMailedLink)
{
    qtDialogs.script(res::kAccountDialogId, {[&](QtDialog& dialog) {
        EXPECT_EQ(dialog.title(), "Account Managment");
        EXPECT_EQ(dialog.text(res::kAccountHeading), "Create a New Varnel Account...");
        const QFont heading = dialog.control(res::kAccountHeading)->font();
        EXPECT_EQ(heading.family(), "Arial");
        const int dpi = qRound(QGuiApplication::primaryScreen()->logicalDotsPerInchY());
        EXPECT_EQ(heading.pixelSize(), qRound(11 * dpi / 72.0));  // 11 points
        EXPECT_TRUE(heading.bold());
        EXPECT_FALSE(dialog.control(res::kAccountCurrentPassword)->isVisible());
        EXPECT_FALSE(dialog.control(res::kAccountCurrentPasswordLabel)->isVisible());
        EXPECT_EQ(dialog.text(res::kAccountSubmit), "Create Account");
        EXPECT_EQ(dialog.comboCount(res::kAccountCountry), 248);
        EXPECT_EQ(dialog.comboCurrent(res::kAccountCountry), 0);
        EXPECT_EQ(dialog.comboText(res::kAccountCountry, 61), "C\xF4te d'Ivoire");
        EXPECT_NE(dialog.text(res::kAccountTerms).find("Terms of Service"), std::string::npos);
        auto* state = qobject_cast<QLineEdit*>(dialog.control(res::kAccountStateProvince));
        EXPECT_EQ(state->placeholderText(), "State/Provice (none)");
        EXPECT_EQ(qobject_cast<QLineEdit*>(dialog.control(res::kAccountZipCode))->maxLength(), 20);
        EXPECT_EQ(qobject_cast<QLineEdit*>(dialog.control(res::kAccountUserName))->maxLength(), 24);
        qk::test::expectTextsFit(dialog, res::accountDialogResource());
        fillNewAccount(dialog);
        click(dialog, res::kAccountAgreeTerms);
        click(dialog, res::kAccountSubmit);
    }});
    // The customer opens the mail's link, then says so.
    qtDialogs.script(res::kVerificationDialogId, {[&](QtDialog& dialog) {
        qk::test::expectTextsFit(dialog, res::verificationDialogResource());
        openVerificationLink(kNewEmail);
        click(dialog, res::kVerificationDone);
    }});
    messages.answer(qk::ui::kIdYes);  // stay logged in

    EXPECT_EQ(qk::openAccountDialog(accountContext), 1);

    const std::vector<std::string> bodies = accountBodies();
    ASSERT_EQ(bodies.size(), 1U);
    EXPECT_EQ(bodies[0],
              "action=new&Name=Ana&LastName=Souza&Address1=Rua+Augusta+12&City=S%e3o+Paulo"
              "&StateProv=SP&Zipcode=01305-000&Email=ana.souza%40example.com"
              "&Password1=voar-alto9&UserName=ana_s&Country=Brazil");
    ASSERT_EQ(messages.calls.size(), 2U);
    EXPECT_EQ(messages.calls[0].caption, "Account Created...");
    EXPECT_EQ(messages.calls[0].flags, qk::ui::mb::kYesNo);
    EXPECT_EQ(messages.calls[1].text, "Thank you for verifying your account!");
    EXPECT_EQ(messages.calls[1].flags, qk::ui::mb::kIconExclamation);
    EXPECT_TRUE(session.hasLogin);
    EXPECT_EQ(session.email, kNewEmail);
    EXPECT_EQ(session.password, "voar-alto9");
    EXPECT_EQ(session.accountVerified, 1);

    // Kept on this computer, and the store takes it as a login.
    qk::Session restarted;
    restarted.storeReady = true;
    restarted.vendorId = "tovrin";
    ASSERT_EQ(qk::loadCredentials(settings, restarted), 1);
    EXPECT_EQ(restarted.password, "voar-alto9");
    EXPECT_EQ(qk::fetchPurchases(deployment, restarted, purchases, settings), 0);
    EXPECT_EQ(restarted.customerName, "Ana Souza");
}

TEST_F(AccountDialogOnQt, UpdatingLoadsTheAccountAndKeepsTheSavedLoginInStep)
{
    logInAs(qk::test::kOwnerEmail, qk::test::kOwnerPassword);
    ASSERT_EQ(qk::saveCredentials(settings, session), 1);
    qtDialogs.script(res::kAccountDialogId, {[&](QtDialog& dialog) {
        EXPECT_EQ(dialog.text(res::kAccountHeading), "Edit your Varnel Account...");
        EXPECT_TRUE(dialog.control(res::kAccountCurrentPassword)->isVisible());
        EXPECT_EQ(dialog.text(res::kAccountPasswordLabel), "Optional New Password (do not use % or &)");
        EXPECT_EQ(dialog.text(res::kAccountSubmit), "Update Account");
        EXPECT_EQ(dialog.text(res::kAccountFirstName), "Alex");
        EXPECT_EQ(dialog.text(res::kAccountZipCode), "62701");
        EXPECT_EQ(dialog.text(res::kAccountUserName), "alexpilot");
        EXPECT_EQ(dialog.text(res::kAccountEmail), qk::test::kOwnerEmail);
        EXPECT_EQ(dialog.text(res::kAccountRepeatEmail), qk::test::kOwnerEmail);
        EXPECT_EQ(dialog.comboCurrent(res::kAccountCountry), 6);  // the leading "United States"
        qk::test::expectTextsFit(dialog, res::accountDialogResource());
        enter(dialog, res::kAccountCity, "Peoria");
        enter(dialog, res::kAccountPassword, "new-runway7");
        enter(dialog, res::kAccountRepeatPassword, "new-runway7");
        enter(dialog, res::kAccountCurrentPassword, qk::test::kOwnerPassword);
        click(dialog, res::kAccountAgreeTerms);
        click(dialog, res::kAccountSubmit);
    }});

    EXPECT_EQ(qk::openAccountDialog(accountContext), 1);

    const std::vector<std::string> bodies = accountBodies();
    ASSERT_EQ(bodies.size(), 2U);
    EXPECT_EQ(bodies[0], "action=view&version=2.11&qk=2&login=pilot@tovrin.example&password=skylane182");
    EXPECT_EQ(bodies[1],
              "action=update&login=pilot@tovrin.example&Name=Alex&LastName=Pilot"
              "&Address1=12+Runway+Road&City=Peoria&StateProv=IL&Zipcode=62701"
              "&Email=pilot%40tovrin.example&Password1=new-runway7&UserName=alexpilot"
              "&Password=skylane182&Country=United+States");
    ASSERT_EQ(messages.calls.size(), 1U);
    EXPECT_EQ(messages.calls[0].text, "Your account has been successfully updated!");
    EXPECT_EQ(messages.calls[0].caption, "Your account was updated...");
    EXPECT_EQ(session.password, "new-runway7");
    qk::Session restarted;
    ASSERT_EQ(qk::loadCredentials(settings, restarted), 1);
    EXPECT_EQ(restarted.password, "new-runway7");
}

TEST_F(AccountDialogOnQt, RefusalsKeepTheDialogOpenWithWhatWasEntered)
{
    qtDialogs.script(res::kAccountDialogId, {[&](QtDialog& dialog) {
        fillNewAccount(dialog);
        click(dialog, res::kAccountSubmit);  // terms not agreed to
        click(dialog, res::kAccountAgreeTerms);
        enter(dialog, res::kAccountCity, QString::fromUtf8("Łódź"));
        click(dialog, res::kAccountSubmit);  // "Ł" has no Windows-1252 byte
        enter(dialog, res::kAccountCity, "Lisboa");
        enter(dialog, res::kAccountEmail, qk::test::kOwnerEmail);
        enter(dialog, res::kAccountRepeatEmail, qk::test::kOwnerEmail);
        click(dialog, res::kAccountSubmit);  // the store's own refusal
        ASSERT_TRUE(store.control("accountreply", "success\n"));
        click(dialog, res::kAccountSubmit);
        EXPECT_TRUE(isOpen(dialog));
        EXPECT_EQ(dialog.text(res::kAccountCity), "Lisboa");
        click(dialog, res::kAccountCancel);
    }});

    qtDialogs.script(res::kVerificationDialogId, {[](QtDialog& dialog) {
        ADD_FAILURE() << "an account was created";
        dialog.endDialog(0);
    }});
    EXPECT_EQ(qk::openAccountDialog(accountContext), 0);

    ASSERT_EQ(messages.calls.size(), 4U);
    EXPECT_EQ(messages.calls[0].caption, "Varnel Terms of Service");
    EXPECT_EQ(messages.calls[1].text, "Invalid entry for \"City\". Please use only characters of Western "
                                      "European languages in this field.");
    EXPECT_EQ(messages.calls[2].text, "Error: An account with this email address already exists.");
    EXPECT_EQ(messages.calls[2].caption, "Error");
    EXPECT_EQ(messages.calls[3].text, "Unspecified error. Please try again or contact support");
    for (const auto& call : messages.calls)
        EXPECT_EQ(call.flags, qk::ui::mb::kIconExclamation) << call.text;
    EXPECT_EQ(accountBodies().size(), 2U);  // only the two forms that passed the rules
    EXPECT_FALSE(session.hasLogin);
    EXPECT_TRUE(session.email.empty());
}

TEST_F(AccountDialogOnQt, AnUnreadableViewReplyClosesWithTheConnectionMessage)
{
    logInAs(qk::test::kOwnerEmail, qk::test::kOwnerPassword);
    const std::string eightFields = "success\x01" "a\x01" "b\x01" "c\x01" "d\x01" "e\x01" "f\x01" "g";
    for (const std::string& reply :
         {eightFields, eightFields + "\x01h\x01i", std::string("Error: Your login is not valid.")}) {
        ASSERT_TRUE(store.control("accountreply", reply));
        messages.calls.clear();
        EXPECT_EQ(qk::openAccountDialog(accountContext), 0);
        ASSERT_EQ(messages.calls.size(), 1U);
        EXPECT_EQ(messages.calls[0].text, qk::kAccountOpenFailedText);
        EXPECT_EQ(messages.calls[0].caption, "Error");
    }
}

// The store may keep a longer value than this form lets the customer type: the dialog still
// opens, shows it whole, and the form's own length rule asks for a shorter one.
TEST_F(AccountDialogOnQt, AStoredValueLongerThanItsEditOpensWholeAndIsRefusedOnSubmit)
{
    logInAs(qk::test::kOwnerEmail, qk::test::kOwnerPassword);
    const std::string longUserName(30, 'u');
    ASSERT_TRUE(store.control("accountreply", "success\x01" "Alex\x01" "Pilot\x01" "12 Runway Road\x01"
                                              "Springfield\x01" "IL\x01" "62701\x01" "United States\x01" +
                                                  longUserName));
    bool refusedStayedOpen = false;
    qtDialogs.script(res::kAccountDialogId, {[&](QtDialog& dialog) {
        EXPECT_EQ(dialog.text(res::kAccountUserName), longUserName);
        qk::test::expectTextsFit(dialog, res::accountDialogResource());
        if (const char* kept = std::getenv("QK_SCREENSHOT_DIR"))
            qk::ui::grabToPng(dialog, std::string(kept) + "/account_long_value.png");
        enter(dialog, res::kAccountCurrentPassword, qk::test::kOwnerPassword);
        click(dialog, res::kAccountAgreeTerms);
        click(dialog, res::kAccountSubmit);
        refusedStayedOpen = isOpen(dialog);
        enter(dialog, res::kAccountUserName, "alexpilot");
        ASSERT_TRUE(store.control("accountreply", "success"));
        click(dialog, res::kAccountSubmit);
    }});

    EXPECT_EQ(qk::openAccountDialog(accountContext), 1);
    EXPECT_TRUE(refusedStayedOpen);
    ASSERT_EQ(messages.calls.size(), 2U);
    EXPECT_EQ(messages.calls[0].text,
              "Invalid entry for \"User Name\". Please make sure this field contains no more than 23 "
              "characters.");
    EXPECT_EQ(messages.calls[0].caption, "Invalid field submitted...");
    EXPECT_EQ(messages.calls[1].text, "Your account has been successfully updated!");
    const std::vector<std::string> bodies = accountBodies();
    ASSERT_EQ(bodies.size(), 2U) << "the refused form was not sent";
    EXPECT_NE(bodies[1].find("&UserName=alexpilot&"), std::string::npos) << bodies[1];
}

TEST_F(AccountDialogOnQt, VerificationAsksThePurchasesHeaderWhetherTheAccountIsVerified)
{
    // Verified by the store already: "I Could Not Verify" finds out and closes with 1.
    logInAs(qk::test::kOwnerEmail, qk::test::kOwnerPassword);
    qtDialogs.script(res::kVerificationDialogId,
                     {[](QtDialog& dialog) { click(dialog, res::kVerificationFailed); }});
    EXPECT_EQ(qk::showVerificationDialog(accountContext), 1);
    ASSERT_EQ(messages.calls.size(), 1U);
    EXPECT_EQ(messages.calls[0].text, qk::kActuallyVerifiedText);

    // Not verified: "Yes" is answered but the dialog stays; "I Could Not" closes with 0.
    messages.calls.clear();
    session.accountVerified = 0;
    logInAs("unverified@tovrin.example", "checkmail1");
    qtDialogs.script(res::kVerificationDialogId, {[&](QtDialog& dialog) {
        click(dialog, res::kVerificationDone);
        EXPECT_TRUE(isOpen(dialog));
        click(dialog, res::kVerificationFailed);
    }});
    EXPECT_EQ(qk::showVerificationDialog(accountContext), 0);
    ASSERT_EQ(messages.calls.size(), 2U);
    EXPECT_EQ(messages.calls[0].text, qk::kStillNotVerifiedText);
    EXPECT_EQ(messages.calls[0].caption, "Account Not Verified");
    EXPECT_EQ(messages.calls[1].text, qk::kVerificationTroubleText);
    EXPECT_EQ(purchaseRequests(), 3);
}

TEST_F(AccountDialogOnQt, ResendSendsTheSessionEmailAsItStandsAndReportsEachReply)
{
    logInAs("unverified@tovrin.example", "checkmail1");
    qtDialogs.script(res::kVerificationDialogId, {[&](QtDialog& dialog) {
        click(dialog, res::kVerificationResend);
        ASSERT_TRUE(store.control("accountreply", "success "));
        click(dialog, res::kVerificationResend);
        ASSERT_TRUE(store.control("accountreply", ""));
        session.email.clear();
        click(dialog, res::kVerificationResend);
        EXPECT_TRUE(isOpen(dialog));
        dialog.endDialog(0);
    }});
    EXPECT_EQ(qk::showVerificationDialog(accountContext), 0);

    EXPECT_EQ(accountBodies(),
              (std::vector<std::string>{"action=resend&email=unverified@tovrin.example",
                                        "action=resend&email=unverified@tovrin.example",
                                        "action=resend&email="}));
    ASSERT_EQ(messages.calls.size(), 3U);
    EXPECT_EQ(messages.calls[0].text, qk::kResendSentText);
    EXPECT_EQ(messages.calls[0].caption, "Email Sent!");
    EXPECT_EQ(messages.calls[1].text, qk::kResendRefusedText);  // "success " is not success
    EXPECT_EQ(messages.calls[2].text, qk::kResendRefusedText);  // no account for ""
    EXPECT_EQ(messages.calls[2].caption, "Error");
}

}  // namespace
