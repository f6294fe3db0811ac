#include "engine/PageTransfer.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/FileUtil.h"
#include "common/Messages.h"
#include "common/StringTable.h"
#include "common/Text.h"
#include "engine/HttpResponse.h"
#include "engine/PageStore.h"
#include "engine/Url.h"
#include "engine/UrlCombine.h"
#include "task/QuobrixDoc.h"

namespace {
constexpr size_t kBlockSize = 512;                 // bytes per read, progress after each
constexpr size_t kMaxHeader = 64 * 1024;           // a longer header fails the page
constexpr size_t kMaxPageText = 32 * 1024 * 1024;  // page text kept for analysis
constexpr size_t kMaxRedirectUrl = 511;            // as long as a followed link may be

bool IsDiskFull(int error) {
    return error == ENOSPC || error == EDQUOT;
}

}  // namespace

CPageTransfer::CPageTransfer(CQuobrixDoc& doc, int slot, std::string url)
    : m_doc(doc),
      m_nSlot(slot),
      m_strUrl(std::move(url)),
      m_strProgressPrefix(FormatString(IDS_STATUS_READING, {m_strUrl})) {}

int CPageTransfer::Run() {
    char block[kBlockSize];
    Step step = Step::More;
    while (step == Step::More) {
        const ssize_t count = m_doc.ReceiveSlot(m_nSlot, block, sizeof block, m_doc.TimeoutMs());
        if (count < 0) {
            m_failure = FailureOfError(errno, false, false);  // an error, a time-out, or an abort
            step = Step::Failed;
            break;
        }
        m_nTotal += static_cast<uint64_t>(count);
        step = OnBlock(block, static_cast<size_t>(count));
        if (step == Step::Unauthorized) {
            step = RetryWithCredentials() ? Step::More : Step::Failed;
        }
    }

    CloseFile();
    m_doc.CloseSlotSocket(m_nSlot);
    const int length = static_cast<int>(m_strText.size());
    Publish();
    if (step == Step::Failed) {
        return m_doc.FailPage(m_nSlot, m_failure.Failed() ? m_failure : m_doc.m_failure[m_nSlot]);
    }
    m_doc.m_nReceived[m_nSlot] += static_cast<int>(m_nTotal);
    m_doc.m_nPageLength[m_nSlot] = length;
    return length == 0 ? -1 : length;
}

CPageTransfer::Step CPageTransfer::OnBlock(const char* data, size_t count) {
    if (!m_bHeaderDone) {
        return GatherHeader(data, count);
    }
    return OnBody(data, count);
}

CPageTransfer::Step CPageTransfer::GatherHeader(const char* data, size_t count) {
    if (count > 0) {
        m_arrPending.emplace_back(data, count);
        m_nPendingBytes += count;
    }
    std::string gathered;
    gathered.reserve(m_nPendingBytes);
    for (const std::string& piece : m_arrPending) {
        gathered += piece;
    }
    const size_t end = FindHeaderEnd(gathered);
    if (end != std::string::npos) {
        return ExamineHeader(end);
    }
    if (count == 0) {
        // The response ended without a header: all of it is page text, and
        // nothing is stored.
        for (const std::string& piece : m_arrPending) {
            AppendText(piece.data(), piece.size());
        }
        m_arrPending.clear();
        ReportProgress();
        return Step::Done;
    }
    return m_nPendingBytes > kMaxHeader ? Fail(FailureReason::BadResponse) : Step::More;
}

