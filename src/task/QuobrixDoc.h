#pragma once

#include <netinet/in.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "common/AppOptions.h"
#include "common/AtomicValue.h"
#include "common/ListIndex.h"
#include "common/Mutex.h"
#include "common/NotifyTarget.h"
#include "common/PageFailure.h"
#include "common/SendAll.h"
#include "common/ThreadHandle.h"
#include "task/Document.h"
#include "task/DocumentPrompts.h"
#include "task/NewTaskRecord.h"
#include "task/Task.h"
#include "task/TaskFields.h"
#include "task/TaskLock.h"
#include "task/TaskProperties.h"

class CRobotsRules;
class CTlsContext;
class CTlsStream;

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
//   m_csSlots      the run: m_nState while workers may run, m_bStop,
//                  m_bSkipSite, m_bActive, m_strUrl, the hand-out, thread
//                  starts, the site advance and the notes waiting to be sent.
//                  State, stop and activity are one fact: they change
//                  together in one hold, so no pause, abort or end is lost.
//   m_csUrls       m_arrUrls, m_nNextUrl
//   m_csSites      m_arrSites, m_nNextSite, m_strCurrentSite
//   m_csResolve    m_addrSite, m_bResolved (held for reads and writes only)
//   m_csLookup     one name lookup at a time; workers only
//   m_csAuth       m_strSiteAuthorization changes and the credential prompt
//   m_csResults    the result page writer, its counters, m_strResultPagePath
//                  and (for the server's readers) m_strTaskDir
//   m_csKeywords   m_strKeywords, m_arrKeywords
//   m_csSlotText[slot]  that slot's page texts (page, header, tag and plain
//                  text, stored path, title, abstract): written by the slot's
//                  worker, read by a save
//   m_csSlotSocket[slot]  that slot's socket and abort mark
//   m_csCredential m_strSiteAuthorization, m_strAuthHost, m_strWizardPrint
//   m_csOptions    m_options
//   m_csSlotStatus[slot]  that slot's thread lines, held while one is sent,
//                  so that they arrive in order across the slot's workers
//   m_csFailures   the failure record's file and the tally of its reasons
// The last six are leaves: nothing else is taken while one is held, and
// nothing is sent but a thread line under m_csSlotStatus, which the thread
// that receives them never takes.
//
// Nestings (the lock on the left is held while the one on the right is
// taken, never the other way round):
//   m_csResults -> m_csSlots   the file-error pause; the end of a run closes
//                              the result page in the same hold; a row's URL
//                              is completed in the hold that counts the row
//   m_csSlots -> m_csUrls, m_csSites, m_csResolve
//                              hand-out, site advance, start of a run
//   m_csAuth -> m_csSlots, m_csSites, m_csResolve, m_csLookup
//                              the credential prompt and the reconnection of
//                              the 401 retry
//   m_csLookup -> m_csResolve, m_csSites
//                              a lookup reads the site and publishes its answer
//   any of them -> the leaves
// A save (Serialize) takes the shared locks all at once, then each slot's
// text lock alone.
//
// The thread that runs the commands (the GUI thread) may take any lock but
// m_csAuth and m_csLookup, and it saves the task (Serialize) while workers run. So no
// notification is sent while a lock is held, with one exception: under
// m_csAuth, the credential prompt (WM_AUTHORIZE) and the status lines of the
// retry it leads to. A Post never waits for the receiver, so the thread
// list's reset may be posted under m_csSlots as a run starts. No name is
// looked up while a lock the GUI thread takes is held. State changes and file
// errors decided under m_csSlots wait in a queue and are sent, in order, once
// the deciding thread has let go of its locks (DeliverNotes).
//
// clang checks these rules (scripts/thread-safety.sh): the lock of each
// member it guards, the locks a function needs or must not hold, the
// nestings. The rest stays in these comments: the fields of CTaskFields (a
// snapshot copies them without the locks) and where the per-slot locks nest.

// The locks the GUI thread takes: nothing that waits for that thread (a
// send, a name lookup) happens under them.
#define EXCLUDES_GUI_THREAD_LOCKS                                                    \
    EXCLUDES(m_csSlots, m_csUrls, m_csSites, m_csResolve, m_csResults, m_csKeywords, \
             m_csCredential, m_csOptions, m_csFailures)
// None of the record's locks but the per-slot ones, which cannot be named here.
#define EXCLUDES_TASK_LOCKS EXCLUDES_GUI_THREAD_LOCKS EXCLUDES(m_csAuth, m_csLookup)
// The locks a save takes together.
#define EXCLUDES_SNAPSHOT_LOCKS \
    EXCLUDES(m_csResults, m_csSlots, m_csUrls, m_csSites, m_csKeywords, m_csCredential)

class CConnection;
class CLocalServer;

