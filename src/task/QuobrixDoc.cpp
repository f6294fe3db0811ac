#include "task/QuobrixDoc.h"

#include "engine/RobotsRules.h"
#include "engine/TlsStream.h"
#include "server/LocalServer.h"

#include <sys/socket.h>
#include <unistd.h>

CQuobrixDoc* g_pTaskDoc = nullptr;

CQuobrixDoc::CQuobrixDoc() {
    for (AtomicValue<int>& sock : m_sockSlot) {
        sock = -1;
    }
    ResetDocument();
    DeleteContents();
    g_pTaskDoc = this;
}

CQuobrixDoc::~CQuobrixDoc() {
    // Workers never outlive the record: stop them, wake any blocked fetch,
    // and wait for every thread.
    StopLocalServer();
    ShutDownWorkers();
    if (m_hResultFile >= 0) {
        close(m_hResultFile);
    }
    if (g_pTaskDoc == this) {
        g_pTaskDoc = nullptr;
    }
}

void CQuobrixDoc::DeleteContents() {
    JoinWorkers();  // threads of a stopped task that are still returning
    m_bStop = false;
    m_bKeywordsChanged = false;
    m_nState = IDS_STATE_IDLE;
    m_nNextUrl = 0;
    m_nNextSite = 0;
    ClearAddress();
    ForgetRobots();  // a reopened task asks each site again
    for (int slot = 0; slot < SLOT_COUNT; ++slot) {
        m_bActive[slot] = false;
        m_sockSlot[slot] = -1;
        m_nRequested[slot] = 0;
    }

    m_nDepth = 0;
    m_nResultsPerPage = 50;
    m_bPromptAuth = false;
    m_nAbstractMaxLength = 300;
    m_nAbstractStart = 0;
    m_nAbstractOffset = 0;
    m_bPauseAfterSite = false;
    m_bFilterText = true;
    m_bFilterImage = true;
    m_bFilterOthers = true;
    m_nTextMaxK = 1024;
    m_nImageMaxK = 0;
    m_nOthersMaxK = 1024;
    m_bRecolorLinks = true;
    m_nRetries = 3;
    m_nTimeout = 60000;
    m_nMaxThreads = 10;
}

void CQuobrixDoc::ClearAddress() {
    CLock lock(m_csResolve);
    ++m_nAddressGeneration;  // a lookup for the old site is not published
    m_bResolved = false;
    m_addrSite = sockaddr_in{};
    m_addrSite.sin_family = AF_INET;
}

std::string CQuobrixDoc::TaskDirFor(const std::string& path) {
    // The extension is cut from the file name only: a dot in a folder name
    // does not count.
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (hasExtension ? path.substr(0, dot) : path) + "/";
}

void CQuobrixDoc::BuildTaskPaths() {
    CLock lock(m_csResults);
    m_strTaskDir = TaskDirFor(GetPathName());
    m_strEmailListPath = m_strTaskDir + "EmailAddress.txt";
    m_strResultPagePath = m_strTaskDir + "ResultPage0.html";
}

std::string CQuobrixDoc::GetTaskDir() const {
    CLock lock(m_csResults);
    return m_strTaskDir;
}

std::string CQuobrixDoc::GetResultPagePath() const {
    CLock lock(m_csResults);
    return m_strResultPagePath;
}
