#pragma once

#include <string>

#include "common/AtomicValue.h"

// What the program's single document keeps besides the task itself: the
// file it belongs to, its title and whether it has unsaved changes.
class CDocument {
public:
    virtual ~CDocument() = default;

    const std::string& GetPathName() const { return m_strPathName; }
    // Also sets the title: the file name without its extension
    // ("/tasks/shop.qbx" -> "shop").
    void SetPathName(const std::string& path);
    const std::string& GetTitle() const { return m_strDocTitle; }
    void SetTitle(const std::string& title) { m_strDocTitle = title; }

    bool IsModified() const { return m_bModified; }
    // Called from worker threads too (a run marks the task modified).
    void SetModifiedFlag(bool modified = true) { m_bModified = modified; }

protected:
    // A new, unnamed document: no path, title "Untitled", no changes.
    void ResetDocument();

private:
    std::string m_strPathName;
    std::string m_strDocTitle;
    AtomicValue<bool> m_bModified{false};
};
