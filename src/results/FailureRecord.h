#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/PageFailure.h"

// The failure record: one line for every page of the task that was not
// retrieved, appended as it happens, in the task folder beside the result
// pages. A fresh start begins it anew; a pause, a save and a reopen keep it.
// Each line is the time (UTC), the reason's token and the URL, apart by tabs:
//   2026-05-01T12:34:56Z\trefused\thttp://127.0.0.1:8080/a.html\n
// A carriage return or line feed in the URL is written "%0D" / "%0A". A line
// without its line feed (the program was killed while writing it) is not
// part of the record.
constexpr char FAILURE_RECORD_NAME[] = "PagesNotRetrieved.txt";

struct CFailureEntry {
    std::string m_strTime;  // "2026-05-01T12:34:56Z"
    CPageFailure m_failure;
    std::string m_strUrl;
};

// The line of an entry, line feed included.
std::string FailureRecordLine(const CFailureEntry& entry);
// An entry from a line without its line feed; nothing for a line of another form.
std::optional<CFailureEntry> ParseFailureRecordLine(std::string_view line);
// The entries of a record's bytes, oldest first: whole lines only, those of
// another form passed over.
std::vector<CFailureEntry> ParseFailureRecord(std::string_view bytes);
// The record of a task folder ("/tasks/shop/"); none when it has no record.
std::vector<CFailureEntry> ReadFailureRecord(const std::string& taskDir);

// "2026-05-01T12:34:56Z" for a time in seconds since 1970.
std::string FailureTimeText(long long seconds);

CFailureTally TallyFailures(const std::vector<CFailureEntry>& entries);

// The summary line of a run: "12 pages not retrieved: 10 connection refused,
// 2 HTTP 404", "No page failed", or, when every page of the task that was
// requested failed, "No page was retrieved: 3 not resolved".
std::string FormatFailureSummary(const CFailureTally& tally, int requested);

// "Paused: not resolved (shop.example), 3 times in a row; the pages stay
// queued for the next run"
std::string FormatOutagePause(const CPageFailure& failure, const std::string& where);
