#pragma once
// Post-purchase processing: the vendor's own store script that some products need before
// their file is fetched. Its answer only decides whether the download starts with a
// warning.

#include <string>
#include <string_view>

#include "store/session.h"
#include "platform/deployment.h"
#include "platform/fixed_text.h"

namespace qk {

// Where the vendor's script lives: "/vendorscripts/<vendor id>/postprocess.asp".
std::string postProcessPath(std::string_view vendorId);

// 1 the store answered "success…"; 0 the store is not set up, or any other answer
// (an empty one when the store cannot be reached); -1 no usable login; -2 no order
// number; -3 no product id. Nothing is sent unless every check passes. `replyText` gets
// the reply, cut to its field.
int postProcess(const Deployment& deployment, const Session& session,
                std::string_view orderNumber, std::string_view productId, std::string_view data,
                FixedText<100>& replyText);

}  // namespace qk
