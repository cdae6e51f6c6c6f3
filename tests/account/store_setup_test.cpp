#include <gtest/gtest.h>

#include "account/store_setup.h"
#include "platform/settings_store.h"
#include "store/credentials.h"
#include "support/temp_folder.h"

namespace {

class StoreSetUp : public ::testing::Test {
protected:
    qk::test::TempFolder folder;
    qk::SettingsStore settings{folder.path()};
    qk::Session session;
};

}  // namespace

TEST_F(StoreSetUp, BadVendorInputChangesNothing)
{
    EXPECT_EQ(qk::setUpStore(session, settings, "tovri", "Tovrin Simulations", "pw"), -1);
    EXPECT_EQ(qk::setUpStore(session, settings, "tovrin", "", "pw"), -1);
    EXPECT_EQ(qk::setUpStore(session, settings, "tovrin", "Tovrin Simulations", ""), -1);
    EXPECT_FALSE(session.storeReady);
    EXPECT_TRUE(session.vendorId.empty());
}

TEST_F(StoreSetUp, FillsTheSession)
{
    ASSERT_EQ(qk::setUpStore(session, settings, "tovrin", "Tovrin Simulations", "s3cret&1"), 1);
    EXPECT_TRUE(session.storeReady);
    EXPECT_EQ(session.vendorId, "tovrin");
    EXPECT_EQ(session.vendorPassword, "s3cret&1");
    EXPECT_EQ(session.vendorName, "Tovrin Simulations");
    EXPECT_EQ(session.currencySymbol, "$");
    EXPECT_EQ(session.storeParams,
              "&vendor=Tovrin+Simulations&vendorid=tovrin&vendorpwd=s3cret&1&channel=0");
}

TEST_F(StoreSetUp, OnlyTheVendorNameIsFormEncodedInTheStoreParameters)
{
    ASSERT_EQ(qk::setUpStore(session, settings, "tov&ri=n", "A&B Sims/\xE9", "p w%d"), 1);
    EXPECT_EQ(session.storeParams, "&vendor=A%26B+Sims%2f%e9&vendorid=tov&ri=n&vendorpwd=p w%d&channel=0");
    EXPECT_EQ(session.vendorName, "A&B Sims/\xE9") << "the name itself stays as it is";
}

TEST_F(StoreSetUp, TakesTheSavedLoginOnlyWhenTheSessionHasNoUsableOne)
{
    session.email = "saved@example.com";
    session.password = "saved-password";
    ASSERT_EQ(qk::saveCredentials(settings, session), 1);

    qk::Session fresh;
    ASSERT_EQ(qk::setUpStore(fresh, settings, "tovrin", "Tovrin", "pw"), 1);
    EXPECT_EQ(fresh.email, "saved@example.com");
    EXPECT_EQ(fresh.password, "saved-password");
    EXPECT_TRUE(fresh.hasLogin);

    qk::Session typed;
    typed.email = "typed@example.com";
    typed.password = "typed-password";
    ASSERT_EQ(qk::setUpStore(typed, settings, "tovrin", "Tovrin", "pw"), 1);
    EXPECT_EQ(typed.email, "typed@example.com");
    EXPECT_FALSE(typed.hasLogin) << "nothing loaded, nothing confirmed";
}
