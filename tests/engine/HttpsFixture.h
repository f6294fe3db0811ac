#pragma once

#include <set>
#include <string>
#include <vector>

#include "EngineFixture.h"
#include "support/TestAuthority.h"

// Crawls of HTTPS sites: a test CA the engine trusts for the test's span,
// and the helpers the HTTPS tests share.
class HttpsTest : public EngineTest {
protected:
    using Paths = std::set<std::string>;

    HttpsTest();

    // A certificate the test CA signs for 127.0.0.1.
    TestAuthority::Leaf Trusted();
    // TLS for the connections server accepts from now on.
    static void Secure(FixtureServer& server, const TestAuthority::Leaf& leaf);
    // "https://127.0.0.1:PORT": the HTTPS site server is.
    static std::string HttpsSite(const FixtureServer& server);
    // An HTML page around body.
    static std::string Html(const std::string& body);
    // A site-mode task starting at path of server's HTTPS site.
    void HttpsTask(const FixtureServer& server, const std::string& path = "/");
    // The application options with the task's proxy pointed at proxy.
    static CAppOptions ProxyOptions(const FixtureServer& proxy);

    static Paths TargetSet(const FixtureServer& server);
    Paths ListedSet();
    // The failures told in WM_PAGE_FAILED, in order.
    static std::vector<CPageFailure> FailuresTold(const RecordingTarget& target);
    // The texts of message that target got after its first `from` ones.
    static std::vector<std::string> TextsAfter(const RecordingTarget& target, unsigned message,
                                               size_t from);

    TempDir m_certDir;  // apart from the task folder, which the tests look through
    TestAuthority m_authority;
    ScopedCertFile m_trust;
};
