#include "app/account_access.h"

#include "account/account_dialog.h"
#include "account/login.h"
#include "account/store_setup.h"
#include "app/agent.h"

namespace qk::app {

int setUpStore(Agent& agent)
{
    const AppState& state = agent.appState;
    const bool firstRun = !agent.session.storeReady;
    const int result = qk::setUpStore(agent.session, agent.settings, state.vendorId,
                                      state.vendorName, state.vendorPassword);
    // A cart left from before the store was ready holds nothing the customer chose.
    if (result == 1 && firstRun) {
        for (CartItem& slot : agent.cart.items)
            slot.clear();
    }
    return result;
}

int login(Agent& agent, ui::DialogView* owner)
{
    // "Create a New Varnel Account" opens the account dialog over the login dialog's owner.
    LoginContext context{agent.deployment,        agent.session,       agent.purchases,
                         agent.settings,          agent.services.dialogs, agent.services.messageBox,
                         agent.services.shell,    owner,
                         [&agent, owner] { return openAccountDialog(agent, owner); }};
    return qk::login(context, agent.session.emailShown);
}

int openAccountDialog(Agent& agent, ui::DialogView* owner)
{
    AccountContext context{agent.deployment, agent.session,           agent.purchases,
                           agent.settings,   agent.services.dialogs, agent.services.messageBox,
                           owner};
    return qk::openAccountDialog(context);
}

void logout(Agent& agent)
{
    qk::logout(agent.session, agent.purchases, agent.settings, agent.session.emailShown);
}

}  // namespace qk::app
