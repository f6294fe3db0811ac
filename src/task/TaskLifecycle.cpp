#include <cerrno>
#include <cstring>

#include "common/Base64.h"
#include "common/FileUtil.h"
#include "common/StringTable.h"
#include "task/Archive.h"
#include "task/CredentialSidecar.h"
#include "task/QuobrixDoc.h"

namespace {
std::string SystemErrorText(const std::string& what, const std::string& path, int error) {
    return what + " " + path + ": " + std::strerror(error);
}
}  // namespace

void CQuobrixDoc::OnNewDocument() {
    ResetToNewDocument();
    PublishTask();
}

void CQuobrixDoc::PublishTask() {
    // The rows of the task that was open go, and every pane shows this one.
    ResetThreadBar();
    SetState(m_nState);
    NotifySitesLeft();
    NotifyLinkCounts();
}

void CQuobrixDoc::ResetToNewDocument() {
    DeleteContents();
    ResetDocument();
    SetSiteAuthorization("", "");
    {
        CLock lock(m_csCredential);
        m_strWizardPrint.clear();
    }
    {
        CLock lock(m_csFailures);
        m_failureTally.Clear();
    }
    // A new task starts without the previous task's texts and lists.
    CLock lock(m_csResults, m_csSlots, m_csUrls, m_csSites, m_csKeywords);
    m_strTaskDir.clear();
    m_strStartAddress.clear();
    m_strEndAddress.clear();
    m_strCurrentSite.clear();
    m_strKeywords.clear();
    m_strEmailListPath.clear();
    m_strTaskTitle.clear();
    m_strResultPagePath.clear();
    m_arrUrls.clear();
    m_arrReserved.clear();
    m_arrSites.clear();
    m_arrKeywords.clear();
    m_nSlotsUsed = 0;
    m_nResultPage = 0;
    m_nResultsInPage = 0;
    for (int slot = 0; slot < SLOT_COUNT; ++slot) {
        CLock slotLock(m_csSlotText[slot]);
        m_strPage[slot].clear();
        m_strHeader[slot].clear();
        m_strTagText[slot].clear();
        m_strPlainText[slot].clear();
        m_strUrl[slot].clear();
        m_strLocalPath[slot].clear();
        m_strTitle[slot].clear();
        m_strAbstract[slot].clear();
        m_nPageLength[slot] = 0;
        m_nReceived[slot] = 0;
        m_bNotHtml[slot] = false;
        m_bMatched[slot] = false;
    }
}

CTaskFields CQuobrixDoc::TakeSnapshot() {
    CLock lock(m_csResults, m_csSlots, m_csUrls, m_csSites, m_csKeywords);
    // Leaf locks: a thread holding one takes no other lock.
    CLock credentialLock(m_csCredential);
    CLockEach slotLocks(m_csSlotText);
    return static_cast<const CTaskFields&>(*this);
}

bool CQuobrixDoc::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        // The task's fields and each slot's URL at one moment, under the
        // shared locks: small, so they are stored into memory first. Each
        // slot's texts then go from the record straight into the archive
        // under that slot's lock alone: a save never copies a page, and never
        // holds up the workers while it writes one.
        CArchive head;
        SlotArray<std::string> urls;
        SlotArray<AtomicValue<bool>> active;
        {
            CLock lock(m_csResults, m_csSlots, m_csUrls, m_csSites, m_csKeywords);
            CLock credentialLock(m_csCredential);  // a leaf
            SerializeFields(head, false);
            urls = m_strUrl;
            active = m_bActive;
        }
        ar.Raw(head.Bytes());
        for (int slot = 0; slot < SLOT_COUNT; ++slot) {
            CLock lock(m_csSlotText[slot]);
            SerializeSlot(ar, slot, urls[slot], active[slot]);
        }
        return !ar.Failed();
    }
    CTaskFields loaded;
    if (!loaded.SerializeFields(ar)) {
        return false;
    }
    TakeFields(std::move(loaded));
    return true;
}

void CQuobrixDoc::TakeFields(CTaskFields&& loaded) {
    CLock lock(m_csResults);  // the server reads the paths meanwhile
    static_cast<CTaskFields&>(*this) = std::move(loaded);
}

