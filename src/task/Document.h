#pragma once

#include <string>

#include "common/AtomicValue.h"

// What the program's single document keeps besides the task itself: the
// file it belongs to, its title and whether it has unsaved changes.
class CDocument {
public:
    virtual ~CDocument() = default;

    [[nodiscard]] const std::string& GetPathName() const { return m_strPathName; }
    // Also sets the title: the file name without its extension
    // ("/tasks/shop.qbx" -> "shop").
    void SetPathName(const std::string& path);
    [[nodiscard]] const std::string& GetTitle() const { return m_strDocTitle; }
    void SetTitle(const std::string& title) { m_strDocTitle = title; }

    [[nodiscard]] bool IsModified() const { return m_nChanges != m_nSavedChanges; }
    // Called from worker threads too (a run marks the task modified).
    // Clearing it says that everything changed so far is saved.
    void SetModifiedFlag(bool modified = true);
    // A save that runs while workers change the task clears the flag only
    // for what it wrote: it takes the count before its snapshot and hands
    // it back once the file is written, so a change made meanwhile stays
    // unsaved.
    [[nodiscard]] unsigned ChangeCount() const { return m_nChanges; }
    void SetSavedChanges(unsigned count) { m_nSavedChanges = count; }

protected:
    // A new, unnamed document: no path, title "Untitled", no changes.
    void ResetDocument();

private:
    std::string m_strPathName;
    std::string m_strDocTitle;
    // Changes counted since the start; equality, not order, is compared,
    // so a count that wraps around still works.
    AtomicValue<unsigned> m_nChanges{0};
    AtomicValue<unsigned> m_nSavedChanges{0};
};
