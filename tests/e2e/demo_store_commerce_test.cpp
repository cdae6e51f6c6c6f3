// The demo store's account, coupon and purchase scripts: what a customer does in the
// store changes what the store answers afterwards.

#include "support/demo_store.h"

#include "e2e/http_client.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using qk::test::DemoStore;
using namespace qk::test::http;

const std::string kStoreParams = "&vendor=Tovrin+Simulations&vendorid=tovrin&vendorpwd=tvS8x2Qa&channel=0";
const std::string kPilot = "&email=pilot@tovrin.example&password=skylane182";

class DemoStoreCommerceTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(store.ok()) << store.error(); }

    std::string post(const std::string& path, const std::string& body) {
        return perform({"https://127.0.0.1:" + std::to_string(store.httpsPort()) + path, {}, &body, false, store.caFile()})
            .body;
    }
    std::string purchases(const std::string& email, const std::string& password) {
        return post("/vnpurchase1.asp", "action=getpurchases&version=2.11&qk=2&email=" + email + "&password=" + password +
                                            "&vendorid=tovrin");
    }
    std::string cardPurchase(const std::string& productList, const std::string& card, const std::string& gift = "no") {
        return post("/cgi-bin/vnprocess1.asp", "action=purchase" + kStoreParams + "&version=2.11&qk=2" + kPilot +
                                                   "&productlist=" + productList + "&cname=Alex+Pilot&cardnum=" + card +
                                                   "&expdate=0429&ccv=123&gift=" + gift +
                                                   "&taxrate=0.0825&total=$24.27");
    }
    bool owns(const std::string& productId) {
        for (const std::string& record : split(purchases("pilot@tovrin.example", "skylane182"), '|')) {
            const auto fields = split(record.substr(1), '*');
            if (fields.size() == 14 && fields[0] == productId && fields[2] != "VOUCHER") return true;
        }
        return false;
    }

    DemoStore store;
};

const std::string kCubEntry = "tov-1002|Piper+Cub+Classic|14.95||1.23|tovrin|Tovrin+Simulations|01*";

TEST_F(DemoStoreCommerceTest, NewAccountIsUnverifiedUntilItsLinkIsOpened) {
    const std::string form = "&Name=Jos%e9&LastName=Flyer&Address1=1+Main+St&City=S%e3o+Paulo&StateProv=SP"
                             "&Zipcode=01000&Email=jose%40tovrin.example&Password1=takeoff99&UserName=jose"
                             "&Country=Brazil";
    EXPECT_EQ(post("/vnaccount.asp", "action=new" + form), "success");
    EXPECT_TRUE(post("/vnaccount.asp", "action=new" + form).starts_with("Error: "));  // taken
    EXPECT_EQ(purchases("jose@tovrin.example", "takeoff99"), "Error: 2*Jos\xe9 Flyer*x*0.0825*0");
    EXPECT_EQ(post("/vnaccount.asp", "action=resend&email=jose@tovrin.example"), "success");
    EXPECT_TRUE(post("/vnaccount.asp", "action=resend&email=").starts_with("Error: "));

    const Reply link = perform({"http://127.0.0.1:" + std::to_string(store.httpPort()) +
                                "/vnverify.asp?email=jose%40tovrin.example"});
    EXPECT_EQ(link.status, 200);
    EXPECT_EQ(purchases("jose@tovrin.example", "takeoff99"), "Error: 2*Jos\xe9 Flyer*x*0.0825*1");

    // The view reply holds exactly what was sent, decoded.
    const auto view = split(post("/vnaccount.asp", "action=view&version=2.11&qk=2&login=jose@tovrin.example&password=takeoff99"),
                            '\x01');
    ASSERT_EQ(view.size(), 9u);
    EXPECT_EQ(view[0], "success");
    EXPECT_EQ(view[4], "S\xe3o Paulo");
    EXPECT_EQ(view[7], "Brazil");
    EXPECT_EQ(view[8], "jose");
}

TEST_F(DemoStoreCommerceTest, UpdateNeedsTheCurrentPasswordAndKeepsItWhenNoNewOne) {
    const std::string form = "&Name=Alex&LastName=Pilot&Address1=2+New+Road&City=Springfield&StateProv=IL"
                             "&Zipcode=62701&Email=pilot%40tovrin.example&UserName=alexpilot&Country=United+States";
    EXPECT_EQ(post("/vnaccount.asp", "action=update&login=pilot@tovrin.example" + form + "&Password=wrongpass1"),
              "Error: Your current password is not correct.");
    EXPECT_EQ(post("/vnaccount.asp", "action=update&login=pilot@tovrin.example" + form + "&Password=skylane182"), "success");
    EXPECT_TRUE(purchases("pilot@tovrin.example", "skylane182").starts_with("success*"));
    EXPECT_EQ(split(post("/vnaccount.asp", "action=view&login=pilot@tovrin.example&password=skylane182"), '\x01')[3],
              "2 New Road");
}

