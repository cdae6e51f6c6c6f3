// The packed product record reads back field for field what the record of 19 fixed-size
// fields held: same widths, same cut at an embedded NUL, same rows kept and skipped.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "platform/fixed_text.h"
#include "store/catalog.h"
#include "store/reply.h"

namespace {

using qk::FixedText;
using qk::ProductRecord;

// The record as it was: one FixedText per field, in row order.
struct FixedRecord {
    FixedText<17> productId;
    FixedText<101> name;
    FixedText<7> price;
    FixedText<11> text3;
    FixedText<15001> description;
    FixedText<201> information;
    FixedText<151> categories;
    FixedText<4> hidden;
    FixedText<3> text8;
    FixedText<151> text9;
    FixedText<151> text10;
    FixedText<101> text11;
    FixedText<7> salePrice;
    FixedText<5> text13;
    FixedText<3> cartCode;
    FixedText<3> text15;
    FixedText<256> supportLink;
    FixedText<3> text17;
    FixedText<181> offer;

    void setField(int index, std::string_view value)
    {
        switch (index) {
        case 0: productId = value; break;
        case 1: name = value; break;
        case 2: price = value; break;
        case 3: text3 = value; break;
        case 4: description = value; break;
        case 5: information = value; break;
        case 6: categories = value; break;
        case 7: hidden = value; break;
        case 8: text8 = value; break;
        case 9: text9 = value; break;
        case 10: text10 = value; break;
        case 11: text11 = value; break;
        case 12: salePrice = value; break;
        case 13: text13 = value; break;
        case 14: cartCode = value; break;
        case 15: text15 = value; break;
        case 16: supportLink = value; break;
        case 17: text17 = value; break;
        case 18: offer = value; break;
        default: break;
        }
    }

