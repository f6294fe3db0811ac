#pragma once

#include <string>

// The bench's own certificate authority and a server certificate it signed
// for 127.0.0.1 (an IP address name), made anew each run and valid for two
// days: the crawler verifies the server as it would any site's, trusting
// the authority through SSL_CERT_FILE.
struct CBenchCertificates {
    std::string m_strCaFile;     // the authority's certificate (PEM)
    std::string m_strChainFile;  // the server's certificate, then the authority's
    std::string m_strKeyFile;    // the server's private key
};

// Writes ca.pem, server.pem and server.key into strFolder (RSA 2048-bit
// keys, SHA-256 signatures, as most sites have). False, with strError, when
// OpenSSL or the file system failed.
bool WriteBenchCertificates(const std::string& strFolder, CBenchCertificates& files,
                            std::string& strError);