class CQuobrixDoc : public ITask, public CTaskFields {
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
    // of the previous task are cleared too. The receivers are told (PublishTask).
    void OnNewDocument() final;
    // Opens a task file. On failure strError holds the message to show
    // ("Unexpected file format." for a damaged file) and the task that was
    // open stays exactly as it was, unpublished. What the file gives is
    // input: an opened task is never running, the paths it writes to come
    // from the task folder, and its credential is bound to the host the
    // sidecar names (or to none). The file is not written. An opened task
    // is published.
    [[nodiscard]] bool OnOpenDocument(const std::string& path, std::string& strError) final;
    // Tells every receiver about the task that is open: the thread rows are
    // reset, the state, sites left and link counts sent.
    void PublishTask();
    // Saves the task (a consistent snapshot, also while workers run) through
    // a temporary file renamed into place, and the credential sidecar into
    // the task folder when that exists. A new task file is readable by its
    // owner only.
    [[nodiscard]] bool OnSaveDocument(const std::string& path, std::string& strError)
        EXCLUDES_SNAPSHOT_LOCKS final;
    // Writes a snapshot into a storing archive, or reads a loading archive;
    // the task changes only when the whole file was read.
    bool Serialize(CArchive& ar) EXCLUDES_SNAPSHOT_LOCKS;
    // A copy of the task file's fields, taken under the snapshot locks.
    CTaskFields TakeSnapshot() EXCLUDES_SNAPSHOT_LOCKS final;

    // The new-task hand-off, in memory only: a new document named path with
    // the wizard's answers, prepared for its first run, its paths, auto-save
    // interval 3 and the default link colour. Nothing is written.
    void BuildNewTask(const CNewTaskRecord& record, const std::string& path,
                      uint32_t crDefaultLinkColor) final;
    // Writes a task that BuildNewTask made: its folders, the task file (one
    // save) and its first, empty result page. When the save fails, what this
    // wrote is removed again, the task is the new empty document and
    // strError says why.
    [[nodiscard]] bool SaveNewTask(std::string& strError) final;
    // Both, for the wizard, which has its path from the Save As box.
    [[nodiscard]] bool CreateNewTask(const CNewTaskRecord& record, const std::string& path,
                                     uint32_t crDefaultLinkColor, std::string& strError) final;

    // Save As (task/SaveTaskAs.cpp): the task is saved under path as a task
    // of its own. Its folder is copied whole (result pages, stored pages and
    // their header files, the credential sidecar, the e-mail list) to the
    // folder of the new name, and its paths move there; the original's file
    // and folder stay as they were. Refused while workers run or leave
    // (IsTaskBusy), when another program has the task of the new name (in a
    // record that locks its tasks, whose lock moves to the new name), when
    // the new folder would lie in the task's own folder, and when it exists
    // and is not empty: two tasks never share a folder, and no folder is
    // deleted. The task's own name, or a task without a
    // folder: a plain save. On failure strError says why, what was copied is
    // removed again, and the task keeps its name, folder and paths.
    [[nodiscard]] bool SaveTaskAs(const std::string& path, std::string& strError) final;
    // Workers run, or a stop is still in progress.
    bool IsTaskBusy() const final;

    // --- The lock of the task that is open (task/TaskLifecycle.cpp), for a
    // front end that keeps its task open (the desktop) and calls
    // LockTasksWhileOpen; quobrix-cli's commands hold theirs. Save As
    // takes the new name's lock before it copies and lets the old one go
    // once saved.

    // The lock of the task file at path, into lock. True with lock left
    // empty when this record holds that lock already or does not lock its
    // tasks; false, with the refusal in strError, when another program has it.
    [[nodiscard]] bool LockTaskFile(const std::string& path, CTaskLock& lock,
                                    std::string& strError) const final;
    // The task at path is the one open now: lock (from LockTaskFile) is held
    // in place of the one before, unless that one is path's own.
    void KeepTaskLock(const std::string& path, CTaskLock&& lock) final;
    // The task was closed: its lock goes.
    void ReleaseTaskLock() final;
    // Sets m_bLockTasks; the desktop does it once, before its first task.
    void LockTasksWhileOpen() override { m_bLockTasks = true; }

    // Refuse while the task runs ("A search task is running, pause or stop it
    // first."); otherwise offer to save unsaved changes. True when the task
    // may be closed or replaced.
    bool CanCloseFrame(IDocumentPrompts& prompts) final;
    bool SaveModified(IDocumentPrompts& prompts) final;

    // Task directory, e-mail list path and first result page from the path.
    void BuildTaskPaths() EXCLUDES(m_csResults);
    // "/tasks/shop.old.qbx" -> "/tasks/shop.old/"
    static std::string TaskDirFor(const std::string& path);

    // --- Keywords (task/Keywords.cpp)

    // Sets the keyword text (trimmed) and match case, marks the keywords
    // changed and rebuilds the list at once, so it is never stale.
    void SetKeywords(const std::string& text, bool bMatchCase) EXCLUDES(m_csKeywords);
    // m_arrKeywords from m_strKeywords, under m_csKeywords.
    void RebuildKeywords() EXCLUDES(m_csKeywords);
    // "apple+ +Pear " -> {"apple", "Pear"}
    static std::vector<std::string> SplitKeywords(const std::string& text);
    // A copy, under m_csKeywords.
    CTaskKeywords GetKeywords() const final;

    // --- Properties (task/TaskProperties.cpp), as the "Task options" sheet
    // and quobrix-cli set edit them.

