#pragma once
// The demo store with its customer logged in: the store set up, purchases and catalog
// loaded, an empty cart. For commerce tests that talk to the store.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "account/store_setup.h"
#include "commerce/cart.h"
#include "platform/settings_store.h"
#include "store/catalog.h"
#include "store/purchases.h"
#include "support/demo_store.h"
#include "support/request_log.h"

namespace qk::test {

class StoreCustomerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(store_.ok()) << store_.error();
        deployment_ = store_.deployment(store_.stateDir() / "settings");
        settings_ = std::make_unique<SettingsStore>(deployment_.settingsDir);
        ASSERT_EQ(setUpStore(session_, *settings_, "tovrin", "Tovrin Simulations", "tvS8x2Qa"), 1);
        session_.email = "pilot@tovrin.example";
        session_.password = "skylane182";
        session_.hasLogin = true;
        ASSERT_GE(fetchPurchases(deployment_, session_, purchases_, *settings_), 0);
        std::string header;
        ASSERT_GT(fetchCatalog(deployment_, session_, catalog_, header), 0);
        store_.clearRequests();
    }

    CartContext cartContext() { return {cart_, session_, catalog_, purchases_}; }

    // Bodies the store received for `target`, in order.
    std::vector<std::string> bodiesTo(const std::string& target)
    {
        return bodiesOf(requestsMatching(store_, {.target = target}));
    }

    DemoStore store_;
    Deployment deployment_;
    std::unique_ptr<SettingsStore> settings_;
    Session session_;
    Catalog catalog_;
    Purchases purchases_;
    Cart cart_;
};

}  // namespace qk::test
