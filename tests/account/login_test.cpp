#include <gtest/gtest.h>

#include "account/login.h"
#include "login_fixture.h"

namespace {

using qk::test::kOwnerEmail;
using qk::test::kOwnerPassword;

class LoginRoutine : public qk::test::LoginFixture {
protected:
    void saveLogin(const std::string& email, const std::string& password)
    {
        qk::Session saved;
        saved.email = email;
        saved.password = password;
        ASSERT_EQ(qk::saveCredentials(settings, saved), 1);
        ASSERT_EQ(qk::loadCredentials(settings, session), 1);
    }

    qk::FixedText<150> emailShown;
};

}  // namespace

TEST_F(LoginRoutine, UsableSavedLoginLogsInWithoutTheDialog)
{
    saveLogin(kOwnerEmail, kOwnerPassword);
    const int rc = qk::login(context, emailShown);
    EXPECT_GT(rc, 0);
    EXPECT_EQ(rc, qk::orderCount(purchases));
    EXPECT_TRUE(session.hasLogin);
    EXPECT_EQ(emailShown.str(), kOwnerEmail);
    EXPECT_TRUE(dialogs.closed.empty());
    EXPECT_EQ(session.loginDialogOpen, 0);
}

TEST_F(LoginRoutine, RejectedSavedLoginOpensTheDialogAndCancelLeavesTheCustomerLoggedOut)
{
    saveLogin(kOwnerEmail, "changed-elsewhere");
    ASSERT_TRUE(session.hasLogin) << "a loaded login counts until the store says no";
    emailShown = "stale@example.com";
    int openFlagDuringDialog = -1;
    dialogs.script = {[&](qk::test::FakeDialogView& view) {
                          openFlagDuringDialog = session.loginDialogOpen;
                          EXPECT_EQ(view.text(1003), "") << "the rejected login is forgotten";
                      },
                      press(1010)};
    EXPECT_EQ(qk::login(context, emailShown), 0);
    EXPECT_EQ(dialogs.closed.size(), 1u);
    EXPECT_EQ(openFlagDuringDialog, 1);
    EXPECT_EQ(session.loginDialogOpen, 0);
    EXPECT_FALSE(session.hasLogin);
    EXPECT_TRUE(emailShown.empty());
    EXPECT_TRUE(session.email.empty());
    EXPECT_FALSE(savedLoginPresent());

    qk::Session next;
    EXPECT_EQ(qk::loadCredentials(settings, next), -1) << "the next start asks again";
}

TEST_F(LoginRoutine, NoLoginOpensTheDialogAndALoginThereCounts)
{
    dialogs.script = {type(kOwnerEmail, kOwnerPassword), press(1005, qk::ui::Notify::EnterPressed)};
    EXPECT_EQ(qk::login(context, emailShown), -2) << "the first answer is handed back";
    EXPECT_TRUE(session.hasLogin);
    EXPECT_EQ(emailShown.str(), kOwnerEmail);
    EXPECT_EQ(session.customerName, "Alex Pilot");
    EXPECT_EQ(purchaseRequests(), 1) << "no request without a usable login";
    EXPECT_TRUE(savedLoginPresent());
}

TEST_F(LoginRoutine, CommunicationFailureKeepsTheLoginAndUnreadyStoreRefuses)
{
    saveLogin(kOwnerEmail, kOwnerPassword);
    const qk::test::RefusingPort refusing;
    qk::Deployment down = deployment;
    down.storeHttpsPort = refusing.port();
    qk::LoginContext downContext{down, session, purchases, settings, dialogs,
                                 messages.function(), shell, nullptr, {}};
    EXPECT_EQ(qk::login(downContext, emailShown), -4);
    EXPECT_TRUE(session.hasLogin);
    EXPECT_EQ(emailShown.str(), kOwnerEmail);
    EXPECT_TRUE(dialogs.closed.empty());
    EXPECT_TRUE(messages.calls.empty()) << "the routine itself reports nothing";

    session.storeReady = false;
    EXPECT_EQ(qk::login(context, emailShown), -1);
    EXPECT_TRUE(emailShown.empty());
}

TEST_F(LoginRoutine, LogoutForgetsTheLoginEverywhere)
{
    saveLogin(kOwnerEmail, kOwnerPassword);
    ASSERT_GT(qk::login(context, emailShown), 0);
    ASSERT_EQ(session.accountVerified, 1);

    qk::logout(session, purchases, settings, emailShown);
    EXPECT_TRUE(session.email.empty());
    EXPECT_TRUE(session.password.empty());
    EXPECT_FALSE(session.hasLogin);
    EXPECT_EQ(session.accountVerified, 0);
    EXPECT_TRUE(session.customerName.empty());
    EXPECT_TRUE(emailShown.empty());
    EXPECT_EQ(purchases.rowCount(), 0U);
    EXPECT_EQ(qk::orderCount(purchases), 0);
    EXPECT_FALSE(savedLoginPresent());
}
