#include "certificate.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <ctime>
#include <memory>
#include <sys/stat.h>

namespace qk::demo {
namespace {

constexpr long kValidSeconds = 5L * 365 * 24 * 60 * 60;

struct KeyDeleter { void operator()(EVP_PKEY* p) const { EVP_PKEY_free(p); } };
struct CertDeleter { void operator()(X509* p) const { X509_free(p); } };
struct FileCloser { void operator()(FILE* f) const { std::fclose(f); } };

bool addExtension(X509* cert, int nid, const char* value) {
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, cert, cert, nullptr, nullptr, 0);
    X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value);
    if (ext == nullptr) return false;
    const bool ok = X509_add_ext(cert, ext, -1) == 1;
    X509_EXTENSION_free(ext);
    return ok;
}

bool writePem(const std::filesystem::path& path, mode_t mode, const auto& write) {
    const std::filesystem::path temp = path.string() + ".tmp";
    std::unique_ptr<FILE, FileCloser> file(std::fopen(temp.c_str(), "wb"));
    if (!file) return false;
    ::chmod(temp.c_str(), mode);
    if (!write(file.get())) return false;
    if (std::fflush(file.get()) != 0) return false;
    file.reset();
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    return !ec;
}

bool createCertificate(const CertificateFiles& files, std::string& error) {
    std::unique_ptr<EVP_PKEY, KeyDeleter> key(EVP_EC_gen("P-256"));
    if (!key) { error = "cannot generate a key"; return false; }

    std::unique_ptr<X509, CertDeleter> cert(X509_new());
    X509_set_version(cert.get(), 2);
    ASN1_INTEGER_set(X509_get_serialNumber(cert.get()), static_cast<long>(std::time(nullptr)));
    X509_gmtime_adj(X509_getm_notBefore(cert.get()), -24L * 60 * 60);
    X509_gmtime_adj(X509_getm_notAfter(cert.get()), kValidSeconds);
    X509_set_pubkey(cert.get(), key.get());

    X509_NAME* name = X509_get_subject_name(cert.get());
    X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>("Demo Store"), -1, -1, 0);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>("localhost"), -1, -1, 0);
    X509_set_issuer_name(cert.get(), name);

    // Self-signed and trusted directly as the client's CA file, so it is its own CA.
    if (!addExtension(cert.get(), NID_basic_constraints, "critical,CA:TRUE") ||
        !addExtension(cert.get(), NID_key_usage, "critical,digitalSignature,keyCertSign") ||
        !addExtension(cert.get(), NID_ext_key_usage, "serverAuth") ||
        !addExtension(cert.get(), NID_subject_key_identifier, "hash") ||
        !addExtension(cert.get(), NID_subject_alt_name, "IP:127.0.0.1,DNS:localhost")) {
        error = "cannot add certificate extensions";
        return false;
    }
    if (X509_sign(cert.get(), key.get(), EVP_sha256()) == 0) { error = "cannot sign the certificate"; return false; }

    const bool keyWritten = writePem(files.privateKey, 0600, [&](FILE* f) {
        return PEM_write_PrivateKey(f, key.get(), nullptr, nullptr, 0, nullptr, nullptr) == 1;
    });
    const bool certWritten = keyWritten && writePem(files.certificate, 0644, [&](FILE* f) {
        return PEM_write_X509(f, cert.get()) == 1;
    });
    if (!certWritten) { error = "cannot write the certificate files"; return false; }
    return true;
}

}  // namespace

bool ensureCertificate(const std::filesystem::path& stateDir, CertificateFiles& files, std::string& error) {
    files.certificate = stateDir / "store-cert.pem";
    files.privateKey = stateDir / "store-key.pem";
    std::error_code ec;
    if (std::filesystem::exists(files.certificate, ec) && std::filesystem::exists(files.privateKey, ec)) return true;
    return createCertificate(files, error);
}

}  // namespace qk::demo
