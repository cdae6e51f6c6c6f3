#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "store/catalog.h"

namespace {

// A product row of `count` fields: field i is "<id>-f<i>", except the ones given.
std::string row(const std::string& id, const std::string& price, const std::string& hidden,
                int count = 19)
{
    std::string out;
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            out += '\x01';
        if (i == 0)
            out += id;
        else if (i == 2)
            out += price;
        else if (i == 7)
            out += hidden;
        else
            out += id + "-f" + std::to_string(i);
    }
    return out;
}

std::string reply(const std::string& header, const std::vector<std::string>& rows)
{
    std::string out = header;
    for (const auto& r : rows)
        out += '\x02' + r;
    return out;
}

}  // namespace

TEST(CatalogReply, StatusTokensDecideBeforeAnyParsing)
{
    qk::Catalog catalog;
    std::string header;
    ASSERT_EQ(qk::parseCatalogReply(reply("h", {row("p1", "1.00", "No")}), catalog, header), 1);

    EXPECT_EQ(qk::parseCatalogReply("Error:1", catalog, header), 0);
    EXPECT_TRUE(catalog.catalogRecords.empty()) << "a failed fetch leaves the list empty";
    EXPECT_TRUE(catalog.catalogLoaded) << "never cleared once set";

    EXPECT_EQ(qk::parseCatalogReply("err:version", catalog, header), -2);
    EXPECT_EQ(qk::parseCatalogReply("<!DOCTYPE html><p>down</p>", catalog, header), -3);
    EXPECT_EQ(qk::parseCatalogReply("", catalog, header), 0);

    // Not the whole-reply token: parsed as a catalog whose header is that text.
    header.clear();
    EXPECT_EQ(qk::parseCatalogReply(reply("err:version2", {row("p1", "1.00", "No")}), catalog, header), 1);
    EXPECT_EQ(header, "err:version2");
    EXPECT_EQ(qk::parseCatalogReply("err:version2", catalog, header), 0);
}

TEST(CatalogReply, HeaderOnlyLoadsAnEmptyCatalogAndHandsTheHeaderBack)
{
    qk::Catalog catalog;
    std::string header;
    EXPECT_EQ(qk::parseCatalogReply("store header", catalog, header), 0);
    EXPECT_TRUE(catalog.catalogLoaded);
    EXPECT_EQ(header, "store header");

    const std::string longHeader(400, 'h');
    qk::parseCatalogReply(longHeader, catalog, header);
    EXPECT_EQ(header.size(), 299u);
}

TEST(CatalogReply, RowsKeepNineteenFieldsCutToWidthAndShortRowsAreSkipped)
{
    std::string wide = row("p2", "5.00", "No", 22);
    const std::string longName(150, 'n');
    std::string withLongName = row("p3", "123456789", "No");
    withLongName.replace(withLongName.find("p3-f1"), 5, longName);

    qk::Catalog catalog;
    std::string header;
    const int count = qk::parseCatalogReply(
        reply("h", {row("p1", "29.95", "No"), wide, row("short", "1", "No", 18), withLongName, ""}),
        catalog, header);
    ASSERT_EQ(count, 3);
    ASSERT_EQ(catalog.catalogRecords.size(), 3u);

    const qk::ProductRecord& first = catalog.catalogRecords[0];
    EXPECT_EQ(first.productId(), "p1");
    EXPECT_EQ(first.name(), "p1-f1");
    EXPECT_EQ(first.price(), "29.95");
    EXPECT_EQ(first.hidden(), "No");
    EXPECT_EQ(first.salePrice(), "p1-f12");
    EXPECT_EQ(first.cartCode(), "p1") << "width 3 keeps 2 bytes";
    EXPECT_EQ(first.offer(), "p1-f18");
    for (int i = 0; i < qk::ProductRecord::kFieldCount; ++i)
        EXPECT_FALSE(first.field(i).empty()) << "field " << i;

    EXPECT_EQ(catalog.catalogRecords[1].offer(), "p2-f18") << "fields after the 19th are ignored";

    const qk::ProductRecord& third = catalog.catalogRecords[2];
    EXPECT_EQ(third.productId(), "p3");
    EXPECT_EQ(third.name().size(), 100u);
    EXPECT_EQ(third.price(), "123456");
    EXPECT_EQ(third.text3(), "p3-f3") << "the cut field does not spill into its neighbour";
}

TEST(CatalogRecords, GetProductCopiesOnlyLoadedRecordsInRange)
{
    qk::Catalog catalog;
    qk::ProductRecord out;
    EXPECT_EQ(qk::getProduct(catalog, 0, out), -1);
    std::string header;
    qk::parseCatalogReply(reply("h", {row("a", "1", "No"), row("b", "2", "No")}), catalog, header);
    EXPECT_EQ(qk::getProduct(catalog, 1, out), 1);
    EXPECT_EQ(out.productId(), "b");
    EXPECT_EQ(out.information(), "b-f5");
    EXPECT_EQ(qk::getProduct(catalog, 2, out), -1);
    EXPECT_EQ(qk::getProduct(catalog, -1, out), -1);
}

