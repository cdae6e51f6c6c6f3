// Post-purchase processing against the demo store's vendor script.

#include <gtest/gtest.h>

#include "commerce/post_process.h"
#include "support/demo_store.h"
#include "support/refusing_port.h"

namespace qk {
namespace {

constexpr const char* kPath = "/vendorscripts/tovrin/postprocess.asp";

class PostProcessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(store_.ok()) << store_.error();
        deployment_ = store_.deployment();
        session_.storeReady = true;
        session_.hasLogin = true;
        session_.email = "pilot@tovrin.example";
        session_.password = "skylane182";
        session_.vendorId = "tovrin";
        store_.clearRequests();
    }

    int run(std::string_view order = "700105", std::string_view product = "tov-1012",
            std::string_view data = "TOV-700105-AX")
    {
        return postProcess(deployment_, session_, order, product, data, reply_);
    }

    test::DemoStore store_;
    Deployment deployment_;
    Session session_;
    FixedText<100> reply_;
};

TEST_F(PostProcessTest, SendsTheOrderToTheVendorsScriptAndReadsSuccessByPrefix)
{
    EXPECT_EQ(postProcessPath("tovrin"), kPath);
    EXPECT_EQ(run(), 1);
    EXPECT_EQ(reply_.str(), "success");
    const auto logged = store_.requests();
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0].server, "https");
    EXPECT_EQ(logged[0].method, "POST");
    EXPECT_EQ(logged[0].target, kPath);
    EXPECT_EQ(logged[0].body,
              "action=postprocess&email=pilot@tovrin.example&password=skylane182&vendorid=tovrin"
              "&ordernum=700105&productid=tov-1012&data=TOV-700105-AX&version=2.11&qk=2");

    const std::pair<const char*, int> replies[] = {
        {"successful", 1}, {"Success", 0}, {"succes", 0}, {"Error:1", 0}};
    for (const auto& [reply, result] : replies) {
        ASSERT_TRUE(store_.control("postreply", reply));
        EXPECT_EQ(run(), result) << reply;
        EXPECT_EQ(reply_.str(), reply);
    }
    ASSERT_TRUE(store_.control("postreply", std::string(150, 'x')));
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(reply_.size(), 99u) << "the reply is cut to its field";
}

TEST_F(PostProcessTest, EmptyDataIsSentAsAnEmptyValue)
{
    store_.clearRequests();
    EXPECT_EQ(run("700105", "tov-1012", ""), 1);
    const auto logged = store_.requests();
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_TRUE(logged[0].body.ends_with("&productid=tov-1012&data=&version=2.11&qk=2")) << logged[0].body;
}

TEST_F(PostProcessTest, ChecksRunInOrderAndNothingIsSentOnAnyOfThem)
{
    session_.storeReady = false;
    session_.password = "short";
    EXPECT_EQ(run("", ""), 0) << "store not set up comes first";
    session_.storeReady = true;
    EXPECT_EQ(run("", ""), -1);
    session_.password = "skylane182";
    session_.email = "a@b.c";
    EXPECT_EQ(run("", ""), -1);
    session_.email = "pilot@tovrin.example";
    EXPECT_EQ(run("", ""), -2);
    EXPECT_EQ(run("700105", ""), -3);
    EXPECT_TRUE(store_.requests().empty());

    // A store out of reach is an empty answer: 0.
    const test::RefusingPort refusing;
    deployment_.storeHttpsPort = refusing.port();
    EXPECT_EQ(run(), 0);
    EXPECT_TRUE(reply_.empty());
}

}  // namespace
}  // namespace qk