CPageTransfer::Step CPageTransfer::ExamineHeader(size_t end) {
    std::string gathered;
    for (const std::string& piece : m_arrPending) {
        gathered += piece;
    }
    const std::string header = gathered.substr(0, end);
    const int status = StatusCode(header);
    if (status == 401) {
        return Step::Unauthorized;
    }
    if (status == 407 && m_doc.GetAppOptions().m_bUseProxy) {
        return Fail(FailureReason::ProxyAuth);
    }
    if (IsRedirectStatus(status)) {
        if (const std::optional<std::string> location = Location(header)) {
            return Redirect(status, *location);
        }
    }
    if (status != 200) {
        return Fail(FailureReason::HttpStatus, status);
    }

    m_strHeaderLower = ToLowerAscii(header);
    m_nAnnounced = ContentLength(m_strHeaderLower);
    {
        CLock lock(m_doc.m_csSlotText[m_nSlot]);
        m_doc.m_strHeader[m_nSlot] = m_strHeaderLower;
    }
    if (const std::optional<std::string> type = ContentType(m_strHeaderLower)) {
        const CFileKind kind = ClassifyContentType(*type);
        bool filterOn = m_doc.m_bFilterOthers;
        int limitK = m_doc.m_nOthersMaxK;
        if (kind.m_class == FileClass::Text) {
            filterOn = m_doc.m_bFilterText;
            limitK = m_doc.m_nTextMaxK;
        } else if (kind.m_class == FileClass::Image) {
            filterOn = m_doc.m_bFilterImage;
            limitK = m_doc.m_nImageMaxK;
        }
        limitK = m_doc.LimitK(limitK);
        if (RejectedByFilter(filterOn, limitK, m_nAnnounced.value_or(0))) {
            return Fail(filterOn ? FailureReason::TooLarge : FailureReason::Filtered);
        }
        // The limit also holds for the bytes that actually come, announced or not.
        if (limitK > 0) {
            m_nLimitBytes = static_cast<uint64_t>(limitK) * 1024;
        }
        m_doc.m_bNotHtml[m_nSlot] = kind.m_bNotHtml;
    }

    if (!StoreFile(header)) {
        return Fail(FailureReason::Aborted);  // the disk is full: the task pauses
    }
    m_bHeaderDone = true;
    if (m_nAnnounced) {
        m_strText.reserve(std::min<size_t>(*m_nAnnounced, kMaxPageText));
    }

    // The blocks read so far, from the header's end on, as if the header had
    // come in the first block.
    std::vector<std::string> pending = std::move(m_arrPending);
    m_arrPending.clear();
    size_t offset = 0;
    Step step = Step::More;
    for (const std::string& piece : pending) {
        const size_t from = end > offset ? std::min(end - offset, piece.size()) : 0;
        offset += piece.size();
        if (from < piece.size()) {
            step = OnBody(piece.data() + from, piece.size() - from);
            if (step != Step::More) {
                return step;
            }
        }
    }
    ReportProgress();
    return BodyComplete() ? Step::Done : step;
}

CPageTransfer::Step CPageTransfer::Redirect(int status, const std::string& location) {
    const std::optional<std::string> target = CombineUrl(m_strUrl, location, kMaxRedirectUrl);
    if (!target || SiteOfUrl(*target).empty()) {
        return Fail(FailureReason::HttpStatus, status);  // nowhere the crawl can go
    }
    if (!m_doc.GetAppOptions().m_bFollowRedirects) {
        m_failure = {FailureReason::Redirected, 0, *target};
        return Step::Failed;
    }
    // Not stored and not listed: the page is its one link, and no failure.
    m_doc.FollowRedirect(m_nSlot, *target);
    return Step::Done;
}

CPageTransfer::Step CPageTransfer::OnBody(const char* data, size_t count) {
    // HTTP/1.0 with an announced length ends there: what follows is not read.
    if (m_nAnnounced) {
        count = static_cast<size_t>(std::min<uint64_t>(count, *m_nAnnounced - m_nBodyBytes));
    }
    AppendText(data, count);
    if (!WriteStored(data, count)) {
        return Fail(FailureReason::Aborted);  // the disk is full: the task pauses
    }
    m_nBodyBytes += count;
    if (m_nLimitBytes > 0 && m_nBodyBytes > m_nLimitBytes) {
        RemoveStoredFile();  // grew past its class's limit: refused like an oversize file
        return Fail(FailureReason::TooLarge);
    }
    ReportProgress();
    return count == 0 || BodyComplete() ? Step::Done : Step::More;
}

bool CPageTransfer::BodyComplete() const {
    return m_nAnnounced && m_nBodyBytes >= *m_nAnnounced;
}

void CPageTransfer::AppendText(const char* data, size_t count) {
    // Page text is zero-terminated text: a block ends at its first zero byte.
    const void* zero = std::memchr(data, '\0', count);
    if (zero != nullptr) {
        count = static_cast<size_t>(static_cast<const char*>(zero) - data);
    }
    if (m_strText.size() < kMaxPageText) {
        m_strText.append(data, std::min(count, kMaxPageText - m_strText.size()));
    }
}

void CPageTransfer::ReportProgress() {
    char suffix[64];
    const uint64_t length = m_strText.size();
    if (m_nAnnounced.value_or(0) != 0) {
        const uint64_t percent = std::min<uint64_t>(100, length * 100 / *m_nAnnounced);
        std::snprintf(suffix, sizeof suffix, "    %llubytes( %llu%% )",
                      static_cast<unsigned long long>(length), static_cast<unsigned long long>(percent));
    } else {
        std::snprintf(suffix, sizeof suffix, "    %llubytes", static_cast<unsigned long long>(length));
    }
    m_doc.NotifyThreadStatus(m_nSlot, PHASE_READ, m_strProgressPrefix + suffix);
}

