#include "support/TestAuthority.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>
#include <stdlib.h>

#include <cstdint>
#include <cstdio>

namespace {
constexpr long kHour = 3600;
constexpr long kDay = 24 * kHour;

EVP_PKEY* MakeKey() {
    EVP_PKEY* key = nullptr;
    EVP_PKEY_CTX* maker = EVP_PKEY_CTX_new_from_name(nullptr, "EC", nullptr);
    if (maker == nullptr || EVP_PKEY_keygen_init(maker) != 1 ||
        EVP_PKEY_CTX_set_group_name(maker, "P-256") != 1 || EVP_PKEY_generate(maker, &key) != 1) {
        ADD_FAILURE() << "cannot make an EC key";
    }
    EVP_PKEY_CTX_free(maker);
    return key;
}

bool IsIp(const std::string& name) {
    in_addr v4{};
    in6_addr v6{};
    return inet_pton(AF_INET, name.c_str(), &v4) == 1 ||
           inet_pton(AF_INET6, name.c_str(), &v6) == 1;
}

// "DNS:a.test,IP:127.0.0.1"
std::string AltNames(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) {
        text += (text.empty() ? "" : ",") + std::string(IsIp(name) ? "IP:" : "DNS:") + name;
    }
    return text;
}

bool AddExtension(X509* cert, X509V3_CTX& context, int nid, const std::string& value) {
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value.c_str());
    const bool added = extension != nullptr && X509_add_ext(cert, extension, -1) == 1;
    X509_EXTENSION_free(extension);
    if (!added) {
        ADD_FAILURE() << "cannot add the extension " << OBJ_nid2sn(nid) << " = " << value;
    }
    return added;
}

// When the certificate starts and stops being valid, from now.
void SetValidity(X509* cert, TestAuthority::Validity validity) {
    long from = -kHour;
    long to = kDay;
    if (validity == TestAuthority::Validity::Expired) {
        from = -2 * kDay;
        to = -kDay;
    } else if (validity == TestAuthority::Validity::NotYetValid) {
        from = kDay;
        to = 2 * kDay;
    }
    X509_gmtime_adj(X509_getm_notBefore(cert), from);
    X509_gmtime_adj(X509_getm_notAfter(cert), to);
}

// signer nullptr: self-signed. Extensions are lists of (nid, value).
X509* MakeCertificate(EVP_PKEY* key, const std::string& commonName, X509* signer,
                      EVP_PKEY* signerKey, TestAuthority::Validity validity,
                      const std::vector<std::pair<int, std::string>>& extensions) {
    X509* cert = X509_new();
    uint64_t serial = 0;
    if (cert == nullptr || X509_set_version(cert, X509_VERSION_3) != 1 ||
        RAND_bytes(reinterpret_cast<unsigned char*>(&serial), sizeof serial) != 1 ||
        ASN1_INTEGER_set_uint64(X509_get_serialNumber(cert), serial >> 1) != 1 ||
        X509_set_pubkey(cert, key) != 1) {
        ADD_FAILURE() << "cannot make a certificate";
        X509_free(cert);
        return nullptr;
    }
    SetValidity(cert, validity);
    X509_NAME* subject = X509_get_subject_name(cert);
    X509_NAME_add_entry_by_txt(subject, "CN", MBSTRING_UTF8,
                               reinterpret_cast<const unsigned char*>(commonName.c_str()), -1, -1,
                               0);
    X509_set_issuer_name(cert, signer != nullptr ? X509_get_subject_name(signer) : subject);
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, signer != nullptr ? signer : cert, cert, nullptr, nullptr, 0);
    for (const auto& [nid, value] : extensions) {
        if (!AddExtension(cert, context, nid, value)) {
            X509_free(cert);
            return nullptr;
        }
    }
    if (X509_sign(cert, signerKey, EVP_sha256()) == 0) {
        ADD_FAILURE() << "cannot sign the certificate " << commonName;
        X509_free(cert);
        return nullptr;
    }
    return cert;
}

