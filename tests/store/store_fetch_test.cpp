#include <gtest/gtest.h>

#include "platform/settings_store.h"
#include "store/catalog.h"
#include "store/credentials.h"
#include "store/purchases.h"
#include "support/demo_store.h"
#include "support/temp_folder.h"

namespace {

class StoreFetch : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(store.ok()) << store.error();
        deployment = store.deployment(folder.path());
        session.storeReady = true;
        session.vendorId = "tovrin";
        store.clearRequests();
    }

    qk::test::TempFolder folder;
    qk::test::DemoStore store;
    qk::Deployment deployment;
    qk::SettingsStore settings{folder.path()};
    qk::Session session;
    qk::Catalog catalog;
    qk::Purchases purchases;
};

}  // namespace

TEST_F(StoreFetch, CatalogArrivesAsRecordsAndEachStoreSwitchMapsToItsResult)
{
    std::string header;
    const int count = qk::fetchCatalog(deployment, session, catalog, header);
    ASSERT_GE(count, 1);
    EXPECT_EQ(catalog.catalogRecords.size(), static_cast<std::size_t>(count));
    EXPECT_FALSE(header.empty());
    for (const auto& record : catalog.catalogRecords) {
        EXPECT_FALSE(record.productId().empty());
        EXPECT_TRUE(record.hidden() == "Yes" || record.hidden() == "No") << record.productId();
    }
    const auto logged = store.requests();
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0].server, "https");
    EXPECT_EQ(logged[0].target, "/vnpurchase1.asp");
    EXPECT_EQ(logged[0].body, "action=catalog&vendorid=tovrin&version=2.11&qk=2&channel=0&productid=");

    const struct {
        const char* mode;
        int expected;
    } switches[] = {{"errversion", -2}, {"webpage", -3}, {"error1", 0}, {"empty", 0}, {"headeronly", 0}};
    for (const auto& s : switches) {
        SCOPED_TRACE(s.mode);
        ASSERT_TRUE(store.control("catalog", s.mode));
        EXPECT_EQ(qk::fetchCatalog(deployment, session, catalog, header), s.expected);
        EXPECT_TRUE(catalog.catalogRecords.empty());
        EXPECT_TRUE(catalog.catalogLoaded);
    }

    store.clearRequests();
    session.storeReady = false;
    EXPECT_EQ(qk::fetchCatalog(deployment, session, catalog, header), -1);
    EXPECT_TRUE(store.requests().empty());
}

TEST_F(StoreFetch, PurchasesOfAnOwnerListTheOrdersButNotTheVoucher)
{
    session.email = "Pilot@Tovrin.example";
    session.password = "skylane182";
    const int count = qk::fetchPurchases(deployment, session, purchases, settings);
    ASSERT_GE(count, 2);
    EXPECT_EQ(qk::orderCount(purchases), count);
    EXPECT_EQ(session.customerName, "Alex Pilot");
    EXPECT_EQ(session.accountVerified, 1);
    EXPECT_FALSE(session.taxRate.empty());
    std::string record;
    EXPECT_EQ(qk::findOrder(purchases, false, "TOV-1001", &record), 1);
    EXPECT_EQ(record.substr(0, 9), "tov-1001*");
    EXPECT_EQ(qk::findOrder(purchases, false, "tov-1016", &record), 0) << "a voucher";

    const auto logged = store.requests();
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0].body,
              "action=getpurchases&version=2.11&qk=2&email=Pilot@Tovrin.example"
              "&password=skylane182&vendorid=tovrin");
}

TEST_F(StoreFetch, AccountWithoutOrdersAndARejectedLogin)
{
    session.email = "newbie@tovrin.example";
    session.password = "firstflight";
    EXPECT_EQ(qk::fetchPurchases(deployment, session, purchases, settings), 0);
    EXPECT_TRUE(purchases.purchasesLoaded);
    EXPECT_EQ(session.customerName, "Nina Newbie");

    ASSERT_EQ(qk::saveCredentials(settings, session), 1);
    session.password = "wrong-password";
    EXPECT_EQ(qk::fetchPurchases(deployment, session, purchases, settings), -3);
    EXPECT_FALSE(purchases.purchasesLoaded);
    EXPECT_TRUE(session.email.empty());
    EXPECT_FALSE(settings.readValue(qk::kSettingsKey, "email").has_value());
    EXPECT_FALSE(settings.readValue(qk::kSettingsKey, "password").has_value());
}

TEST_F(StoreFetch, ShortLoginOrUnreadyStoreSendsNothing)
{
    session.email = "a@b.c";
    session.password = "skylane182";
    EXPECT_EQ(qk::fetchPurchases(deployment, session, purchases, settings), -2);
    session.email = "pilot@tovrin.example";
    session.storeReady = false;
    EXPECT_EQ(qk::fetchPurchases(deployment, session, purchases, settings), -1);
    EXPECT_TRUE(store.requests().empty());
}
