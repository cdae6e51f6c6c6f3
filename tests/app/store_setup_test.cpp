// The app's store set-up: the account layer fills the session, the app empties the cart
// it owns on the first run only.

#include "app/account_access.h"
#include "panel_fixture.h"

namespace qk::test {
namespace {

using StoreSetUpInTheApp = PanelFixture;

TEST_F(StoreSetUpInTheApp, EmptiesTheCartOnlyOnTheFirstRun)
{
    agent_->session = Session{};
    agent_->appState.vendorName = "Tovrin Simulations";
    agent_->appState.vendorPassword = "s3cret&1";
    agent_->cart.items[0].productId = "tov-1001";
    agent_->cart.items[19].title = "left over";
    ASSERT_EQ(app::setUpStore(*agent_), 1);
    EXPECT_TRUE(agent_->session.storeReady);
    for (const auto& slot : agent_->cart.items)
        EXPECT_TRUE(slot.isFree() && slot.title.empty());

    agent_->cart.items[0].productId = "tov-1002";
    ASSERT_EQ(app::setUpStore(*agent_), 1);
    EXPECT_EQ(agent_->cart.items[0].productId.str(), "tov-1002") << "a later run keeps the cart";

    agent_->session = Session{};
    agent_->appState.vendorPassword.clear();
    ASSERT_EQ(app::setUpStore(*agent_), -1);
    EXPECT_EQ(agent_->cart.items[0].productId.str(), "tov-1002") << "a refused set-up changes nothing";
}

}  // namespace
}  // namespace qk::test
