#include "app/store_pictures.h"

#include "store/store_request.h"

namespace qk::app {

std::string fetchStorePicture(const Deployment& deployment, std::string_view path)
{
    StoreRequest request(deployment);
    request.secure = 0;
    request.setUrl(deployment.storeUrl(path));
    request.send();
    if (request.replyBytes <= 0)
        return {};
    return std::move(request.reply);
}

std::string vendorLogoPath(std::string_view vendorId)
{
    return "/vendors/" + std::string(vendorId) + "/logo_s.png";
}

std::string productPicturePath(std::string_view vendorId, std::string_view productId,
                               bool legacy)
{
    if (legacy)
        return "/legacy.jpg";
    return "/vendors/" + std::string(vendorId) + "/" + std::string(productId) +
           "/product_main.jpg";
}

}  // namespace qk::app
