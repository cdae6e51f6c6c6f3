#include "download/partial_identity.h"

#include <array>

#include "download/http_date.h"
#include "download/no_follow_file.h"

namespace qk::download {
namespace {

constexpr std::size_t kMaxIdentityBytes = 4096;
constexpr std::array<std::string_view, 5> kKeys{"version=", "total=", "etag=", "last-modified=", "date="};
// Identities written before the date was kept end after the fourth line.
constexpr std::size_t kOldKeyCount = 4;

bool hasLineBreak(std::string_view value)
{
    return value.find_first_of("\r\n") != std::string_view::npos;
}

}  // namespace

std::string identityText(const PartialIdentity& identity)
{
    const std::array<const std::string*, 5> values{&identity.version, &identity.totalText, &identity.etag,
                                                   &identity.lastModified, &identity.date};
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
    const std::array<std::string*, 5> values{&identity.version, &identity.totalText, &identity.etag,
                                             &identity.lastModified, &identity.date};
    for (std::size_t i = 0; i < kKeys.size(); ++i) {
        if (i == kOldKeyCount && text.empty())
            return identity;
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
    for (std::string* value : {&stored.version, &stored.totalText, &stored.etag, &stored.lastModified, &stored.date}) {
        for (char& c : *value) {
            if (c == '\r' || c == '\n')
                c = ' ';
        }
    }
    return replaceFileWhole(path, identityText(stored));
}

bool hasStrongEtag(const PartialIdentity& identity)
{
    return !identity.etag.empty() && !identity.etag.starts_with("W/");
}

std::string ifRangeValue(const PartialIdentity& identity)
{
    // A weak tag may never be used in If-Range, and a date only when it is strong.
    if (hasStrongEtag(identity))
        return identity.etag;
    if (isStrongLastModified(identity.lastModified, identity.date))
        return identity.lastModified;
    return {};
}

}  // namespace qk::download
