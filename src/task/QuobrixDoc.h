#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "common/AtomicValue.h"
#include "common/NotifyTarget.h"
#include "task/Document.h"
#include "task/DocumentPrompts.h"
#include "task/NewTaskRecord.h"
#include "task/TaskFields.h"

// The task record: one search task's definition, properties, derived paths,
// complete crawl state, worker slots and the locks the workers share. There
// is one object per process, reused for every task that is created or
// opened; g_pTaskDoc points at it.
//
// The member functions live in the folder of the subsystem that owns them:
// task/ (lifecycle, task file, keywords, commands), engine/ (scheduler, site
// sources, retrieval), analysis/, results/ and server/.
//
// Locks, and what each guards:
//   m_csSlots      scheduler: m_strUrl, m_bActive, m_nNextUrl, hand-out, thread starts
//   m_csUrls       m_arrUrls
//   m_csSites      m_arrSites, m_nNextSite, m_strCurrentSite
//   m_csResolve    m_addrSite, m_bResolved
//   m_csAuth       m_strSiteAuthorization changes and the credential prompt
//   m_csResults    the result page writer and m_strResultPagePath
//   m_csKeywords   m_strKeywords, m_arrKeywords
//   m_csSlotText[slot]  that slot's page texts (page, header, tag and plain
//                  text, stored path, title, abstract): written by the slot's
//                  worker, read by a save
// A save takes m_csResults, m_csSlots, m_csUrls, m_csSites, m_csKeywords and
// the slot-text locks together (TakeSnapshot), so no notification may be sent
// while one of those is held: the receiver's thread may be the one saving.
class CQuobrixDoc : public CDocument, public CTaskFields {
public:
    CQuobrixDoc();
    ~CQuobrixDoc() override;
    CQuobrixDoc(const CQuobrixDoc&) = delete;
    CQuobrixDoc& operator=(const CQuobrixDoc&) = delete;

    // --- Lifecycle (task/TaskLifecycle.cpp). Called on the thread that runs
    // the commands, never while workers run.

    // Resets the properties and the run state; texts and lists stay.
    void DeleteContents();
    // A new, empty, unnamed task with default properties; the texts and lists
    // of the previous task are cleared too.
    void OnNewDocument();
    // Opens a task file. On failure strError holds the message to show
    // ("Unexpected file format." for a damaged file).
    bool OnOpenDocument(const std::string& path, std::string& strError);
    // Saves the task (a consistent snapshot, also while workers run) through
    // a temporary file renamed into place.
    bool OnSaveDocument(const std::string& path, std::string& strError);
    // Writes a snapshot into a storing archive, or reads a loading archive;
    // the task changes only when the whole file was read.
    bool Serialize(CArchive& ar);
    // A copy of the task file's fields, taken under the snapshot locks.
    CTaskFields TakeSnapshot();

    // The new-task hand-off: a new document saved at path, given the
    // wizard's answers, prepared for its first run, saved again, with its
    // first (empty) result page created. False, with strError, when a save
    // fails; the task is then the new empty document.
    bool CreateNewTask(const CNewTaskRecord& record, const std::string& path,
                       uint32_t crDefaultLinkColor, std::string& strError);

    // Refuse while the task runs ("A search task is running, pause or stop it
    // first."); otherwise offer to save unsaved changes. True when the task
    // may be closed or replaced.
    bool CanCloseFrame(IDocumentPrompts& prompts);
    bool SaveModified(IDocumentPrompts& prompts);

    // Task directory, e-mail list path and first result page from the path.
    void BuildTaskPaths();
    // "/tasks/shop.old.qbx" -> "/tasks/shop.old/"
    static std::string TaskDirFor(const std::string& path);

    // --- Keywords (task/Keywords.cpp)

    // Sets the keyword text (trimmed) and match case, marks the keywords
    // changed and rebuilds the list at once, so it is never stale.
    void SetKeywords(const std::string& text, bool bMatchCase);
    // m_arrKeywords from m_strKeywords, under m_csKeywords.
    void RebuildKeywords();
    // "apple+ +Pear " -> {"apple", "Pear"}
    static std::vector<std::string> SplitKeywords(const std::string& text);

    // --- Enabling of the task commands (task/CommandState.cpp). Any thread.

    bool CanRun();             // Start/Resume
    bool CanPause() const;     // Pause (also resumes)
    bool IsPauseChecked() const;
    bool CanAbort() const;
    bool CanEditProperties();  // Properties
    bool CanSkipSite();        // thread list: Skip current site
    bool CanActOnSlot(int slot) const;  // thread list: Abort retrieval, Copy URL
    bool IsStopping() const { return m_bStop; }
    bool IsRunning() const;

    // --- State and notifications (task/Notifications.cpp). Any thread; never
    // called with a snapshot lock held.

    void SetState(unsigned id);
    void NotifyThreadStatus(int slot, int phase, const std::string& text);
    void NotifyLinkCounts();
    void ResetThreadBar();
    void ReportFileError(int error, const std::string& path);
    // Shows the local server's root in the browser view.
    void NavigateToResults();
    std::string LocalServerRoot() const;  // "http://127.0.0.1:PORT/"
    std::string GetCurrentSite();         // a copy, under m_csSites
    int LinksQueued();
    int LinksRequested() const;

    // --- Site sources (engine/SiteSource.cpp)

    // Puts the first site in place for a fresh start and returns its first
    // URL ("http://example.com/docs/a.html").
    std::string TakeFirstSite();
    unsigned SitesLeft();
    void NotifySitesLeft();

    // --- Scheduler (engine/Scheduler.cpp)

    // Resets the run state before workers start; a fresh start (not from
    // Paused) also puts the first site and its first URL in place.
    void PrepareRun();

    // Abstract settings: kept by the run, not by the task file.
    AtomicValue<int> m_nAbstractMaxLength{300};
    AtomicValue<int> m_nAbstractStart{0};
    AtomicValue<int> m_nAbstractOffset{0};

    AtomicValue<bool> m_bKeywordsChanged{false};
    AtomicValue<bool> m_bStop{false};
    AtomicValue<bool> m_bSkipSite{false};
    AtomicValue<bool> m_bResolved{false};
    sockaddr_in m_addrSite{};

    SlotArray<std::thread> m_hThread;
    SlotArray<AtomicValue<int>> m_sockSlot;  // -1 when none
    int m_hResultFile = -1;

    // Receivers of notifications; null when none.
    INotifyTarget* m_hWndMainFrame = nullptr;
    INotifyTarget* m_hWndThreadBar = nullptr;
    INotifyTarget* m_hWndView = nullptr;

    int m_sockServer = -1;
    AtomicValue<int> m_nServerPort{0};

    std::mutex m_csSlots;
    std::mutex m_csUrls;
    std::mutex m_csSites;
    std::mutex m_csResolve;
    std::mutex m_csAuth;
    std::mutex m_csResults;
    std::mutex m_csKeywords;
    SlotArray<std::mutex> m_csSlotText;

private:
    void ClearAddress();
    int64_t SendTo(INotifyTarget* target, unsigned message, int64_t wParam,
                   const NotifyParam& lParam);
};

// The one task record of the process, from its construction on.
extern CQuobrixDoc* g_pTaskDoc;
