#include <gtest/gtest.h>

#include "platform/settings_store.h"
#include "store/credentials.h"
#include "store/purchases.h"
#include "temp_folder.h"

namespace {

class PurchasesReply : public ::testing::Test {
protected:
    void SetUp() override
    {
        session.storeReady = true;
        session.email = "ann@example.com";
        session.password = "secret-pw";
        ASSERT_EQ(qk::saveCredentials(settings, session), 1);
    }
    bool savedLoginPresent() const
    {
        return settings.readValue(qk::kSettingsKey, "email").has_value() ||
               settings.readValue(qk::kSettingsKey, "password").has_value();
    }

    qk::test::TempFolder folder;
    qk::SettingsStore settings{folder.path()};
    qk::Session session;
    qk::Purchases purchases;
};

}  // namespace

TEST_F(PurchasesReply, SuccessTakesTheHeaderAndStripsEachRecordsMarker)
{
    const int rc = qk::applyPurchasesReply(
        "success*Ann*x*0.0825*1|#P1*Name*VOUCHER*1.0|#p2*Two*two.zip*2.1*100*0*t*C-2*SN*ab*t*19.95*0*1002",
        session, purchases, settings);
    EXPECT_EQ(rc, 2);
    EXPECT_EQ(qk::orderCount(purchases), 2);
    EXPECT_TRUE(purchases.purchasesLoaded);
    EXPECT_EQ(session.customerName, "Ann");
    EXPECT_EQ(session.taxRate, "0.0825");
    EXPECT_EQ(session.accountVerified, 1);
    EXPECT_EQ(purchases.purchaseRows[1], "P1*Name*VOUCHER*1.0");

    std::string record;
    EXPECT_EQ(qk::findOrder(purchases, false, "p1", &record), 0) << "a voucher does not own";
    EXPECT_EQ(qk::findOrder(purchases, false, "P2", &record), 1) << "case-insensitive";
    EXPECT_EQ(record, purchases.purchaseRows[2]);
    EXPECT_EQ(qk::findOrder(purchases, false, "p2", &record, 8), 1);
    EXPECT_EQ(record, "p2*Two*") << "cut to the caller's buffer";
    EXPECT_EQ(qk::findOrder(purchases, true, "p2", &record), 0) << "gift mode owns nothing";
    EXPECT_EQ(qk::findOrder(purchases, false, "", &record), -2);
    EXPECT_EQ(qk::findOrder(purchases, false, "p3", &record), 0);
    EXPECT_TRUE(savedLoginPresent());
}

TEST_F(PurchasesReply, HeaderOnlyAndNothingToListLoadNoOrders)
{
    session.accountVerified = 0;
    EXPECT_EQ(qk::applyPurchasesReply("success*Ann*x*y*1", session, purchases, settings), 0);
    EXPECT_TRUE(purchases.purchasesLoaded);
    EXPECT_EQ(session.customerName, "Ann");
    EXPECT_EQ(session.accountVerified, 1);

    purchases = {};
    session = qk::Session{};
    EXPECT_EQ(qk::applyPurchasesReply("Error: 2*Bob*x*0.05*0", session, purchases, settings), 0);
    EXPECT_TRUE(purchases.purchasesLoaded);
    EXPECT_EQ(session.customerName, "Bob");
    EXPECT_EQ(session.taxRate, "0.05");
    EXPECT_EQ(session.accountVerified, 0) << "only exactly \"1\" verifies";
    EXPECT_EQ(qk::findOrder(purchases, false, "p1", nullptr), 0);

    purchases = {};
    EXPECT_EQ(qk::applyPurchasesReply("success", session, purchases, settings), 0)
        << "a header cut short is no crash";
}

TEST_F(PurchasesReply, RejectionDeletesTheSavedLoginEvenWithMoreAfterTheToken)
{
    for (const char* text : {"Error:1", "Error:12"}) {
        SCOPED_TRACE(text);
        session.email = "ann@example.com";
        session.password = "secret-pw";
        ASSERT_EQ(qk::saveCredentials(settings, session), 1);
        EXPECT_EQ(qk::applyPurchasesReply(text, session, purchases, settings), -3);
        EXPECT_FALSE(savedLoginPresent());
        EXPECT_TRUE(session.email.empty());
        EXPECT_TRUE(session.password.empty());
        EXPECT_FALSE(purchases.purchasesLoaded);
        EXPECT_EQ(qk::findOrder(purchases, false, "p1", nullptr), -1);
    }
}

TEST_F(PurchasesReply, AnythingElseIsACommunicationFailureThatKeepsTheLogin)
{
    for (const char* text : {"", "<!DOCTYPE html>", "Error:", "Error: 3", "succes"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(qk::applyPurchasesReply(text, session, purchases, settings), -4);
        EXPECT_TRUE(savedLoginPresent());
        EXPECT_EQ(session.email, "ann@example.com");
    }
}