    CTaskProperties GetProperties() const final;
    void SetProperties(const CTaskProperties& properties) final;
    void StoreProperties(const CTaskProperties& properties) final;
    int AutoSaveMinutes() const override { return m_nAutoSaveMinutes; }
    CAbstractSettings GetAbstractSettings() const final;
    void SetAbstractSettings(const CAbstractSettings& settings) final;

    // What the task is and how far it got, for the front ends.
    unsigned GetState() const override { return m_nState; }
    bool IsSiteMode() const override { return m_bSiteMode; }
    std::string GetStartAddress() const override { return m_strStartAddress; }
    std::string GetEndAddress() const override { return m_strEndAddress; }
    int GetResultPage() const override { return m_nResultPage; }

    // --- Enabling of the task commands (task/CommandState.cpp). Any thread.

    bool CanRun() const final;    // Start/Resume
    bool CanPause() const final;  // Pause (also resumes)
    bool IsPauseChecked() const final;
    bool CanAbort() const final;
    bool CanEditProperties() const final;     // Properties
    bool CanSkipSite() const final;           // thread list: Skip current site
    bool CanActOnSlot(int slot) const final;  // thread list: Abort retrieval, Copy URL
    bool IsStopping() const override { return m_bStop; }
    bool IsRunning() const final;
    // Nothing is left of the last run: not running, no stop in progress, no
    // worker, no notification still to be sent. Only then may the workers be
    // joined from the thread that receives the notifications.
    bool IsRunEnded() const final;
    bool HaveWorkersReturned() const final;

    // --- State and notifications (task/Notifications.cpp). Any thread; never
    // called with a snapshot lock held.

    void SetState(unsigned id) EXCLUDES_TASK_LOCKS;
    // The receivers (task/Receivers.cpp); set on the thread that runs the
    // commands while no worker runs, or before the task is published.
    void SetReceivers(INotifyTarget* frame, INotifyTarget* threadBar, INotifyTarget* view) final;
    void SetViewReceiver(INotifyTarget* view) final;
    void ClearReceivers() final;
    void SendStateAndCounts() final;
    void NotifyThreadStatus(int slot, int phase, const std::string& text) EXCLUDES_GUI_THREAD_LOCKS
        EXCLUDES(m_csSlotStatus[slot]);
    void NotifyLinkCounts() EXCLUDES_GUI_THREAD_LOCKS;
    void ResetThreadBar();
    void ReportFileError(int error, const std::string& path) EXCLUDES_GUI_THREAD_LOCKS;
    // Shows the local server's root in the browser view.
    void NavigateToResults() EXCLUDES_GUI_THREAD_LOCKS;
    // Shows result page N in the browser view: the root for page 0.
    void NavigateToResultPage(int page) EXCLUDES_GUI_THREAD_LOCKS;
    std::string LocalServerRoot() const final;  // "http://127.0.0.1:PORT/"
    std::string GetCurrentSite() const EXCLUDES(m_csSites);  // a copy, under m_csSites
    int LinksQueued() const EXCLUDES(m_csUrls) final;
    int LinksRequested() const final;

    // --- Pages not retrieved (results/FailureLog.cpp). Any thread.

    // The task folder's failure record (results/FailureRecord.h).
    std::string FailureRecordPath() const EXCLUDES(m_csResults);
    // The summary of the task's failures since its fresh start ("No page
    // failed", "2 pages not retrieved: 2 HTTP 404").
    std::string FailureSummary() const EXCLUDES(m_csFailures) final;
    int FailureCount() const EXCLUDES(m_csFailures) final;
    // The tally from the record, for a task just opened or made.
    void LoadFailureTally() EXCLUDES(m_csResults, m_csFailures);
    // The local server's page that lists them, framed like the result pages.
    void ServeFailurePage(CConnection& connection, int port);

    // --- Site sources (engine/SiteSource.cpp)

    // Puts the first site in place for a fresh start and returns its first
    // URL ("http://example.com/docs/a.html").
    std::string TakeFirstSite() EXCLUDES(m_csSites);
    unsigned SitesLeft() const EXCLUDES(m_csSites) final;
    void NotifySitesLeft() EXCLUDES_GUI_THREAD_LOCKS;

    // Next site of the site list, or next address of the range; false when
    // the current one is the last. Caller holds m_csSlots.
    bool TakeNextSite() REQUIRES(m_csSlots) EXCLUDES(m_csSites);
    bool IsLastSite() EXCLUDES(m_csSites);
    // site mode: the host joins the site list unless it is there already
    // (ignoring case) or the list is full (m_nMaxSites); true when added.
    // The caller sends the sites left.
    bool AddSite(const std::string& host) EXCLUDES(m_csSites);
    // The dotted address after m_strCurrentSite, written back into it.
    void NextIpAddress() REQUIRES(m_csSites);
    // IP mode with addresses that do not parse: nothing can be crawled.
    bool HasUsableRange() EXCLUDES(m_csSites);

    // --- Scheduler (engine/Scheduler.cpp). Commands run on the GUI thread.

    void OnTaskRun() EXCLUDES_TASK_LOCKS final;
    void OnTaskPause() EXCLUDES_TASK_LOCKS final;
    void OnTaskAbort() EXCLUDES_TASK_LOCKS final;
    void OnSkipCurrentSite() EXCLUDES_TASK_LOCKS final;
    void OnAbortRetrieval(int slot) final;
    std::string GetSlotUrl(int slot) const EXCLUDES(m_csSlots) final;  // a copy, under m_csSlots

