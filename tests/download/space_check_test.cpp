// Free space before a download, for what the window's tests cannot reach: a disk that
// does not say, a file the order gives no size for, the system's own figure.

#include <gtest/gtest.h>

#include "download/space_check.h"
#include "support/temp_folder.h"

namespace qk::download {
namespace {

class FixedFreeSpace final : public platform::FreeSpace {
public:
    std::optional<std::uint64_t> availableBytes(const std::filesystem::path&) override { return figure; }
    std::optional<std::uint64_t> figure;
};

DownloadSubject fileOf(std::uint64_t byteCount)
{
    DownloadSubject subject;
    subject.fileName = "a.zip";
    subject.byteCount = byteCount;
    return subject;
}

TEST(SpaceCheck, OnlyAKnownShortageRefuses)
{
    test::TempFolder folder;
    FixedFreeSpace space;
    struct Case {
        const char* what;
        std::optional<std::uint64_t> free;
        std::uint64_t byteCount;
        bool refused;
    };
    for (const Case& c : {Case{"exactly enough", 100, 100, false}, Case{"one byte short", 99, 100, true},
                          Case{"a disk that does not say", std::nullopt, 100, false},
                          Case{"a file the order gives no size for", 0, 0, false}}) {
        SCOPED_TRACE(c.what);
        space.figure = c.free;
        EXPECT_EQ(findSpaceShortage(space, folder.path(), {fileOf(c.byteCount)}).has_value(), c.refused);
    }
    platform::SystemFreeSpace system;
    const auto figure = system.availableBytes(folder / "VarnelPurchase" / "tovrin");
    ASSERT_TRUE(figure) << "a download folder not made yet is on its parent's disk";
    EXPECT_GT(*figure, 0U);
}

}  // namespace
}  // namespace qk::download
