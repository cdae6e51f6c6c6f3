#include "catalog_data.h"

#include <algorithm>
#include <cstdio>
#include <unordered_map>

namespace qk::demo {
namespace {

constexpr std::string_view kSupport = "https://www.tovrin.example/support/";

std::string longHistory() {
    std::string text =
        "The Bell 206 is one of the most successful light helicopters ever built, and this model brings "
        "every detail of it to your desktop.\r\n\r\n";
    const char* chapters[] = {
        "Flight model: ground effect, translational lift, vortex ring state and autorotation are simulated from "
        "real performance charts, so the helicopter hovers, climbs and settles the way pilots remember.",
        "Cockpit: every gauge, switch and circuit breaker works. The caution panel lights up for low rotor RPM, "
        "engine chip detection and transmission temperature, each with its own test button.",
        "Exterior: four liveries (medical, news, police and private) with animated doors, skids with floats "
        "as an option, and a rotor that blurs smoothly from start-up to full speed.",
        "Sound: recorded from a real aircraft at eighteen positions inside and outside the cabin, with the "
        "turbine whine, the rotor slap in tight turns and the cooling fans after shut-down.",
        "Documentation: a 60-page manual with normal and emergency procedures, performance tables and a "
        "tutorial flight from a hospital pad to a mountain lake.",
    };
    for (int round = 0; round < 4; ++round)
        for (const char* chapter : chapters) text += std::string(chapter) + "\r\n\r\n";
    return text;
}

DemoProduct product(std::string id, std::string name, std::string price, std::string salePrice, std::string categories,
                    std::string hidden, std::string cartCode, std::string offer, std::string information,
                    std::string description) {
    DemoProduct p;
    p.productId = std::move(id);
    p.name = std::move(name);
    p.price = std::move(price);
    p.text3 = "1";
    p.description = std::move(description);
    p.information = std::move(information);
    p.categories = std::move(categories);
    p.hidden = std::move(hidden);
    p.text8 = "0";
    p.text9 = "";
    p.text10 = "";
    p.text11 = "";
    p.salePrice = std::move(salePrice);
    p.text13 = "0";
    p.cartCode = std::move(cartCode);
    p.text15 = "0";
    p.supportLink = std::string(kSupport) + p.productId;
    p.text17 = "0";
    p.offer = std::move(offer);
    return p;
}

std::vector<DemoProduct> buildCatalog() {
    std::vector<DemoProduct> rows;
    rows.push_back(product("tov-1001", "Skylane 182 Deluxe", "29.95", "", "Aircraft,General Aviation", "No", "01",
                           "10|tov-1004", "A four-seat touring aircraft with a glass cockpit option.",
                           "The Skylane 182 Deluxe comes with three panel variants and eight liveries."));
    rows.push_back(product("tov-1002", "Piper Cub Classic", "19.95", "14.95", "Aircraft,General Aviation", "No", "01", "",
                           "The classic tail-dragger, on sale this month.",
                           "Fly low and slow over the countryside in the aircraft that trained a generation."));
    rows.push_back(product("tov-1003", "Alpine Airfields", "24.95", "24.95", "Scenery", "No", "02", "",
                           "Twelve mountain airstrips in high detail.",
                           "Steep runways, narrow valleys and changing winds: twelve alpine airfields."));
    rows.push_back(product("tov-1004", "Navigation Charts Pro", "14.95", "", "Utilities", "No", "03", "",
                           "Moving-map charts for every airport.", "Charts, approach plates and a moving map."));
    rows.push_back(product("tov-1005", "Twin Otter Floats", "39.95", "", "Aircraft,Seaplanes", "No", "01", "5|tov-1004",
                           "The rugged twin-engine utility aircraft on floats.",
                           "Water landings, docking and a full cabin of passengers and cargo."));
    rows.push_back(product("tov-1006", "Weather Engine", "beta", "", "Utilities", "No", "03", "",
                           "Public test version of the new weather engine.",
                           "Real-time weather with cloud layers, turbulence and icing. Beta: please report bugs."));
    rows.push_back(product("tov-1007", "Flight Logbook", "free", "", "Utilities", "No", "03", "",
                           "Keeps a log of every flight, free for all customers.",
                           "Records departure, arrival, flight time and route of every flight."));
    rows.push_back(product("tov-1008", "Classic Trainer 1998", "legacy", "", "Aircraft", "No", "01", "",
                           "The original trainer, kept for owners of the old version.",
                           "No longer sold; owners can still download it."));
    rows.push_back(product("tov-1009", "Prototype Jet", "49.95", "", "Aircraft,Jets", "Yes", "01", "",
                           "Not yet released.", "A product that the store does not list."));
    rows.push_back(product("tov-1010", "Coastal Scenery (old)", "99.95", "", "Scenery", "Yes", "02", "",
                           "Withdrawn listing.", "The hidden first listing of this identifier."));
    rows.push_back(product("tov-1010", "Coastal Scenery", "34.95", "", "Scenery", "No", "02", "",
                           "Three hundred miles of coastline with lighthouses and harbours.",
                           "Coastal Scenery covers the whole coast with detailed towns and harbours."));
    rows.push_back(product("bndl-2001", "Tovrin Starter Bundle", "44.95", "", "Bundles", "No", "04", "20|tov-1001,tov-1002",
                           "Skylane 182 Deluxe and Piper Cub Classic together.",
                           "Both of our most popular aircraft in one bundle."));
    rows.push_back(product("tov-1011", "Grand Canyon HD", "59.95", "", "Scenery", "No", "02", "",
                           "The canyon in three downloads: two parts and the textures.",
                           "High-definition terrain of the whole Grand Canyon, shipped as three files."));
    rows.push_back(product("tov-1012", "Airliner 737 Professional", "79.95", "", "Aircraft,Airliners", "No", "05", "",
                           "Needs activation with your serial number before download.",
                           "A study-level airliner with a full flight management computer."));
    rows.push_back(product("tov-1013", "Engine Sound Pack", "9.95", "", "", "No", "03", "",
                           "New sounds for all Tovrin aircraft.", "Recorded engine sounds for every Tovrin aircraft."));
    rows.push_back(product("tov-1014", "Bell 206 JetRanger", "34.95", "", "Aircraft,Helicopters", "No", "01", "10|tov-1013",
                           "A light helicopter with a detailed flight model.", longHistory()));
    rows.push_back(product("tov-1015", "Ground Services", "12.50", "", "Utilities,Scenery", "No", "03", "",
                           "Pushback, fuel trucks and baggage carts.", "Animated ground services at every airport."));
    rows.push_back(product("tov-1016", "Glider ASK 21", "22.00", "", "Aircraft,Gliders", "No", "01", "",
                           "A two-seat training glider with thermals.", "Soaring with ridge lift and thermals."));
    rows.push_back(product("tov-1017", "Islands of the Pacific", "27.95", "19.95", "Scenery", "No", "02", "",
                           "Forty islands with their airstrips.", "From atolls to volcanoes: forty islands."));
    rows.push_back(product("tov-1018", "Night Lighting", "7.95", "", "", "No", "03", "",
                           "Better runway and city lights at night.", "Runway, taxiway and city lights redone."));
    return rows;
}

std::size_t generatedProducts = 0;

std::vector<DemoProduct> buildGeneratedCatalog(std::size_t count) {
    std::vector<DemoProduct> rows;
    rows.reserve(count);
    char id[32];
    for (std::size_t i = 1; i <= count; ++i) {
        std::snprintf(id, sizeof id, "gen-%06zu", i);
        const std::string number = std::to_string(i);
        rows.push_back(product(id, "Generated Product " + number, "19.95", "", "Category " + std::to_string(i % 12),
                               "No", "01", "", "Generated product " + number + " of a large catalog.", ""));
    }
    return rows;
}

}  // namespace

void useGeneratedCatalog(std::size_t count) { generatedProducts = count; }

const std::vector<DemoProduct>& demoCatalog() {
    static const std::vector<DemoProduct> rows =
        generatedProducts > 0 ? buildGeneratedCatalog(generatedProducts) : buildCatalog();
    return rows;
}

namespace {

struct ProductFiles {
    std::string productId;
    std::vector<DemoFile> files;
    std::string version;
    bool postprocess = false;
};

// Products with their own file names; every other product ships "<productId>.zip".
std::vector<ProductFiles> buildProductFiles() {
    std::vector<ProductFiles> table{
        {"tov-1001", {{"Skylane182Deluxe.zip", 5242880}}, "2.1", false},
        {"tov-1003", {{"AlpineAirfields.zip", 2621440}}, "1.1", false},
        {"tov-1007", {{"FlightLogbook.zip", 524288}}, "1.0", false},
        {"tov-1008", {{"ClassicTrainer1998.zip", 1048576}}, "1.4", false},
        {"tov-1011",
         {{"GrandCanyonPart1.zip", 3145728}, {"GrandCanyonPart2.zip", 2097152}, {"GrandCanyonTextures.zip", 1048576}},
         "3.0",
         false},
        {"tov-1012", {{"Airliner737Pro.zip", 8388608}}, "1.2", true},
    };
    std::uint64_t index = 0;
    for (const DemoProduct& product : demoCatalog()) {
        ++index;
        const bool known = std::any_of(table.begin(), table.end(),
                                       [&](const ProductFiles& f) { return f.productId == product.productId; });
        if (!known) table.push_back({product.productId, {{product.productId + ".zip", 1048576 + index * 65536}}, "1.0", false});
    }
    return table;
}

const std::vector<ProductFiles>& productFiles() {
    static const std::vector<ProductFiles> table = buildProductFiles();
    return table;
}

}  // namespace

const DemoProduct* findListedProduct(std::string_view productId) {
    // Indexed once: a generated catalog has tens of thousands of rows.
    static const std::unordered_map<std::string_view, const DemoProduct*> listed = [] {
        std::unordered_map<std::string_view, const DemoProduct*> index;
        for (const DemoProduct& product : demoCatalog())
            if (product.hidden == "No") index.emplace(product.productId, &product);
        return index;
    }();
    const auto found = listed.find(productId);
    return found == listed.end() ? nullptr : found->second;
}

Shipment shipmentOf(std::string_view productId) {
    Shipment shipment;
    for (const ProductFiles& entry : productFiles()) {
        if (entry.productId != productId) continue;
        std::uint64_t total = 0;
        for (const DemoFile& file : entry.files) {
            total += file.size;
            if (entry.files.size() > 1) {
                if (!shipment.files.empty()) shipment.files += '/';
                shipment.files += file.name + ':' + std::to_string(file.size);
            } else {
                shipment.files = file.name;
            }
        }
        shipment.fileSize = std::to_string(total);
        shipment.version = entry.version;
        shipment.postprocess = entry.postprocess;
    }
    return shipment;
}

const std::vector<DemoFile>& demoFiles() {
    static const std::vector<DemoFile> files = [] {
        std::vector<DemoFile> all;
        for (const ProductFiles& entry : productFiles()) all.insert(all.end(), entry.files.begin(), entry.files.end());
        return all;
    }();
    return files;
}

std::optional<std::uint64_t> demoFileSize(std::string_view name) {
    for (const DemoFile& file : demoFiles())
        if (file.name == name) return file.size;
    return std::nullopt;
}

std::string catalogReply(bool headerOnly, bool allHidden) {
    std::string reply = std::string(kVendorId) + '\x01' + std::string(kVendorName) + '\x01' +
                        std::to_string(demoCatalog().size());
    if (headerOnly) return reply;
    for (const DemoProduct& row : demoCatalog()) {
        DemoProduct p = row;
        if (allHidden) p.hidden = "Yes";
        const std::string* fields[] = {&p.productId, &p.name,     &p.price,       &p.text3,     &p.description,
                                       &p.information, &p.categories, &p.hidden,  &p.text8,     &p.text9,
                                       &p.text10,    &p.text11,   &p.salePrice,   &p.text13,    &p.cartCode,
                                       &p.text15,    &p.supportLink, &p.text17,   &p.offer};
        reply += '\x02';
        for (std::size_t i = 0; i < std::size(fields); ++i) {
            if (i > 0) reply += '\x01';
            reply += *fields[i];
        }
    }
    return reply;
}

}  // namespace qk::demo