bool CQuobrixDoc::OnSaveDocument(const std::string& path, std::string& strError) {
    // The sidecar first: it names its credential, so one that is newer than
    // the task file binds nothing. A task whose folder is missing has none.
    CCredentialSidecar sidecar;
    {
        CLock lock(m_csCredential);
        sidecar.m_strCredentialPrint = CCredentialSidecar::Fingerprint(m_strSiteAuthorization);
        sidecar.m_strHost = m_strAuthHost;
        sidecar.m_strWizardPrint = m_strWizardPrint;
    }
    const std::string taskDir = GetTaskDir();
    if (!taskDir.empty() && !sidecar.Write(taskDir) && errno != ENOENT && errno != ENOTDIR) {
        strError = SystemErrorText("Cannot save", taskDir + CCredentialSidecar::FILE_NAME, errno);
        return false;
    }
    // Taken before the snapshot: whatever changes after it stays unsaved.
    const unsigned changes = ChangeCount();
    // Stored into the file as it is written: the task is never held twice.
    // The file holds the site credential: owner-only, like the settings.
    const bool written = WriteFileAtomically(
        path,
        [this](int fd) {
            CArchive ar(fd);
            return Serialize(ar) && ar.Flush();
        },
        0600);
    if (!written) {
        strError = SystemErrorText("Cannot save", path, errno);
        return false;
    }
    SetPathName(path);
    SetSavedChanges(changes);
    return true;
}

bool CQuobrixDoc::OnOpenDocument(const std::string& path, std::string& strError) {
    // The file is read into a record of its own: a file that cannot be read
    // leaves the task that is open exactly as it was.
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) {
        strError = SystemErrorText("Cannot open", path, errno);
        return false;
    }
    CArchive ar(bytes);
    CTaskFields loaded;
    if (!loaded.SerializeFields(ar)) {
        strError = LoadString(IDS_UNEXPECTED_FILE_FORMAT);
        return false;
    }
    DeleteContents();
    TakeFields(std::move(loaded));
    SetPathName(path);
    SetModifiedFlag(false);
    SettleOpenedTask(path);

    // The file keeps the keyword list but not whether it is current.
    RebuildKeywords();
    RebuildListIndexes();
    BindOpenedCredential();
    LoadFailureTally();

    NavigateToResults();
    PublishTask();
    return true;
}

void CQuobrixDoc::SettleOpenedTask(const std::string& path) {
    CLock lock(m_csResults, m_csSlots);
    // No thread runs in a task that was just read, whatever the file says.
    if (m_nState == IDS_STATE_SEEKING) {
        m_nState = IDS_STATE_PAUSED;
    }
    for (AtomicValue<bool>& active : m_bActive) {
        active = false;
    }

    // A task file moved away from its directory keeps working on the old one.
    const std::string besideFile = TaskDirFor(path);
    if (PathExists(besideFile.substr(0, besideFile.size() - 1))) {
        m_strTaskDir = besideFile;
    }
    // Paths that are written to come from the folder, never from the file.
    m_strEmailListPath = m_strTaskDir + "EmailAddress.txt";
    const int page = m_nResultPage < 0 ? 0 : m_nResultPage.Load();
    m_strResultPagePath = m_strTaskDir + "ResultPage" + std::to_string(page) + ".html";
}

void CQuobrixDoc::BindOpenedCredential() {
    std::string credential = GetSiteAuthorization();
    // Anything but Base64 would go into a header line as it is.
    if (!CBase64::IsValid(credential)) {
        credential.clear();
    }
    CCredentialSidecar sidecar;
    sidecar.Read(GetTaskDir());
    SetSiteAuthorization(credential, sidecar.HostFor(credential, StartHost()));
    CLock lock(m_csCredential);
    m_strWizardPrint = sidecar.m_strWizardPrint;
}

bool CQuobrixDoc::SaveModified(IDocumentPrompts& prompts) {
    if (IsRunning()) {
        prompts.ShowMessage(LoadString(IDS_TASK_RUNNING), IDocumentPrompts::Icon::Error);
        return false;
    }
    if (!IsModified()) {
        return true;
    }
    switch (prompts.AskYesNoCancel(FormatString(IDS_ASK_TO_SAVE, {GetTitle()}))) {
        case IDocumentPrompts::Answer::No:
            return true;
        case IDocumentPrompts::Answer::Cancel:
            return false;
        case IDocumentPrompts::Answer::Yes:
            break;
    }
    std::string path = GetPathName();
    if (path.empty()) {
        path = prompts.AskSavePath();
        if (path.empty()) {
            return false;
        }
    }
    std::string error;
    if (!OnSaveDocument(path, error)) {
        prompts.ShowMessage(error, IDocumentPrompts::Icon::Error);
        return false;
    }
    return true;
}

bool CQuobrixDoc::CanCloseFrame(IDocumentPrompts& prompts) {
    return SaveModified(prompts);
}

bool CQuobrixDoc::LockTaskFile(const std::string& path, CTaskLock& lock,
                               std::string& strError) const {
    // Its own task again (the desktop re-opening it) is no second holder.
    if (!m_bLockTasks || m_taskLock.IsFor(path)) {
        return true;
    }
    if (lock.Acquire(path)) {
        return true;
    }
    strError = lock.RefusalMessage(path);
    return false;
}

void CQuobrixDoc::KeepTaskLock(const std::string& path, CTaskLock&& lock) {
    if (!m_taskLock.IsFor(path)) {
        m_taskLock = std::move(lock);
    }
}

void CQuobrixDoc::ReleaseTaskLock() {
    m_taskLock.Release();
}
