#include "task/CredentialSidecar.h"

#include <algorithm>

#include "common/FileUtil.h"
#include "common/Sha256.h"
#include "common/Text.h"

namespace {
constexpr size_t kMaxFileSize = 4096;  // a few short lines; anything larger is not ours

bool IsFingerprint(const std::string& text) {
    return text.size() == 64 && text.find_first_not_of("0123456789abcdef") == std::string::npos;
}
}  // namespace

std::string CCredentialSidecar::Fingerprint(const std::string& credential) {
    return credential.empty() ? std::string() : CSha256::HexDigest(credential);
}

void CCredentialSidecar::Read(const std::string& taskDir) {
    *this = CCredentialSidecar();
    std::string text;
    if (!ReadWholeFile(taskDir + FILE_NAME, text) || text.size() > kMaxFileSize) {
        return;
    }
    size_t begin = 0;
    while (begin < text.size()) {
        const size_t end = std::min(text.find('\n', begin), text.size());
        const std::string line = text.substr(begin, end - begin);
        begin = end + 1;
        const size_t space = line.find(' ');
        if (space == std::string::npos || HasControlCharacters(line)) {
            continue;
        }
        const std::string key = line.substr(0, space);
        const std::string value = line.substr(space + 1);
        if (key == "credential" && IsFingerprint(value)) {
            m_strCredentialPrint = value;
        } else if (key == "host" && value.find(' ') == std::string::npos) {
            m_strHost = value;
        } else if (key == "wizard" && IsFingerprint(value)) {
            m_strWizardPrint = value;
        }
    }
}

bool CCredentialSidecar::Write(const std::string& taskDir) const {
    // A host that would break the line form is not kept: the credential
    // then goes nowhere after reopening.
    const bool keepHost =
        !HasControlCharacters(m_strHost) && m_strHost.find(' ') == std::string::npos;
    const std::string text = "credential " + m_strCredentialPrint + "\nhost " +
                             (keepHost ? m_strHost : std::string()) + "\nwizard " +
                             m_strWizardPrint + "\n";
    return WriteFileAtomically(taskDir + FILE_NAME, text, 0600);
}

std::string CCredentialSidecar::HostFor(const std::string& credential,
                                        const std::string& startHost) const {
    const std::string print = Fingerprint(credential);
    if (print.empty()) {
        return "";
    }
    if (print == m_strCredentialPrint && !m_strHost.empty()) {
        return m_strHost;
    }
    return print == m_strWizardPrint ? startHost : "";
}
