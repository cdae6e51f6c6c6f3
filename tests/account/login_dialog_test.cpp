#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "account/login_dialog.h"
#include "login_fixture.h"
#include "ui/resources/login_dialog.h"

namespace {

using qk::test::kOwnerEmail;
using qk::test::kOwnerPassword;
using qk::ui::Notify;
namespace res = qk::ui::resources;

class NoHandler : public qk::ui::DialogHandler {
public:
    void onCommand(int, Notify, int) override {}
};

class LoginDialogTest : public qk::test::LoginFixture {
protected:
    int runDialog() { return qk::runLoginDialog(context); }
};

}  // namespace

TEST(LoginDialogResource, HasTheCaptionAndEveryControl)
{
    const auto& r = res::loginDialogResource();
    EXPECT_EQ(r.id, 1001);
    EXPECT_EQ(r.caption, "Log in to your Varnel Acount...");
    const std::map<int, std::string> expected = {
        {1007, "An account is required in order to purchase or retrieve your orders."},
        {1011, "Need an account? Use the link at the bottom of this screen."},
        {1003, ""}, {1005, ""},
        {1008, "Stay logged in on this computer"},
        {1012, "<a>Forgot your Password?</a>"},
        {1009, "<a>Create a New Varnel Account</a>"},
        {1010, "Cancel"}, {1006, "Login"}};
    for (const auto& [id, text] : expected) {
        const auto it = std::find_if(r.controls.begin(), r.controls.end(),
                                     [id = id](const auto& c) { return c.id == id; });
        ASSERT_NE(it, r.controls.end()) << id;
        EXPECT_EQ(it->text, text) << id;
        EXPECT_LE(it->x + it->width, r.width) << id;
        EXPECT_LE(it->y + it->height, r.height) << id;
    }
    const auto password = std::find_if(r.controls.begin(), r.controls.end(),
                                       [](const auto& c) { return c.id == 1005; });
    EXPECT_EQ(password->kind, qk::ui::ControlKind::PasswordEdit);
}

TEST_F(LoginDialogTest, OpensCentredWithTheSessionValuesAndStayLoggedInChecked)
{
    NoHandler ownerHandler;
    qk::test::FakeDialogView mainWindow(ownerHandler, nullptr);
    context.owner = &mainWindow;
    session.email = "half@typed.example";
    session.password = "pw";
    dialogs.script = {[](qk::test::FakeDialogView& view) {
        EXPECT_EQ(view.text(1003), "half@typed.example");
        EXPECT_EQ(view.text(1005), "pw");
        EXPECT_TRUE(view.isChecked(1008));
        EXPECT_EQ(view.focused, 1003);
        EXPECT_TRUE(view.wasCentred);
    }, press(1010)};
    EXPECT_EQ(runDialog(), 0);
    ASSERT_EQ(dialogs.closed.size(), 1u);
    EXPECT_EQ(dialogs.closed[0].centredOver, &mainWindow);
    EXPECT_EQ(dialogs.lastOwner, &mainWindow);
    EXPECT_EQ(dialogs.lastResource, &res::loginDialogResource());
    EXPECT_EQ(dialogs.closed[0].texts.at(1003), "") << "Cancel empties both edits";
    EXPECT_EQ(dialogs.closed[0].texts.at(1005), "");
    EXPECT_TRUE(messages.calls.empty());
}

TEST_F(LoginDialogTest, ShortEmailOrPasswordIsRefusedWithoutARequest)
{
    dialogs.script = {type("a@b.c", kOwnerPassword), press(1006),
                      type(kOwnerEmail, "1234567"), press(1005, Notify::EnterPressed),
                      press(qk::ui::kCancelCommand)};
    EXPECT_EQ(runDialog(), 0);
    ASSERT_EQ(messages.calls.size(), 2u);
    for (const auto& call : messages.calls) {
        EXPECT_EQ(call.text, qk::kInvalidAccountText);
        EXPECT_EQ(call.text,
                  "You entered an invalid email address or password. Please make sure you enter a "
                  "valid email address and your Varnel account password that is at least 8 "
                  "characters long.");
        EXPECT_EQ(call.caption, "Invalid Account");
        EXPECT_EQ(call.flags, 0u) << "no icon";
        EXPECT_TRUE(call.hadOwner);
    }
    EXPECT_EQ(purchaseRequests(), 0);
    EXPECT_FALSE(session.hasLogin);
}

