#pragma once
// "/vnaccount.asp" (view, create, update, resend the verification mail), the terms of
// service, and the page behind the verification mail's link.

#include "accounts.h"
#include "store_scripts.h"

#include <string>
#include <string_view>

namespace qk::demo {

ScriptReply accountScript(std::string_view body, AccountBook& accounts);

// "/vnverify.asp?email=<address>": the link the verification mail would carry.
ScriptReply verificationPage(const std::string& email, AccountBook& accounts);

const std::string& termsText();

}  // namespace qk::demo
