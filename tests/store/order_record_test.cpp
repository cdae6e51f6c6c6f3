#include <gtest/gtest.h>

#include "store/order_record.h"

TEST(OrderRecord, FieldsByPositionKeepWhatAShortRecordLacks)
{
    qk::OrderFields fields;
    fields.fill("old");
    qk::readOrderRecord("tov-1001*Skylane 182 Deluxe*Skylane182Deluxe.zip*2.1*5242880*1**CERT-700101**01**29.95*0*"
                        "700101*extra",
                        fields);
    EXPECT_EQ(fields[0], "tov-1001");
    EXPECT_EQ(fields[6], "");
    EXPECT_EQ(fields[7], "CERT-700101");
    EXPECT_EQ(fields[13], "700101") << "fields past the fourteenth are not read";

    fields.fill("old");
    qk::readOrderRecord("tov-1003*Alpine Airfields", fields);
    EXPECT_EQ(fields[1], "Alpine Airfields");
    EXPECT_EQ(fields[2], "old");
}

TEST(OrderRecord, FileListEntriesSplitAtTheirFirstColon)
{
    const qk::OrderFileList list =
        qk::readOrderFileList("GrandCanyonPart1.zip:3145728/GrandCanyonTextures.zip/odd:1:2/");
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0], (std::pair<std::string, std::string>{"GrandCanyonPart1.zip", "3145728"}));
    EXPECT_EQ(list[1], (std::pair<std::string, std::string>{"GrandCanyonTextures.zip", ""}));
    EXPECT_EQ(list[2], (std::pair<std::string, std::string>{"odd", "1:2"}));
    EXPECT_EQ(list[3], (std::pair<std::string, std::string>{"", ""}));
}
