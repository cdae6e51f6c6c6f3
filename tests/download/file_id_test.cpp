// The file id request against the demo store.

#include "download/file_id.h"
#include "download_fixture.h"

#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

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

// A file id reply is one short line: a reply past 1 MiB is a failed exchange, read no
// further, while one just under it still gives its file id.
TEST_F(FileIdTest, AReplyOverOneMebibyteIsAFailedExchange)
{
    ASSERT_TRUE(store_->control("fileid", std::string(2 * 1024 * 1024, 'x')));
    EXPECT_EQ(request("tov-1011:2"), 0);
    EXPECT_TRUE(reply_.empty());
    const std::string nearlyAll(1000 * 1024, 'y');
    ASSERT_TRUE(store_->control("fileid", nearlyAll));
    EXPECT_GT(request("tov-1011:2"), 1000 * 1024);
    EXPECT_EQ(fileIdOf(reply_), "GrandCanyonTextures.zip" + nearlyAll);
    ASSERT_TRUE(store_->control("fileid", ""));
}

// With 16 MiB of address space to spare, reads the reply and exits 0 when it was refused.
[[noreturn]] void readInBoundedMemory(const std::string& reply)
{
    std::ifstream statm("/proc/self/statm");
    std::size_t pages = 0;
    statm >> pages;
    const auto room = static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (16u << 20);
    const rlimit limit{room, room};
    if (setrlimit(RLIMIT_AS, &limit) != 0)
        std::_Exit(2);
    std::_Exit(fileIdOf(reply).has_value() ? 1 : 0);
}

// A reply of 1 MiB of "|" must not make a million fields (32 MiB of empty strings) only to
// find it is not five.
TEST(FileIdReply, AMebibyteOfSeparatorsIsRefusedInBoundedMemory)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers reserve address space of their own";
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
    GTEST_SKIP() << "the sanitizers reserve address space of their own";
#endif
#endif
    const std::string reply(1024 * 1024, '|');
    EXPECT_EXIT(readInBoundedMemory(reply), ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace qk::download