TEST_F(DemoStoreCommerceTest, CouponRepliesCoverEveryForm) {
    const auto coupon = [&](const std::string& product, const std::string& code) {
        return post("/vncoupon1.asp", kPilot.substr(1) + "&vendorid=tovrin&productid=" + product + "&coupon=" + code +
                                          "&version=2.11&qk=2");
    };
    EXPECT_EQ(coupon("tov-1001", "save10"), "success|26.96");  // 29.95 less 10 percent, half up
    EXPECT_EQ(coupon("tov-1001", "FREEBIE"), "success|0.00");
    EXPECT_EQ(coupon("tov-1001", "BADCONFIG"), "success|free");
    EXPECT_EQ(coupon("tov-1001", "auto"), "success|19.95*UPGRADE-1008");  // owns the legacy trainer
    EXPECT_TRUE(coupon("tov-1002", "auto").starts_with("Error|We "));
    EXPECT_TRUE(coupon("tov-1001", "EXPIRED").starts_with("Error|We "));
    const auto broken = split(coupon("tov-1001", "BROKEN"), '|');
    ASSERT_EQ(broken.size(), 2u);
    EXPECT_FALSE(broken[1].starts_with("We "));
    EXPECT_TRUE(coupon("tov-1006", "SAVE10").starts_with("Error|"));  // beta has no price
}

TEST_F(DemoStoreCommerceTest, CardPurchaseApprovesDeclinesAndRecordsOrders) {
    EXPECT_FALSE(owns("tov-1002"));
    EXPECT_TRUE(cardPurchase(kCubEntry, "4000000000000002").starts_with("Declined"));
    EXPECT_TRUE(cardPurchase(kCubEntry, "4000000000000119").starts_with("Error:"));
    EXPECT_EQ(cardPurchase(kCubEntry, "4000000000009995"), "no_serial");
    EXPECT_FALSE(owns("tov-1002"));

    const std::string approved = cardPurchase(kCubEntry, "4111111111111111");
    ASSERT_TRUE(approved.starts_with("approved|")) << approved;
    EXPECT_TRUE(owns("tov-1002"));
    // The new order's file is served at its recorded size.
    const auto fileId = split(post("/vngetfile.asp", "vid=tovrin&vpwd=tvS8x2Qa&login=pilot@tovrin.example"
                                                     "&password=skylane182&pid=tov-1002&version=2.11&qk=2"),
                              '|');
    ASSERT_EQ(fileId.size(), 5u);
    const Reply file = perform({"http://127.0.0.1:" + std::to_string(store.filePrimaryPort()) + "/sendfile.php?id=" + fileId[4]});
    EXPECT_EQ(std::to_string(file.body.size()), fileId[2]);

    // A gift is a voucher: the order is recorded, the product stays unowned.
    const std::string gift = cardPurchase("tov-1004|Navigation+Charts+Pro|14.95||1.23|tovrin|Tovrin+Simulations|03*",
                                          "4111111111111111", "yes");
    ASSERT_TRUE(gift.starts_with("approved|"));
    EXPECT_NE(purchases("pilot@tovrin.example", "skylane182").find("tov-1004*Navigation Charts Pro*VOUCHER"),
              std::string::npos);
    EXPECT_FALSE(owns("tov-1004"));

    EXPECT_TRUE(cardPurchase("", "4111111111111111").starts_with("Error:"));
    EXPECT_TRUE(cardPurchase("tov-1009|Prototype+Jet|49.95||0|tovrin|Tovrin+Simulations|01*", "4111111111111111")
                    .starts_with("Error:"));  // hidden products are not sold
}

TEST_F(DemoStoreCommerceTest, PaypalPaysOnlyAfterTheSessionPageWasOpenedAndOnlyOnce) {
    const std::string session = post("/vnpaypal1.asp", "mode=setexp" + kStoreParams + "&version=2.11&qk=2" + kPilot +
                                                           "&productlist=" + kCubEntry + "&curtype=USD&total=$16.18");
    ASSERT_EQ(session.size(), 19u) << session;
    ASSERT_TRUE(session.starts_with("ok|"));
    const std::string token = session.substr(3);
    const auto pay = [&] {
        return post("/cgi-bin/vnprocess1.asp", "action=purchase" + kStoreParams + "&version=2.11&qk=2" + kPilot +
                                                   "&productlist=" + kCubEntry + "&paypal=yes&cardnum=" + token +
                                                   "&gift=no&taxrate=0.0825&total=$16.18");
    };
    EXPECT_TRUE(pay().starts_with("Error:"));

    const Reply page = perform({"https://127.0.0.1:" + std::to_string(store.httpsPort()) + "/vnpaypal1.asp?session=" + token,
                                {}, nullptr, false, store.caFile()});
    EXPECT_EQ(page.status, 200);
    EXPECT_TRUE(pay().starts_with("approved|"));
    EXPECT_TRUE(owns("tov-1002"));
    EXPECT_TRUE(pay().starts_with("Error:"));  // the session is used up

    EXPECT_TRUE(post("/vnpaypal1.asp", "mode=setexp" + kStoreParams + "&email=pilot@tovrin.example&password=bad"
                                       "&productlist=" + kCubEntry)
                    .starts_with("Error:"));
}

}  // namespace
