#pragma once
// Files on disk as the tests look at them: their bytes, their size while a download
// writes them, and whether they hold exactly what the demo store serves.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>

namespace qk::test {

// The whole file; "" when it cannot be read.
std::string readAll(const std::filesystem::path& path);

// The file's size, or 0 while it does not exist.
std::uintmax_t sizeOr0(const std::filesystem::path& path);

// The file holds the first `size` bytes of the demo store's generated content, no more.
::testing::AssertionResult holdsServedFile(const std::filesystem::path& path, std::uint64_t size);

}  // namespace qk::test
