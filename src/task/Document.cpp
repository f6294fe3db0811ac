#include "task/Document.h"

#include "common/StringTable.h"
#include "common/Text.h"

void CDocument::SetPathName(const std::string& path) {
    m_strPathName = path;
    std::string name = FileNameOf(path);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) {
        name.erase(dot);
    }
    m_strDocTitle = name;
}

void CDocument::ResetDocument() {
    m_strPathName.clear();
    m_strDocTitle = LoadString(IDS_UNTITLED);
    SetModifiedFlag(false);
}

void CDocument::SetModifiedFlag(bool modified) {
    if (modified) {
        ++m_nChanges;
    } else {
        m_nSavedChanges = m_nChanges.Load();
    }
}
