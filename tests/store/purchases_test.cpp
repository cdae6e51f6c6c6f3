#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "platform/settings_store.h"
#include "store/credentials.h"
#include "store/purchases.h"
#include "support/temp_folder.h"

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
    EXPECT_EQ(purchases.row(1), "P1*Name*VOUCHER*1.0");

    std::string record;
    EXPECT_EQ(qk::findOrder(purchases, false, "p1", &record), 0) << "a voucher does not own";
    EXPECT_EQ(qk::findOrder(purchases, false, "P2", &record), 1) << "case-insensitive";
    EXPECT_EQ(record, purchases.row(2));
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

namespace {

// Ownership the slow way: every record split and compared, first match wins. The
// indexed lookup must give the same answer for every product.
int scanForOrder(const std::vector<std::string>& orders, const std::string& productId,
                 std::string& record)
{
    std::string wanted = productId;
    std::transform(wanted.begin(), wanted.end(), wanted.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const std::string& order : orders) {
        std::vector<std::string> fields;
        std::size_t start = 0;
        for (std::size_t at = order.find('*'); at != std::string::npos; at = order.find('*', start)) {
            fields.push_back(order.substr(start, at - start));
            start = at + 1;
        }
        fields.push_back(order.substr(start));
        std::string id = fields[0];
        std::transform(id.begin(), id.end(), id.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (id != wanted || fields.size() < 4 || fields[2] == "VOUCHER")
            continue;
        record = order;
        return 1;
    }
    return 0;
}

}  // namespace

TEST_F(PurchasesReply, IndexedOwnershipAnswersLikeAScanOfEveryRecord)
{
    const std::vector<std::string> orders = {
        "tov-1001*Skylane*sky.zip*2.1*5242880*1**CERT-1*SN*01**29.95*0*700101",
        "TOV-1001*Skylane again*sky2.zip*2.2*1*1**CERT-2***29.95*0*700102",  // later: not the one
        "tov-1016*Bundle gift*VOUCHER*1.0*0*1**CERT-3***0*0*700103",
        "tov-1016*Bundle member*member.zip*1.0*1*1**CERT-4***9.95*0*700104",
        "tov-1007*Logbook*log.zip*1.0*524288*1**CERT-5***free*0*700105",
        "tov-1008*Trainer*trainer.zip*1.4*1048576*1**CERT-6***legacy*0*700106",
        "bndl-2001*Starter Bundle*starter.zip*1.0*1*1**CERT-7***44.95*0*700107",
        "tov-1020",                       // too short to name its files and version
        "tov-1021*Short*short.zip",       // still one field short
        "",
        "tov-1022*Plain*plain.zip*1.0",   // just enough
    };
    std::string reply = "success*Ann*x*0.0825*1";
    for (const std::string& order : orders)
        reply += "|#" + order;
    ASSERT_EQ(qk::applyPurchasesReply(reply, session, purchases, settings), 11);

    for (const char* id : {"tov-1001", "Tov-1001", "tov-1016", "TOV-1016", "tov-1007", "tov-1008",
                           "BNDL-2001", "tov-1020", "tov-1021", "tov-1022", "tov-9999", "tov-100"}) {
        SCOPED_TRACE(id);
        std::string expected;
        const int scanned = scanForOrder(orders, id, expected);
        std::string record;
        EXPECT_EQ(qk::findOrder(purchases, false, id, &record), scanned);
        if (scanned == 1) {
            EXPECT_EQ(record, expected);
        }
    }
    std::string record;
    ASSERT_EQ(qk::findOrder(purchases, false, "tov-1001", &record), 1);
    EXPECT_NE(record.find("CERT-1"), std::string::npos) << "the first order wins";
    EXPECT_EQ(qk::findOrder(purchases, false, "tov-1020", &record), 0) << "an unusable record owns nothing";
    EXPECT_EQ(purchases.row(10), "");
    EXPECT_EQ(purchases.row(11), "tov-1022*Plain*plain.zip*1.0");
    EXPECT_EQ(purchases.row(12), "");
}

TEST_F(PurchasesReply, ARecordAddedLaterOwnsOnlyWhereNoEarlierOneDoes)
{
    ASSERT_EQ(qk::applyPurchasesReply("success*Ann*x*0*1|#p1*One*one.zip*1.0", session, purchases,
                                      settings),
              1);
    purchases.addOrder("P1*Other*other.zip*2.0");
    purchases.addOrder("p2*Two*two.zip*1.0");
    std::string record;
    EXPECT_EQ(qk::findOrder(purchases, false, "p1", &record), 1);
    EXPECT_EQ(record, "p1*One*one.zip*1.0");
    EXPECT_EQ(qk::findOrder(purchases, false, "p2", &record), 1);
    EXPECT_EQ(qk::orderCount(purchases), 3);
    purchases.clear();
    EXPECT_EQ(qk::orderCount(purchases), 0);
    EXPECT_EQ(qk::findOrder(purchases, false, "p1", &record), 0);
}

TEST_F(PurchasesReply, NothingToListLeavesNoOrdersWhateverFollowsTheHeader)
{
    // Found by the purchases fuzzer: records after an "Error: 2" header were kept as
    // orders, so the customer owned products while the reply counted none.
    const int rc = qk::applyPurchasesReply("Error: 2*Bob*x*0.05*0|p1*Name*file.zip*1.0|#p2*N*f.zip*2.0",
                                           session, purchases, settings);
    EXPECT_EQ(rc, 0);
    EXPECT_TRUE(purchases.purchasesLoaded);
    EXPECT_EQ(session.customerName, "Bob");
    EXPECT_EQ(qk::orderCount(purchases), 0);
    EXPECT_EQ(qk::findOrder(purchases, false, "p1", nullptr), 0);
    EXPECT_EQ(qk::findOrder(purchases, false, "#p2", nullptr), 0);
}

TEST_F(PurchasesReply, ParsingAloneLeavesTheSavedLoginToTheCaller)
{
    EXPECT_EQ(qk::parsePurchasesReply("Error:1", session, purchases), -3);
    EXPECT_TRUE(session.email.empty() && session.password.empty());
    EXPECT_TRUE(savedLoginPresent()) << "only applyPurchasesReply deletes it";
}
