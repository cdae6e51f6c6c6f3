#include "support/temp_folder.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <system_error>

namespace qk::test {

namespace {

std::string testName()
{
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    if (info == nullptr)
        return "qk";
    std::string name = std::string("qk-") + info->test_suite_name() + "-" + info->name();
    // Parameterised names carry '/'.
    std::replace_if(name.begin(), name.end(), [](unsigned char c) { return !std::isalnum(c) && c != '-'; }, '_');
    return name;
}

}  // namespace

TempFolder::TempFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / (testName() + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::filesystem::filesystem_error("cannot make a temp folder", pattern,
                                                std::error_code(errno, std::generic_category()));
    path_ = pattern;
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace qk::test