    // Starts or resumes the task. Does nothing only while workers still run
    // (the task runs, or a stop is in progress and ends by itself); activity
    // flags with no thread behind them (read from a file) do not count.
    void StartWorkers() EXCLUDES_TASK_LOCKS;
    // Resets the run state before workers start; a fresh start (not from
    // Paused) also puts the first site and its first URL in place. Counters
    // read from a file are brought within bounds here.
    void PrepareRun() EXCLUDES(m_csResults, m_csSlots);
    // Pauses the task if it runs and no stop is in progress; never resumes.
    void PauseWorkers() EXCLUDES_TASK_LOCKS final;
    // Skip: the next site of the list, as the last worker of the stop does.
    void StartNextSite() EXCLUDES_TASK_LOCKS;
    // The file-error pause: a running task (Seeking, no stop in progress)
    // becomes Paused, with the stop raised and every fetch aborted, and the
    // error waits to be reported. True when this call paused the task. The
    // caller may hold m_csResults, and calls DeliverNotes once it holds no
    // lock.
    bool PauseForFileError(int error, const std::string& path) EXCLUDES(m_csSlots);
    // Sends the state changes and file errors decided under m_csSlots, in
    // order. Called with no lock held.
    void DeliverNotes() EXCLUDES_TASK_LOCKS;
    // Joins every worker thread, and lets no new one start until the next
    // Start. Only once they send nothing more (IsRunEnded), or when the
    // receivers answer without the joining thread.
    void JoinWorkers() EXCLUDES_TASK_LOCKS final;
    // For the record's end: no new thread, every worker stopped and joined.
    void ShutDownWorkers() EXCLUDES_TASK_LOCKS;
    bool HasActiveWorkers() const;

    // The properties as a run uses them: a task file is read without range
    // checks, so out-of-range values are brought within bounds here.
    int MaxThreads() const;   // 1..15
    int Retries() const;      // 0 or more
    int TimeoutMs() const;    // 0 = none
    int LimitK(int limit) const { return limit < 0 ? 0 : limit; }

    // --- Worker threads (engine/WorkerThread.cpp)

    void WorkerThreadProc(int slot);

    // --- Retrieval (engine/Retrieval.cpp, engine/Connection.cpp)

    int RetrievePage(int slot);
    int ConnectSlot(int slot);
    // Looks up the proxy or the current site, without m_csResolve held, and
    // publishes the address under it unless the site changed meanwhile.
    bool ResolveServer() EXCLUDES(m_csLookup, m_csResolve);
    int SendRequest(int slot, const std::string& url);
    // The stored copy's path of a URL; empty when it cannot be stored.
    std::string UrlToLocalPath(const std::string& url) const;

    // --- Slot sockets (engine/SlotSocket.cpp)

    // Aborts the slot's fetch from any thread: its wait fails at once.
    void AbortSlot(int slot) EXCLUDES(m_csSlotSocket[slot]);
    void AbortAllSlots();

    // --- Credentials (engine/Credentials.cpp)

    // Asks the main frame for an account for the slot's URL; true when the
    // user gave one (it is then in m_strSiteAuthorization).
    bool RequestAuthorization(int slot) REQUIRES(m_csAuth) EXCLUDES_GUI_THREAD_LOCKS;
    // Sets the site credential and the site it belongs to ("Host:8080").
    void SetSiteAuthorization(const std::string& credential, const std::string& host)
        EXCLUDES(m_csCredential);
    std::string GetSiteAuthorization() EXCLUDES(m_csCredential);
    // What the credential prompt answers for url: with OK, the credential of
    // account and password for url's site, and prompting off when the user
    // asked not to be prompted again; with Cancel, no credential at all.
    void AnswerAuthorization(const std::string& url, bool bOk, const std::string& account,
                             const std::string& password, bool bDoNotPromptAgain) final;
    // The start host: the one a credential given with the task belongs to.
    std::string StartHost() const;

    // --- Application options used by the requests (any thread)

    void SetAppOptions(const CAppOptions& options) EXCLUDES(m_csOptions) final;
    CAppOptions GetAppOptions() const EXCLUDES(m_csOptions);

    // --- Queueing (analysis/ExtractLinks.cpp)

