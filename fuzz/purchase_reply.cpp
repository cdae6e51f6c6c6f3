// The purchase reply of the checkout: "approved|<order number>", "Error:…",
// "Declined…", "no_serial", or anything else (an unspecified error). Exactly one
// outcome per prefix, the store's own words shown where the dialog shows them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "commerce/purchase_request.h"
#include "max_len.h"
#include "check.h"

namespace {

using qk::fuzz::check;

}  // namespace

// The reply is classified by its first bytes; the rest is copied whole.
QK_FUZZ_MAX_LEN(256)

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using Kind = qk::PurchaseOutcome::Kind;
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    const qk::PurchaseOutcome outcome = qk::classifyPurchaseReply(reply);
    check(!outcome.message.empty() && !outcome.statusText.empty() && outcome.caption != nullptr);

    if (reply.starts_with("approved|")) {
        check(outcome.kind == Kind::Approved);
        // The order number stands whole, byte for byte, in the status and the message.
        const std::string status = "Your purchase has been approved! Your order number is " +
                                   std::string(reply.substr(9));
        check(outcome.statusText == status);
        check(outcome.message.starts_with(status + ".\n\n"));
        return 0;
    }
    check(outcome.kind != Kind::Approved);
    const bool answered = reply.starts_with("Error:") || reply.starts_with("Declined") ||
                          reply.starts_with("no_serial");
    check((outcome.kind == Kind::ErrorAnswer) == answered);
    if (answered) {
        // The store's "Error:" text is shown in a box, cut to its first 4 KiB.
        if (reply.starts_with("Error:")) {
            check(outcome.statusText == reply.substr(0, 4096));
            check(outcome.message == reply.substr(0, 4096));
        } else {
            check(outcome.statusText == reply);
        }
    } else {
        // A reply the agent does not know gets the one fixed text, nothing the store sent.
        static const std::string unspecified = qk::classifyPurchaseReply("").statusText;
        check(outcome.kind == Kind::Unspecified);
        check(outcome.statusText == unspecified && outcome.message == unspecified);
    }
    return 0;
}