TEST_F(LoginDialogTest, RejectedThenAcceptedLoginWithEnterInThePasswordEdit)
{
    dialogs.script = {type(kOwnerEmail, "wrong-password"), press(1006),
                      type("PILOT@tovrin.example", kOwnerPassword),
                      press(1005, Notify::EnterPressed)};
    EXPECT_EQ(runDialog(), 1);
    ASSERT_EQ(messages.calls.size(), 1u);
    EXPECT_EQ(messages.calls[0].text,
              "We could not log you in with the information provided. Please check your "
              "information and try again.");
    EXPECT_EQ(messages.calls[0].caption, "Invalid Login");
    EXPECT_EQ(messages.calls[0].flags, qk::ui::mb::kIconExclamation);
    EXPECT_EQ(purchaseRequests(), 2);

    EXPECT_TRUE(session.hasLogin);
    EXPECT_EQ(session.email, "PILOT@tovrin.example");
    EXPECT_EQ(session.customerName, "Alex Pilot");
    EXPECT_GT(qk::orderCount(purchases), 0);
    EXPECT_EQ(settings.readValue(qk::kSettingsKey, "email"), "PILOT@tovrin.example");
    EXPECT_EQ(settings.readValue(qk::kSettingsKey, "password"), qk::scramble(kOwnerPassword));
}

TEST_F(LoginDialogTest, OverlongEntriesAreSentAsTheirFirst149Characters)
{
    const std::string email = std::string(190, 'e') + "@tovrin.example";
    const std::string password = std::string(100, 'p') + std::string(100, 'q');
    dialogs.script = {type(email, password), press(1006), press(1010)};
    EXPECT_EQ(runDialog(), 0);

    const auto logged = store.requests();
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0].body, "action=getpurchases&version=2.11&qk=2&email=" + std::string(149, 'e') +
                                  "&password=" + password.substr(0, 149) + "&vendorid=tovrin");
    ASSERT_EQ(messages.calls.size(), 1u);
    EXPECT_EQ(messages.calls[0].caption, "Invalid Login");
}

TEST_F(LoginDialogTest, UncheckedStayLoggedInLogsInWithoutSaving)
{
    dialogs.script = {type(kOwnerEmail, kOwnerPassword),
                      [](qk::test::FakeDialogView& view) { view.setChecked(1008, false); },
                      press(1006)};
    EXPECT_EQ(runDialog(), 1);
    EXPECT_TRUE(session.hasLogin);
    EXPECT_FALSE(savedLoginPresent());
    EXPECT_TRUE(messages.calls.empty());
}

TEST_F(LoginDialogTest, UnreachableOrUnreadyStoreIsALoginErrorAndTheDialogStays)
{
    const qk::test::RefusingPort refusing;
    qk::Deployment down = deployment;
    down.storeHttpsPort = refusing.port();
    qk::LoginContext downContext{down, session, purchases, settings, dialogs,
                                 messages.function(), shell, nullptr, {}};
    dialogs.script = {type(kOwnerEmail, kOwnerPassword), press(1006), press(1010)};
    EXPECT_EQ(qk::runLoginDialog(downContext), 0);

    session.storeReady = false;
    EXPECT_EQ(runDialog(), 0);

    ASSERT_EQ(messages.calls.size(), 2u);
    for (const auto& call : messages.calls) {
        EXPECT_EQ(call.text,
                  "There was an error trying to login. Please try again shortly. If you keep "
                  "getting this error please contact support.");
        EXPECT_EQ(call.caption, "Login Error");
        EXPECT_EQ(call.flags, qk::ui::mb::kIconExclamation);
    }
    EXPECT_FALSE(session.hasLogin);
    EXPECT_FALSE(savedLoginPresent());
}

TEST_F(LoginDialogTest, LinksOpenTheLostPasswordPageAndTheAccountHook)
{
    dialogs.script = {press(1012, Notify::LinkClicked), press(1009, Notify::LinkClicked),
                      press(1010)};
    EXPECT_EQ(runDialog(), 0) << "without an account dialog the link does nothing";
    ASSERT_EQ(shell.opened.size(), 1u);
    // The browser reaches the store's TLS port only when the address names it.
    EXPECT_EQ(shell.opened[0],
              "https://127.0.0.1:" + std::to_string(store.httpsPort()) + "/lostpwd.asp");
    qk::Deployment standard;
    standard.storeHost = "store.example";
    EXPECT_EQ(standard.storePageUrl("/lostpwd.asp"), "https://store.example/lostpwd.asp");

    int accountDialogs = 0;
    context.openAccountDialog = [&accountDialogs] { return ++accountDialogs == 2 ? 1 : 0; };
    dialogs.script = {press(1009, Notify::LinkClicked), press(1009, Notify::LinkClicked)};
    EXPECT_EQ(runDialog(), 0);
    EXPECT_EQ(accountDialogs, 2) << "an account created closes the login dialog";
}
