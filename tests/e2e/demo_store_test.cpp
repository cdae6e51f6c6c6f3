// The demo store through its fixture: the forms of its replies that the agent's
// readers rely on, the file servers' ranges and faults, and the request log.

#include "support/demo_store.h"

#include "demo-store/generated_content.h"
#include "e2e/http_client.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <thread>
#include <string>
#include <vector>

namespace {

using qk::test::DemoStore;
using namespace qk::test::http;

std::string expectedContent(std::uint64_t offset, std::size_t n) {
    std::string bytes(n, '\0');
    for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<char>(qk::demo::contentByte(offset + i));
    return bytes;
}

class DemoStoreTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(store.ok()) << store.error(); }

    Reply storeScript(const std::string& body) {
        return perform({"https://127.0.0.1:" + std::to_string(store.httpsPort()) + "/vnpurchase1.asp", {}, &body, false,
                        store.caFile()});
    }
    Reply file(int port, const std::string& id, std::vector<std::string> headers = {}) {
        return perform({"http://127.0.0.1:" + std::to_string(port) + "/sendfile.php?id=" + id, std::move(headers)});
    }
    Reply plain(const std::string& path) { return perform({"http://127.0.0.1:" + std::to_string(store.httpPort()) + path}); }

    DemoStore store;
};

const std::string kCatalogBody = "action=catalog&vendorid=tovrin&version=2.11&qk=2&channel=0&productid=";

// Field capacities the agent keeps per catalog column (width minus the terminator).
constexpr std::size_t kCatalogWidths[19] = {16, 100, 6, 10, 15000, 200, 150, 3, 2, 150, 150, 100, 6, 4, 2, 2, 255, 2, 180};

TEST(GeneratedContent, FillMatchesByteFormulaAtAnyAlignment) {
    // splitmix64 of 0, the first word of every generated file.
    EXPECT_EQ(qk::demo::splitmix64(0), 0xE220A8397B1DCDAFULL);
    for (std::uint64_t offset : {0ULL, 1ULL, 7ULL, 8ULL, 13ULL, 4096ULL + 3}) {
        std::string filled(61, '\0');
        qk::demo::fillContent(offset, filled.data(), filled.size());
        EXPECT_EQ(filled, expectedContent(offset, filled.size())) << "offset " << offset;
    }
}

TEST_F(DemoStoreTest, CatalogRowsHaveNineteenFieldsWithinTheAgentsWidths) {
    const Reply reply = storeScript(kCatalogBody);
    ASSERT_EQ(reply.code, CURLE_OK) << curl_easy_strerror(reply.code);  // verified against the store's CA file
    const auto rows = split(reply.body, '\x02');
    ASSERT_GE(rows.size(), 19u);
    EXPECT_LT(rows[0].size(), 300u);

    std::map<std::string, std::vector<std::string>> listed;  // id -> fields of the listed (not hidden) row
    std::vector<std::vector<std::string>> all;
    for (std::size_t r = 1; r < rows.size(); ++r) {
        const auto fields = split(rows[r], '\x01');
        ASSERT_EQ(fields.size(), 19u) << "row " << r;
        for (std::size_t i = 0; i < 19; ++i) EXPECT_LE(fields[i].size(), kCatalogWidths[i]) << "row " << r << " field " << i;
        EXPECT_TRUE(fields[7] == "Yes" || fields[7] == "No");
        if (fields[7] == "No") {
            EXPECT_TRUE(listed.emplace(fields[0], fields).second) << "listed twice: " << fields[0];
        }
        all.push_back(fields);
    }
    // Every offer names listed products, and a bundle's members are listed.
    int offers = 0;
    for (const auto& [id, fields] : listed) {
        if (fields[18].empty()) continue;
        ++offers;
        const auto parts = split(fields[18], '|');
        ASSERT_EQ(parts.size(), 2u) << id;
        for (const std::string& member : split(parts[1], ','))
            EXPECT_EQ(listed.count(member), 1u) << id << " offers " << member;
    }
    EXPECT_GE(offers, 3);
    // The cases the agent has paths for.
    const auto has = [&](auto predicate) { return std::any_of(all.begin(), all.end(), predicate); };
    EXPECT_TRUE(has([](const auto& f) { return !f[12].empty() && std::stod(f[12]) < std::stod(f[2]); }));
    EXPECT_TRUE(has([](const auto& f) { return !f[12].empty() && f[12] == f[2]; }));
    for (const char* word : {"beta", "free", "legacy"})
        EXPECT_TRUE(has([&](const auto& f) { return f[2] == word; })) << word;
    EXPECT_TRUE(has([](const auto& f) { return f[6].empty(); }));
    EXPECT_TRUE(has([](const auto& f) { return f[6].find(',') != std::string::npos; }));
    EXPECT_TRUE(has([](const auto& f) { return f[0].starts_with("bndl-"); }));
    EXPECT_TRUE(has([](const auto& f) { return f[4].size() > 2000; }));
    EXPECT_TRUE(has([](const auto& f) { return f[7] == "Yes" && !f[0].empty(); }));
    // A hidden first row followed by a listed row of the same id.
    const auto hiddenFirst = std::find_if(all.begin(), all.end(), [&](const auto& f) {
        return f[7] == "Yes" && listed.count(f[0]) == 1;
    });
    ASSERT_NE(hiddenFirst, all.end());
}

