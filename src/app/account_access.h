#pragma once
// The account operations as the main window calls them: the account layer's operations
// with the agent's records filled in.

#include "ui/dialog_view.h"

namespace qk::app {

class Agent;

// The store set-up step with the preset vendor of AppState. 1 done.
int setUpStore(Agent& agent);
// The login step; may open the login dialog over `owner`. Fills emailShown.
int login(Agent& agent, ui::DialogView* owner);
// The account dialog over `owner`: creates an account when logged out, edits it when
// logged in. 1 when an account was created or updated.
int openAccountDialog(Agent& agent, ui::DialogView* owner);
// Forgets the login everywhere (session, saved values, orders); empties emailShown.
void logout(Agent& agent);

}  // namespace qk::app
