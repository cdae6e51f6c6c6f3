#include "app/account_access.h"

#include "account/login.h"
#include "account/store_setup.h"
#include "app/agent.h"

namespace qk::app {

int setUpStore(Agent& agent)
{
    const AppState& state = agent.appState;
    return qk::setUpStore(agent.session, agent.cart, agent.settings, state.vendorId,
                          state.vendorName, state.vendorPassword);
}

int login(Agent& agent, ui::DialogView* owner)
{
    // The account dialog is not built yet: "Create a New Varnel Account" creates nothing.
    LoginContext context{agent.deployment,        agent.session,       agent.purchases,
                         agent.settings,          agent.services.dialogs, agent.services.messageBox,
                         agent.services.shell,    owner,               {}};
    return qk::login(context, agent.session.emailShown);
}

void logout(Agent& agent)
{
    qk::logout(agent.session, agent.purchases, agent.settings, agent.session.emailShown);
}

}  // namespace qk::app