    // Appends a URL of the current site to the URL list unless it is there
    // already or the list is full (m_nMaxUrls); true when appended. URLs
    // compare exactly, except that a space, control character or byte above
    // 127 equals its "%XX" ("café.html" is "caf%C3%A9.html"): the first
    // spelling found is the one listed, fetched and stored. Takes m_csUrls.
    bool QueueUrl(std::string_view url) EXCLUDES(m_csUrls);
    // What a found link (or a redirect's Location) is measured against.
    struct CLinkRules {
        std::string m_strSite;   // the current site: "host", "https://host"
        std::string m_strRoot;   // its root: "http://host/"
        int m_nDepthLimit = 0;   // 0: none
        bool m_bHttpsLinks = false;
        bool m_bMovedToHttps = false;  // the site was redirected to its HTTPS form
    };
    struct CLinkEffect {
        bool m_bUrls = false;   // a URL was queued
        bool m_bSites = false;  // a site was added
    };
    CLinkRules CurrentLinkRules() EXCLUDES(m_csSites, m_csOptions);
    // Queues an absolute URL by the rules of a found link: into the current
    // site with its folders, or its site into the site list.
    CLinkEffect FollowLink(std::string url, const CLinkRules& rules) EXCLUDES(m_csUrls, m_csSites);
    // A followed redirect (engine/Redirects.cpp): the thread line names the
    // target, which is queued as a found link; a plain site redirected to
    // its HTTPS form becomes that site.
    void FollowRedirect(int slot, const std::string& target) EXCLUDES_TASK_LOCKS;
    // False when the crawl is on another site by now, or the HTTPS site is
    // listed already. The site's URLs take the HTTPS root, all but
    // redirectedUrl, whose HTTPS form is yet to be fetched.
    bool MoveSiteToHttps(const std::string& plainSite, const std::string& httpsSite,
                         const std::string& redirectedUrl)
        EXCLUDES(m_csSlots, m_csUrls, m_csSites, m_csResolve);
    // The hash indexes beside the URL and site lists, after the lists were
    // replaced as a whole (a task opened, a test that sets them).
    void RebuildListIndexes() EXCLUDES(m_csUrls, m_csSites);

    // --- robots.txt and the delay between requests (engine/Robots.cpp,
    // engine/Politeness.cpp)

    struct CRobotsAnswer {
        std::shared_ptr<const CRobotsRules> m_pRules;  // null: not fetched (m_failure says why)
        CPageFailure m_failure;
        bool m_bUnavailable = false;  // a 5xx answer: nothing allowed
    };
    // Fetches the site's robots.txt on the slot's connection.
    CRobotsAnswer FetchRobots(int slot, const std::string& site) EXCLUDES_TASK_LOCKS;
    // Why robots.txt keeps url from being fetched (fetching the rules first
    // when the site has none yet); no failure while the option is off.
    CPageFailure ApplyRobots(int slot, const std::string& url) EXCLUDES_TASK_LOCKS;
    void ForgetRobots() EXCLUDES(m_csRobots, m_csPolite);
    // The least time between two requests to the current site: the option,
    // raised by a Crawl-delay, at most kMaxDelayMs.
    int SiteDelayMs() EXCLUDES(m_csRobots, m_csOptions, m_csSites);
    // Waits until the slot's request may start; false when a stop came first.
    bool WaitForTurn(int slot) EXCLUDES(m_csPolite, m_csRobots, m_csOptions, m_csSites);

    // --- Local web server (server/)

    // Starts the loopback server (127.0.0.1, port 0: the system chooses);
    // false, errno set, when it cannot listen. m_nServerPort holds its port.
    [[nodiscard]] bool StartLocalServer(int port = 0) final;
    // Ends live streams and waits for every connection thread.
    void StopLocalServer() final;
    // Answers one request (its header, as read by the server) on a connection
    // thread; the connection closes afterwards.
    void ServeRequest(CConnection& connection, const std::string& request);
    // Copies of the paths the server reads while tasks change, under m_csResults.
    std::string GetTaskDir() const EXCLUDES(m_csResults) final;
    std::string GetResultPagePath() const EXCLUDES(m_csResults);

    // The task reaches HTTPS sites: its start site is one, it lists one, or
    // the options let it move to one. The stored copies' https:// links then
    // lead to the copies.
    bool CrawlsHttps() const EXCLUDES(m_csSites, m_csOptions);
    // The page store's folder ("host", "host:8443") holds the copies of an
    // HTTPS site of the task, and of no plain one.
    bool IsHttpsFolder(const std::string& folder) const EXCLUDES(m_csSites);

    // --- Per-page steps (analysis/, results/)

    void StripPage(int slot);
    int CheckKeywords(int slot);
    void ExtractLinks(int slot);
    // Appends the slot's row to the current result page and, in the same
    // hold of m_csResults, completes the slot's URL (emptied and counted).
    void WriteResultEntry(int slot) EXCLUDES_TASK_LOCKS;
    void CloseResultFile() EXCLUDES(m_csResults);
    // The frame around a result page's rows, sent on a connection of the local server. 1 when
    // sent, 0 when a send failed (nothing more is sent then).
    int SendResultPageHead(const SendFunction& send, int page);
    int SendResultNavigation(const SendFunction& send, int page, bool bTop);
    int SendResultPageFoot(const SendFunction& send, int page);

    // The wait before a page that found an outage is tried again
    // (OUTAGE_TRIES, common/PageFailure.h).
    static constexpr int kOutageRetryMs = 1000;

protected:
    // The run's own state, its threads, sockets, receivers and locks: only
    // the record's member functions (and the engine's tests) reach them.

    // Abstract settings: kept by the run, not by the task file.
    AtomicValue<int> m_nAbstractMaxLength{300};
    AtomicValue<int> m_nAbstractStart{0};
    AtomicValue<int> m_nAbstractOffset{0};

    // Bounds of the lists: a site whose pages link without end stops growing
    // them here. Kept by the run, not by the task file.
    AtomicValue<int> m_nMaxUrls{1000000};   // URLs of one site
    AtomicValue<int> m_nMaxSites{100000};

