// Rules of the engine that need no window: the platform's rounding and the link markup.
#include "ui/dialog_units.h"
#include "ui/link_markup.h"

#include <gtest/gtest.h>

#include <QRect>

namespace qk::ui {
namespace {

TEST(DialogUnitRules, MulDivRoundsHalfAwayFromZeroLikeThePlatform)
{
    EXPECT_EQ(mulDiv(5, 7, 4), 9);    // 8.75
    EXPECT_EQ(mulDiv(6, 7, 4), 11);   // 10.5 rounds up
    EXPECT_EQ(mulDiv(1, 7, 4), 2);    // 1.75
    EXPECT_EQ(mulDiv(3, 15, 8), 6);   // 5.625
    EXPECT_EQ(mulDiv(-6, 7, 4), -11); // symmetric for negatives
    EXPECT_EQ(mulDiv(10, 3, 0), -1);  // the platform's answer to a zero divisor
    // No overflow in the intermediate product.
    EXPECT_EQ(mulDiv(1 << 30, 8, 16), 1 << 29);
}

TEST(DialogUnitRules, RectangleUsesQuarterWidthsAndEighthHeights)
{
    const DialogUnits units{7, 15};
    EXPECT_EQ(units.toPixels(428, 17, 50, 14), QRect(749, 32, 88, 26));
}

TEST(LinkMarkup, EachLinkGetsItsIndexAndTextAroundIsEscaped)
{
    const LinkHtml result = linkMarkupToHtml(
        QStringLiteral("Order Number: 7 <b>\r\nCertificate: <a>AB&C</a>\r\nSerial Number: <a>S-1</a>"));
    EXPECT_EQ(result.linkCount, 2);
    EXPECT_EQ(result.html,
              QStringLiteral("Order Number: 7 &lt;b&gt;<br>Certificate: <a href=\"0\">AB&amp;C</a>"
                             "<br>Serial Number: <a href=\"1\">S-1</a>"));
}

TEST(LinkMarkup, AttributesUnclosedLinksAndLookalikeTags)
{
    // An anchor with attributes is still a link, counted in order.
    EXPECT_EQ(linkMarkupToHtml(QStringLiteral("<a href=\"x\">one</a> <A>two</A>")).html,
              QStringLiteral("<a href=\"0\">one</a> <a href=\"1\">two</a>"));
    // A link without its closing tag runs to the end of the text.
    const LinkHtml open = linkMarkupToHtml(QStringLiteral("see <a>rest"));
    EXPECT_EQ(open.html, QStringLiteral("see <a href=\"0\">rest</a>"));
    // "<abbr>" is not an anchor, and a lone "<a" is shown as typed.
    const LinkHtml plain = linkMarkupToHtml(QStringLiteral("<abbr> x <a"));
    EXPECT_EQ(plain.linkCount, 0);
    EXPECT_EQ(plain.html, QStringLiteral("&lt;abbr&gt; x &lt;a"));
}

}  // namespace
}  // namespace qk::ui
