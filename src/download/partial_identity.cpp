#include "download/partial_identity.h"

#include <array>

#include "download/no_follow_file.h"

namespace qk::download {
namespace {

constexpr std::size_t kMaxIdentityBytes = 4096;
constexpr std::array<std::string_view, 4> kKeys{"version=", "total=", "etag=", "last-modified="};

bool hasLineBreak(std::string_view value)
{
    return value.find_first_of("\r\n") != std::string_view::npos;
}

}  // namespace

std::string identityText(const PartialIdentity& identity)
{
    const std::array<const std::string*, 4> values{&identity.version, &identity.totalText, &identity.etag,
                                                   &identity.lastModified};
    std::string text;
    for (std::size_t i = 0; i < kKeys.size(); ++i) {
        text += kKeys[i];
        text += *values[i];
        text += "\r\n";
    }
    return text;
}

std::optional<PartialIdentity> parseIdentity(std::string_view text)
{
    PartialIdentity identity;
    const std::array<std::string*, 4> values{&identity.version, &identity.totalText, &identity.etag,
                                             &identity.lastModified};
    for (std::size_t i = 0; i < kKeys.size(); ++i) {
        const std::size_t end = text.find("\r\n");
        if (end == std::string_view::npos)
            return std::nullopt;
        const std::string_view line = text.substr(0, end);
        if (!line.starts_with(kKeys[i]) || hasLineBreak(line))
            return std::nullopt;
        values[i]->assign(line.substr(kKeys[i].size()));
        text.remove_prefix(end + 2);
    }
    if (!text.empty())
        return std::nullopt;
    return identity;
}

std::optional<PartialIdentity> readIdentity(const std::string& path)
{
    const auto text = readSmallRegularFile(path, kMaxIdentityBytes);
    if (!text)
        return std::nullopt;
    return parseIdentity(*text);
}

bool writeIdentity(const std::string& path, const PartialIdentity& identity)
{
    // A line break would end its line early: it is stored as a blank, so such an
    // identity never reads back as equal and its partial file is started afresh.
    PartialIdentity stored = identity;
    for (std::string* value : {&stored.version, &stored.totalText, &stored.etag, &stored.lastModified}) {
        for (char& c : *value) {
            if (c == '\r' || c == '\n')
                c = ' ';
        }
    }
    return replaceFileWhole(path, identityText(stored));
}

std::string ifRangeValue(const PartialIdentity& identity)
{
    // A weak tag may not be used in If-Range; the date may.
    if (!identity.etag.empty() && !identity.etag.starts_with("W/"))
        return identity.etag;
    return identity.lastModified;
}

}  // namespace qk::download
