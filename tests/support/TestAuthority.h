#pragma once

#include <optional>
#include <string>
#include <vector>

struct evp_pkey_st;
struct x509_st;

// Certificates made at test time: a CA and the server certificates it
// signs, and self-signed ones, as PEM files in a given folder. Keys are EC
// P-256, which costs a millisecond. Failures are test failures.
class TestAuthority {
public:
    enum class Validity { Now, Expired, NotYetValid };
    struct Leaf {
        std::string certFile;
        std::string keyFile;
    };

    // The CA, named caName (its common name and file name).
    explicit TestAuthority(const std::string& folder, const std::string& caName = "test-ca");
    ~TestAuthority();
    TestAuthority(const TestAuthority&) = delete;
    TestAuthority& operator=(const TestAuthority&) = delete;

    // The CA certificate's PEM file, for SSL_CERT_FILE.
    const std::string& CaFile() const { return m_strCaFile; }

    // A server certificate signed by the CA for subjectNames: DNS names, and
    // IP addresses ("127.0.0.1"), which go into IP entries. fileName names
    // the files in the folder.
    Leaf Signed(const std::string& fileName, const std::vector<std::string>& subjectNames,
                Validity validity = Validity::Now);
    // The same, signed by its own key: no CA vouches for it.
    Leaf SelfSigned(const std::string& fileName, const std::vector<std::string>& subjectNames,
                    Validity validity = Validity::Now);

private:
    Leaf MakeLeaf(const std::string& fileName, const std::vector<std::string>& subjectNames,
                  Validity validity, bool bSelfSigned);

    std::string m_strFolder;  // ends with "/"
    std::string m_strCaFile;
    evp_pkey_st* m_pCaKey = nullptr;
    x509_st* m_pCaCert = nullptr;
};

// Points OpenSSL's trust store at one file for a scope: sets SSL_CERT_FILE,
// unsets SSL_CERT_DIR, and puts both back afterwards. A CTlsContext reads
// them when it is made.
class ScopedCertFile {
public:
    explicit ScopedCertFile(const std::string& caFile);
    ~ScopedCertFile();
    ScopedCertFile(const ScopedCertFile&) = delete;
    ScopedCertFile& operator=(const ScopedCertFile&) = delete;

private:
    std::optional<std::string> m_strOldFile;
    std::optional<std::string> m_strOldDir;
};
