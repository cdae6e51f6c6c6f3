#include <gtest/gtest.h>

#include <limits>

#include "commerce/money.h"

namespace qk {
namespace {

TEST(MoneyText, RoundsHalfUpToWholeCentsWithTwoDecimals)
{
    EXPECT_EQ(moneyText(12.5), "12.50");
    EXPECT_EQ(moneyText(0.0), "0.00");
    EXPECT_EQ(moneyText(49.95 * 0.0825), "4.12");  // 4.120875
    EXPECT_EQ(moneyText(29.95 * 0.8), "23.96");
    EXPECT_EQ(moneyText(129.95), "129.95");
    EXPECT_EQ(moneyText(0.004), "0.00");
    EXPECT_EQ(moneyText(0.006), "0.01");
}

TEST(MoneyText, ExactHalfCentRoundsUpDespiteBinaryError)
{
    // Each of these is exactly half a cent in decimal but a hair below it in binary.
    EXPECT_EQ(moneyText(10.10 * 0.05), "0.51");  // 0.505
    EXPECT_EQ(moneyText(1.005), "1.01");
    EXPECT_EQ(moneyText(19.99 * 0.0825), "1.65");  // 1.649175: stays down
    EXPECT_EQ(moneyText(2.675), "2.68");
    EXPECT_EQ(moneyText(0.125), "0.13");
}

TEST(MoneyText, NonsenseAmountsGiveZeroNotGarbage)
{
    EXPECT_EQ(moneyText(std::numeric_limits<double>::infinity()), "0.00");
    EXPECT_EQ(moneyText(std::numeric_limits<double>::quiet_NaN()), "0.00");
    EXPECT_EQ(sumText(std::numeric_limits<double>::quiet_NaN()), "0.00");
}

TEST(SumText, PrintsTwoDecimalsWithoutTheHalfUpStep)
{
    EXPECT_EQ(sumText(49.95 + 79.0), "128.95");
    EXPECT_EQ(sumText(0.0), "0.00");
    EXPECT_EQ(sumText(4.12 + 0.0), "4.12");
    EXPECT_EQ(sumText(12.5), "12.50");
    EXPECT_EQ(sumText(2.675), "2.67");  // binary value below the half: the plain print differs
}

TEST(ReadMoney, ReadsTheDecimalPrefixAndZeroForAnythingElse)
{
    EXPECT_DOUBLE_EQ(readMoney("49.95"), 49.95);
    EXPECT_DOUBLE_EQ(readMoney(" 12.5"), 12.5);
    EXPECT_DOUBLE_EQ(readMoney("+3"), 3.0);
    EXPECT_DOUBLE_EQ(readMoney("9.99abc"), 9.99);
    EXPECT_DOUBLE_EQ(readMoney(""), 0.0);
    EXPECT_DOUBLE_EQ(readMoney("free"), 0.0);
    EXPECT_DOUBLE_EQ(readMoney("legacy"), 0.0);
    EXPECT_DOUBLE_EQ(readMoney("-"), 0.0);
}

}  // namespace
}  // namespace qk
