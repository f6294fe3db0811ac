// The failure record as the workers keep it: each page that was not
// retrieved is counted with its URL under the scheduler lock, then appended
// to the record and told to the main frame.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>

#include "common/Messages.h"
#include "common/StringTable.h"
#include "results/FailureRecord.h"
#include "task/QuobrixDoc.h"

namespace {
constexpr off_t kTailChunk = 4096;  // bytes read at a time while looking for the last line feed

// Cuts off a line that a killed program left without its line feed, so that
// the next line does not join it.
void CutTornLine(int fd) {
    struct stat info {};
    if (fstat(fd, &info) != 0 || info.st_size == 0) {
        return;
    }
    off_t end = info.st_size;
    char last = '\n';
    if (pread(fd, &last, 1, end - 1) != 1 || last == '\n') {
        return;
    }
    char buffer[kTailChunk];
    while (end > 0) {
        const off_t from = std::max<off_t>(0, end - kTailChunk);
        const ssize_t got = pread(fd, buffer, static_cast<size_t>(end - from), from);
        if (got <= 0) {
            return;
        }
        for (ssize_t at = got - 1; at >= 0; --at) {
            if (buffer[at] == '\n') {
                if (ftruncate(fd, from + at + 1) != 0) {
                    // The torn line stays; readers pass over it.
                }
                return;
            }
        }
        end = from;
    }
    if (ftruncate(fd, 0) != 0) {
        // As above.
    }
}
}  // namespace

std::string CQuobrixDoc::FailureRecordPath() const {
    const std::string taskDir = GetTaskDir();
    return taskDir.empty() ? std::string() : taskDir + FAILURE_RECORD_NAME;
}

std::string CQuobrixDoc::FailureSummary() const {
    const int requested = LinksRequested();
    CLock lock(m_csFailures);
    return FormatFailureSummary(m_failureTally, requested);
}

int CQuobrixDoc::FailureCount() const {
    CLock lock(m_csFailures);
    return m_failureTally.Total();
}

void CQuobrixDoc::LoadFailureTally() {
    CFailureTally tally = TallyFailures(ReadFailureRecord(GetTaskDir()));
    CLock lock(m_csFailures);
    m_failureTally = std::move(tally);
    m_bFailureTailChecked = false;
}

int CQuobrixDoc::FailPage(int slot, const CPageFailure& failure) {
    m_failure[slot] = failure;
    return -1;
}

bool CQuobrixDoc::CompleteUrl(int slot, bool bFailed) {
    CLock lock(m_csSlots);
    if (m_bStop) {
        return false;  // interrupted: fetched again on resume
    }
    m_strUrl[slot].clear();
    ++m_nRequested[slot];
    // Counted with the URL, in the hold that a pause takes too: the summary
    // of a paused run holds every failure of it.
    if (bFailed && m_failure[slot].Failed()) {
        CLock failureLock(m_csFailures);
        m_failureTally.Add(m_failure[slot]);
    }
    return true;
}

void CQuobrixDoc::RecordFailure(int slot, const std::string& url, const CPageFailure& failure) {
    if (IsToldOnThreadLine(failure.m_reason)) {
        NotifyThreadStatus(slot, PHASE_CONNECT,
                           FormatString(IDS_NOT_RETRIEVED_LINE, {url, FailureText(failure)}));
    }
    const std::string path = FailureRecordPath();
    const std::string line = FailureRecordLine({FailureTimeText(std::time(nullptr)), failure, url});
    if (!path.empty()) {
        CLock lock(m_csFailures);
        const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
        if (fd >= 0) {
            if (!m_bFailureTailChecked) {
                CutTornLine(fd);
                m_bFailureTailChecked = true;
            }
            // A line that cannot be written is lost; the tally keeps the count.
            (void)WriteToFile(fd, line.data(), line.size());
            close(fd);
        }
    }
    if (m_hWndMainFrame != nullptr) {
        m_hWndMainFrame->Post(WM_PAGE_FAILED, FailureParam(slot, failure),
                              FailedUrlParam(url, failure));
    }
}

void CQuobrixDoc::ClearFailureRecordLocked() {
    CLock lock(m_csFailures);
    m_failureTally.Clear();
    m_bFailureTailChecked = true;  // nothing is left to be torn
    if (!m_strTaskDir.empty()) {
        const std::string path = m_strTaskDir + FAILURE_RECORD_NAME;
        if (unlink(path.c_str()) != 0) {
            // None yet: the first failure makes it.
        }
    }
}
