#pragma once

#include <cstdint>
#include <string>

#include "common/AppOptions.h"
#include "common/NotifyTarget.h"
#include "task/Document.h"
#include "task/DocumentPrompts.h"
#include "task/NewTaskRecord.h"
#include "task/TaskFields.h"
#include "task/TaskLock.h"
#include "task/TaskProperties.h"

// The task as the front ends (the desktop, quobrix-cli) see it: a document
// with its commands, its counters and its properties. The record behind it
// (task/QuobrixDoc.h) keeps its locks, threads and sockets to itself. The
// commands and queries run on the thread that runs the commands unless they
// say otherwise.
class ITask : public CDocument {
public:
    // --- Lifecycle

    // A new, empty, unnamed task; the receivers are told.
    virtual void OnNewDocument() = 0;
    // Opens a task file; on failure strError says why and the task that was
    // open stays as it was.
    [[nodiscard]] virtual bool OnOpenDocument(const std::string& path, std::string& strError) = 0;
    // Saves the task, also while workers run.
    [[nodiscard]] virtual bool OnSaveDocument(const std::string& path, std::string& strError) = 0;
    // Saves the task and a copy of its folder under a new name.
    [[nodiscard]] virtual bool SaveTaskAs(const std::string& path, std::string& strError) = 0;
    // Workers run, or a stop is still in progress.
    [[nodiscard]] virtual bool IsTaskBusy() const = 0;
    // A copy of the task file's fields.
    virtual CTaskFields TakeSnapshot() = 0;
    // Refuse while the task runs; otherwise offer to save unsaved changes.
    // True when the task may be closed or replaced.
    virtual bool CanCloseFrame(IDocumentPrompts& prompts) = 0;
    virtual bool SaveModified(IDocumentPrompts& prompts) = 0;

    // The new task of the wizard's answers: made in memory, written, or both.
    virtual void BuildNewTask(const CNewTaskRecord& record, const std::string& path,
                              uint32_t crDefaultLinkColor) = 0;
    [[nodiscard]] virtual bool SaveNewTask(std::string& strError) = 0;
    [[nodiscard]] virtual bool CreateNewTask(const CNewTaskRecord& record, const std::string& path,
                                             uint32_t crDefaultLinkColor,
                                             std::string& strError) = 0;

    // --- The lock of the task that is open, for a front end that keeps its
    // task open (the desktop).

    // From now on the task that is open is this program's alone.
    virtual void LockTasksWhileOpen() = 0;
    // The lock of the task file at path, into lock; false, with the refusal
    // in strError, when another program has it.
    [[nodiscard]] virtual bool LockTaskFile(const std::string& path, CTaskLock& lock,
                                            std::string& strError) const = 0;
    // The task at path is the one open now and keeps lock.
    virtual void KeepTaskLock(const std::string& path, CTaskLock&& lock) = 0;
    // The task was closed: its lock goes.
    virtual void ReleaseTaskLock() = 0;

    // --- Commands

    virtual void OnTaskRun() = 0;
    virtual void OnTaskPause() = 0;
    virtual void OnTaskAbort() = 0;
    virtual void OnSkipCurrentSite() = 0;
    virtual void OnAbortRetrieval(int slot) = 0;
    // Pauses the task if it runs and no stop is in progress; never resumes.
    virtual void PauseWorkers() = 0;
    // Joins every worker thread once the run has ended (IsRunEnded).
    virtual void JoinWorkers() = 0;

    // --- Enabling of the commands. Any thread.

    [[nodiscard]] virtual bool CanRun() const = 0;
    [[nodiscard]] virtual bool CanPause() const = 0;
    [[nodiscard]] virtual bool IsPauseChecked() const = 0;
    [[nodiscard]] virtual bool CanAbort() const = 0;
    [[nodiscard]] virtual bool CanEditProperties() const = 0;
    [[nodiscard]] virtual bool CanSkipSite() const = 0;
    [[nodiscard]] virtual bool CanActOnSlot(int slot) const = 0;
    [[nodiscard]] virtual bool IsStopping() const = 0;
    [[nodiscard]] virtual bool IsRunning() const = 0;
    // Nothing is left of the last run; the workers may be joined.
    [[nodiscard]] virtual bool IsRunEnded() const = 0;
    // Every worker thread has returned, so that joining them cannot wait.
    // False while a worker holds the run for the thread that asks.
    [[nodiscard]] virtual bool HaveWorkersReturned() const = 0;

    // --- What the task is and how far it got

    [[nodiscard]] virtual unsigned GetState() const = 0;  // string id of the state's text
    [[nodiscard]] virtual bool IsSiteMode() const = 0;
    [[nodiscard]] virtual std::string GetStartAddress() const = 0;
    [[nodiscard]] virtual std::string GetEndAddress() const = 0;
    [[nodiscard]] virtual int GetResultPage() const = 0;  // the result page being written
    [[nodiscard]] virtual std::string GetTaskDir() const = 0;
    [[nodiscard]] virtual unsigned SitesLeft() const = 0;
    [[nodiscard]] virtual int LinksQueued() const = 0;
    [[nodiscard]] virtual int LinksRequested() const = 0;
    [[nodiscard]] virtual int FailureCount() const = 0;
    // "No page failed", "2 pages not retrieved: 2 HTTP 404".
    [[nodiscard]] virtual std::string FailureSummary() const = 0;
    [[nodiscard]] virtual std::string GetSlotUrl(int slot) const = 0;

    // --- Properties

    [[nodiscard]] virtual CTaskProperties GetProperties() const = 0;
    // As the sheet's OK: every value is stored, the keywords go through
    // SetKeywords (marked changed) and the task is marked modified.
    virtual void SetProperties(const CTaskProperties& properties) = 0;
    // The properties a task file keeps, alone: the keywords, the abstract
    // settings and the modified flag stay as they are.
    virtual void StoreProperties(const CTaskProperties& properties) = 0;
    [[nodiscard]] virtual CTaskKeywords GetKeywords() const = 0;
    [[nodiscard]] virtual int AutoSaveMinutes() const = 0;
    // Only the abstract settings: the task is not marked modified.
    [[nodiscard]] virtual CAbstractSettings GetAbstractSettings() const = 0;
    virtual void SetAbstractSettings(const CAbstractSettings& settings) = 0;
    virtual void SetAppOptions(const CAppOptions& options) = 0;

    // --- Receivers of the notifications; null when none

    virtual void SetReceivers(INotifyTarget* frame, INotifyTarget* threadBar,
                              INotifyTarget* view) = 0;
    // The view alone, before the others: it shows the first task as it opens.
    virtual void SetViewReceiver(INotifyTarget* view) = 0;
    virtual void ClearReceivers() = 0;
    // The state, sites left and link counts, sent again to the receivers.
    virtual void SendStateAndCounts() = 0;
    // The credential prompt's answer for url.
    virtual void AnswerAuthorization(const std::string& url, bool bOk, const std::string& account,
                                     const std::string& password, bool bDoNotPromptAgain) = 0;

    // --- Local web server

    // false, errno set, when it cannot listen; port 0: the system chooses.
    [[nodiscard]] virtual bool StartLocalServer(int port = 0) = 0;
    virtual void StopLocalServer() = 0;
    [[nodiscard]] virtual std::string LocalServerRoot() const = 0;  // "http://127.0.0.1:PORT/"
};
