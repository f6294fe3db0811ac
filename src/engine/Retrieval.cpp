#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "engine/PageStore.h"
#include "engine/PageTransfer.h"
#include "task/QuobrixDoc.h"

std::string CQuobrixDoc::UrlToLocalPath(const std::string& url) const {
    return ::UrlToLocalPath(m_strTaskDir, url);
}

int CQuobrixDoc::CreateStoredFile(const std::string& path) {
    return open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
}

bool CQuobrixDoc::WriteToFile(int fd, const char* data, size_t count) {
    while (count > 0) {
        const ssize_t written = write(fd, data, count);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            if (written == 0) {
                errno = EIO;
            }
            return false;
        }
        data += written;
        count -= static_cast<size_t>(written);
    }
    return true;
}

void CQuobrixDoc::ClearSlotPageTexts(int slot) {
    CLock lock(m_csSlotText[slot]);
    m_strPage[slot].clear();
    m_strHeader[slot].clear();
    m_strTagText[slot].clear();
    m_strPlainText[slot].clear();
}

int CQuobrixDoc::RetrievePage(int slot) {
    const std::string url = GetSlotUrl(slot);
    m_failure[slot] = {};
    if (!BeginFetch(slot)) {
        return FailPage(slot, {FailureReason::Aborted, 0});  // stopped before it began
    }
    m_bNotHtml[slot] = false;
    if (const CPageFailure refused = ApplyRobots(slot, url); refused.Failed()) {
        return FailPage(slot, refused);
    }
    if (!WaitForTurn(slot)) {
        return FailPage(slot, {FailureReason::Aborted, 0});
    }
    if (ConnectSlot(slot) < 0 || SendRequest(slot, url) < 0) {
        CloseSlotSocket(slot);
        return -1;
    }
    ClearSlotPageTexts(slot);
    CPageTransfer transfer(*this, slot, url);
    return transfer.Run();
}