TEST_F(DemoStoreTest, CatalogSwitchesAnswerTheStatusTokensExactly) {
    const std::map<std::string, std::string> expected{{"errversion", "err:version"}, {"error1", "Error:1"}, {"empty", ""}};
    for (const auto& [mode, text] : expected) {
        ASSERT_TRUE(store.control("catalog", mode));
        EXPECT_EQ(storeScript(kCatalogBody).body, text) << mode;
    }
    ASSERT_TRUE(store.control("catalog", "webpage"));
    EXPECT_TRUE(storeScript(kCatalogBody).body.starts_with("<!DOCTYPE"));
    ASSERT_TRUE(store.control("catalog", "headeronly"));
    const std::string header = storeScript(kCatalogBody).body;
    EXPECT_FALSE(header.empty());
    EXPECT_EQ(header.find('\x02'), std::string::npos);
    ASSERT_TRUE(store.control("catalog", "normal"));
    const std::string normal = storeScript(kCatalogBody).body;
    EXPECT_NE(normal.find('\x02'), std::string::npos);

    // The same rows, each flagged hidden; the header still counts them all.
    ASSERT_TRUE(store.control("catalog", "allhidden"));
    const auto hiddenRows = split(storeScript(kCatalogBody).body, '\x02');
    const auto normalRows = split(normal, '\x02');
    ASSERT_EQ(hiddenRows.size(), normalRows.size());
    EXPECT_EQ(hiddenRows[0], normalRows[0]);
    for (std::size_t r = 1; r < hiddenRows.size(); ++r) {
        auto fields = split(hiddenRows[r], '\x01');
        ASSERT_EQ(fields.size(), 19u) << "row " << r;
        EXPECT_EQ(fields[7], "Yes") << "row " << r;
        fields[7] = split(normalRows[r], '\x01')[7];
        std::string joined;
        for (std::size_t i = 0; i < fields.size(); ++i) joined += (i ? "\x01" : "") + fields[i];
        EXPECT_EQ(joined, normalRows[r]) << "only the hidden field differs, row " << r;
    }
    ASSERT_TRUE(store.control("catalog", "normal"));
    EXPECT_FALSE(store.control("catalog", "sideways"));
    EXPECT_FALSE(store.control("nonsense", "1"));
}