bool CPageTransfer::StoreFile(const std::string& header) {
    m_strStoredPath = m_doc.UrlToLocalPath(m_strUrl);
    {
        CLock lock(m_doc.m_csSlotText[m_nSlot]);
        m_doc.m_strLocalPath[m_nSlot] = m_strStoredPath;
    }
    if (m_strStoredPath.empty()) {
        return true;  // a URL that cannot be stored safely is read but not kept
    }
    m_fd = m_doc.CreateStoredFile(m_strStoredPath);
    if (m_fd < 0 && errno == ENOENT) {
        MakeDirectoriesAlong(m_strStoredPath);
        m_fd = m_doc.CreateStoredFile(m_strStoredPath);
    }
    if (m_fd < 0 && IsDiskFull(errno)) {
        DiskFull(errno, m_strStoredPath);
        return false;
    }
    // The companion describes the stored copy beside it, so there is none
    // without one; a stale one from an earlier retrieval goes too.
    const std::string companionPath = CompanionPath(m_strStoredPath);
    if (m_fd < 0) {
        unlink(companionPath.c_str());
        return true;  // the page is read without a stored copy
    }
    // The header as received, replacing any older one whole.
    const int companion =
        open(companionPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    const bool written =
        companion >= 0 && m_doc.WriteToFile(companion, header.data(), header.size());
    const int error = errno;
    if (companion >= 0) {
        close(companion);
    }
    if (!written) {
        if (IsDiskFull(error)) {
            RemoveStoredFile();
            DiskFull(error, companionPath);
            return false;
        }
        unlink(companionPath.c_str());  // the copy stays, typed by its name
    }
    return true;
}

bool CPageTransfer::WriteStored(const char* data, size_t count) {
    if (m_fd < 0 || count == 0 || m_doc.WriteToFile(m_fd, data, count)) {
        return true;
    }
    // A copy that could not be written whole is not kept; reading goes on
    // without one, unless the disk is full.
    const int error = errno;
    RemoveStoredFile();
    if (IsDiskFull(error)) {
        DiskFull(error, m_strStoredPath);
        return false;
    }
    return true;
}

void CPageTransfer::DiskFull(int error, const std::string& path) {
    // The task pauses as for a result page that cannot be written, and the
    // slot that paused it reports, once.
    m_doc.PauseForFileError(error, path);
    m_doc.DeliverNotes();
}

void CPageTransfer::RemoveStoredFile() {
    CloseFile();
    if (!m_strStoredPath.empty()) {
        unlink(m_strStoredPath.c_str());
        unlink(CompanionPath(m_strStoredPath).c_str());
    }
}

void CPageTransfer::CloseFile() {
    if (m_fd >= 0) {
        close(m_fd);
        m_fd = -1;
    }
}

bool CPageTransfer::RetryWithCredentials() {
    m_doc.CloseSlotSocket(m_nSlot);
    const std::string before = m_doc.GetSiteAuthorization();
    CLock lock(m_doc.m_csAuth);
    // Another slot may have obtained new credentials while this one waited:
    // then they are tried at once, without asking again.
    bool retry = m_doc.GetSiteAuthorization() != before;
    if (!retry && m_doc.m_bPromptAuth) {
        retry = m_doc.RequestAuthorization(m_nSlot);
    }
    if (!retry || m_doc.m_bStop) {
        Fail(FailureReason::HttpStatus, 401);
        return false;
    }
    if (m_doc.ConnectSlot(m_nSlot) < 0 || m_doc.SendRequest(m_nSlot, m_strUrl) < 0) {
        m_doc.CloseSlotSocket(m_nSlot);
        m_failure = m_doc.m_failure[m_nSlot];
        return false;
    }
    Reset();
    return true;
}

CPageTransfer::Step CPageTransfer::Fail(FailureReason reason, int status) {
    m_failure = {reason, status};
    return Step::Failed;
}

void CPageTransfer::Reset() {
    m_nTotal = 0;
    m_bHeaderDone = false;
    m_arrPending.clear();
    m_nPendingBytes = 0;
    m_strText.clear();
    m_nAnnounced.reset();
    m_nLimitBytes = 0;
    m_nBodyBytes = 0;
    m_failure = {};
}

// The page text moves into the slot: a page is never held twice.
void CPageTransfer::Publish() {
    CLock lock(m_doc.m_csSlotText[m_nSlot]);
    m_doc.m_strPage[m_nSlot] = std::move(m_strText);
    m_strText.clear();
}
