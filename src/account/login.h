#pragma once
// Logging in (the purchases request decides) and logging out (the login is forgotten
// everywhere).

#include <functional>

#include "account/login_context.h"
#include "store/session.h"
#include "platform/fixed_text.h"

namespace qk {

struct Deployment;
struct Purchases;
class SettingsStore;

// Shows the login dialog modally and returns its result (1 logged in, 0 not).
using LoginDialogRunner = std::function<int()>;

// The session's login routine. Result of the purchases request; -1 when the store is not
// ready; 0 when the customer cancelled the login dialog. The dialog opens when the store
// rejects the login or there is no usable one; loginDialogOpen is 1 while it shows.
// `emailBuffer` receives the logged-in email, or is emptied.
int login(const Deployment& deployment, Session& session, Purchases& purchases,
          SettingsStore& settings, const LoginDialogRunner& showLoginDialog,
          FixedText<150>& emailBuffer);

// The same with the real login dialog of `context`.
int login(LoginContext& context, FixedText<150>& emailBuffer);

// Forgets the login: session values, the saved login, the order records.
void logout(Session& session, Purchases& purchases, SettingsStore& settings,
            FixedText<150>& emailBuffer);

}  // namespace qk
