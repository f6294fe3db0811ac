#include "results/FailureRecord.h"

#include <ctime>

#include "common/FileUtil.h"
#include "common/StringTable.h"
#include "common/Text.h"

namespace {
constexpr size_t kTimeLength = 20;  // "2026-05-01T12:34:56Z"

bool IsTime(std::string_view text) {
    if (text.size() != kTimeLength || text.back() != 'Z' || text[10] != 'T') {
        return false;
    }
    for (size_t at = 0; at + 1 < text.size(); ++at) {
        const bool separator = at == 4 || at == 7 || at == 10 || at == 13 || at == 16;
        if (!separator && (text[at] < '0' || text[at] > '9')) {
            return false;
        }
    }
    return true;
}
}  // namespace

namespace {
// A URL as one field of a line: no line break, no tab.
void AppendField(std::string& line, std::string_view url) {
    std::string field;
    AppendReplacing(field, url, '\r', "%0D");
    std::string noBreak;
    AppendReplacing(noBreak, field, '\n', "%0A");
    AppendReplacing(line, noBreak, '\t', "%09");
}
}  // namespace

std::string FailureRecordLine(const CFailureEntry& entry) {
    std::string line = entry.m_strTime + "\t" + FailureToken(entry.m_failure) + "\t";
    AppendField(line, entry.m_strUrl);
    // A redirect's target follows in a field of its own.
    if (!entry.m_failure.m_strTarget.empty()) {
        line += '\t';
        AppendField(line, entry.m_failure.m_strTarget);
    }
    line += '\n';
    return line;
}

std::optional<CFailureEntry> ParseFailureRecordLine(std::string_view line) {
    const size_t first = line.find('\t');
    const size_t second = first == std::string_view::npos ? first : line.find('\t', first + 1);
    if (second == std::string_view::npos || !IsTime(line.substr(0, first))) {
        return std::nullopt;
    }
    std::optional<CPageFailure> failure =
        ParseFailureToken(line.substr(first + 1, second - first - 1));
    std::string_view url = line.substr(second + 1);
    const size_t third = url.find('\t');
    if (failure && third != std::string_view::npos) {
        failure->m_strTarget = std::string(url.substr(third + 1));
        url = url.substr(0, third);
    }
    if (!failure || url.empty()) {
        return std::nullopt;
    }
    return CFailureEntry{std::string(line.substr(0, first)), *failure, std::string(url)};
}

std::vector<CFailureEntry> ParseFailureRecord(std::string_view bytes) {
    std::vector<CFailureEntry> entries;
    size_t start = 0;
    for (size_t end = bytes.find('\n'); end != std::string_view::npos;
         end = bytes.find('\n', start)) {
        if (std::optional<CFailureEntry> entry =
                ParseFailureRecordLine(bytes.substr(start, end - start))) {
            entries.push_back(std::move(*entry));
        }
        start = end + 1;
    }
    return entries;  // what follows the last line feed is a torn line
}

std::vector<CFailureEntry> ReadFailureRecord(const std::string& taskDir) {
    std::string bytes;
    if (taskDir.empty() || !ReadWholeFile(taskDir + FAILURE_RECORD_NAME, bytes)) {
        return {};
    }
    return ParseFailureRecord(bytes);
}

std::string FailureTimeText(long long seconds) {
    const std::time_t time = static_cast<std::time_t>(seconds);
    std::tm parts{};
    char text[32] = "";
    if (gmtime_r(&time, &parts) == nullptr ||
        std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts) != kTimeLength) {
        return "1970-01-01T00:00:00Z";
    }
    return text;
}

CFailureTally TallyFailures(const std::vector<CFailureEntry>& entries) {
    CFailureTally tally;
    for (const CFailureEntry& entry : entries) {
        tally.Add(entry.m_failure);
    }
    return tally;
}

std::string FormatFailureSummary(const CFailureTally& tally, int requested) {
    const int total = tally.Total();
    if (total <= 0) {
        return LoadString(IDS_FAILURES_NONE);
    }
    std::string reasons;
    for (const auto& [failure, count] : tally.ByCount()) {
        if (!reasons.empty()) {
            reasons += ", ";
        }
        reasons += std::to_string(count) + " " + FailureText(failure);
    }
    // A record written after the task file's last save may count more.
    const unsigned id = total >= requested ? IDS_FAILURES_ALL
                        : total == 1       ? IDS_FAILURES_ONE
                                           : IDS_FAILURES_MANY;
    return FormatString(id, {int64_t{total}, reasons});
}

std::string FormatOutagePause(const CPageFailure& failure, const std::string& where) {
    return FormatString(IDS_OUTAGE_PAUSE, {FailureText(failure), where, int64_t{OUTAGE_TRIES}});
}
