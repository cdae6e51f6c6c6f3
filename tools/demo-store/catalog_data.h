#pragma once
// The demo catalog of the vendor tovrin and the files its products ship with.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qk::demo {

inline constexpr std::string_view kVendorId = "tovrin";
inline constexpr std::string_view kVendorName = "Tovrin Simulations";
// The store password preset in the agent's build for this vendor.
inline constexpr std::string_view kVendorPassword = "tvS8x2Qa";

// One catalog row: the 19 fields in the order the agent reads them.
struct DemoProduct {
    std::string productId, name, price, text3, description, information, categories, hidden;
    std::string text8, text9, text10, text11, salePrice, text13, cartCode, text15, supportLink, text17, offer;
};

struct DemoFile {
    std::string name;
    std::uint64_t size = 0;
};

// What an order of a product delivers: the order record's files, fileSize, version and
// postprocess fields.
struct Shipment {
    std::string files;     // one name, or "name:size/name:size/..." for several files
    std::string fileSize;  // decimal bytes of the single file (sum for several)
    std::string version;
    bool postprocess = false;
};

// Replaces the demo catalog by `count` generated products ("gen-000001" on), for trying
// the agent on a large store. Only before anything reads the catalog.
void useGeneratedCatalog(std::size_t count);

// Rows in catalog order, hidden ones included.
const std::vector<DemoProduct>& demoCatalog();

// The listed (not hidden) row of a product, or nullptr.
const DemoProduct* findListedProduct(std::string_view productId);

// Every product of the catalog ships something; hidden ones too.
Shipment shipmentOf(std::string_view productId);

// Every file an order can name; the file servers serve them as generated content.
const std::vector<DemoFile>& demoFiles();
std::optional<std::uint64_t> demoFileSize(std::string_view name);

// The catalog script's reply: header row, then one row per product; rows separated
// by 0x02, fields by 0x01. `headerOnly`: the header row alone. `allHidden`: every row
// flagged hidden ("Yes"), so that nothing is listed.
std::string catalogReply(bool headerOnly, bool allHidden = false);

}  // namespace qk::demo
