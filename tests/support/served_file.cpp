#include "support/served_file.h"

#include <fstream>
#include <iterator>
#include <system_error>

#include "demo-store/generated_content.h"

namespace qk::test {

std::string readAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::uintmax_t sizeOr0(const std::filesystem::path& path)
{
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    return error ? 0 : size;
}

::testing::AssertionResult holdsServedFile(const std::filesystem::path& path, std::uint64_t size)
{
    const std::string bytes = readAll(path);
    if (bytes.size() != size)
        return ::testing::AssertionFailure() << path << " holds " << bytes.size() << " bytes, not " << size;
    std::string expected(bytes.size(), '\0');
    demo::fillContent(0, expected.data(), expected.size());
    if (bytes != expected)
        return ::testing::AssertionFailure() << path << " differs from the served file";
    return ::testing::AssertionSuccess();
}

}  // namespace qk::test