bool WritePem(const std::string& path, X509* cert, EVP_PKEY* key) {
    FILE* file = std::fopen(path.c_str(), "w");
    bool written = file != nullptr;
    if (written && cert != nullptr) {
        written = PEM_write_X509(file, cert) == 1;
    }
    if (written && key != nullptr) {
        written = PEM_write_PrivateKey(file, key, nullptr, nullptr, 0, nullptr, nullptr) == 1;
    }
    if (file != nullptr && std::fclose(file) != 0) {
        written = false;
    }
    if (!written) {
        ADD_FAILURE() << "cannot write " << path;
    }
    return written;
}

std::optional<std::string> Environment(const char* name) {
    const char* value = getenv(name);
    return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

void Restore(const char* name, const std::optional<std::string>& value) {
    if (value) {
        setenv(name, value->c_str(), 1);
    } else {
        unsetenv(name);
    }
}
}  // namespace

TestAuthority::TestAuthority(const std::string& folder, const std::string& caName)
    : m_strFolder(folder.empty() || folder.back() == '/' ? folder : folder + "/") {
    m_strCaFile = m_strFolder + caName + ".pem";
    m_pCaKey = MakeKey();
    if (m_pCaKey == nullptr) {
        return;
    }
    m_pCaCert = MakeCertificate(m_pCaKey, caName, nullptr, m_pCaKey, Validity::Now,
                                {{NID_basic_constraints, "critical,CA:TRUE"},
                                 {NID_key_usage, "critical,keyCertSign,cRLSign"},
                                 {NID_subject_key_identifier, "hash"}});
    if (m_pCaCert != nullptr) {
        (void)WritePem(m_strCaFile, m_pCaCert, nullptr);  // a failure is reported there
    }
}

TestAuthority::~TestAuthority() {
    X509_free(m_pCaCert);
    EVP_PKEY_free(m_pCaKey);
}

TestAuthority::Leaf TestAuthority::Signed(const std::string& fileName,
                                          const std::vector<std::string>& subjectNames,
                                          Validity validity) {
    return MakeLeaf(fileName, subjectNames, validity, false);
}

TestAuthority::Leaf TestAuthority::SelfSigned(const std::string& fileName,
                                              const std::vector<std::string>& subjectNames,
                                              Validity validity) {
    return MakeLeaf(fileName, subjectNames, validity, true);
}

TestAuthority::Leaf TestAuthority::MakeLeaf(const std::string& fileName,
                                            const std::vector<std::string>& subjectNames,
                                            Validity validity, bool bSelfSigned) {
    Leaf leaf{m_strFolder + fileName + ".pem", m_strFolder + fileName + "-key.pem"};
    if (!bSelfSigned && m_pCaCert == nullptr) {
        ADD_FAILURE() << "the CA was not made";
        return leaf;
    }
    EVP_PKEY* key = MakeKey();
    if (key == nullptr) {
        return leaf;
    }
    std::vector<std::pair<int, std::string>> extensions = {
        {NID_basic_constraints, "critical,CA:FALSE"},
        {NID_key_usage, "critical,digitalSignature,keyEncipherment"},
        {NID_ext_key_usage, "serverAuth"},
        {NID_subject_key_identifier, "hash"}};
    if (!bSelfSigned) {
        extensions.emplace_back(NID_authority_key_identifier, "keyid:always");
    }
    if (!subjectNames.empty()) {
        extensions.emplace_back(NID_subject_alt_name, AltNames(subjectNames));
    }
    // The common name is no host name, so only the alternative names can match.
    X509* cert = MakeCertificate(key, fileName, bSelfSigned ? nullptr : m_pCaCert,
                                 bSelfSigned ? key : m_pCaKey, validity, extensions);
    if (cert != nullptr) {
        (void)WritePem(leaf.certFile, cert, nullptr);  // failures are reported there
        (void)WritePem(leaf.keyFile, nullptr, key);
    }
    X509_free(cert);
    EVP_PKEY_free(key);
    return leaf;
}

ScopedCertFile::ScopedCertFile(const std::string& caFile)
    : m_strOldFile(Environment("SSL_CERT_FILE")), m_strOldDir(Environment("SSL_CERT_DIR")) {
    setenv("SSL_CERT_FILE", caFile.c_str(), 1);
    unsetenv("SSL_CERT_DIR");
}

ScopedCertFile::~ScopedCertFile() {
    Restore("SSL_CERT_FILE", m_strOldFile);
    Restore("SSL_CERT_DIR", m_strOldDir);
}
