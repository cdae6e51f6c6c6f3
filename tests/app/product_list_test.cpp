#include "panel_fixture.h"

namespace qk::test {
namespace {

using ::testing::ElementsAre;

class ProductList : public PanelFixture {
protected:
    void SetUp() override
    {
        setCatalog({
            makeProduct("p1", "Skylane", "29.95", "Aircraft,General"),
            makeProduct("p2", "Piper Cub", "29.95", "Aircraft", "19.95"),
            makeProduct("p3", "Weather Engine", "beta", "Utilities"),
            makeProduct("p4", "Logbook", "free", "Utilities"),
            makeProduct("p5", "Classic Trainer", "legacy", "Aircraft"),
            makeProduct("p6", "Prototype Jet", "49.95", "Jets", "", "", "01", "Yes"),
            makeProduct("p7", "Alpine Airfields", "24.95", "Scenery"),
            makeProduct("p8", "Sound Pack", "9.95", ""),
            makeProduct("p9", "Coastal Scenery", "34.95", "Scenery,Water"),
        });
    }
};

TEST_F(ProductList, OwnedRowsFirstThenProductsForSaleWithTheirPriceWords)
{
    // Owns a priced product, a free one and a legacy one; p9 is owned too but listed
    // later in the catalog, so it must still come before every product for sale.
    logIn({makeOrder("p9", "Coastal Scenery", "c.zip"), makeOrder("p4", "Logbook", "l.zip"),
           makeOrder("P5", "Classic Trainer", "t.zip"), makeOrder("p1", "Skylane", "s.zip")});
    fill();

    EXPECT_THAT(column(0), ElementsAre("* Skylane", "* Classic Trainer", "* Coastal Scenery",
                                       "Piper Cub", "Alpine Airfields", "Sound Pack"));
    EXPECT_THAT(column(1), ElementsAre("Aircraft", "Aircraft", "Scenery", "Aircraft", "Scenery", ""));
    // Sale price wins in the price column; a logged-in customer does not see the beta.
    EXPECT_THAT(column(2), ElementsAre("Library", "Library", "Library", "$19.95", "$24.95", "$9.95"));
}

TEST_F(ProductList, VisitorSeesBetaButNeverFreeLegacyOrHiddenProducts)
{
    fill();
    EXPECT_THAT(column(0), ElementsAre("Skylane", "Piper Cub", "Weather Engine", "Alpine Airfields",
                                       "Sound Pack", "Coastal Scenery"));
    EXPECT_THAT(column(2), ElementsAre("$29.95", "$19.95", "Beta", "$24.95", "$9.95", "$34.95"));
}

TEST_F(ProductList, MyLibraryAndTheSeparatorWhileLoggedOutShowNothing)
{
    fill(app::kMyLibrary);
    EXPECT_EQ(view_->listRowCount(ui::resources::kProductList), 0);
    fill(app::kCategorySeparator);
    EXPECT_EQ(view_->listRowCount(ui::resources::kProductList), 0);
    fill(app::kAllCategories);
    EXPECT_EQ(view_->listRowCount(ui::resources::kProductList), 6);
}

TEST_F(ProductList, MyLibraryKeepsOnlyOwnedRows)
{
    logIn({makeOrder("p7", "Alpine Airfields", "a.zip")});
    fill(app::kMyLibrary);
    EXPECT_THAT(column(0), ElementsAre("* Alpine Airfields"));
    // Library mode lasts for that one fill only: the owned row and four for sale.
    fill("");
    EXPECT_EQ(view_->listRowCount(ui::resources::kProductList), 5);
}

TEST_F(ProductList, CategoryFilterLeavesNoGapsAndKeepsCatalogOrder)
{
    logIn({makeOrder("p9", "Coastal Scenery", "c.zip")});
    fill("Scenery");
    // The owned Scenery row, then the one for sale; the rows in between are skipped
    // without leaving empty rows behind.
    EXPECT_THAT(column(0), ElementsAre("* Coastal Scenery", "Alpine Airfields"));
    EXPECT_THAT(column(2), ElementsAre("Library", "$24.95"));
    EXPECT_EQ(view_->listFirstSelected(ui::resources::kProductList), 0);
    EXPECT_EQ(agent_->appState.selectedProduct, 0);
    EXPECT_EQ(agent_->appState.shownRow, -1);
}

TEST_F(ProductList, CategoriesAreAddedOnceEachIncludingTheEmptyOne)
{
    fill();
    fill();
    fill("Scenery");
    EXPECT_THAT(categories(), ElementsAre("Aircraft", "Utilities", "Scenery", ""));
    EXPECT_EQ(app::firstCategory("Aircraft,Jets"), "Aircraft");
    EXPECT_EQ(app::firstCategory(",Jets"), "");
}

TEST(ListedProductPrice, TheRecordsPriceUntilACouponIsAppliedThenTheCouponsCut)
{
    const ProductRecord record = makeProduct("p1", "Skylane", "29.95", "Aircraft");
    app::ListedProduct listed{&record, nullptr};
    EXPECT_EQ(listed.price(), "29.95");
    EXPECT_EQ(listed.couponCode(), "");

    // The window's fields: 10 bytes of price and 16 of code, as before.
    listed.applyCoupon("26.95123456789", "SAVE10-ON-EVERYTHING");
    EXPECT_EQ(listed.price(), "26.9512345");
    EXPECT_EQ(listed.couponCode(), "SAVE10-ON-EVERYT");
    EXPECT_EQ(record.price(), "29.95") << "the catalog's record is not touched";
    listed.applyCoupon(std::string("19.95\0x", 8), "C");
    EXPECT_EQ(listed.price(), "19.95");
    EXPECT_EQ(listed.couponCode(), "C");
}

}  // namespace
}  // namespace qk::test
