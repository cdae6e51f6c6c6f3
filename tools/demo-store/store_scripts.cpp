#include "store_scripts.h"

#include "account_scripts.h"
#include "catalog_data.h"
#include "commerce_scripts.h"
#include "form.h"

#include <algorithm>
#include <vector>

namespace qk::demo {
namespace {

constexpr std::string_view kNotificationText =
    "Welcome to the Tovrin Simulations store!\r\n\r\n"
    "Grand Canyon HD is now available in high definition, and the Weather Engine beta is open to every "
    "customer. Thank you for flying with us.";

ScriptReply catalogScript(std::string_view body, const StoreControls& controls) {
    switch (controls.catalogMode()) {
        case CatalogMode::ErrVersion: return textReply("err:version");
        case CatalogMode::WebPage:
            return htmlPage(200, "Store closed", "<p>The store is closed for maintenance.</p>");
        case CatalogMode::Error1: return textReply("Error:1");
        case CatalogMode::Empty: return textReply("");
        case CatalogMode::HeaderOnly: return textReply(catalogReply(true));
        case CatalogMode::Normal:
        case CatalogMode::AllHidden: break;
    }
    if (formValue(body, "vendorid") != kVendorId) return textReply("Error:1");
    return textReply(catalogReply(false, controls.catalogMode() == CatalogMode::AllHidden));
}

// The orders list every file at the size of the file served in its place (the switch
// `servefile`), so that what the order says matches what the file servers send.
std::string withServedSize(const std::string& reply, const std::string& served) {
    if (!served.starts_with("gen-") || served.find('-', 4) != std::string::npos) return reply;
    const std::string size = served.substr(4);
    std::string out;
    std::size_t start = 0;
    for (int row = 0; start <= reply.size(); ++row) {
        const std::size_t bar = std::min(reply.find('|', start), reply.size());
        std::string record = reply.substr(start, bar - start);
        std::vector<std::string> fields;
        for (std::size_t from = 0; from <= record.size();) {
            const std::size_t star = std::min(record.find('*', from), record.size());
            fields.push_back(record.substr(from, star - from));
            from = star + 1;
        }
        if (row > 0 && fields.size() > 4) {
            if (fields[2].find('/') == std::string::npos) {
                fields[4] = size;
            } else {
                std::string files;
                for (std::size_t from = 0; from <= fields[2].size();) {
                    const std::size_t slash = std::min(fields[2].find('/', from), fields[2].size());
                    const std::string entry = fields[2].substr(from, slash - from);
                    files += (files.empty() ? "" : "/") + entry.substr(0, entry.find(':')) + ":" + size;
                    from = slash + 1;
                }
                fields[2] = files;
            }
            record.clear();
            for (std::size_t i = 0; i < fields.size(); ++i) record += (i ? "*" : "") + fields[i];
        }
        out += (row ? "|" : "") + record;
        start = bar + 1;
    }
    return out;
}

ScriptReply purchaseScript(std::string_view body, StoreContext& store) {
    const std::string action = formValue(body, "action");
    if (action == "catalog") return catalogScript(body, store.controls);
    if (action == "getpurchases")
        return textReply(withServedSize(store.accounts.purchasesReply(formValue(body, "email"),
                                                                      formValue(body, "password"),
                                                                      formValue(body, "vendorid"),
                                                                      store.controls.newerVersions()),
                                        store.controls.servedFile()));
    return textReply("Error:1");
}

ScriptReply fileIdScript(std::string_view body, StoreContext& store) {
    if (formValue(body, "vid") != kVendorId) return textReply("Error:1");
    const std::string suffix = store.controls.fileIdSuffix();
    std::string reply = store.accounts.fileIdReply(formValue(body, "vpwd"), formValue(body, "login"),
                                                   formValue(body, "password"), formValue(body, "pid"), suffix,
                                                   store.controls.newerVersions());
    if (const std::string refused = store.controls.refusedFile();
        !refused.empty() && reply.starts_with("success|" + refused + "|"))
        return textReply("Error:1");
    if (const std::string served = store.controls.servedFile(); !served.empty() && reply.starts_with("success|"))
        reply = reply.substr(0, reply.rfind('|') + 1) + served + suffix;
    return textReply(std::move(reply));
}

ScriptReply postProcessScript(std::string_view body, StoreContext& store) {
    if (std::string scripted = store.controls.postProcessReply(); !scripted.empty()) return textReply(std::move(scripted));
    if (store.controls.postProcessFails() || formValue(body, "action") != "postprocess" ||
        formValue(body, "vendorid") != kVendorId)
        return textReply("Error:1");
    return textReply(store.accounts.postProcessReply(formValue(body, "email"), formValue(body, "password"),
                                                     formValue(body, "ordernum"), formValue(body, "productid")));
}

ScriptReply notificationScript(std::string_view body, const StoreControls& controls) {
    if (formValue(body, "action") != "qknotify" || formValue(body, "vendorid") != kVendorId || !controls.notificationOn())
        return textReply("");
    std::string id = controls.notificationId();
    id.insert(0, 10 - id.size(), ' ');
    return textReply(id + controls.notificationText().value_or(std::string(kNotificationText)));
}

ScriptReply lostPasswordPage() {
    return htmlPage(200, "Lost Password",
                    "<h1>Tovrin Simulations Store: Lost Password</h1>\n"
                    "<form method=\"post\" action=\"/lostpwd.asp\"><p>Enter the email address of your account and "
                    "we will send you a link to choose a new password.</p>\n"
                    "<input type=\"text\" name=\"email\"> <input type=\"submit\" value=\"Send\"></form>");
}

ScriptReply notFoundPage() { return htmlPage(404, "Not Found", "<p>The page does not exist.</p>"); }

// "/moved/<path>" on either scheme: 302 to "/<path>", so clients can be tried on redirects.
bool answerMoved(const std::string& path, const std::string& query, ScriptReply& reply) {
    constexpr std::string_view kMoved = "/moved/";
    if (!path.starts_with(kMoved)) return false;
    reply = htmlPage(302, "Moved", "<p>This page has moved.</p>");
    reply.location = path.substr(kMoved.size() - 1) + (query.empty() ? "" : "?" + query);
    return true;
}

// Pages a browser opens, over either scheme.
bool answerPage(const std::string& path, const std::string& query, StoreContext& store, ScriptReply& reply) {
    if (path == "/lostpwd.asp") {
        reply = lostPasswordPage();
    } else if (path == "/vnverify.asp") {
        reply = verificationPage(queryValue(query, "email"), store.accounts);
    } else if (path == "/mailbox.asp") {
        reply = mailboxPage(store.accounts);
    } else if (path == "/view.asp" && queryValue(query, "page") == "tos") {
        reply = htmlPage(200, "Terms of Service", "<pre>" + termsText() + "</pre>");
    } else {
        return false;
    }
    return true;
}

}  // namespace

ScriptReply htmlPage(int status, const std::string& title, const std::string& bodyHtml) {
    return ScriptReply{status, "text/html",
                       "<!DOCTYPE html>\n<html><head><title>" + title + "</title></head><body>\n" + bodyHtml +
                           "\n</body></html>\n", {}};
}

ScriptReply answerSecure(const std::string& method, const std::string& path, const std::string& query,
                         const std::string& body, StoreContext& store) {
    ScriptReply reply;
    if (answerPage(path, query, store, reply) || answerMoved(path, query, reply)) return reply;
    if (path == "/vnpaypal1.asp" && !queryValue(query, "session").empty())
        return paypalApprovalPage(queryValue(query, "session"), store);
    if (method != "POST") return notFoundPage();
    if (path == "/vnpurchase1.asp") return purchaseScript(body, store);
    if (path == "/vngetfile.asp") return fileIdScript(body, store);
    if (path == "/vendorscripts/" + std::string(kVendorId) + "/postprocess.asp") return postProcessScript(body, store);
    if (path == "/vnaccount.asp") {
        if (std::string scripted = store.controls.accountReply(); !scripted.empty()) return textReply(std::move(scripted));
        return accountScript(body, store.accounts);
    }
    if (path == "/vnterms.asp") return textReply(termsText());
    if (path == "/vncoupon1.asp") return couponScript(body, store);
    if (path == "/cgi-bin/vnprocess1.asp") return purchaseTransactionScript(body, store);
    if (path == "/vnpaypal1.asp") return paypalSessionScript(body, store);
    return notFoundPage();
}

ScriptReply answerPlain(const std::string& path, const std::string& query, const std::string& body,
                        StoreContext& store) {
    ScriptReply reply;
    if (answerPage(path, query, store, reply) || answerMoved(path, query, reply)) return reply;
    if (path == "/vnpurchase1.asp") return notificationScript(body, store.controls);
    return notFoundPage();
}

}  // namespace qk::demo
