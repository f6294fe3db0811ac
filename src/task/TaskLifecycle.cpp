#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/Base64.h"
#include "common/FileUtil.h"
#include "common/StringTable.h"
#include "task/Archive.h"
#include "task/QuobrixDoc.h"

namespace {
std::string SystemErrorText(const std::string& what, const std::string& path, int error) {
    return what + " " + path + ": " + std::strerror(error);
}

// The first result page of a new task, created empty together with the
// folders of the task directory. A failure is not reported here: the result
// writer reports when it cannot write.
void CreateEmptyResultPage(const std::string& path, const std::string& taskDir) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0 && errno == ENOENT) {
        MakeDirectoriesAlong(taskDir);
        fd = open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    }
    if (fd >= 0) {
        close(fd);
    }
}
}  // namespace

void CQuobrixDoc::OnNewDocument() {
    DeleteContents();
    ResetDocument();
    SetSiteAuthorization("", "");
    // A new task starts without the previous task's texts and lists.
    std::scoped_lock lock(m_csResults, m_csSlots, m_csUrls, m_csSites, m_csKeywords);
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
        std::lock_guard slotLock(m_csSlotText[slot]);
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
    std::scoped_lock lock(m_csResults, m_csSlots, m_csUrls, m_csSites, m_csKeywords);
    // Leaf locks: a thread holding one takes no other lock.
    std::lock_guard credentialLock(m_csCredential);
    SlotArray<std::unique_lock<std::mutex>> slotLocks;
    for (int slot = 0; slot < SLOT_COUNT; ++slot) {
        slotLocks[slot] = std::unique_lock(m_csSlotText[slot]);
    }
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
            std::scoped_lock lock(m_csResults, m_csSlots, m_csUrls, m_csSites, m_csKeywords);
            std::lock_guard credentialLock(m_csCredential);  // a leaf
            SerializeFields(head, false);
            urls = m_strUrl;
            active = m_bActive;
        }
        ar.Raw(head.Bytes());
        for (int slot = 0; slot < SLOT_COUNT; ++slot) {
            std::lock_guard lock(m_csSlotText[slot]);
            SerializeSlot(ar, slot, urls[slot], active[slot]);
        }
        return !ar.Failed();
    }
    CTaskFields loaded;
    if (!loaded.SerializeFields(ar)) {
        return false;
    }
    std::lock_guard lock(m_csResults);  // the server reads the paths meanwhile
    static_cast<CTaskFields&>(*this) = std::move(loaded);
    return true;
}

bool CQuobrixDoc::OnSaveDocument(const std::string& path, std::string& strError) {
    // Stored into the file as it is written: the task is never held twice.
    const bool written = WriteFileAtomically(path, [this](int fd) {
        CArchive ar(fd);
        return Serialize(ar) && ar.Flush();
    });
    if (!written) {
        strError = SystemErrorText("Cannot save", path, errno);
        return false;
    }
    SetPathName(path);
    SetModifiedFlag(false);
    return true;
}

bool CQuobrixDoc::OnOpenDocument(const std::string& path, std::string& strError) {
    DeleteContents();
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) {
        strError = SystemErrorText("Cannot open", path, errno);
        return false;
    }
    CArchive ar(bytes);
    if (!Serialize(ar)) {
        strError = LoadString(IDS_UNEXPECTED_FILE_FORMAT);
        return false;
    }
    SetPathName(path);
    SetModifiedFlag(false);

    // A task file moved away from its directory keeps working on the old one.
    {
        std::lock_guard lock(m_csResults);
        const std::string besideFile = TaskDirFor(path);
        if (PathExists(besideFile.substr(0, besideFile.size() - 1))) {
            m_strTaskDir = besideFile;
        }
        m_strEmailListPath = m_strTaskDir + "EmailAddress.txt";
    }

    // The file keeps the keyword list but not whether it is current.
    RebuildKeywords();
    RebuildListIndexes();
    // A credential kept with the task belongs to its start host.
    SetSiteAuthorization(m_strSiteAuthorization, StartHost());

    NavigateToResults();
    if (m_hWndMainFrame != nullptr) {
        SetState(m_nState);
        NotifySitesLeft();
        NotifyLinkCounts();
    }
    return true;
}

bool CQuobrixDoc::CreateNewTask(const CNewTaskRecord& record, const std::string& path,
                                uint32_t crDefaultLinkColor, std::string& strError) {
    OnNewDocument();
    if (!OnSaveDocument(path, strError)) {
        return false;
    }

    // "255.255.255.255" cannot be advanced past, so a range starting there
    // starts one address lower.
    m_strStartAddress =
        record.m_strStartAddress == "255.255.255.255" ? "255.255.255.254" : record.m_strStartAddress;
    {
        std::lock_guard lock(m_csSites);
        m_strCurrentSite = record.m_strStartAddress;
    }
    m_strEndAddress = record.m_strEndAddress;
    m_bSiteMode = record.m_bSiteMode;
    SetKeywords(record.m_strKeywords, record.m_bMatchCase);
    // The account given with the task is for its start host only.
    SetSiteAuthorization(record.m_strAccount.empty()
                             ? std::string()
                             : CBase64::Encode(record.m_strAccount + ":" + record.m_strPassword),
                         StartHost());

    PrepareRun();
    m_strTaskTitle = GetTitle();
    BuildTaskPaths();
    if (!OnSaveDocument(path, strError)) {
        return false;
    }
    CreateEmptyResultPage(m_strResultPagePath, m_strTaskDir);
    NavigateToResults();

    m_nAutoSaveMinutes = 3;
    m_crLinkColor = crDefaultLinkColor;
    SetState(IDS_STATE_IDLE);
    NotifySitesLeft();
    NotifyLinkCounts();
    // Once more, so that the file holds the interval and the colour too.
    return OnSaveDocument(path, strError);
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
