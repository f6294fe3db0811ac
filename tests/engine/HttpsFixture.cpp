#include "HttpsFixture.h"

#include "common/Messages.h"
#include "support/ResultPages.h"

HttpsTest::HttpsTest() : m_authority(m_certDir.Path()), m_trust(m_authority.CaFile()) {}

TestAuthority::Leaf HttpsTest::Trusted() {
    return m_authority.Signed("site", {"127.0.0.1"});
}

void HttpsTest::Secure(FixtureServer& server, const TestAuthority::Leaf& leaf) {
    server.EnableTls(leaf.certFile, leaf.keyFile);
}

std::string HttpsTest::HttpsSite(const FixtureServer& server) {
    return "https://" + server.HostPort();
}

std::string HttpsTest::Html(const std::string& body) {
    return "<html><head><title>t</title></head><body>" + body + "</body></html>";
}

void HttpsTest::HttpsTask(const FixtureServer& server, const std::string& path) {
    doc().m_bSiteMode = true;
    doc().m_strStartAddress = HttpsSite(server) + path;
    doc().m_strEndAddress = doc().m_strStartAddress;
    doc().m_strCurrentSite = HttpsSite(server);
    doc().m_nState = IDS_STATE_IDLE;
}

CAppOptions HttpsTest::ProxyOptions(const FixtureServer& proxy) {
    CAppOptions options;
    options.m_bUseProxy = true;
    options.m_strProxyAddress = proxy.Address();
    options.m_nProxyPort = proxy.Port();
    return options;
}

HttpsTest::Paths HttpsTest::TargetSet(const FixtureServer& server) {
    Paths targets;
    for (const FixtureServer::Request& request : server.Requests()) {
        targets.insert(request.target);
    }
    return targets;
}

HttpsTest::Paths HttpsTest::ListedSet() {
    const std::vector<std::string> listed = ListedUrls(m_dir.Path());
    return Paths(listed.begin(), listed.end());
}

std::vector<std::string> HttpsTest::TextsAfter(const RecordingTarget& target, unsigned message,
                                               size_t from) {
    const std::vector<std::string> texts = target.Texts(message);
    return from >= texts.size()
               ? std::vector<std::string>()
               : std::vector<std::string>(texts.begin() + static_cast<long>(from), texts.end());
}

std::vector<CPageFailure> HttpsTest::FailuresTold(const RecordingTarget& target) {
    std::vector<CPageFailure> told;
    for (const RecordingTarget::Message& message : target.Messages()) {
        if (message.message == WM_PAGE_FAILED) {
            told.push_back(FailureOfParam(message.wParam));
        }
    }
    return told;
}