    [[nodiscard]] std::string_view field(int index) const
    {
        const std::string* const fields[] = {&productId.str(), &name.str(),      &price.str(),     &text3.str(),
                                             &description.str(), &information.str(), &categories.str(), &hidden.str(),
                                             &text8.str(),     &text9.str(),     &text10.str(),    &text11.str(),
                                             &salePrice.str(), &text13.str(),    &cartCode.str(),  &text15.str(),
                                             &supportLink.str(), &text17.str(),  &offer.str()};
        return *fields[index];
    }
};

// The former parse: rows split at 0x02, row 0 the header, rows of fewer than 19 fields
// skipped, every field set through its FixedText.
std::vector<FixedRecord> parseAsBefore(std::string_view reply)
{
    std::vector<FixedRecord> records;
    qk::FieldReader rows(reply, '\x02');
    std::string_view row;
    rows.next(row);
    while (rows.next(row)) {
        qk::FieldReader reader(row, '\x01');
        std::string_view fields[ProductRecord::kFieldCount];
        int count = 0;
        while (count < ProductRecord::kFieldCount && reader.next(fields[count]))
            ++count;
        if (count < ProductRecord::kFieldCount)
            continue;
        FixedRecord& record = records.emplace_back();
        for (int i = 0; i < ProductRecord::kFieldCount; ++i)
            record.setField(i, fields[i]);
    }
    return records;
}

void expectSameFields(const ProductRecord& record, const FixedRecord& before)
{
    for (int i = 0; i < ProductRecord::kFieldCount; ++i)
        EXPECT_EQ(record.field(i), before.field(i)) << "field " << i;
}

// Values around every width: empty, short, one below, at and past the capacity, far past
// it, and with a NUL before, at and after the cut.
std::vector<std::string> valuesAround(std::size_t width)
{
    const std::size_t capacity = width - 1;
    std::vector<std::string> values{"", "a", std::string(capacity, 'c'), std::string(capacity + 1, 'd'),
                                    std::string(width * 3, 'e')};
    if (capacity > 1)
        values.push_back(std::string(capacity - 1, 'b'));
    for (const std::size_t nulAt : {std::size_t{0}, capacity / 2, capacity, capacity + 1}) {
        std::string withNul(capacity + 3, 'n');
        withNul[nulAt] = '\0';
        values.push_back(withNul);
    }
    values.push_back(std::string("\xE9\x80\x93 bytes", 9));
    return values;
}

TEST(ProductRecordFields, EveryWidthMatchesTheFixedFieldItReplaces)
{
    const FixedRecord widths;
    EXPECT_EQ(ProductRecord::kWidths[0], decltype(widths.productId)::capacity + 1);
    EXPECT_EQ(ProductRecord::kWidths[4], decltype(widths.description)::capacity + 1);
    EXPECT_EQ(ProductRecord::kWidths[16], decltype(widths.supportLink)::capacity + 1);
    EXPECT_EQ(ProductRecord::kWidths[18], decltype(widths.offer)::capacity + 1);

    for (int i = 0; i < ProductRecord::kFieldCount; ++i) {
        SCOPED_TRACE(i);
        for (const std::string& value : valuesAround(ProductRecord::kWidths[i])) {
            ProductRecord record;
            FixedRecord before;
            // Neighbours set first, so a field that overran would show in them.
            for (int other = 0; other < ProductRecord::kFieldCount; ++other) {
                record.setField(other, "f" + std::to_string(other));
                before.setField(other, "f" + std::to_string(other));
            }
            record.setField(i, value);
            before.setField(i, value);
            expectSameFields(record, before);
        }
    }
}

TEST(ProductRecordFields, NamedReadersAreTheirFields)
{
    ProductRecord record;
    for (int i = 0; i < ProductRecord::kFieldCount; ++i)
        record.setField(i, "v" + std::to_string(i));
    const std::string_view named[] = {
        record.productId(), record.name(),       record.price(),     record.text3(),    record.description(),
        record.information(), record.categories(), record.hidden(),  record.text8(),    record.text9(),
        record.text10(),    record.text11(),     record.salePrice(), record.text13(),   record.cartCode(),
        record.text15(),    record.supportLink(), record.text17(),   record.offer()};
    for (int i = 0; i < ProductRecord::kFieldCount; ++i)
        EXPECT_EQ(named[i], record.field(i)) << i;
    EXPECT_EQ(record.field(-1), "");
    EXPECT_EQ(record.field(ProductRecord::kFieldCount), "");
    record.setField(ProductRecord::kFieldCount, "ignored");
    record.setField(-1, "ignored");
    EXPECT_EQ(record.offer(), "v18");
    EXPECT_EQ(record.productId(), "v0");
}

TEST(ProductRecordFields, EmptyCopiedMovedAndSelfFedRecordsHoldTheirFields)
{
    ProductRecord empty;
    for (int i = 0; i < ProductRecord::kFieldCount; ++i)
        EXPECT_TRUE(empty.field(i).empty());

    ProductRecord record;
    record.setField(ProductRecord::kDescription, std::string(20000, 'D'));  // the longest field
    record.setField(ProductRecord::kName, "Skylane");
    record.setField(ProductRecord::kOffer, "10|bndl-air");
    EXPECT_EQ(record.description().size(), 15000u);
    EXPECT_EQ(record.information(), "");
    EXPECT_EQ(record.offer(), "10|bndl-air");

    ProductRecord copy = record;
    copy.setField(ProductRecord::kName, "Changed");
    EXPECT_EQ(record.name(), "Skylane") << "a copy has fields of its own";
    EXPECT_EQ(copy.description(), record.description());
    copy = empty;
    EXPECT_EQ(copy.name(), "");
    copy = record;
    EXPECT_EQ(copy.offer(), "10|bndl-air");

    ProductRecord moved = std::move(copy);
    EXPECT_EQ(moved.name(), "Skylane");

    // A field set from another field of the same record (the views point into it).
    moved.setField(ProductRecord::kHidden, moved.name());
    EXPECT_EQ(moved.hidden(), "Sky");
    moved.setField(ProductRecord::kName, moved.description());
    EXPECT_EQ(moved.name(), std::string(100, 'D'));

    // Emptied field by field, the record reads as empty again.
    for (int i = 0; i < ProductRecord::kFieldCount; ++i)
        moved.setField(i, "");
    for (int i = 0; i < ProductRecord::kFieldCount; ++i)
        EXPECT_TRUE(moved.field(i).empty());
}

TEST(ProductRecordFields, ParsedRepliesMatchTheFormerParseRecordForRecord)
{
    std::mt19937 random(20240517);
    const char alphabet[] = {'a', 'b', 'Z', '0', '.', ' ', '|', ',', '\0', '\xE9', '\x80'};
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE(round);
        std::string reply = "store header";
        const int rows = static_cast<int>(random() % 30);
        for (int r = 0; r < rows; ++r) {
            reply += '\x02';
            // Mostly full rows; some short (skipped) and some with extra fields (cut off).
            const int fields = static_cast<int>(random() % 5 == 0 ? random() % 25 : 19 + random() % 2);
            for (int f = 0; f < fields; ++f) {
                if (f > 0)
                    reply += '\x01';
                const std::size_t width = f < ProductRecord::kFieldCount ? ProductRecord::kWidths[f] : 10;
                const std::size_t length = random() % 4 == 0 ? random() % (width * 2) : random() % 12;
                for (std::size_t i = 0; i < length; ++i)
                    reply += random() % 20 == 0 ? '\0' : alphabet[random() % (sizeof alphabet)];
            }
        }
        qk::Catalog catalog;
        std::string header;
        const int count = qk::parseCatalogReply(reply, catalog, header);
        const std::vector<FixedRecord> before = parseAsBefore(reply);
        ASSERT_EQ(catalog.catalogRecords.size(), before.size());
        EXPECT_EQ(count, static_cast<int>(before.size()));
        for (std::size_t i = 0; i < before.size(); ++i) {
            SCOPED_TRACE(i);
            expectSameFields(catalog.catalogRecords[i], before[i]);
            ProductRecord copy;
            ASSERT_EQ(qk::getProduct(catalog, static_cast<int>(i), copy), 1);
            expectSameFields(copy, before[i]);
        }
    }
}

TEST(ProductRecordFields, RecordsStaySmall)
{
    // The point of the packed record: a pointer in the catalog's table, the texts and one
    // length byte per field (two for the description) beside it.
    EXPECT_LE(sizeof(ProductRecord), sizeof(void*));
}

}  // namespace
