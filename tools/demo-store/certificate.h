#pragma once
// The store's self-signed TLS certificate: made once, kept in the state folder and
// reused, so that a CA file handed to the agent stays valid across restarts.

#include <filesystem>
#include <string>

namespace qk::demo {

struct CertificateFiles {
    std::filesystem::path certificate;  // PEM, also the CA file for clients
    std::filesystem::path privateKey;   // PEM, readable by the owner only
};

// Returns the PEM files in `stateDir`, creating them when missing. On failure returns
// false and puts the reason in `error`.
bool ensureCertificate(const std::filesystem::path& stateDir, CertificateFiles& files, std::string& error);

}  // namespace qk::demo