TEST_F(DemoStoreTest, PurchasesReplyFormsAndServedFiles) {
    const auto purchases = [&](const std::string& email, const std::string& password) {
        return storeScript("action=getpurchases&version=2.11&qk=2&email=" + email + "&password=" + password +
                           "&vendorid=tovrin")
            .body;
    };
    EXPECT_EQ(purchases("pilot@tovrin.example", "wrongpassword"), "Error:1");
    EXPECT_EQ(purchases("nobody@tovrin.example", "skylane182"), "Error:1");
    EXPECT_EQ(purchases("newbie@tovrin.example", "firstflight"), "Error: 2*Nina Newbie*x*0.0825*1");
    EXPECT_EQ(split(split(purchases("unverified@tovrin.example", "checkmail1"), '|')[0], '*')[4], "0");

    // Email compared without regard to case, as the store's login does.
    const auto records = split(purchases("Pilot@Tovrin.Example", "skylane182"), '|');
    ASSERT_GE(records.size(), 5u);
    EXPECT_EQ(records[0], "success*Alex Pilot*x*0.0825*1");
    bool multiFile = false, voucher = false, postprocess = false;
    for (std::size_t r = 1; r < records.size(); ++r) {
        ASSERT_EQ(records[r][0], '#');
        const auto fields = split(records[r].substr(1), '*');
        ASSERT_EQ(fields.size(), 14u) << records[r];
        postprocess |= fields[12] == "1" && !fields[8].empty();
        if (fields[2] == "VOUCHER") {
            voucher = true;
            continue;
        }
        // Every file an order names is served, at the size the order gives.
        std::vector<std::pair<std::string, std::string>> files;
        if (fields[2].find('/') != std::string::npos) {
            multiFile = true;
            for (const std::string& entry : split(fields[2], '/')) {
                const auto nameSize = split(entry, ':');
                ASSERT_EQ(nameSize.size(), 2u);
                files.emplace_back(nameSize[0], nameSize[1]);
            }
        } else {
            files.emplace_back(fields[2], fields[4]);
        }
        for (const auto& [name, size] : files) {
            const Reply served = file(store.filePrimaryPort(), name, {"Range: bytes=0-"});
            EXPECT_EQ(served.status, 206) << name;
            EXPECT_EQ(served.headers.at("content-range"), "bytes 0-" + std::to_string(std::stoull(size) - 1) + "/" + size);
            EXPECT_EQ(served.body.size(), std::stoull(size)) << name;
        }
    }
    EXPECT_TRUE(multiFile);
    EXPECT_TRUE(voucher);
    EXPECT_TRUE(postprocess);
}

