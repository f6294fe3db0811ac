#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One file a task stored: its path below the task folder and its size.
struct CStoredFile {
    std::string m_strPath;  // "127.0.0.1/p0042.html"
    uintmax_t m_nSize = 0;
    bool operator==(const CStoredFile&) const = default;
};

// The files a task stored: every file in its host folders, the ".Quobrix"
// header files left out; sorted by path.
std::vector<CStoredFile> StoredFiles(const std::string& strTaskFile);
