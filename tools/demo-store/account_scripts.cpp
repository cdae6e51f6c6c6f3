#include "account_scripts.h"

#include "form.h"

#include <cctype>

namespace qk::demo {
namespace {

// The form's text fields arrive form-encoded; passwords and the login do not.
DemoProfile profileOf(std::string_view body) {
    return DemoProfile{percentDecode(formValue(body, "Name")),      percentDecode(formValue(body, "LastName")),
                       percentDecode(formValue(body, "Address1")),  percentDecode(formValue(body, "City")),
                       percentDecode(formValue(body, "StateProv")), percentDecode(formValue(body, "Zipcode")),
                       percentDecode(formValue(body, "Country")),   percentDecode(formValue(body, "UserName"))};
}

std::string htmlEscaped(std::string_view text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string queryEncoded(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) != 0 || c == '.' || c == '-' || c == '_') {
            out += c;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        }
    }
    return out;
}

}  // namespace

ScriptReply accountScript(std::string_view body, AccountBook& accounts) {
    const std::string action = formValue(body, "action");
    if (action == "view") return textReply(accounts.viewReply(formValue(body, "login"), formValue(body, "password")));
    if (action == "new")
        return textReply(accounts.createAccount(profileOf(body), percentDecode(formValue(body, "Email")),
                                                formValue(body, "Password1")));
    if (action == "update")
        return textReply(accounts.updateAccount(formValue(body, "login"), formValue(body, "Password"), profileOf(body),
                                                percentDecode(formValue(body, "Email")), formValue(body, "Password1")));
    if (action == "resend") {
        if (accounts.sendVerificationMail(formValue(body, "email"))) return textReply("success");
        return textReply("Error: There is no account with that email address.");
    }
    return textReply("Error: This request is not available.");
}

ScriptReply verificationPage(const std::string& email, AccountBook& accounts) {
    if (!accounts.verify(email))
        return htmlPage(404, "Account Verification", "<p>There is no account with that email address.</p>");
    return htmlPage(200, "Account Verification",
                    "<p>Thank you! Your account is verified. You can now return to the application.</p>");
}

ScriptReply mailboxPage(const AccountBook& accounts) {
    const std::vector<std::string> mails = accounts.verificationMails();
    std::string list;
    for (auto mail = mails.rbegin(); mail != mails.rend(); ++mail) {
        list += "<li>To " + htmlEscaped(*mail) + ": please verify your account by opening <a href=\"/vnverify.asp?email=" +
                queryEncoded(*mail) + "\">this verification link</a>.</li>\n";
    }
    if (list.empty()) list = "<li>No mail has been sent yet.</li>\n";
    return htmlPage(200, "Demo Mailbox",
                    "<h1>Verification mails sent by the demo store</h1>\n<ul>\n" + list + "</ul>");
}

const std::string& termsText() {
    static const std::string text =
        "Varnel Terms of Service\r\n\r\n"
        "1. Your account. You are responsible for keeping your password secret. One account per customer.\r\n\r\n"
        "2. Purchases. Products are licensed, not sold, to the holder of the account that bought them. "
        "Downloads stay available from your library for as long as the vendor offers them.\r\n\r\n"
        "3. Refunds. Contact the vendor within 14 days of the purchase.\r\n\r\n"
        "4. Privacy. We store the data of your account to process your orders and nothing else.\r\n";
    return text;
}

}  // namespace qk::demo
