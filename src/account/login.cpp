#include "account/login.h"

#include "platform/secret_text.h"

#include <exception>

#include "account/login_dialog.h"
#include "store/credentials.h"
#include "store/purchases.h"

namespace qk {

namespace {

// loginDialogOpen is 1 exactly while the dialog shows, however the dialog ends.
class DialogOpenFlag {
public:
    explicit DialogOpenFlag(Session& session) : session_(session) { session_.loginDialogOpen = 1; }
    ~DialogOpenFlag() { session_.loginDialogOpen = 0; }
    DialogOpenFlag(const DialogOpenFlag&) = delete;
    DialogOpenFlag& operator=(const DialogOpenFlag&) = delete;

private:
    Session& session_;
};

}  // namespace

int login(const Deployment& deployment, Session& session, Purchases& purchases,
          SettingsStore& settings, const LoginDialogRunner& showLoginDialog,
          FixedText<150>& emailBuffer)
{
    if (!session.storeReady) {
        emailBuffer.clear();
        return -1;
    }
    try {
        const int rc = fetchPurchases(deployment, session, purchases, settings);
        if (rc == -3 || rc == -2) {
            // The store has just refused the login (or there is none): a saved login that
            // marked the session logged in no longer counts unless the dialog confirms one.
            session.hasLogin = false;
            {
                DialogOpenFlag open(session);
                if (showLoginDialog)
                    showLoginDialog();
            }
            if (session.hasLogin) {
                emailBuffer = session.email;
                return rc;
            }
            emailBuffer.clear();
            return 0;
        }
        // A communication failure keeps an existing login.
        session.hasLogin = true;
        emailBuffer = session.email;
        return rc;
    } catch (const std::exception&) {
        session.loginDialogOpen = 0;
        return 0;
    }
}

int login(LoginContext& context, FixedText<150>& emailBuffer)
{
    return login(context.deployment, context.session, context.purchases, context.settings,
                 [&context] { return runLoginDialog(context); }, emailBuffer);
}

void logout(Session& session, Purchases& purchases, SettingsStore& settings,
            FixedText<150>& emailBuffer)
{
    session.email.clear();
    wipeText(session.password);
    deleteCredentials(settings);
    emailBuffer.clear();
    purchases.clear();
    session.hasLogin = false;
    session.accountVerified = 0;
    session.customerName.clear();
}

}  // namespace qk