    AtomicValue<bool> m_bKeywordsChanged{false};
    bool m_bLockTasks = false;  // the record holds the lock of the task it has open
    CTaskLock m_taskLock;       // that lock; GUI thread only
    AtomicValue<bool> m_bStop{false};
    AtomicValue<bool> m_bSkipSite{false};
    AtomicValue<bool> m_bResolved{false};
    sockaddr_in m_addrSite GUARDED_BY(m_csResolve){};

    SlotArray<CThreadHandle> m_hThread GUARDED_BY(m_csSlots);  // the slot's latest thread
    std::vector<CThreadHandle> m_arrRetired GUARDED_BY(m_csSlots);  // earlier threads, until joined
    SlotArray<AtomicValue<int>> m_sockSlot;   // -1 when none
    // An HTTPS site's TLS over the slot's socket, and the settings it was
    // made with; only the slot's own thread touches them.
    SlotArray<std::unique_ptr<CTlsStream>> m_tlsSlot;
    SlotArray<std::shared_ptr<CTlsContext>> m_tlsSlotContext;
    SlotArray<AtomicValue<int>> m_nSlotWorker;  // counts the slot's workers; written under m_csSlots
    SlotArray<AtomicValue<bool>> m_bSlotAborted;  // the fetch was aborted from outside
    SlotArray<CPageFailure> m_failure;  // why the slot's last fetch failed; its own thread only
    // Outage failures in a row (engine/Outage.cpp); written under m_csSlots.
    AtomicValue<int> m_nOutageRun{0};
    int m_hResultFile GUARDED_BY(m_csResults) = -1;
    bool m_bAppendResultPages GUARDED_BY(m_csResults) = false;  // a resumed run truncates no page
    bool m_bRunShowedResults GUARDED_BY(m_csResults) = false;  // this run has shown its result page
    std::string m_strAuthHost GUARDED_BY(m_csCredential);  // the site of the credential; "" = none
    std::string m_strWizardPrint GUARDED_BY(m_csCredential);  // fingerprint of the task's account
    CAppOptions m_options GUARDED_BY(m_csOptions);
    CListIndex m_urlIndex GUARDED_BY(m_csUrls){CListIndex::Match::SameRequest};  // beside m_arrUrls
    CListIndex m_siteIndex GUARDED_BY(m_csSites){CListIndex::Match::NoCase};  // beside m_arrSites
    // The current site was moved from http to its HTTPS form by a redirect:
    // its old http:// links are taken as its own. Cleared with each new site.
    bool m_bSiteMovedToHttps GUARDED_BY(m_csSites) = false;

    // Receivers of notifications; null when none.
    INotifyTarget* m_hWndMainFrame = nullptr;
    INotifyTarget* m_hWndThreadBar = nullptr;
    INotifyTarget* m_hWndView = nullptr;

    int m_sockServer = -1;
    AtomicValue<int> m_nServerPort{0};

    // The nestings above; a leaf comes after the four that end them all.
    mutable CMutex m_csSlots ACQUIRED_BEFORE(m_csUrls, m_csSites, m_csResolve);
    mutable CMutex m_csUrls;
    mutable CMutex m_csSites;
    mutable CMutex m_csResolve;
    mutable CMutex m_csLookup ACQUIRED_BEFORE(m_csResolve, m_csSites);
    mutable CMutex m_csAuth ACQUIRED_BEFORE(m_csSlots, m_csSites, m_csResolve, m_csLookup);
    mutable CMutex m_csResults ACQUIRED_BEFORE(m_csSlots);
    mutable CMutex m_csKeywords;
    mutable SlotArray<CMutex> m_csSlotText;
    mutable SlotArray<CMutex> m_csSlotSocket;
    mutable CMutex m_csCredential ACQUIRED_AFTER(m_csUrls, m_csSites, m_csResolve, m_csKeywords);
    mutable CMutex m_csOptions ACQUIRED_AFTER(m_csUrls, m_csSites, m_csResolve, m_csKeywords);
    mutable SlotArray<CMutex> m_csSlotStatus;
    mutable CMutex m_csFailures ACQUIRED_AFTER(m_csUrls, m_csSites, m_csResolve, m_csKeywords);
    mutable CMutex m_csRobots ACQUIRED_AFTER(m_csUrls, m_csSites, m_csResolve, m_csKeywords);
    mutable CMutex m_csPolite ACQUIRED_AFTER(m_csUrls, m_csSites, m_csResolve, m_csKeywords);
    mutable CMutex m_csTls ACQUIRED_AFTER(m_csUrls, m_csSites, m_csResolve, m_csKeywords);
    // The TLS settings of HTTPS connections, made when the first is needed,
    // again when "Check certificates" changes; and whether this run has
    // said that certificates are not checked.
    std::shared_ptr<CTlsContext> m_pTls GUARDED_BY(m_csTls);
    bool m_bToldUnchecked GUARDED_BY(m_csTls) = false;

