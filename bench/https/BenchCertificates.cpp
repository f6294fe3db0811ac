#include "BenchCertificates.h"

#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>
#include <openssl/x509v3.h>
#include <sys/stat.h>

#include <memory>
#include <utility>
#include <vector>

namespace {
constexpr unsigned kKeyBits = 2048;
constexpr long kValidSeconds = 2L * 24 * 3600;
constexpr long kClockSlack = 3600;  // valid from an hour ago: clocks differ

using CKey = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;
using CCertificate = std::unique_ptr<X509, decltype(&X509_free)>;
using CExtensions = std::vector<std::pair<int, const char*>>;

std::string OpenSslError(const std::string& what) {
    char text[256] = "";
    ERR_error_string_n(ERR_get_error(), text, sizeof(text));
    return what + ": " + text;
}

CKey NewKey() {
    EVP_PKEY* key = nullptr;
    EVP_PKEY_CTX* context = EVP_PKEY_CTX_new_from_name(nullptr, "RSA", nullptr);
    if (context != nullptr && EVP_PKEY_keygen_init(context) == 1 &&
        EVP_PKEY_CTX_set_rsa_keygen_bits(context, kKeyBits) == 1) {
        EVP_PKEY_generate(context, &key);
    }
    EVP_PKEY_CTX_free(context);
    return CKey(key, &EVP_PKEY_free);
}

// A certificate for key, named commonName, signed by issuer's key; issuer
// nullptr: signed by key itself (the authority).
CCertificate NewCertificate(EVP_PKEY* key, const char* commonName, X509* issuer,
                            EVP_PKEY* issuerKey, long serial, const CExtensions& extensions) {
    CCertificate certificate(X509_new(), &X509_free);
    X509* cert = certificate.get();
    if (cert == nullptr) {
        return certificate;
    }
    X509_NAME* name = X509_get_subject_name(cert);
    bool bOk =
        X509_set_version(cert, 2) == 1 &&
        ASN1_INTEGER_set(X509_get_serialNumber(cert), serial) == 1 &&
        X509_gmtime_adj(X509_getm_notBefore(cert), -kClockSlack) != nullptr &&
        X509_gmtime_adj(X509_getm_notAfter(cert), kValidSeconds) != nullptr &&
        X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                                   reinterpret_cast<const unsigned char*>(commonName), -1, -1,
                                   0) == 1 &&
        X509_set_issuer_name(cert, issuer != nullptr ? X509_get_subject_name(issuer) : name) == 1 &&
        X509_set_pubkey(cert, key) == 1;
    X509V3_CTX context;
    X509V3_set_ctx(&context, issuer != nullptr ? issuer : cert, cert, nullptr, nullptr, 0);
    for (const auto& [nid, value] : extensions) {
        X509_EXTENSION* extension =
            bOk ? X509V3_EXT_conf_nid(nullptr, &context, nid, value) : nullptr;
        bOk = extension != nullptr && X509_add_ext(cert, extension, -1) == 1;
        X509_EXTENSION_free(extension);
    }
    if (!bOk || X509_sign(cert, issuerKey, EVP_sha256()) == 0) {
        certificate.reset();
    }
    return certificate;
}

bool WritePem(const std::string& path, const std::vector<X509*>& certificates, EVP_PKEY* key,
              std::string& strError) {
    BIO* file = BIO_new_file(path.c_str(), "w");
    bool bOk = file != nullptr;
    for (X509* certificate : certificates) {
        bOk = bOk && PEM_write_bio_X509(file, certificate) == 1;
    }
    if (key != nullptr) {
        bOk = bOk && chmod(path.c_str(), 0600) == 0 &&
              PEM_write_bio_PrivateKey(file, key, nullptr, nullptr, 0, nullptr, nullptr) == 1;
    }
    bOk = BIO_free(file) == 1 && bOk;
    if (!bOk) {
        strError = OpenSslError("cannot write " + path);
    }
    return bOk;
}
}  // namespace

bool WriteBenchCertificates(const std::string& strFolder, CBenchCertificates& files,
                            std::string& strError) {
    const CKey caKey = NewKey();
    const CKey serverKey = NewKey();
    if (!caKey || !serverKey) {
        strError = OpenSslError("cannot make an RSA key");
        return false;
    }
    const CCertificate ca =
        NewCertificate(caKey.get(), "Quobrix bench authority", nullptr, caKey.get(), 1,
                       {{NID_basic_constraints, "critical,CA:TRUE"},
                        {NID_key_usage, "critical,keyCertSign,cRLSign"},
                        {NID_subject_key_identifier, "hash"}});
    const CCertificate server =
        ca ? NewCertificate(serverKey.get(), "127.0.0.1", ca.get(), caKey.get(), 2,
                            {{NID_basic_constraints, "CA:FALSE"},
                             {NID_key_usage, "critical,digitalSignature,keyEncipherment"},
                             {NID_ext_key_usage, "serverAuth"},
                             {NID_subject_alt_name, "IP:127.0.0.1"},
                             {NID_subject_key_identifier, "hash"},
                             {NID_authority_key_identifier, "keyid:always"}})
           : CCertificate(nullptr, &X509_free);
    if (!ca || !server) {
        strError = OpenSslError("cannot make the certificates");
        return false;
    }
    files.m_strCaFile = strFolder + "/ca.pem";
    files.m_strChainFile = strFolder + "/server.pem";
    files.m_strKeyFile = strFolder + "/server.key";
    return WritePem(files.m_strCaFile, {ca.get()}, nullptr, strError) &&
           WritePem(files.m_strChainFile, {server.get(), ca.get()}, nullptr, strError) &&
           WritePem(files.m_strKeyFile, {}, serverKey.get(), strError);
}
