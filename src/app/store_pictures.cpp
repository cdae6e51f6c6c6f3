#include "app/store_pictures.h"

#include "store/store_request.h"

namespace qk::app {

namespace {

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// An identifier as one segment of a request path. Only what the path cannot carry is
// escaped: blanks and other controls, bytes above 0x7E, the characters a request target
// may not hold, "?" and "#" (they would end the path), and a "%" that starts no escape.
// Everything else goes as it stands, so the usual identifiers reach the server unchanged.
std::string pathSegment(std::string_view id)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    static constexpr std::string_view kNotInPath = "\"#<>?\\^`{|}";
    std::string out;
    for (std::size_t i = 0; i < id.size(); ++i) {
        const auto byte = static_cast<unsigned char>(id[i]);
        const bool startsEscape =
            i + 2 < id.size() && isHexDigit(id[i + 1]) && isHexDigit(id[i + 2]);
        const bool escaped = byte <= 0x20 || byte >= 0x7F ||
                             kNotInPath.find(static_cast<char>(byte)) != std::string_view::npos ||
                             (byte == '%' && !startsEscape);
        if (escaped) {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        } else {
            out += static_cast<char>(byte);
        }
    }
    return out;
}

}  // namespace

std::string fetchStorePicture(const Deployment& deployment, std::string_view path)
{
    StoreRequest request(deployment);
    request.secure = 0;
    // A picture is a nicety: it must not keep the customer waiting as long as a store
    // script may.
    request.deadlineSeconds = StoreRequest::kPictureDeadlineSeconds;
    request.setUrl(deployment.storeUrl(path));
    request.send();
    if (request.replyBytes <= 0)
        return {};
    return std::move(request.reply);
}

std::string vendorLogoPath(std::string_view vendorId)
{
    return "/vendors/" + pathSegment(vendorId) + "/logo_s.png";
}

std::string productPicturePath(std::string_view vendorId, std::string_view productId,
                               bool legacy)
{
    if (legacy)
        return "/legacy.jpg";
    return "/vendors/" + pathSegment(vendorId) + "/" + pathSegment(productId) +
           "/product_main.jpg";
}

}  // namespace qk::app
