#include <gtest/gtest.h>

#include "commerce/coupon.h"

using Kind = qk::CouponReply::Kind;

TEST(CouponReply, APriceWithTheTypedCodeOrTheLookedUpOne)
{
    qk::CouponReply typed = qk::readCouponReply("success|26.96", false, "SAVE10");
    EXPECT_EQ(typed.kind, Kind::Price);
    EXPECT_EQ(typed.price, "26.96");
    EXPECT_EQ(typed.code, "SAVE10");

    qk::CouponReply looked = qk::readCouponReply("success|19.95*UPGRADE-1008", true, "auto");
    EXPECT_EQ(looked.kind, Kind::Price);
    EXPECT_EQ(looked.price, "19.95");
    EXPECT_EQ(looked.code, "UPGRADE-1008");
    EXPECT_EQ(qk::readCouponReply("success|19.95", true, "auto").code, "") << "no code: nothing to apply";
}

TEST(CouponReply, MessagesInvalidPricesAndOtherShapes)
{
    const qk::CouponReply message = qk::readCouponReply("Error|We are sorry, this coupon has expired.", false, "X");
    EXPECT_EQ(message.kind, Kind::ServerMessage);
    EXPECT_EQ(message.serverMessage, "We are sorry, this coupon has expired.");
    EXPECT_EQ(qk::readCouponReply("success|free", false, "X").kind, Kind::InvalidPrice);
    EXPECT_EQ(qk::readCouponReply("success|-5.00", false, "X").kind, Kind::InvalidPrice);
    EXPECT_EQ(qk::readCouponReply("success|-5.00*CODE", true, "auto").kind, Kind::InvalidPrice);
    EXPECT_EQ(qk::readCouponReply("success|1|2", false, "X").kind, Kind::Malformed);
    EXPECT_EQ(qk::readCouponReply("", false, "X").kind, Kind::Malformed);
}
