#pragma once
// What identifies the file a partial download ("<file>.part") belongs to, kept beside it
// so that a later start continues it only when it is still the same file: the order's
// version, the total the server announced, and the server's validators when it sent any.

#include <optional>
#include <string>
#include <string_view>

namespace qk::download {

struct PartialIdentity {
    std::string version;       // the order's version of the file
    std::string totalText;     // the total of the server's Content-Range
    std::string etag;          // as the server sent it, quotes included; "" when none
    std::string lastModified;  // likewise
    std::string date = {};     // the Date of the reply the validators came with; "" when none

    bool operator==(const PartialIdentity&) const = default;
};

// "version=…", "total=…", "etag=…", "last-modified=…", "date=…", each line ending in CR LF.
std::string identityText(const PartialIdentity& identity);

// Nothing unless the text holds exactly those lines in that order; an identity written
// before the date was kept has only the first four (and no date).
std::optional<PartialIdentity> parseIdentity(std::string_view text);

// Nothing when the file is missing, a link, too long or not an identity.
std::optional<PartialIdentity> readIdentity(const std::string& path);

// Replaces the file whole (see replaceFileWhole); false when it could not.
bool writeIdentity(const std::string& path, const PartialIdentity& identity);

// A strong entity tag proves the file by itself: no overlap is needed to continue it.
bool hasStrongEtag(const PartialIdentity& identity);

// What goes back to the server as If-Range: the entity tag when it is a strong one,
// else the Last-Modified date when it is a strong validator (see isStrongLastModified);
// "" otherwise, and then the overlap alone carries the continuation.
std::string ifRangeValue(const PartialIdentity& identity);

}  // namespace qk::download
