#include "commerce/post_process.h"

#include <exception>

#include "store/reply.h"
#include "store/store_request.h"

namespace qk {

std::string postProcessPath(std::string_view vendorId)
{
    return "/vendorscripts/" + std::string(vendorId) + "/postprocess.asp";
}

int postProcess(const Deployment& deployment, const Session& session,
                std::string_view orderNumber, std::string_view productId, std::string_view data,
                FixedText<100>& replyText)
{
    replyText.clear();
    if (!session.storeReady)
        return 0;
    if (!session.hasUsableLogin())
        return -1;
    if (orderNumber.empty())
        return -2;
    if (productId.empty())
        return -3;
    try {
        StoreRequest request(deployment);
        request.maxReplyBytes = StoreRequest::kTextReplyMaxBytes;
        // The vendor's script reads every value as it stands: nothing is form-encoded.
        request.body = RequestBody("action=postprocess&email=")
                           .add(session.email, "&password=", session.password, "&vendorid=",
                                session.vendorId, "&ordernum=", orderNumber, "&productid=",
                                productId, "&data=", data, kProtocolVersionPairs)
                           .release();
        request.setUrl(deployment.storeUrl(postProcessPath(session.vendorId)));
        request.secure = 1;
        request.send();
        wipeText(request.body);  // it carries the password
        replyText = request.reply;
        return startsWith(request.reply, token::kSuccess) ? 1 : 0;
    } catch (const std::exception&) {
        return 0;
    }
}

}  // namespace qk
