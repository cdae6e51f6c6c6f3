// The account roads of the real main window (offscreen) on the demo store: a new account
// from the login dialog's link, Edit Account, and View Account in the cart.

#include <gtest/gtest.h>

#include <QLabel>

#include "main_window_fixture.h"
#include "store/credentials.h"
#include "ui/resources/account_dialog.h"
#include "ui/resources/cart_dialog.h"
#include "ui/resources/login_dialog.h"
#include "ui/resources/main_window.h"

namespace qk::test {
namespace {

namespace res = ui::resources;

class AccountWindowTest : public ScriptedWindowTest {
protected:
    void press(int id) { window_->onCommand(id, ui::Notify::Clicked, 0); }

    std::vector<std::string> accountActions()
    {
        std::vector<std::string> actions;
        for (const auto& body : bodiesOf(requestsMatching(store_, {.target = "/vnaccount.asp"})))
            actions.push_back(body.substr(0, body.find('&')));
        return actions;
    }
};

TEST_F(AccountWindowTest, ANewAccountFromTheLoginLinkLeavesTheCustomerLoggedIn)
{
    start();
    store_.clearRequests();
    // Logging out starts the agent afresh, which asks for a login.
    dialogs_.script(res::kLoginDialogId, {[](ui::QtDialog& d) {
        emit qobject_cast<QLabel*>(d.control(res::kLoginCreateAccount))->linkActivated("0");
    }});
    dialogs_.script(res::kAccountDialogId, {[](ui::QtDialog& d) {
        EXPECT_EQ(d.text(res::kAccountHeading), "Create a New Varnel Account...");
        type(d, res::kAccountFirstName, "Rui");
        type(d, res::kAccountLastName, "Costa");
        type(d, res::kAccountStreet, "Rua do Carmo 5");
        type(d, res::kAccountCity, "Lisboa");
        type(d, res::kAccountStateProvince, "LX");
        type(d, res::kAccountZipCode, "1200-093");
        type(d, res::kAccountEmail, "rui@example.com");
        type(d, res::kAccountRepeatEmail, "rui@example.com");
        type(d, res::kAccountUserName, "rui");
        type(d, res::kAccountPassword, "lisboa-2026");
        type(d, res::kAccountRepeatPassword, "lisboa-2026");
        choose(d, res::kAccountCountry, d.comboCount(res::kAccountCountry) - 68);  // Portugal
        EXPECT_EQ(d.text(res::kAccountCountry), "Portugal");
        click(d, res::kAccountAgreeTerms);
        click(d, res::kAccountSubmit);
    }});
    dialogs_.script(res::kVerificationDialogId,
                    {[](ui::QtDialog& d) { click(d, res::kVerificationFailed); }});
    box_.answer(ui::kIdYes);  // log out
    box_.answer(ui::kIdNo);   // the new login not kept on this computer
    press(ids::kLogout);

    EXPECT_EQ(accountActions(), (std::vector<std::string>{"action=new"}));
    EXPECT_EQ(view().text(ids::kStatusText), "Welcome Rui Costa");
    EXPECT_FALSE(view().isEnabled(ids::kLogin));
    EXPECT_TRUE(view().isEnabled(ids::kEditAccount));
    EXPECT_EQ(agent_->session.accountVerified, 0);
    EXPECT_FALSE(agent_->settings.readValue(kSettingsKey, "email").has_value());
}

TEST_F(AccountWindowTest, EditAccountAndViewAccountOpenTheAccountInUpdateMode)
{
    start();
    store_.clearRequests();
    std::string heading;
    dialogs_.script(res::kAccountDialogId, {[&](ui::QtDialog& d) {
        heading = d.text(res::kAccountHeading);
        type(d, res::kAccountFirstName, "Alexander");
        type(d, res::kAccountCurrentPassword, "skylane182");
        click(d, res::kAccountAgreeTerms);
        click(d, res::kAccountSubmit);
    }});
    press(ids::kEditAccount);
    EXPECT_EQ(heading, "Edit your Varnel Account...");
    EXPECT_EQ(accountActions(), (std::vector<std::string>{"action=view", "action=update"}));
    // The name shown comes from the purchases header, which the edit does not ask again.
    EXPECT_EQ(view().text(ids::kStatusText), "Welcome Alex Pilot");

    clickRow("Glider ASK 21");
    press(ids::kAddToCart);
    store_.clearRequests();
    dialogs_.script(res::kCartDialogId, {[](ui::QtDialog& d) { click(d, res::kCartViewAccount); },
                                         [](ui::QtDialog& d) { click(d, res::kCartClose); }});
    dialogs_.script(res::kAccountDialogId, {[](ui::QtDialog& d) {
        EXPECT_EQ(d.text(res::kAccountFirstName), "Alexander");
        click(d, res::kAccountCancel);
    }});
    press(ids::kCheckout);
    EXPECT_EQ(accountActions(), (std::vector<std::string>{"action=view"}));
}

}  // namespace
}  // namespace qk::test
