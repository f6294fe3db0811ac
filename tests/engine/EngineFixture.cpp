#include "EngineFixture.h"

EngineTest::EngineTest() {
    UseDoc(std::make_unique<CTestDoc>());
}

void EngineTest::UseDoc(std::unique_ptr<CTestDoc> pDoc) {
    m_pDoc = std::move(pDoc);
    doc().m_hWndMainFrame = &m_frame;
    doc().m_hWndThreadBar = &m_bar;
    doc().m_hWndView = &m_view;
    doc().m_strTaskDir = m_dir.Path();
    doc().m_nTimeout = 5000;
}

void EngineTest::SiteTask(const FixtureServer& server, const std::string& path) {
    doc().m_bSiteMode = true;
    doc().m_strStartAddress = server.HostPort() + path;
    doc().m_strEndAddress = doc().m_strStartAddress;
    doc().m_strCurrentSite = server.HostPort();
    doc().m_nState = IDS_STATE_IDLE;
}

void EngineTest::RangeTask(const std::string& first, const std::string& last,
                           const FixtureServer& proxy) {
    doc().m_bSiteMode = false;
    doc().m_strStartAddress = first;
    doc().m_strEndAddress = last;
    doc().m_strCurrentSite = first;
    doc().m_nState = IDS_STATE_IDLE;
    CAppOptions options;
    options.m_bUseProxy = true;
    options.m_strProxyAddress = proxy.Address();
    options.m_nProxyPort = proxy.Port();
    doc().SetAppOptions(options);
}

void EngineTest::PausedWith(const std::vector<std::string>& urls, int next,
                            const std::vector<std::pair<int, std::string>>& slotUrls) {
    doc().m_nState = IDS_STATE_PAUSED;
    doc().m_bResolved = false;  // as after opening a saved task
    doc().m_arrUrls = urls;
    doc().m_nNextUrl = next;
    for (const auto& [slot, url] : slotUrls) {
        doc().m_strUrl[slot] = url;
    }
}

bool EngineTest::Ended() {
    return doc().IsRunEnded();
}

bool EngineTest::WaitUntilEnded(std::chrono::milliseconds timeout) {
    const bool ended = WaitFor([this] { return Ended(); }, timeout);
    if (ended) {
        doc().JoinWorkers();
    }
    return ended;
}

bool EngineTest::RunToEnd(std::chrono::milliseconds timeout) {
    doc().OnTaskRun();
    return WaitUntilEnded(timeout);
}

std::vector<std::string> EngineTest::Targets(const FixtureServer& server) {
    std::vector<std::string> targets;
    for (const FixtureServer::Request& request : server.Requests()) {
        targets.push_back(request.target);
    }
    return targets;
}