TEST_F(DemoStoreTest, FileIdRepliesNameServedFilesOfOwnedProductsOnly) {
    const auto fileId = [&](const std::string& vpwd, const std::string& password, const std::string& pid) {
        const std::string body = "vid=tovrin&vpwd=" + vpwd + "&login=pilot@tovrin.example&password=" + password +
                                 "&pid=" + pid + "&version=2.11&qk=2";
        return perform({"https://127.0.0.1:" + std::to_string(store.httpsPort()) + "/vngetfile.asp", {}, &body, false,
                        store.caFile()})
            .body;
    };
    const auto single = split(fileId("tvS8x2Qa", "skylane182", "tov-1001"), '|');
    ASSERT_EQ(single.size(), 5u);
    EXPECT_EQ(single[0], "success");
    EXPECT_EQ(file(store.filePrimaryPort(), single[4]).body.size(), 5242880u);

    // Entry n of a multi-file order, counted from 0.
    const auto second = split(fileId("tvS8x2Qa", "skylane182", "tov-1011:1"), '|');
    ASSERT_EQ(second.size(), 5u);
    EXPECT_EQ(second[1], "GrandCanyonPart2.zip");
    EXPECT_EQ(file(store.fileSecondaryPort(), second[4]).body.size(), 2097152u);

    EXPECT_EQ(fileId("tvS8x2Qa", "skylane182", "tov-1011:3"), "Error:1");
    EXPECT_EQ(fileId("tvS8x2Qa", "skylane182", "tov-1016"), "Error:1");  // a voucher owns nothing
    EXPECT_EQ(fileId("tvS8x2Qa", "skylane182", "tov-1002"), "Error:1");  // not bought
    EXPECT_EQ(fileId("wrong", "skylane182", "tov-1001"), "Error:1");
    EXPECT_EQ(fileId("tvS8x2Qa", "wrongpassword", "tov-1001"), "Error:1");

    // Tests steer the agent's download into a fault through the ids it is handed.
    ASSERT_TRUE(store.control("fileid", "-cut100"));
    const auto faulty = split(fileId("tvS8x2Qa", "skylane182", "tov-1001"), '|');
    ASSERT_EQ(faulty.size(), 5u);
    EXPECT_EQ(faulty[4], "Skylane182Deluxe.zip-cut100");
    EXPECT_EQ(file(store.filePrimaryPort(), faulty[4]).code, CURLE_PARTIAL_FILE);
    EXPECT_FALSE(store.control("fileid", "-cut1&x=1"));

    // Any file can stand in for an owned one, and the suffix still follows it.
    ASSERT_TRUE(store.control("servefile", "gen-123"));
    const auto served = split(fileId("tvS8x2Qa", "skylane182", "tov-1001"), '|');
    ASSERT_EQ(served.size(), 5u);
    EXPECT_EQ(served[4], "gen-123-cut100");
    // The orders then list that size, as the agent checks a download against the order.
    const std::string orders =
        storeScript("action=getpurchases&version=2.11&qk=2&email=pilot@tovrin.example&password=skylane182"
                    "&vendorid=tovrin").body;
    EXPECT_NE(orders.find("*Skylane182Deluxe.zip*2.1*123*"), std::string::npos) << orders;
    EXPECT_NE(orders.find("*GrandCanyonPart1.zip:123/GrandCanyonPart2.zip:123/GrandCanyonTextures.zip:123*"),
              std::string::npos) << orders;
    EXPECT_EQ(fileId("tvS8x2Qa", "skylane182", "tov-1002"), "Error:1") << "still only for owned products";
}

TEST_F(DemoStoreTest, PostProcessingConfirmsOnlyOrdersThatNeedIt) {
    const auto postProcess = [&](const std::string& product, const std::string& order) {
        const std::string body = "action=postprocess&email=pilot@tovrin.example&password=skylane182&vendorid=tovrin"
                                 "&ordernum=" + order + "&productid=" + product + "&data=TOV-737-5521-AX&version=2.11&qk=2";
        return perform({"https://127.0.0.1:" + std::to_string(store.httpsPort()) + "/vendorscripts/tovrin/postprocess.asp",
                        {}, &body, false, store.caFile()})
            .body;
    };
    EXPECT_EQ(postProcess("tov-1012", "700105"), "success");
    EXPECT_EQ(postProcess("tov-1012", "700101"), "Error:1");
    EXPECT_EQ(postProcess("tov-1001", "700101"), "Error:1");
    ASSERT_TRUE(store.control("postprocess", "fail"));
    EXPECT_EQ(postProcess("tov-1012", "700105"), "Error:1");
}

TEST_F(DemoStoreTest, RangesAreAnsweredWithPartialContent) {
    const Reply whole = file(store.fileSecondaryPort(), "gen-100000");
    EXPECT_EQ(whole.status, 200);
    EXPECT_FALSE(whole.has("content-range"));
    EXPECT_EQ(whole.body, expectedContent(0, 100000));

    const Reply rest = file(store.filePrimaryPort(), "gen-100000", {"Range: bytes=12345-"});
    EXPECT_EQ(rest.status, 206);
    EXPECT_EQ(rest.headers.at("content-range"), "bytes 12345-99999/100000");
    EXPECT_EQ(rest.headers.at("content-length"), "87655");
    EXPECT_EQ(rest.body, expectedContent(12345, 87655));

    // At the end: what real servers answer, 416 with the total and no validators.
    const Reply done = file(store.filePrimaryPort(), "gen-100000-etagv1", {"Range: bytes=100000-"});
    EXPECT_EQ(done.status, 416);
    EXPECT_EQ(done.headers.at("content-range"), "bytes */100000");
    EXPECT_FALSE(done.has("etag"));
    EXPECT_TRUE(done.has("date"));
    EXPECT_TRUE(done.body.empty());

    EXPECT_EQ(file(store.filePrimaryPort(), "nosuchfile").status, 404);
}