    // robots.txt of the site last asked for, kept for the run; its fetch is
    // made by one worker at a time.
    std::shared_ptr<const CRobotsRules> m_pRobots GUARDED_BY(m_csRobots);
    std::string m_strRobotsSite GUARDED_BY(m_csRobots);
    bool m_bRobotsUnavailable GUARDED_BY(m_csRobots) = false;  // 5xx: nothing allowed
    bool m_bRobotsFetching GUARDED_BY(m_csRobots) = false;
    // When the next request to m_strPoliteSite may start.
    std::string m_strPoliteSite GUARDED_BY(m_csPolite);
    std::chrono::steady_clock::time_point m_nextRequest GUARDED_BY(m_csPolite);
    // A delay after the last one really started: a worker that wakes late
    // delays the next.
    std::chrono::steady_clock::time_point m_earliestRequest GUARDED_BY(m_csPolite);

    friend class CPageTransfer;

    // Starts the thread of a slot; false when the system refuses. Caller
    // holds m_csSlots. Tests override it to see a refusal.
    virtual bool CreateWorkerThread(int slot) REQUIRES(m_csSlots);
    // Creates (or replaces) a stored copy for writing: a descriptor, or -1
    // with errno. Tests override it to see a full disk.
    virtual int CreateStoredFile(const std::string& path);
    // Writes all of a buffer to a stored copy or a result page; false with
    // errno when it could not. Tests override it to see a full disk.
    [[nodiscard]] virtual bool WriteToFile(int fd, const char* data, size_t count);
    // Copies one file of the task folder for Save As, with its permissions;
    // false with errno. Tests override it to see a full disk.
    virtual bool CopyTaskFile(const std::string& from, const std::string& to);

    // Points where threads meet: tests override AtRunStep to hold a thread
    // there. Called with no lock held.
    enum class RunStep {
        Command,  // a pause or abort command, before it looks at the run
        Fetch,    // a worker that saw no stop, before its fetch begins
        Choose,   // a worker done with its URL, before it chooses what next
        Join,     // JoinWorkers has taken the threads, before it waits
        Lookup,   // a name lookup, before it asks the system
        Leave,    // a worker that gave up its slot, before its last thread line
    };
    virtual void AtRunStep(RunStep step, int slot);

private:
    // Save As once the new name is locked: the copy and the save.
    [[nodiscard]] bool SaveUnderNewName(const std::string& path, std::string& strError);
    // Save As: the folder's contents copied; false with the reason.
    bool CopyTaskFolder(const std::string& from, const std::string& to, std::string& strError);
    // The task's folder and the paths in it move from one folder to another.
    void RebaseTaskPaths(const std::string& from, const std::string& to);
    // OnNewDocument without telling the receivers: a new task being built.
    void ResetToNewDocument();
    // The fields of a task file that was read whole become the task's.
    void TakeFields(CTaskFields&& loaded);
    // After a task file was read (task/TaskLifecycle.cpp).
    void SettleOpenedTask(const std::string& path);
    void BindOpenedCredential();

    std::unique_ptr<CLocalServer> m_pServer;
    void ServeStoredCopy(CConnection& connection, const std::string& name, int port);
    void StreamResultPage(CConnection& connection, int page, int file);
    void SendStoredFile(CConnection& connection, int file);

    enum class NextWork { Work, Leave, LeaveInactive, LeavePausedAfterSite };
    NextWork ChooseNextWork(int slot) EXCLUDES(m_csSlots);
    // worker: the slot's worker count when this worker began.
    void LeaveWorker(int slot, int worker, NextWork why) EXCLUDES_TASK_LOCKS;
    void PostTerminatedLine(int slot, int worker) EXCLUDES(m_csSlotStatus[slot]);
    bool StartWorkerLocked(int slot) REQUIRES(m_csSlots);
    int CountActive(int from, int to) const;

    // The run's transitions (engine/Scheduler.cpp; the state change and its
    // note in task/Notifications.cpp). Callers hold m_csSlots, and those
    // that prepare or end a run m_csResults before it.
    bool StartRunLocked(bool bCommand) REQUIRES(m_csResults, m_csSlots);
    void PrepareRunLocked() REQUIRES(m_csResults, m_csSlots);
    void BoundResultCountersLocked(bool bFresh) REQUIRES(m_csResults, m_csSlots);
    // The result pages numbered above page go. Caller holds m_csResults.
    void RemoveResultPagesAfterLocked(int page) REQUIRES(m_csResults);
    // A fresh start: the first page holds no row of the run before.
    void ClearFirstResultPageLocked() REQUIRES(m_csResults);
    // A resume: the pages hold no row after the position the record holds.
    // The current page keeps its first m_nResultsInPage rows (one with fewer,
    // a row lost to a write error, stays as it is) and the later pages go, so
    // a task file saved while it ran lists no page twice when it resumes.
    // Caller holds m_csResults.
    void CutResultPagesLocked() REQUIRES(m_csResults);
    void StopRunLocked(unsigned state) REQUIRES(m_csSlots);
    void EndRunLocked(bool bPausedAfterSite) REQUIRES(m_csResults, m_csSlots);
    void StartNextSiteLocked() REQUIRES(m_csResults, m_csSlots);
    void ForgetStaleWorkersLocked() REQUIRES(m_csSlots);
    void ChangeStateLocked(unsigned state) REQUIRES(m_csSlots);
    void CloseResultFileLocked() REQUIRES(m_csResults);
    struct CFrameNote {
        unsigned m_nMessage;
        int64_t m_nWParam;
        NotifyParam m_lParam;
    };
    std::deque<CFrameNote> m_pendingNotes GUARDED_BY(m_csSlots);  // for the main frame, in order
    bool m_bDeliveringNotes GUARDED_BY(m_csSlots) = false;  // one thread sends them
    bool m_bSlotsClosed GUARDED_BY(m_csSlots) = false;  // JoinWorkers ran: no thread starts
    int m_nAddressGeneration GUARDED_BY(m_csResolve) = 0;  // counts ClearAddress
    std::atomic<int64_t> m_nCountsSentAt{0};  // steady milliseconds of the last throttled counts
    void ClearSlotPageTexts(int slot) EXCLUDES(m_csSlotText[slot]);

