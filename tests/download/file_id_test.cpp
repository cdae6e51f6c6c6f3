// The file id request against the demo store.

#include "download/file_id.h"
#include "download_fixture.h"

namespace qk::download {
namespace {

using namespace qk::download::testing;

class FileIdTest : public StoreSuite {
protected:
    void SetUp() override
    {
        StoreSuite::SetUp();
        deployment_ = store_->deployment();
        session_.hasLogin = true;
        session_.email = "pilot@tovrin.example";
        session_.password = "skylane182";
        session_.vendorId = "tovrin";
        session_.vendorPassword = "tvS8x2Qa";
        store_->clearRequests();
    }

    int request(std::string_view pid, const LoginPrompt& prompt = {})
    {
        reply_ = "stale reply";
        return requestFileId(deployment_, session_, pid, reply_, prompt);
    }

    Deployment deployment_;
    Session session_;
    std::string reply_;
};

TEST_F(FileIdTest, OwnedFileGivesFiveFieldsAndTheFileIdLast)
{
    const int length = request("tov-1011:2");
    EXPECT_EQ(reply_, "success|GrandCanyonTextures.zip|1048576|3.0|GrandCanyonTextures.zip");
    EXPECT_EQ(length, static_cast<int>(reply_.size()));
    EXPECT_EQ(fileIdOf(reply_), "GrandCanyonTextures.zip");
}

TEST_F(FileIdTest, RefusalsLeaveNoReplyAndSendNothing)
{
    EXPECT_EQ(request("tov"), -1);
    EXPECT_TRUE(reply_.empty());
    session_.hasLogin = false;
    EXPECT_EQ(request("tov-1001"), -1);
    EXPECT_TRUE(reply_.empty());
    session_.hasLogin = true;

    // Too short a login opens the login dialog; when it stays short nothing is sent.
    session_.password = "short";
    int prompts = 0;
    EXPECT_EQ(request("tov-1001", [&] { ++prompts; }), -2);
    EXPECT_EQ(prompts, 1);
    EXPECT_TRUE(reply_.empty());
    EXPECT_TRUE(store_->requests().empty());

    // The dialog that mends the login lets the request go.
    EXPECT_GT(request("tov-1001", [&] { session_.password = "skylane182"; }), 0);
    EXPECT_EQ(fileIdOf(reply_), "Skylane182Deluxe.zip");

    const test::RefusingPort refusing;
    deployment_.storeHttpsPort = refusing.port();
    EXPECT_EQ(request("tov-1001"), 0);
    EXPECT_TRUE(reply_.empty());
}

TEST(FileIdReply, OnlyExactlyFiveFieldsGiveTheFifthAsTheId)
{
    EXPECT_EQ(fileIdOf("success|Skylane.zip|5242880|2.1|abc-123"), "abc-123");
    EXPECT_EQ(fileIdOf("a|b|c|d|"), "");
    EXPECT_FALSE(fileIdOf("success|Skylane.zip|5242880|abc"));
    EXPECT_FALSE(fileIdOf("success|Skylane.zip|5242880|2.1|abc|extra"));
    EXPECT_FALSE(fileIdOf("Error:1"));
    EXPECT_FALSE(fileIdOf(""));
    EXPECT_EQ(fileUrl("files.example.com:8080", "abc"), "http://files.example.com:8080/sendfile.php?id=abc");
}

}  // namespace
}  // namespace qk::download
