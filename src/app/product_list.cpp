#include "app/product_list.h"

#include <algorithm>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "download/download_folder.h"
#include "download/library_updates.h"
#include "ui/resources/main_window.h"

namespace qk::app {

namespace ids = ui::resources;

namespace {

// Longest entry text the category box compares.
constexpr std::size_t kCategoryCompareMax = 254;

struct ListFilter {
    std::string category;  // empty: every category
    bool libraryOnly = false;
    bool updatesOnly = false;

    [[nodiscard]] bool accepts(std::string_view rowCategory) const
    {
        return category.empty() || category == rowCategory;
    }
};

ListFilter makeFilter(std::string_view filter)
{
    if (filter == kAllCategories)
        return {};
    if (filter == kMyLibrary)
        return {{}, true, false};
    if (filter == kUpdatesAvailable)
        return {{}, true, true};
    return {std::string(filter), false, false};
}

// The rows and categories of one fill, handed to the view at the end in one go: a
// catalog of tens of thousands of products costs one list update, and each category
// is looked up in a set rather than in the box.
class ListFill {
public:
    ListFill(ui::DialogView& view, ListFilter filter) : view_(view), filter_(std::move(filter))
    {
        const int count = view.comboCount(ids::kCategoryBox);
        for (int i = 0; i < count; ++i)
            known_.insert(compared(view.comboText(ids::kCategoryBox, i)));
    }

    void add(std::string name, std::string_view category, std::string priceWord)
    {
        if (filter_.accepts(category))
            rows_.push_back({std::move(name), std::string(category), std::move(priceWord)});
        if (known_.insert(compared(category)).second)
            view_.comboAdd(ids::kCategoryBox, std::string(category));
    }

    void finish() { view_.listAppendRows(ids::kProductList, rows_); }

private:
    static std::string compared(std::string_view name)
    {
        return std::string(name.substr(0, std::min(name.size(), kCategoryCompareMax)));
    }

    ui::DialogView& view_;
    ListFilter filter_;
    std::vector<std::vector<std::string>> rows_;
    std::unordered_set<std::string> known_;
};

// The price column of a product for sale; nothing when it is not listed.
std::optional<std::string> priceWordForSale(const ListedProduct& product, int ownership)
{
    const ProductRecord& record = product.record();
    const std::string price(product.price());
    if (price == "beta") {
        // Beta products are shown to visitors only; a logged-in customer who does not
        // own one does not see it.
        if (ownership == 0)
            return std::nullopt;
        return std::string("Beta");
    }
    if (price == "free" || price == "legacy")
        return std::nullopt;
    const std::string_view sale = record.salePrice();
    return "$" + (sale.empty() ? price : std::string(sale));
}

}  // namespace

std::string_view firstCategory(std::string_view categories)
{
    return categories.substr(0, categories.find(','));
}

bool hasLibraryUpdate(const AppState& state, const Purchases& purchases, std::string_view productId)
{
    const auto record = purchases.owningOrder(productId);
    if (!record)
        return false;
    OrderFields order;
    readOrderRecord(*record, order);
    return !download::outdatedFilesOf(order, productDownloadFolder(state.downloadBase, state.vendorId)).empty();
}

void addCategory(ui::DialogView& view, std::string_view name)
{
    const std::string_view compared = name.substr(0, std::min(name.size(), kCategoryCompareMax));
    const int count = view.comboCount(ids::kCategoryBox);
    for (int i = 0; i < count; ++i) {
        const std::string entry = view.comboText(ids::kCategoryBox, i);
        if (std::string_view(entry).substr(0, kCategoryCompareMax) == compared)
            return;
    }
    view.comboAdd(ids::kCategoryBox, std::string(name));
}

void fillProductList(ui::DialogView& view, AppState& state, const Purchases& purchases,
                     bool giftMode, std::string_view filterText)
{
    const ListFilter filter = makeFilter(filterText);
    view.listClear(ids::kProductList);
    ListFill fill(view, filter);

    for (const ListedProduct& product : state.products) {
        const ProductRecord& record = product.record();
        if (record.hidden() != "No" || findOrder(purchases, giftMode, record.productId()) != 1)
            continue;
        if (record.price() == "free")
            continue;
        if (filter.updatesOnly && !hasLibraryUpdate(state, purchases, record.productId()))
            continue;
        fill.add("* " + std::string(record.name()), firstCategory(record.categories()), "Library");
    }

    if (!filter.libraryOnly) {
        for (const ListedProduct& product : state.products) {
            const ProductRecord& record = product.record();
            if (record.hidden() != "No")
                continue;
            const int ownership = findOrder(purchases, giftMode, record.productId());
            if (ownership >= 1)
                continue;
            auto priceWord = priceWordForSale(product, ownership);
            if (!priceWord)
                continue;
            fill.add(std::string(record.name()), firstCategory(record.categories()), std::move(*priceWord));
        }
    }
    fill.finish();

    // One selection after the fill rather than one per row: the detail panel then
    // shows the first row once instead of fetching its picture for every row added.
    state.shownRow = -1;
    state.selectedProduct = 0;
    view.setFocus(ids::kProductList);
    if (view.listRowCount(ids::kProductList) > 0)
        view.listSelectRow(ids::kProductList, 0);
}

}  // namespace qk::app