    // Pages not retrieved (results/FailureLog.cpp, engine/Outage.cpp).
    CFailureTally m_failureTally GUARDED_BY(m_csFailures);
    bool m_bFailureTailChecked GUARDED_BY(m_csFailures) = false;  // a torn last line was cut off
    // The failure of the slot's fetch: kept for the worker, -1 returned.
    int FailPage(int slot, const CPageFailure& failure);
    // The slot's URL is done: emptied and counted and, when its fetch
    // failed, tallied, all under m_csSlots. False, with the URL kept, when a
    // stop came first.
    bool CompleteUrl(int slot, bool bFailed) EXCLUDES(m_csSlots);
    // Appends the failure to the record and tells the main frame. No lock held.
    void RecordFailure(int slot, const std::string& url,
                       const CPageFailure& failure) EXCLUDES_TASK_LOCKS;
    // A fresh start: no failure of the run before. Caller holds m_csSlots.
    void ClearFailureRecordLocked() REQUIRES(m_csSlots);
    enum class OutageStep {
        Failed,    // the page failed as any page does
        TryAgain,  // the page keeps its slot and is tried again after a wait
        Paused,    // the task paused for the outage; the page stays in its slot
        Stopped,   // a stop came first
    };
    OutageStep JudgeOutage(int slot) EXCLUDES(m_csSlots);
    // A page that came through, or failed with an answer: no outage.
    void EndOutageRun() EXCLUDES(m_csSlots);
    // The wait before the next try of a page; false when a stop came.
    bool WaitToTryAgain();
    // The URL list of a site that starts: just its first URL. Caller holds
    // m_csUrls.
    void ResetUrlListLocked(const std::string& first) REQUIRES(m_csUrls);

    // Slot sockets (engine/SlotSocket.cpp). Only the slot's own thread opens
    // and closes its descriptor; other threads only abort it.
    // A new fetch: earlier aborts no longer count. False when a stop was
    // raised before it: the fetch fails at once.
    bool BeginFetch(int slot) EXCLUDES(m_csSlots);
    bool OpenSlotSocket(int slot) EXCLUDES(m_csSlotSocket[slot]);
    // HTTPS (engine/SlotTls.cpp): through the proxy, a CONNECT tunnel to the
    // site first; then the TLS handshake, within the task's timeout. Each
    // gives the failure, or none.
    CPageFailure OpenTunnel(int slot, const std::string& site) EXCLUDES_TASK_LOCKS;
    CPageFailure StartTls(int slot, const std::string& site) EXCLUDES(m_csTls, m_csOptions);
    std::shared_ptr<CTlsContext> TlsContextForRun() EXCLUDES(m_csTls, m_csOptions);
    // A fresh run says again, once, that certificates are not checked.
    void ForgetTlsNotice() EXCLUDES(m_csTls);
    void CloseSlotSocket(int slot) EXCLUDES(m_csSlotSocket[slot]);
    // Waits for events on the slot's socket, at most timeoutMs (0 = no limit).
    // False, with errno, on an abort (ECANCELED), a time-out (ETIMEDOUT) or
    // an error.
    bool WaitSlot(int slot, short events, int timeoutMs);
    int ConnectSlotSocket(int slot, const sockaddr_in& address, int timeoutMs);
    bool SendSlot(int slot, const std::string& bytes, int timeoutMs);
    ssize_t ReceiveSlot(int slot, char* buffer, size_t size, int timeoutMs);
    // The same through the slot's TLS.
    bool SendSlotTls(int slot, const std::string& bytes, int timeoutMs);
    ssize_t ReceiveSlotTls(int slot, char* buffer, size_t size, int timeoutMs);
    int TlsErrno(int slot, const CTlsStream& stream) const;

    void ClearAddress() EXCLUDES(m_csResolve);
    bool LookUpServer(sockaddr_in& address) EXCLUDES_GUI_THREAD_LOCKS;
    CPageFailure LookupFailure();
    // The counters while links are queued: true at most four times a second,
    // over all workers.
    bool TakeCountsTurn();
    int64_t SendTo(INotifyTarget* target, unsigned message, int64_t wParam,
                   const NotifyParam& lParam) EXCLUDES_GUI_THREAD_LOCKS;
};

// The one task record of the process, from its construction on.
extern CQuobrixDoc* g_pTaskDoc;
