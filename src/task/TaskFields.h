#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "common/AtomicValue.h"
#include "common/StringTable.h"

class CArchive;

// Number of worker slots of a task.
constexpr int SLOT_COUNT = 15;

template <typename T>
using SlotArray = std::array<T, SLOT_COUNT>;

// Everything a task file holds: the task's definition, its properties, its
// crawl position and its fifteen worker slots. CQuobrixDoc derives from it,
// so these are the task record's own members; a copy of this part alone is
// the snapshot that a save writes while workers run.
class CTaskFields {
public:
    // Writes the fields into a storing archive, or reads them from a loading
    // one. False when a loading archive ends before every field was read, or
    // a file archive could not write. Without bSlots: everything before the
    // slot block (a save writes each slot under its own lock).
    bool SerializeFields(CArchive& ar, bool bSlots = true);
    // One slot's block. Its URL and activity, guarded by the scheduler lock,
    // are given apart: a save passes the copies taken with the crawl position.
    void SerializeSlot(CArchive& ar, int slot, std::string& url, AtomicValue<bool>& active);

    // Definition.
    std::string m_strTaskDir;            // "/home/ann/tasks/shop/": ends with "/"
    std::string m_strStartAddress;       // "example.com/docs/a.html", or the range's lower address
    std::string m_strEndAddress;         // the range's upper address; in site mode the start address
    std::string m_strCurrentSite;        // "example.com" or "10.0.0.5"
    std::string m_strKeywords;           // "apple+pear", trimmed
    std::string m_strEmailListPath;      // task directory + "EmailAddress.txt"
    std::string m_strTaskTitle;          // document title when the task was created
    std::string m_strResultPagePath;     // current result page file
    std::string m_strSiteAuthorization;  // Base64 of "account:password", or empty
    AtomicValue<bool> m_bSiteMode{true};
    AtomicValue<bool> m_bMatchCase{false};

    // Crawl position.
    std::vector<std::string> m_arrUrls;      // URLs of the current site, in the order queued
    std::vector<std::string> m_arrReserved;  // kept from the file, never used
    std::vector<std::string> m_arrSites;     // site mode: hosts in the order found
    std::vector<std::string> m_arrKeywords;  // m_strKeywords split at "+"
    AtomicValue<unsigned> m_nState{IDS_STATE_IDLE};  // string id of the state's text
    AtomicValue<int> m_nSlotsUsed{0};
    AtomicValue<int> m_nNextUrl{0};
    AtomicValue<int> m_nNextSite{0};
    AtomicValue<int> m_nResultsInPage{0};
    AtomicValue<int> m_nResultPage{0};

    // Properties.
    AtomicValue<int> m_nMaxThreads{10};
    AtomicValue<int> m_nRetries{3};
    AtomicValue<int> m_nTimeout{60000};  // milliseconds, 0 = none
    AtomicValue<uint32_t> m_crLinkColor{0x00FF00};  // 0x00BBGGRR
    AtomicValue<int> m_nAutoSaveMinutes{0};
    AtomicValue<int> m_nDepth{0};
    AtomicValue<int> m_nResultsPerPage{50};
    AtomicValue<int> m_nTextMaxK{1024};
    AtomicValue<int> m_nImageMaxK{0};
    AtomicValue<int> m_nOthersMaxK{1024};
    AtomicValue<bool> m_bPauseAfterSite{false};
    AtomicValue<bool> m_bPromptAuth{false};
    AtomicValue<bool> m_bFilterText{true};
    AtomicValue<bool> m_bFilterImage{true};
    AtomicValue<bool> m_bFilterOthers{true};
    AtomicValue<bool> m_bRecolorLinks{true};

    // Worker slots, in the order of the task file's slot block.
    SlotArray<std::string> m_strPage;       // body of the page just read
    SlotArray<std::string> m_strHeader;     // its response header, lower case
    SlotArray<std::string> m_strTagText;    // the page's tags, for link extraction
    SlotArray<std::string> m_strPlainText;  // the page's text without tags
    SlotArray<std::string> m_strUrl;        // the slot's URL; empty = no work
    SlotArray<std::string> m_strLocalPath;  // path of the stored copy
    SlotArray<std::string> m_strTitle;
    SlotArray<std::string> m_strAbstract;
    SlotArray<AtomicValue<int>> m_nPageLength{};
    SlotArray<AtomicValue<int>> m_nRequested{};  // URLs completed in the run
    SlotArray<AtomicValue<int>> m_nReceived{};   // bytes received in the run
    SlotArray<AtomicValue<bool>> m_bActive{};    // a worker thread runs in the slot
    SlotArray<AtomicValue<bool>> m_bNotHtml{};
    SlotArray<AtomicValue<bool>> m_bMatched{};
};
