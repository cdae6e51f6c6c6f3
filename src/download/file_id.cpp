#include "download/file_id.h"

#include <exception>

#include "store/reply.h"
#include "store/store_request.h"

namespace qk::download {

namespace {
constexpr std::size_t kFileIdReplyFields = 5;
}

int requestFileId(const Deployment& deployment, Session& session, std::string_view pid,
                  std::string& keptReply, const LoginPrompt& promptLogin)
{
    keptReply.clear();
    if (pid.size() <= 3 || !session.hasLogin)
        return -1;
    if (!session.hasUsableLogin()) {
        if (promptLogin)
            promptLogin();
        if (!session.hasUsableLogin())
            return -2;
    }
    try {
        StoreRequest request(deployment);
        request.maxReplyBytes = StoreRequest::kTextReplyMaxBytes;
        // Values go as they stand, as the store reads them.
        request.body = RequestBody("vid=")
                           .add(session.vendorId, "&vpwd=", session.vendorPassword, "&login=",
                                session.email, "&password=", session.password, "&pid=", pid,
                                kProtocolVersionPairs)
                           .release();
        request.setUrl(deployment.storeUrl(script::kGetFile));
        request.secure = 1;
        const int sent = request.send();
        wipeText(request.body);  // it carries the password
        if (sent != StoreRequest::kSent)
            return 0;
        keptReply = std::move(request.reply);
        return static_cast<int>(keptReply.size());
    } catch (const std::exception&) {
        keptReply.clear();
        return 0;
    }
}

std::optional<std::string> fileIdOf(std::string_view reply)
{
    if (countFields(reply, '|') != kFileIdReplyFields)
        return std::nullopt;
    FieldList fields = splitFields(reply, '|');
    return std::move(fields.back());
}

std::string fileUrl(std::string_view fileServer, std::string_view fileId)
{
    return "http://" + std::string(fileServer) + "/sendfile.php?id=" + std::string(fileId);
}

}  // namespace qk::download
