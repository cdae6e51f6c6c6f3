#pragma once
// Switches that tests flip at run time through the control request
// ("POST /_control" on the plain-HTTP port, body "<name>=<value>"):
//   catalog=normal|errversion|webpage|error1|empty|headeronly|allhidden
//                                                               what the catalog script answers
//   primary=down|up                                             primary file server refuses connections
//   secondary=serve|redirect                                    redirect: the secondary file server sends
//                                                               every request on to the mirror (302)
//   notification=on|off                                         off: the notification reply is empty
//   notificationid=<up to 10 characters>                         the notification's identifier field
//   notificationtext=<text>                                     its text (empty: a reply of the field alone)
//   fileid=<suffix>                                             appended to every file id the store hands
//                                                               out, e.g. "-cut4000" (empty: none)
//   postprocess=ok|fail                                         fail: the post-processing script refuses
//   postreply, paypalreply, couponreply, accountreply=<text>    that script's answer, whatever is asked
//                                                               (empty: it answers as usual)
//   delay=<ms> | <ms>:<path>                                    the store web server answers that late:
//                                                               every script, notification and picture,
//                                                               or only requests for <path>
//   updates=on|off                                              on: some orders announce a newer version
//   refusefile=<file name>                                      "/vngetfile.asp" answers "Error:1" for
//                                                               that file (empty: for none)
//   primarycut=<N>|off                                          the primary file server ends every reply
//                                                               after N body bytes
//   secondaryfiles=same|other|ignorerange|novalidators          what the secondary file server is like:
//                                                               an out-of-date mirror (another build of
//                                                               the same size, no validators), a server
//                                                               that ignores ranges, or one that sends
//                                                               no validators

#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "file_server.h"

namespace qk::demo {

enum class CatalogMode { Normal, ErrVersion, WebPage, Error1, Empty, HeaderOnly, AllHidden };

class StoreControls {
public:
    // `setPrimaryAccepting` switches the primary file server; it returns once done.
    explicit StoreControls(std::function<bool(bool)> setPrimaryAccepting);

    // Applies one switch; false for an unknown name or value (nothing changes).
    bool apply(const std::string& name, const std::string& value);

    CatalogMode catalogMode() const;
    bool notificationOn() const;
    // The notification's identifier field (at most 10 characters) and its text.
    std::string notificationId() const;
    std::optional<std::string> notificationText() const;  // unset: the store's own
    std::string fileIdSuffix() const;
    // The secondary file server redirects every request to the mirror.
    bool secondaryRedirects() const;
    // The file id "/vngetfile.asp" hands out for every owned file; empty: the order's own.
    std::string servedFile() const;
    bool postProcessFails() const;
    // The post-processing script's scripted answer; empty: it answers as usual.
    std::string postProcessReply() const;
    // The PayPal session script's scripted answer; empty: it answers as usual.
    std::string paypalReply() const;
    // The coupon script's scripted answer; empty: it answers as usual.
    std::string couponReply() const;
    // The account script's scripted answer (every action); empty: it answers as usual.
    std::string accountReply() const;
    // How long the store web server holds back its answer to a request for `path`: the
    // delay set for that path, else the one set for all.
    std::chrono::milliseconds replyDelay(const std::string& path) const;
    // The longest delay the switch takes (10 minutes).
    static constexpr long kMaxDelayMs = 600000;
    // Some orders announce a newer version than the one their files were first handed out in.
    bool newerVersions() const;
    // The file "/vngetfile.asp" refuses; empty: none.
    std::string refusedFile() const;
    // How each file server behaves beyond the file ids' own faults.
    FileServerMode primaryMode() const;
    FileServerMode secondaryMode() const;

private:
    std::function<bool(bool)> setPrimaryAccepting_;
    mutable std::mutex mutex_;
    CatalogMode catalogMode_ = CatalogMode::Normal;
    bool notificationOn_ = true;
    std::string notificationId_ = "1001";
    std::optional<std::string> notificationText_;  // unset: the store's own text
    std::string fileIdSuffix_;
    bool secondaryRedirects_ = false;
    std::string servedFile_;
    bool postProcessFails_ = false;
    std::string postProcessReply_;
    std::string paypalReply_;
    std::string couponReply_;
    std::string accountReply_;
    std::chrono::milliseconds delayAll_{0};
    std::map<std::string, std::chrono::milliseconds> delayByPath_;
    bool newerVersions_ = false;
    std::string refusedFile_;
    FileServerMode primaryMode_;
    FileServerMode secondaryMode_;
};

}  // namespace qk::demo
