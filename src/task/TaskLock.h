#pragma once

#include <string>

// A task is used by one program at a time: quobrix-cli's run, set, new and
// demo, and the desktop program for as long as it has the task open, hold
// the task's lock, so that no two of them write one task file or folder and
// none puts back old values over another's changes. Readers (show, serve)
// take none.
//
// The lock is an flock on a hidden file beside the task file: the task file
// itself is replaced by a rename at every save, so a lock on it would not
// last, and the task folder is copied by Save As, served and may be missing.
// "/tasks/shop.qbx" is locked through "/tasks/.shop.qbx.lock"; a task file
// that is a symbolic link through the file beside its target, so two
// spellings of one task are one lock. The holder writes "4242 quobrix-cli
// run\n" (process id, program) into the file, for the message of whoever it
// refuses. The system lets go of the lock when the holder dies, however it
// dies; the file goes when its holder releases it.
//
// Where no lock can be had (the folder cannot be written, or the file system
// has no locks), Acquire succeeds without one: such a folder takes no save of
// the task file either. On NFS the system maps flock to the server's locks,
// which reach other machines; a mount without them ("nolock") locks on this
// machine only.
class CTaskLock {
public:
    CTaskLock() = default;
    ~CTaskLock();
    CTaskLock(CTaskLock&& other) noexcept;
    // Releases the lock this one held, then takes over the other's.
    CTaskLock& operator=(CTaskLock&& other) noexcept;
    CTaskLock(const CTaskLock&) = delete;
    CTaskLock& operator=(const CTaskLock&) = delete;

    // Takes the lock of the task file at strTaskPath at once, never waiting.
    // strUse says what this process does with it ("run"), after the
    // program's name. False when another holder has it: HolderProgram and
    // HolderPid then say who, as its file does. True when this one holds it,
    // and when no lock can be had (IsHeld() is false then). A lock held
    // before is released first. A second lock in the same process is another
    // holder too: the desktop's re-open of its own task asks IsFor first.
    bool Acquire(const std::string& strTaskPath, const std::string& strUse = "");
    // Lets go of the lock and removes its file; nothing when none is held.
    void Release();
    [[nodiscard]] bool IsHeld() const { return m_hFile >= 0; }
    // Whether this is the held lock of the task file at strTaskPath, under
    // any spelling of it.
    [[nodiscard]] bool IsFor(const std::string& strTaskPath) const;

    // After a refusal: "quobrix-cli run", empty when the file does not say;
    // and the holder's process id, 0 when unknown.
    [[nodiscard]] const std::string& HolderProgram() const { return m_strHolderProgram; }
    [[nodiscard]] int HolderPid() const { return m_nHolderPid; }
    // The refusal on one line: "/tasks/shop.qbx is in use by quobrix-cli run
    // (process 4242); a task is used by one program at a time."
    [[nodiscard]] std::string RefusalMessage(const std::string& strTaskPath) const;

    // "/tasks/shop.qbx" -> "/tasks/.shop.qbx.lock", beside the file that
    // symbolic links at the path's end lead to.
    static std::string LockFileFor(const std::string& strTaskPath);

private:
    // One try at the lock file: Done when decided (m_hFile set or not,
    // bResult the answer), Again when the file was replaced meanwhile.
    enum class Step { Done, Again };
    Step TryOnce(const std::string& lockPath, const std::string& strUse, bool& bResult);
    void ReadHolder(int file);

    int m_hFile = -1;           // the locked file's descriptor, -1 when none held
    std::string m_strLockPath;  // its path, while held
    std::string m_strHolderProgram;
    int m_nHolderPid = 0;
};
