// Pieces of the demo store tested without running it: file ids and ranges, the
// certificate kept in the state folder.

#include "certificate.h"
#include "file_server.h"

#include <gtest/gtest.h>

#include <openssl/pem.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

#include "support/temp_folder.h"

namespace {

using namespace qk::demo;

std::string readAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(FileIds, SuffixesCombineAndNamesMayHoldDashes) {
    const FileSizeLookup named = [](std::string_view name) -> std::optional<std::uint64_t> {
        if (name == "Alpine-Pack.zip") return 4096;
        return std::nullopt;
    };
    const auto plan = planFile("gen-100-cut5-stall20-nolength", named);
    ASSERT_TRUE(plan);
    EXPECT_EQ(plan->size, 100u);
    EXPECT_EQ(plan->faults.cutAfter, 5);
    EXPECT_EQ(plan->faults.stallMs, 20);
    EXPECT_TRUE(plan->faults.noLength);
    EXPECT_FALSE(plan->faults.badRange);

    const auto namedPlan = planFile("Alpine-Pack.zip-500", named);
    ASSERT_TRUE(namedPlan);
    EXPECT_EQ(namedPlan->size, 4096u);
    EXPECT_EQ(namedPlan->faults.errorStatus, 500);

    EXPECT_FALSE(planFile("gen-", named));
    EXPECT_FALSE(planFile("gen-12x", named));
    EXPECT_FALSE(planFile("Alpine", named));
    EXPECT_FALSE(planFile("", named));
}

TEST(FileIds, RangeHeaderFormsAndMalformedRangesServeTheWholeFile) {
    auto range = parseRangeHeader("bytes=42-");
    ASSERT_TRUE(range);
    EXPECT_EQ(range->first, 42u);
    EXPECT_FALSE(range->last);
    range = parseRangeHeader("bytes=0-9");
    ASSERT_TRUE(range);
    EXPECT_EQ(*range->last, 9u);
    for (const char* bad : {"bytes=9-3", "bytes=-5", "items=0-", "bytes=x-", "bytes=5"})
        EXPECT_FALSE(parseRangeHeader(bad)) << bad;

    HttpRequest request;
    request.path = "/sendfile.php";
    request.query = "id=gen-10";
    request.headers = {{"Range", "bytes=oops"}};
    HttpResponse response;
    serveFileRequest(request, response, {});
    EXPECT_EQ(response.status, 200);
    EXPECT_EQ(response.providedLength, 10u);

    // A closed range is honoured and cut at the end of the file.
    request.headers = {{"range", "bytes=4-100"}};
    HttpResponse partial;
    serveFileRequest(request, partial, {});
    EXPECT_EQ(partial.status, 206);
    EXPECT_EQ(partial.providedLength, 6u);
}

TEST(Certificate, MadeOnceWithPrivateKeyAndLoopbackNames) {
    const qk::test::TempFolder folder;
    const std::filesystem::path dir = folder.path();

    CertificateFiles files;
    std::string error;
    ASSERT_TRUE(ensureCertificate(dir, files, error)) << error;
    const std::string firstPem = readAll(files.certificate);
    struct stat keyStat {};
    ASSERT_EQ(::stat(files.privateKey.c_str(), &keyStat), 0);
    EXPECT_EQ(keyStat.st_mode & 0777, 0600u);

    // A second start reuses the files, so a CA file handed out earlier stays valid.
    CertificateFiles again;
    ASSERT_TRUE(ensureCertificate(dir, again, error)) << error;
    EXPECT_EQ(readAll(again.certificate), firstPem);

    FILE* file = std::fopen(files.certificate.c_str(), "r");
    ASSERT_NE(file, nullptr);
    X509* cert = PEM_read_X509(file, nullptr, nullptr, nullptr);
    std::fclose(file);
    ASSERT_NE(cert, nullptr);
    EXPECT_EQ(X509_check_host(cert, "localhost", 0, 0, nullptr), 1);
    EXPECT_EQ(X509_check_ip_asc(cert, "127.0.0.1", 0), 1);
    EXPECT_EQ(X509_check_host(cert, "example.com", 0, 0, nullptr), 0);
    EXPECT_GT(ASN1_TIME_cmp_time_t(X509_get0_notAfter(cert), std::time(nullptr) + 365L * 24 * 3600), 0);
    X509_free(cert);
}

}  // namespace
