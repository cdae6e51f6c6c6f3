#include <gtest/gtest.h>

#include "store/notification_reply.h"

TEST(NotificationReply, IdentifierIsTheFirstTenCharactersLessTheirSpaces)
{
    const qk::NotificationReply reply = qk::readNotificationReply("      1001Welcome!");
    EXPECT_EQ(reply.id, "1001");
    EXPECT_EQ(reply.text, "Welcome!");
    EXPECT_EQ(qk::readNotificationReply("  12 34   ").id, "1234");
    EXPECT_EQ(qk::readNotificationReply("  12 34   ").text, "");
    EXPECT_EQ(qk::readNotificationReply("7").id, "7");

    // A runaway text is kept to its first 64 KiB.
    const std::string text(100 * 1024, 'n');
    EXPECT_EQ(qk::readNotificationReply("      1001" + text).text, text.substr(0, 64 * 1024));
}

TEST(NotificationReply, ShownOnlyWhenNewerThanTheMarkerAndNotEmpty)
{
    const qk::NotificationReply reply = qk::readNotificationReply("      1235News");
    EXPECT_TRUE(qk::notificationIsNew(reply, "1234"));
    EXPECT_TRUE(qk::notificationIsNew(reply, ""));
    EXPECT_TRUE(qk::notificationIsNew(reply, "x99999")) << "a marker without a number reads as 0";
    EXPECT_FALSE(qk::notificationIsNew(reply, "1235"));
    EXPECT_FALSE(qk::notificationIsNew(reply, "1235abc")) << "the marker's leading number counts";
    EXPECT_FALSE(qk::notificationIsNew(reply, reply.id)) << "hidden by storing its identifier";
    EXPECT_FALSE(qk::notificationIsNew(qk::readNotificationReply("      1235"), "0")) << "no text";
    EXPECT_FALSE(qk::notificationIsNew(qk::readNotificationReply("    12a4  News"), "0"));
    EXPECT_EQ(qk::markerNumber("99999999999999999999"), 0u) << "too large reads as none";
}
