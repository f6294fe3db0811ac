#pragma once

#include <cstdint>
#include <string>

class CTaskFields;

// The keywords as the task holds them, with their match case.
struct CTaskKeywords {
    std::string m_strText;  // "apple+pear", trimmed
    bool m_bMatchCase = false;
};

// How the abstracts of the result rows are cut. Kept by the run, not by the
// task file.
struct CAbstractSettings {
    int m_nMaxLength = 0;
    int m_nStart = 0;   // 0 beginning, 1 middle, 2 end
    int m_nOffset = 0;  // characters from that point, may be negative
};

// Everything the "Task options" sheet and "quobrix-cli set" edit, copied out
// of the task and handed back as a whole.
struct CTaskProperties {
    CTaskKeywords m_keywords;
    bool m_bPauseAfterSite = false;
    int m_nDepth = 0;
    int m_nResultsPerPage = 0;
    bool m_bPromptAuth = false;
    int m_nAutoSaveMinutes = 0;
    CAbstractSettings m_abstract;
    bool m_bFilterText = false;
    bool m_bFilterImage = false;
    bool m_bFilterOthers = false;
    int m_nTextMaxK = 0;
    int m_nImageMaxK = 0;
    int m_nOthersMaxK = 0;
    bool m_bRecolorLinks = false;
    uint32_t m_crLinkColor = 0;  // 0x00BBGGRR
    int m_nRetries = 0;
    int m_nTimeout = 0;  // milliseconds, 0 = none
    int m_nMaxThreads = 0;
};

// The properties a task file keeps, as fields holds them; the keywords and
// the abstract settings are left empty.
CTaskProperties PropertiesOf(const CTaskFields& fields);