TEST_F(DemoStoreTest, FaultSuffixesMisbehaveAsNamed) {
    const int port = store.filePrimaryPort();
    const Reply cut = file(port, "gen-50000-cut1000", {"Range: bytes=0-"});
    EXPECT_EQ(cut.code, CURLE_PARTIAL_FILE);
    EXPECT_EQ(cut.body, expectedContent(0, 1000));

    const Reply noLength = file(port, "gen-5000-nolength", {"Range: bytes=100-"});
    EXPECT_EQ(noLength.code, CURLE_OK);
    EXPECT_FALSE(noLength.has("content-length"));
    EXPECT_EQ(noLength.body, expectedContent(100, 4900));

    EXPECT_EQ(file(port, "gen-5000-badrange", {"Range: bytes=0-"}).headers.at("content-range"), "bytes unknown");
    EXPECT_FALSE(file(port, "gen-5000-norange", {"Range: bytes=0-"}).has("content-range"));
    EXPECT_EQ(file(port, "gen-5000-smalltotal", {"Range: bytes=4000-"}).headers.at("content-range"), "bytes 4000-4999/2000");

    const Reply ignored = file(port, "gen-5000-ignorerange", {"Range: bytes=4000-"});
    EXPECT_EQ(ignored.status, 200);
    EXPECT_EQ(ignored.body, expectedContent(0, 5000));

    for (const int status : {404, 500}) {
        const Reply error = file(port, "gen-5000-" + std::to_string(status));
        EXPECT_EQ(error.status, status);
        EXPECT_TRUE(error.body.starts_with("<!DOCTYPE"));
    }

    auto started = std::chrono::steady_clock::now();
    const Reply stalled = file(port, "gen-10-stall300-cut5");
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(300));
    EXPECT_EQ(stalled.body.size(), 5u);

    // 300 KiB at 1024 KiB/s take about 0.3 s.
    started = std::chrono::steady_clock::now();
    const Reply paced = file(port, "gen-307200-rate1024");
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(250));
    EXPECT_EQ(paced.body, expectedContent(0, 307200));

    // A redirect names the same file without its suffix, on the same server.
    const Reply moved = file(port, "gen-10-redir307");
    EXPECT_EQ(moved.status, 307);
    EXPECT_EQ(moved.headers.at("location"), "/sendfile.php?id=gen-10");
    EXPECT_EQ(file(port, "gen-10-redir301-cut5").headers.at("location"), "/sendfile.php?id=gen-10-cut5");
    EXPECT_EQ(file(port, "gen-10-redirftp").headers.at("location"),
              "ftp://127.0.0.1/sendfile.php?id=gen-10");
}

TEST_F(DemoStoreTest, PrimaryDownRefusesConnectionsUntilUp) {
    ASSERT_TRUE(store.control("primary", "down"));
    EXPECT_EQ(file(store.filePrimaryPort(), "gen-10").code, CURLE_COULDNT_CONNECT);
    EXPECT_EQ(file(store.fileSecondaryPort(), "gen-10").status, 200);
    ASSERT_TRUE(store.control("primary", "up"));
    EXPECT_EQ(file(store.filePrimaryPort(), "gen-10").status, 200);
}

