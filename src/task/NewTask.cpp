#include <fcntl.h>
#include <unistd.h>

#include <vector>

#include "common/Base64.h"
#include "common/FileUtil.h"
#include "common/StringTable.h"
#include "task/CredentialSidecar.h"
#include "task/QuobrixDoc.h"

namespace {
// The first result page of a new task, created empty in the task folder. A
// failure is not reported here: the result writer reports when it cannot
// write.
void CreateEmptyResultPage(const std::string& path) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd >= 0) {
        close(fd);
    }
}

// What a new task writes, so that a failed save can take it back.
struct CNewTaskTraces {
    std::string m_strFile;  // the file the task file's path names, links followed
    bool m_bFileExisted = false;
    std::string m_strSidecar;
    bool m_bSidecarExisted = false;
    std::vector<std::string> m_arrCreatedFolders;  // outermost first

    void Remove() const {
        if (!m_bSidecarExisted) {
            unlink(m_strSidecar.c_str());
        }
        if (!m_bFileExisted && !m_strFile.empty()) {
            unlink(m_strFile.c_str());
        }
        for (auto folder = m_arrCreatedFolders.rbegin(); folder != m_arrCreatedFolders.rend();
             ++folder) {
            rmdir(folder->c_str());
        }
    }
};
}  // namespace

void CQuobrixDoc::BuildNewTask(const CNewTaskRecord& record, const std::string& path,
                               uint32_t crDefaultLinkColor) {
    ResetToNewDocument();  // published once it is saved
    SetPathName(path);

    // "255.255.255.255" cannot be advanced past, so a range starting there
    // starts one address lower.
    m_strStartAddress = record.m_strStartAddress == "255.255.255.255" ? "255.255.255.254"
                                                                      : record.m_strStartAddress;
    {
        CLock lock(m_csSites);
        m_strCurrentSite = record.m_strStartAddress;
    }
    m_strEndAddress = record.m_strEndAddress;
    m_bSiteMode = record.m_bSiteMode;
    SetKeywords(record.m_strKeywords, record.m_bMatchCase);
    // The account given with the task is for its start host only; the
    // sidecar remembers that it is the task's own.
    const std::string credential =
        record.m_strAccount.empty()
            ? std::string()
            : CBase64::Encode(record.m_strAccount + ":" + record.m_strPassword);
    SetSiteAuthorization(credential, StartHost());
    {
        CLock lock(m_csCredential);
        m_strWizardPrint = CCredentialSidecar::Fingerprint(credential);
    }

    PrepareRun();
    m_strTaskTitle = GetTitle();
    BuildTaskPaths();
    m_nAutoSaveMinutes = NEW_TASK_AUTO_SAVE_MINUTES;
    m_crLinkColor = crDefaultLinkColor;
}

bool CQuobrixDoc::SaveNewTask(std::string& strError) {
    const std::string path = GetPathName();
    const std::string taskDir = GetTaskDir();
    CNewTaskTraces traces;
    if (ResolveLinks(path, traces.m_strFile)) {
        traces.m_bFileExisted = PathExists(traces.m_strFile);
    }
    traces.m_strSidecar = taskDir + CCredentialSidecar::FILE_NAME;
    traces.m_bSidecarExisted = PathExists(traces.m_strSidecar);
    // The task folder first, so that the save can put the sidecar there.
    MakeDirectoriesAlong(path, &traces.m_arrCreatedFolders);
    MakeDirectoriesAlong(taskDir, &traces.m_arrCreatedFolders);

    if (!OnSaveDocument(path, strError)) {
        traces.Remove();
        OnNewDocument();
        return false;
    }
    CreateEmptyResultPage(GetResultPagePath());
    // A task made over an older one's folder starts without its failures.
    if (unlink(FailureRecordPath().c_str()) != 0) {
        // It had none.
    }
    NavigateToResults();
    PublishTask();  // Idle: prepared, never run
    return true;
}

bool CQuobrixDoc::CreateNewTask(const CNewTaskRecord& record, const std::string& path,
                                uint32_t crDefaultLinkColor, std::string& strError) {
    BuildNewTask(record, path, crDefaultLinkColor);
    return SaveNewTask(strError);
}
