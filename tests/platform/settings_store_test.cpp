#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/settings_store.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

const char* kKey = "Software\\Varnel Software\\VNPurchase\\";

class SettingsStoreTest : public ::testing::Test {
protected:

    static unsigned mode(const fs::path& p)
    {
        struct stat st {};
        ::stat(p.c_str(), &st);
        return st.st_mode & 0777;
    }

    qk::test::TempFolder folder;
    fs::path root = folder / "settings";  // made by the store itself
};

TEST_F(SettingsStoreTest, KeyIsAFolderAndAValueIsAFileOfItsBytes)
{
    qk::SettingsStore store(root);
    EXPECT_FALSE(store.keyExists(kKey));
    EXPECT_FALSE(store.writeValue(kKey, "email", "a@b.cd")) << "no key yet";
    ASSERT_TRUE(store.createKey(kKey));

    const std::string bytes("x\0y\xe9", 4);
    ASSERT_TRUE(store.writeValue(kKey, "FolderPath", bytes));
    const fs::path file = root / "Software" / "Varnel Software" / "VNPurchase" / "FolderPath";
    ASSERT_TRUE(fs::is_regular_file(file));
    EXPECT_EQ(store.readValue(kKey, "FolderPath"), bytes);

    EXPECT_EQ(mode(file), 0600u);
    EXPECT_EQ(mode(file.parent_path()), 0700u);
    EXPECT_EQ(mode(root / "Software"), 0700u);

    ASSERT_TRUE(store.writeValue(kKey, "FolderPath", "short"));
    EXPECT_EQ(store.readValue(kKey, "FolderPath"), "short") << "rewrite replaces, no leftovers";
    EXPECT_EQ(std::distance(fs::directory_iterator(file.parent_path()), fs::directory_iterator()), 1)
        << "no temp file left behind";

    // A crash can leave a longer temp file behind; the next write keeps none of its tail.
    std::ofstream(file.parent_path() / ".FolderPath.tmp") << "a longer leftover of a crashed write";
    ASSERT_TRUE(store.writeValue(kKey, "FolderPath", "new"));
    EXPECT_EQ(store.readValue(kKey, "FolderPath"), "new");
}

TEST_F(SettingsStoreTest, MissingValuesDeletesAndNumbers)
{
    qk::SettingsStore store(root);
    ASSERT_TRUE(store.createKey(kKey));
    EXPECT_FALSE(store.readValue(kKey, "email").has_value());
    EXPECT_TRUE(store.deleteValue(kKey, "email")) << "deleting a missing value succeeds";

    ASSERT_TRUE(store.writeNumber(kKey, "ABC7", 6));
    EXPECT_EQ(store.readValue(kKey, "ABC7"), "6");
    EXPECT_EQ(store.readNumber(kKey, "ABC7"), 6u);
    ASSERT_TRUE(store.writeValue(kKey, "ABC7", "6x"));
    EXPECT_FALSE(store.readNumber(kKey, "ABC7").has_value());
}

TEST_F(SettingsStoreTest, ValuesThatAreNotPlainFilesReadAsAbsent)
{
    qk::SettingsStore store(root);
    ASSERT_TRUE(store.createKey(kKey));
    const fs::path key = store.keyFolder(kKey);

    // A value replaced by a folder, empty or not: reading it used to throw.
    ASSERT_TRUE(fs::create_directory(key / "FolderPath"));
    ASSERT_TRUE(fs::create_directory(key / "ABC7"));
    std::ofstream(key / "ABC7" / "6") << "6";
    for (const char* name : {"FolderPath", "ABC7"}) {
        SCOPED_TRACE(name);
        std::optional<std::string> text = "stale";
        std::optional<std::uint32_t> number = 7;
        EXPECT_NO_THROW(text = store.readValue(kKey, name));
        EXPECT_NO_THROW(number = store.readNumber(kKey, name));
        EXPECT_FALSE(text.has_value());
        EXPECT_FALSE(number.has_value());
    }

    // A FIFO would block an ordinary open until a writer comes.
    ASSERT_EQ(::mkfifo((key / "email").c_str(), 0600), 0);
    EXPECT_FALSE(store.readValue(kKey, "email").has_value());

    // Plain files beside them still read.
    ASSERT_TRUE(store.writeNumber(kKey, "count", 42));
    EXPECT_EQ(store.readNumber(kKey, "count"), 42u);
}

TEST_F(SettingsStoreTest, NamesCannotEscapeTheirKey)
{
    qk::SettingsStore store(root);
    ASSERT_TRUE(store.createKey(kKey));
    EXPECT_FALSE(store.writeValue(kKey, "../evil", "x"));
    EXPECT_FALSE(store.writeValue(kKey, "..", "x"));
    EXPECT_FALSE(store.createKey("Software\\..\\..\\etc"));
    EXPECT_FALSE(fs::exists(root / "evil"));
}

TEST_F(SettingsStoreTest, WritersOfOneValueNeverShareATemporaryFile)
{
    qk::SettingsStore store(root);
    ASSERT_TRUE(store.createKey(kKey));
    const fs::path key = store.keyFolder(kKey);
    // What a crash mid-write leaves: a temporary where a writer might put its own, one
    // of them not even a file. Neither may stop a write.
    fs::create_directory(key / ".email.tmp");
    std::ofstream(key / ".email.XXXXXX") << "half";
    ::chmod((key / ".email.XXXXXX").c_str(), 0400);

    // Two writers (two agents on one settings folder) rewrite one value at once, while
    // a reader checks that every read is one whole value.
    const std::string first(64 * 1024, 'a');
    const std::string second(48 * 1024, 'b');
    std::atomic<int> failedWrites{0};
    std::atomic<int> tornReads{0};
    std::atomic<bool> writing{true};
    auto writer = [&](const std::string& value) {
        for (int i = 0; i < 150; ++i) {
            if (!store.writeValue(kKey, "email", value))
                ++failedWrites;
        }
    };
    std::thread reader([&] {
        while (writing.load()) {
            const auto value = store.readValue(kKey, "email");
            if (value && *value != first && *value != second)
                ++tornReads;
        }
    });
    std::thread a(writer, first);
    std::thread b(writer, second);
    a.join();
    b.join();
    writing.store(false);
    reader.join();

    EXPECT_EQ(failedWrites.load(), 0);
    EXPECT_EQ(tornReads.load(), 0);
    const auto last = store.readValue(kKey, "email");
    EXPECT_TRUE(last == first || last == second);
    EXPECT_EQ(mode(key / "email"), 0600u);
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(key))
        ++entries;
    EXPECT_EQ(entries, 3) << "the value and the two old leftovers; no temporary of these writes";
}

}  // namespace