TEST_F(DemoStoreTest, RedirectingSecondarySendsEveryRequestToTheMirror) {
    const std::string mirror = "http://127.0.0.1:" + std::to_string(store.httpPort()) + "/mirror";
    // The mirror answers like a file server: ranges and fault suffixes included.
    const Reply mirrored = plain("/mirror/sendfile.php?id=gen-5000-cut4000");
    EXPECT_EQ(mirrored.status, 200);
    EXPECT_EQ(mirrored.body, expectedContent(0, 4000));
    EXPECT_EQ(perform({mirror + "/sendfile.php?id=gen-5000", {"Range: bytes=1000-"}}).body, expectedContent(1000, 4000));
    EXPECT_EQ(plain("/mirror/sendfile.php?id=nosuchfile").status, 404);
    EXPECT_EQ(plain("/mirrored/sendfile.php?id=gen-10").status, 404);

    ASSERT_TRUE(store.control("secondary", "redirect"));
    store.clearRequests();
    const Reply moved = file(store.fileSecondaryPort(), "gen-5000-rate4096", {"Range: bytes=10-"});
    EXPECT_EQ(moved.status, 302);
    EXPECT_EQ(moved.headers.at("location"), mirror + "/sendfile.php?id=gen-5000-rate4096");
    EXPECT_EQ(file(store.filePrimaryPort(), "gen-10").status, 200);  // the primary still serves

    // A client that follows the redirect gets the file from the mirror, its range with it.
    CURL* curl = curl_easy_init();
    std::string body;
    const std::string url = "http://127.0.0.1:" + std::to_string(store.fileSecondaryPort()) + "/sendfile.php?id=gen-5000";
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_RANGE, "10-");
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, collectBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    EXPECT_EQ(curl_easy_perform(curl), CURLE_OK);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(curl);
    EXPECT_EQ(status, 206);
    EXPECT_EQ(body, expectedContent(10, 4990));

    const auto logged = store.requests();
    ASSERT_EQ(logged.size(), 4u);
    EXPECT_EQ(logged[0].server, "file2");
    EXPECT_EQ(logged[1].server, "file1");
    EXPECT_EQ(logged[2].server, "file2");
    EXPECT_EQ(logged[3].server, "http");
    EXPECT_EQ(logged[3].target, "/mirror/sendfile.php?id=gen-5000");
    EXPECT_EQ(logged[3].header("Range"), "bytes=10-");

    ASSERT_TRUE(store.control("secondary", "serve"));
    EXPECT_EQ(file(store.fileSecondaryPort(), "gen-10").status, 200);
    EXPECT_FALSE(store.control("secondary", "elsewhere"));
}

TEST_F(DemoStoreTest, NotificationIsAGetWithBodyAndIsLogged) {
    store.clearRequests();
    const std::string body = "qk=2&action=qknotify&vendorid=tovrin";
    const Reply reply = perform({"http://127.0.0.1:" + std::to_string(store.httpPort()) + "/vnpurchase1.asp",
                                 {"Content-Type: application/x-www-form-urlencoded"}, &body, true});
    ASSERT_GT(reply.body.size(), 10u);
    EXPECT_EQ(reply.body.substr(0, 10), "      1001");

    ASSERT_TRUE(store.control("notification", "off"));
    EXPECT_EQ(perform({"http://127.0.0.1:" + std::to_string(store.httpPort()) + "/vnpurchase1.asp", {}, &body, true}).body,
              "");

    const auto logged = store.requests();  // control requests are not traffic
    ASSERT_EQ(logged.size(), 2u);
    EXPECT_EQ(logged[0].server, "http");
    EXPECT_EQ(logged[0].method, "GET");
    EXPECT_EQ(logged[0].target, "/vnpurchase1.asp");
    EXPECT_EQ(logged[0].body, body);
    EXPECT_EQ(logged[0].header("content-type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(logged[0].headerCount("CONTENT-TYPE"), 1);
    EXPECT_EQ(logged[0].headerCount("Range"), 0);
}

TEST_F(DemoStoreTest, LogKeepsEveryServerBinaryBodiesAndClears) {
    file(store.fileSecondaryPort(), "gen-10", {"Range: bytes=3-"});
    const std::string binary("a=\x01\x02 b\n&c=\xff", 11);
    storeScript(binary);
    auto logged = store.requests();
    ASSERT_EQ(logged.size(), 2u);
    EXPECT_EQ(logged[0].server, "file2");
    EXPECT_EQ(logged[0].target, "/sendfile.php?id=gen-10");
    EXPECT_EQ(logged[0].header("range"), "bytes=3-");
    EXPECT_EQ(logged[1].server, "https");
    EXPECT_EQ(logged[1].method, "POST");
    EXPECT_EQ(logged[1].body, binary);

    store.clearRequests();
    EXPECT_TRUE(store.requests().empty());
    plain("/lostpwd.asp");
    logged = store.requests();
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0].server, "http");
    EXPECT_TRUE(logged[0].body.empty());
}

