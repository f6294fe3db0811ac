#pragma once

#include <string>

// What the task folder's hidden file remembers about the site credential that
// the task file keeps, without changing the task file: the host the
// credential belongs to, and which credential is the task's own account (the
// one given when the task was created). It holds fingerprints, never the
// credential, and binds a host to the very credential it was given for: a
// task file with another credential finds nothing here.
//
//   credential 5f1d...e2   (64 hex digits)
//   host 127.0.0.2:8080
//   wizard 9a0b...17
class CCredentialSidecar {
public:
    // Owner-only, in the task folder; the local server never serves a file
    // directly in that folder except the result pages.
    static constexpr char FILE_NAME[] = ".QuobrixAuth";

    // SHA-256 of the Base64 credential in hex; empty for no credential.
    static std::string Fingerprint(const std::string& credential);

    // Reads the file in taskDir ("/tasks/shop/"). A missing or unreadable
    // file, or lines of another form, leave the fields empty: nothing known.
    void Read(const std::string& taskDir);
    // Writes it atomically, readable by its owner only.
    [[nodiscard]] bool Write(const std::string& taskDir) const;

    // The host credential belongs to: the one recorded for it; otherwise the
    // start host when it is the task's own account; otherwise "", which
    // matches no host, so the credential is sent nowhere.
    [[nodiscard]] std::string HostFor(const std::string& credential,
                                      const std::string& startHost) const;

    std::string m_strCredentialPrint;  // fingerprint of the credential m_strHost belongs to
    std::string m_strHost;             // "127.0.0.2:8080"; empty when unknown
    std::string m_strWizardPrint;      // fingerprint of the task's own account
};
