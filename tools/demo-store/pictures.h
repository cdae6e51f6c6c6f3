#pragma once
// Pictures the store serves over plain HTTP, drawn once at start-up: the vendor logo,
// one distinct picture per product and the picture of legacy products.

#include <map>
#include <optional>
#include <string>

namespace qk::demo {

struct Picture {
    std::string contentType;
    std::string bytes;
};

class Pictures {
public:
    // Needs a QGuiApplication (fonts); call after it exists.
    static Pictures render();

    // The picture at a request path, e.g. "/vendors/tovrin/logo_s.png".
    [[nodiscard]] std::optional<Picture> find(const std::string& path) const;
    [[nodiscard]] std::size_t count() const { return byPath_.size(); }

private:
    std::map<std::string, Picture> byPath_;
};

}  // namespace qk::demo
