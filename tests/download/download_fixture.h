#pragma once
// Helpers shared by the download tests: a scripted clock and locale, a scratch
// folder, and checks of downloaded bytes against the demo store's generated content.

#include "download/download_job.h"
#include "generated_content.h"
#include "platform/ports.h"
#include "support/demo_store.h"
#include "support/refusing_port.h"
#include "support/request_log.h"
#include "support/served_file.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace qk::download::testing {

namespace fs = std::filesystem;

// Call i returns base + i * step milliseconds; `onCall` runs before each answer.
class ScriptedClock final : public platform::Clock {
public:
    explicit ScriptedClock(std::uint32_t step, std::uint32_t base = 4000000000u) : step_(step), base_(base) {}
    std::uint32_t milliseconds() override
    {
        const std::uint32_t call = calls_++;
        if (onCall)
            onCall(call);
        return base_ + call * step_;  // starts near the 32-bit wrap on purpose
    }
    [[nodiscard]] std::uint32_t calls() const { return calls_; }
    std::function<void(std::uint32_t)> onCall;

private:
    std::uint32_t step_;
    std::uint32_t base_;
    std::atomic<std::uint32_t> calls_{0};
};

class FixedLocale final : public platform::LocaleInfo {
public:
    explicit FixedLocale(char separator) : separator_(separator) {}
    char decimalSeparator() override { return separator_; }

private:
    char separator_;
};

using ScratchFolder = test::TempFolder;
using test::RefusingPort;

inline std::string generatedBytes(std::uint64_t offset, std::size_t size)
{
    std::string bytes(size, '\0');
    demo::fillContent(offset, bytes.data(), size);
    return bytes;
}

inline void writeFile(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string readFile(const fs::path& path) { return test::readAll(path); }

// True when the file holds the first bytes of the generated content (or is empty).
inline ::testing::AssertionResult isGeneratedPrefix(const fs::path& path)
{
    const std::string bytes = readFile(path);
    const std::string expected = generatedBytes(0, bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != expected[i])
            return ::testing::AssertionFailure() << "byte " << i << " of " << bytes.size() << " differs";
    }
    return ::testing::AssertionSuccess() << bytes.size() << " correct bytes";
}

inline std::string fileUrl(const test::DemoStore& store, const std::string& id, bool primary = true)
{
    const int port = primary ? store.filePrimaryPort() : store.fileSecondaryPort();
    return "http://127.0.0.1:" + std::to_string(port) + "/sendfile.php?id=" + id;
}

inline std::vector<std::string> splitBars(const std::string& text)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (true) {
        const auto bar = text.find('|', start);
        fields.push_back(text.substr(start, bar - start));
        if (bar == std::string::npos)
            return fields;
        start = bar + 1;
    }
}

// One demo store for a whole suite (starting one per test would dominate the run). Each
// test starts with the switches a test of these suites flips back as the store starts, so
// no test depends on how the one before it ended.
class StoreSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite() { store_ = std::make_unique<test::DemoStore>(); }
    static void TearDownTestSuite() { store_.reset(); }
    void SetUp() override
    {
        ASSERT_TRUE(store_->ok()) << store_->error();
        ASSERT_TRUE(store_->control("primary", "up"));
    }

    static inline std::unique_ptr<test::DemoStore> store_;
    ScratchFolder folder_;
};

}  // namespace qk::download::testing
