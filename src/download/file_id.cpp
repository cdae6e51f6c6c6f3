#include "download/file_id.h"

#include <cctype>
#include <exception>

#include "store/reply.h"
#include "store/store_request.h"

namespace qk::download {

namespace {
constexpr std::size_t kFileIdReplyFields = 5;
constexpr std::string_view kHttps = "https://";
constexpr std::string_view kHttp = "http://";

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i])
            return false;
    }
    return true;
}
}  // namespace

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
    std::string_view scheme = kHttp;
    if (startsWithIgnoringCase(fileServer, kHttps)) {
        scheme = kHttps;
        fileServer.remove_prefix(kHttps.size());
    } else if (startsWithIgnoringCase(fileServer, kHttp)) {
        fileServer.remove_prefix(kHttp.size());
    }
    // "https://files.example.com/" names the same server as without the slash.
    if (fileServer.ends_with('/'))
        fileServer.remove_suffix(1);
    std::string url(scheme);
    url.append(fileServer).append("/sendfile.php?id=").append(fileId);
    return url;
}

const char* redirectProtocolsFor(std::string_view url)
{
    return startsWithIgnoringCase(url, kHttps) ? "https" : "http,https";
}

}  // namespace qk::download
