#pragma once
// A fresh folder of its own below the system temp folder for one test (named after the
// test, with a unique ending, so parallel runs of the same test never share it), removed
// with everything in it afterwards.

#include <filesystem>
#include <string>

namespace qk::test {

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    [[nodiscard]] const std::filesystem::path& path() const { return path_; }
    [[nodiscard]] std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

}  // namespace qk::test
