#pragma once
// "/vnaccount.asp" (view, create, update, resend the verification mail), the terms of
// service, the page behind the verification mail's link and the demo mailbox.

#include "accounts.h"
#include "store_scripts.h"

#include <string>
#include <string_view>

namespace qk::demo {

ScriptReply accountScript(std::string_view body, AccountBook& accounts);

// "/vnverify.asp?email=<address>": the link the verification mail would carry.
ScriptReply verificationPage(const std::string& email, AccountBook& accounts);

// "/mailbox.asp": the verification mails sent so far, newest first, each with its link.
ScriptReply mailboxPage(const AccountBook& accounts);

const std::string& termsText();

}  // namespace qk::demo
