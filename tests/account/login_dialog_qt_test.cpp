// The login dialog on the real Qt engine (offscreen), driven the way a customer would.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

#include "account/login.h"
#include "login_fixture.h"
#include "ui/qt_dialog.h"
#include "ui/qt_dialog_factory.h"

namespace {

using qk::test::kOwnerEmail;
using qk::test::kOwnerPassword;

// Builds real dialogs and remembers the last one while it lives.
class WatchingFactory : public qk::ui::DialogFactory {
public:
    std::unique_ptr<qk::ui::DialogView> create(const qk::ui::DialogResource& resource,
                                               qk::ui::DialogHandler& handler,
                                               qk::ui::DialogView* owner) override
    {
        auto view = real_.create(resource, handler, owner);
        last = dynamic_cast<qk::ui::QtDialog*>(view.get());
        ++built;
        return view;
    }
    qk::ui::QtDialog* last = nullptr;
    int built = 0;

private:
    qk::ui::QtDialogFactory real_;
};

void typeInto(QWidget* widget, const QString& text)
{
    auto* edit = qobject_cast<QLineEdit*>(widget);
    ASSERT_NE(edit, nullptr);
    edit->setFocus();
    edit->clear();
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(edit, &press);
    }
}

void pressEnter(QWidget* widget)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
}

class LoginDialogOnQt : public qk::test::LoginFixture {
protected:
    WatchingFactory qtDialogs;
    qk::LoginContext qtContext{deployment, session, purchases, settings, qtDialogs,
                               messages.function(), shell, nullptr, {}};
    qk::FixedText<150> emailShown;
};

}  // namespace

TEST_F(LoginDialogOnQt, RejectedSavedLoginOpensTheDialogAndEnterInThePasswordLogsIn)
{
    qk::Session saved;
    saved.email = kOwnerEmail;
    saved.password = "an-old-password";
    ASSERT_EQ(qk::saveCredentials(settings, saved), 1);
    ASSERT_EQ(qk::loadCredentials(settings, session), 1);

    bool sawDialog = false;
    QTimer::singleShot(0, [&] {
        qk::ui::QtDialog* dialog = qtDialogs.last;
        ASSERT_NE(dialog, nullptr);
        sawDialog = dialog->qtWidget()->isVisible();
        EXPECT_EQ(dialog->title(), "Log in to your Varnel Acount...");
        EXPECT_TRUE(dialog->isChecked(1008));
        EXPECT_EQ(session.loginDialogOpen, 1);
        typeInto(dialog->control(1003), kOwnerEmail);
        typeInto(dialog->control(1005), "short");
        pressEnter(dialog->control(1005));  // refused before any request
        typeInto(dialog->control(1005), kOwnerPassword);
        pressEnter(dialog->control(1005));
    });
    const int rc = qk::login(qtContext, emailShown);

    EXPECT_TRUE(sawDialog);
    EXPECT_EQ(rc, -3) << "the store's first answer";
    EXPECT_EQ(session.loginDialogOpen, 0);
    EXPECT_TRUE(session.hasLogin);
    EXPECT_EQ(emailShown.str(), kOwnerEmail);
    ASSERT_EQ(messages.calls.size(), 1u);
    EXPECT_EQ(messages.calls[0].caption, "Invalid Account");
    EXPECT_EQ(purchaseRequests(), 2) << "the rejected saved login and the typed one";
    EXPECT_EQ(settings.readValue(qk::kSettingsKey, "password"), qk::scramble(kOwnerPassword));
}

TEST_F(LoginDialogOnQt, ClosingTheWindowLeavesTheCustomerLoggedOut)
{
    qk::Session saved;
    saved.email = kOwnerEmail;
    saved.password = "an-old-password";
    ASSERT_EQ(qk::saveCredentials(settings, saved), 1);
    ASSERT_EQ(qk::loadCredentials(settings, session), 1);

    QTimer::singleShot(0, [&] {
        ASSERT_NE(qtDialogs.last, nullptr);
        typeInto(qtDialogs.last->control(1003), "someone@else.example");
        qtDialogs.last->qtWidget()->close();
    });
    EXPECT_EQ(qk::login(qtContext, emailShown), 0);
    EXPECT_EQ(qtDialogs.built, 1);
    EXPECT_FALSE(session.hasLogin);
    EXPECT_TRUE(emailShown.empty());
    EXPECT_FALSE(savedLoginPresent());
    EXPECT_TRUE(messages.calls.empty());
}