TEST(ProductPrice, RoundsHalfUpToWholeCentsWithoutBinaryDrift)
{
    EXPECT_EQ(qk::discountedPrice("29.95", 20), "23.96");
    EXPECT_EQ(qk::discountedPrice("10", 15), "8.50");
    EXPECT_EQ(qk::discountedPrice("1.005", 0), "1.01") << "half a cent rounds up";
    EXPECT_EQ(qk::discountedPrice("0.15", 50), "0.08") << "7.5 cents rounds up";
    EXPECT_EQ(qk::discountedPrice("19.99", 33), "13.39");
    EXPECT_EQ(qk::discountedPrice("beta", 20), "0.00") << "not a number reads as 0";
    EXPECT_EQ(qk::discountedPrice(" 12.5x", 10), "11.25");
    EXPECT_EQ(qk::discountedPrice("49.99", 100), "0.00");
}

TEST(ProductPrice, AnyTextAndAnyPercentGiveTheExactPrice)
{
    // More decimals than a 64-bit scale holds: once divided by zero.
    EXPECT_EQ(qk::discountedPrice("0.0000000000000000001", 20), "0.00");
    EXPECT_EQ(qk::discountedPrice("0." + std::string(63, '0') + "1", 20), "0.00");
    EXPECT_EQ(qk::discountedPrice("29.95" + std::string(40, '0'), 20), "23.96");
    EXPECT_EQ(qk::discountedPrice("0.00999999999999999999999", 50), "0.00");
    EXPECT_EQ(qk::discountedPrice("0.01000000000000000000001", 50), "0.01");

    // Products beyond 64 bits: once a float conversion out of range.
    EXPECT_EQ(qk::discountedPrice("9999999999", std::numeric_limits<int>::max()),
              "-214748354678525164.53");
    EXPECT_EQ(qk::discountedPrice("9999999999", std::numeric_limits<int>::min()),
              "214748374778525162.52");

    // Every digit counts, not just the first fourteen.
    EXPECT_EQ(qk::discountedPrice("123456789012345678", 0), "123456789012345678.00");
    EXPECT_EQ(qk::discountedPrice("1234567890123456789.995", 0), "1234567890123456790.00");

    // Half a cent rounds towards the larger number, also below zero.
    EXPECT_EQ(qk::discountedPrice("-0.005", 0), "0.00");
    EXPECT_EQ(qk::discountedPrice("-0.00500000000000000000001", 0), "-0.01");
    EXPECT_EQ(qk::discountedPrice("0.005", 101), "0.00");
}

TEST(ProductOffer, APercentAboveOneHundredMakesTheOfferAbsent)
{
    qk::ProductOffer offer = qk::readOffer("10|tov-1004");
    EXPECT_EQ(offer.percent, 10);
    EXPECT_EQ(offer.percentText, "10");
    EXPECT_EQ(offer.target, "tov-1004");

    offer = qk::readOffer("100|m1,m2|extra");
    EXPECT_EQ(offer.percent, 100) << "free is still a price";
    EXPECT_EQ(offer.target, "m1,m2");

    offer = qk::readOffer("12.5 off|bndl-1");
    EXPECT_EQ(offer.percent, 12);
    EXPECT_EQ(offer.percentText, "12.5 off") << "shown as the store wrote it";

    for (const char* field : {"101|tov-1004", "2147483647|tov-1004", "99999999999999999999|m1,m2",
                              " +150|m1"}) {
        SCOPED_TRACE(field);
        offer = qk::readOffer(field);
        EXPECT_EQ(offer.percent, 0);
        EXPECT_EQ(offer.percentText, "");
        EXPECT_EQ(offer.target, "");
    }

    offer = qk::readOffer("");
    EXPECT_EQ(offer.percent, 0);
    EXPECT_EQ(offer.target, "");
}

TEST(ProductPrice, FindsTheFirstListedRecordWithTheExactIdentifier)
{
    qk::Catalog catalog;
    std::string header;
    qk::parseCatalogReply(reply("h", {row("dup", "99.00", "Yes"), row("DUP", "5.00", "No"),
                                      row("dup", "29.95", "No"), row("dup", "1.00", "No")}),
                          catalog, header);
    qk::ProductPrice price;
    EXPECT_EQ(qk::findProductPrice(catalog, "dup", 20, price), 2);
    EXPECT_EQ(price.name, "dup-f1");
    EXPECT_EQ(price.price, "29.95");
    EXPECT_EQ(price.discountedPrice, "23.96");

    EXPECT_EQ(qk::findProductPrice(catalog, "dup", 0, price), 2);
    EXPECT_EQ(price.price, "29.95");
    EXPECT_EQ(price.discountedPrice, "29.95") << "no discount: the text unchanged";

    EXPECT_EQ(qk::findProductPrice(catalog, "Dup", 10, price), -1) << "case-sensitive";
    EXPECT_EQ(qk::findProductPrice(catalog, "missing", 10, price), -1);
}
