#pragma once
// One synchronous exchange with the store web server: a form-encoded request body out,
// the whole reply (binary-safe) in. Each operation creates, sends and drops its own.
// The network part runs under the deployment's exchange wait, so the caller's flow is
// sequential while the agent's window goes on painting.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/deployment.h"
#include "platform/fixed_text.h"

namespace qk {

// Store scripts on the store web server.
namespace script {
inline constexpr std::string_view kPurchase = "/vnpurchase1.asp";
inline constexpr std::string_view kCoupon = "/vncoupon1.asp";
inline constexpr std::string_view kProcess = "/cgi-bin/vnprocess1.asp";
inline constexpr std::string_view kPaypal = "/vnpaypal1.asp";
inline constexpr std::string_view kGetFile = "/vngetfile.asp";
inline constexpr std::string_view kAccount = "/vnaccount.asp";
inline constexpr std::string_view kTerms = "/vnterms.asp";
inline constexpr std::string_view kLostPassword = "/lostpwd.asp";
}  // namespace script

inline constexpr std::size_t kReplyChunkBytes = 10240;

class StoreRequest {
public:
    // Results of send().
    static constexpr int kSent = 0;              // the exchange ran; the outcome is in `reply`
    static constexpr int kNoSession = 1;         // the client handle could not be created
    static constexpr int kNoConnection = 2;      // the URL names no host to connect to
    static constexpr int kRequestNotCreated = 3; // the request could not be set up
    static constexpr int kQuitting = 4;          // the agent is ending: nothing was sent

    // Ports and the extra CA file come from the deployment, which must outlive the request.
    explicit StoreRequest(const Deployment& deployment);

    int hasReply = 0;        // 1 when the last send received at least one byte
    int replyBytes = 0;      // bytes received by the last send
    std::uint8_t secure = 0; // 1: HTTPS POST on the store's TLS port; else plain HTTP GET
    FixedText<256> url;      // absolute URL; its scheme and port are ignored
    std::string body;        // sent as it stands
    std::string reply;       // binary-safe
    // Seconds without a byte either way (or without a connection) after which the
    // exchange gives up, as the platform's receive time-out does; it is then a failed
    // exchange (an empty reply).
    int giveUpSeconds = 60;
    // The longest a whole exchange may take, however steadily the peer dribbles bytes;
    // past it the exchange is a failed one (an empty reply).
    static constexpr int kScriptDeadlineSeconds = 120;
    static constexpr int kPictureDeadlineSeconds = 30;
    int deadlineSeconds = kScriptDeadlineSeconds;  // 0: none
    // Seconds without a byte once the whole request has gone out; 0: giveUpSeconds.
    int replyWaitSeconds = 0;
    // TCP keep-alive probes on the connection: a dead peer is found without waiting
    // for the idle limit.
    bool keepAliveProbes = false;
    // Set by send(): the whole body reached the connection. With an empty reply, the
    // store may or may not have acted on the request.
    bool requestSent = false;
    // A reply larger than this ends the exchange as a failed one (an empty reply): no
    // store answer is that large, and reading on would only exhaust the memory.
    static constexpr std::size_t kMaxReplyBytes = 64 * 1024 * 1024;
    // Every reply but the catalog, the purchases list and pictures is a line or a page of
    // text (a file id, a coupon, an account, the terms, a purchase or PayPal answer, a
    // post-processing answer, the notification): callers of those set this cap.
    static constexpr std::size_t kTextReplyMaxBytes = 1024 * 1024;
    std::size_t maxReplyBytes = kMaxReplyBytes;
    // After send: a connection to the store was made (for `secure`, its TLS handshake
    // finished). false: refused, unknown host, failed handshake, time-out while
    // connecting: no reply at all could have come.
    bool storeReached = false;

    void setUrl(std::string_view absoluteUrl) { url = absoluteUrl; }

    // A request whose outcome costs the customer money (a purchase): no overall deadline,
    // the deployment's long idle limit once it has gone out, keep-alive probes.
    void waitForOutcome();

    // Network failures (unknown host, refused connection or proxy, TLS failure, a reply
    // cut short) are not codes: they show as an empty reply with result 0, and callers
    // judge by replyBytes. Once the agent is asked to end, nothing is sent (kQuitting).
    // The proxy variables of the environment (https_proxy,
    // http_proxy, all_proxy, no_proxy) apply; a tunnel still verifies the store.
    int send();

private:
    int exchange();


    const Deployment& deployment_;
};

}  // namespace qk
