// Picture paths on the store web server, and what reaches the server when one is fetched.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/store_pictures.h"
#include "support/demo_store.h"

namespace qk::test {
namespace {

using app::productPicturePath;
using app::vendorLogoPath;

TEST(StorePicturePaths, OnlyWhatARequestTargetCannotCarryIsEscaped)
{
    // Identifiers of the usual kind go as they stand.
    EXPECT_EQ(productPicturePath("tovrin", "tov-1001", false),
              "/vendors/tovrin/tov-1001/product_main.jpg");
    EXPECT_EQ(productPicturePath("tovrin", "a.b_c~d!$&'()*+,;=:@", false),
              "/vendors/tovrin/a.b_c~d!$&'()*+,;=:@/product_main.jpg");
    EXPECT_EQ(vendorLogoPath("tovrin"), "/vendors/tovrin/logo_s.png");
    EXPECT_EQ(productPicturePath("tovrin", "tov 1001", true), "/legacy.jpg");

    // A blank, and every byte a request path cannot hold.
    EXPECT_EQ(productPicturePath("tovrin", "tov 1001", false),
              "/vendors/tovrin/tov%201001/product_main.jpg");
    EXPECT_EQ(productPicturePath("my vendor", "x", false), "/vendors/my%20vendor/x/product_main.jpg");
    EXPECT_EQ(vendorLogoPath("my vendor"), "/vendors/my%20vendor/logo_s.png");
    EXPECT_EQ(productPicturePath("v", "a\tb\x7F" "c", false), "/vendors/v/a%09b%7Fc/product_main.jpg");
    EXPECT_EQ(productPicturePath("v", "caf\xE9", false), "/vendors/v/caf%E9/product_main.jpg")
        << "a Windows-1252 byte";
    EXPECT_EQ(productPicturePath("v", "\"<>\\^`{|}", false),
              "/vendors/v/%22%3C%3E%5C%5E%60%7B%7C%7D/product_main.jpg");
    // "?" and "#" would end the path; a "%" that starts no escape is escaped itself.
    EXPECT_EQ(productPicturePath("v", "a?b#c", false), "/vendors/v/a%3Fb%23c/product_main.jpg");
    EXPECT_EQ(productPicturePath("v", "50%", false), "/vendors/v/50%25/product_main.jpg");
    EXPECT_EQ(productPicturePath("v", "5%x1", false), "/vendors/v/5%25x1/product_main.jpg");
    EXPECT_EQ(productPicturePath("v", "a%2Fb", false), "/vendors/v/a%2Fb/product_main.jpg")
        << "an escape already there is left alone";
}

TEST(StorePictureFetch, APictureOfAnIdentifierWithABlankIsAskedForWithTheBlankEscaped)
{
    DemoStore store;
    ASSERT_TRUE(store.ok()) << store.error();
    const Deployment deployment = store.deployment();

    // Refused before sending, until now: the request must reach the server.
    (void)app::fetchStorePicture(deployment, productPicturePath("tovrin", "tov 1001", false));
    // A picture the store has still arrives.
    EXPECT_FALSE(app::fetchStorePicture(deployment, productPicturePath("tovrin", "tov-1001", false))
                     .empty());

    const auto log = store.requests();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].server, "http");
    EXPECT_EQ(log[0].method, "GET");
    EXPECT_EQ(log[0].target, "/vendors/tovrin/tov%201001/product_main.jpg");
    EXPECT_EQ(log[1].target, "/vendors/tovrin/tov-1001/product_main.jpg");
}

}  // namespace
}  // namespace qk::test