TEST_F(DemoStoreTest, PicturesArePngAndDistinctJpegs) {
    const Reply logo = plain("/vendors/tovrin/logo_s.png");
    ASSERT_EQ(logo.status, 200);
    ASSERT_GT(logo.body.size(), 24u);
    EXPECT_EQ(logo.body.substr(1, 3), "PNG");
    // IHDR width and height, big-endian.
    const auto be32 = [&](std::size_t at) {
        return (static_cast<unsigned char>(logo.body[at]) << 24) | (static_cast<unsigned char>(logo.body[at + 1]) << 16) |
               (static_cast<unsigned char>(logo.body[at + 2]) << 8) | static_cast<unsigned char>(logo.body[at + 3]);
    };
    EXPECT_EQ(be32(16), 240);
    EXPECT_EQ(be32(20), 40);

    std::set<std::string> pictures;
    for (const char* id : {"tov-1001", "tov-1002", "bndl-2001"}) {
        const Reply picture = plain(std::string("/vendors/tovrin/") + id + "/product_main.jpg");
        ASSERT_EQ(picture.status, 200) << id;
        EXPECT_EQ(picture.body.substr(0, 2), "\xff\xd8") << id;
        pictures.insert(picture.body);
    }
    EXPECT_EQ(pictures.size(), 3u);
    EXPECT_EQ(plain("/legacy.jpg").body.substr(0, 2), "\xff\xd8");
    EXPECT_EQ(plain("/vendors/tovrin/tov-9999/product_main.jpg").status, 404);
}

TEST(DemoStoreFixture, StopsTheStoreAndRemovesItsFolder) {
    std::filesystem::path state;
    int port = 0;
    {
        DemoStore store;
        ASSERT_TRUE(store.ok()) << store.error();
        state = store.stateDir();
        port = store.httpPort();
        EXPECT_TRUE(std::filesystem::exists(store.caFile()));
        EXPECT_EQ(store.deployment().storeHost, "127.0.0.1");
        EXPECT_EQ(store.deployment().filePrimary, "127.0.0.1:" + std::to_string(store.filePrimaryPort()));
    }
    EXPECT_FALSE(std::filesystem::exists(state));
    EXPECT_EQ(perform({"http://127.0.0.1:" + std::to_string(port) + "/lostpwd.asp"}).code, CURLE_COULDNT_CONNECT);
}

TEST(DemoStoreFixture, StopsPromptlyWhileAReplyIsStalled) {
    std::optional<DemoStore> store(std::in_place);
    ASSERT_TRUE(store->ok()) << store->error();
    const std::string url =
        "http://127.0.0.1:" + std::to_string(store->filePrimaryPort()) + "/sendfile.php?id=gen-10-stall60000";
    std::thread client([url] { perform({url}); });
    // Wait until the request is in, so the stall has begun.
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (store->requests().empty() && std::chrono::steady_clock::now() < limit)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(store->requests().size(), 1u);
    const auto started = std::chrono::steady_clock::now();
    store.reset();
    const auto stopping = std::chrono::steady_clock::now() - started;
    client.join();
    EXPECT_LT(stopping, std::chrono::seconds(20)) << "the stall lasts 60 s";
}

}  // namespace
