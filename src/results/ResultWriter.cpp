#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "common/StringTable.h"
#include "results/ResultRow.h"
#include "task/QuobrixDoc.h"

namespace {
// Appends the whole row; a failed write loses the row.
void WriteWhole(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return;
        }
        done += static_cast<size_t>(written);
    }
}
}  // namespace

// Called by the slot's worker. Nothing is sent while m_csResults is held: the
// thread that runs the commands takes it for a save and may be the receiver.
// So the navigation and the file error are decided under the lock and sent
// after it.
void CQuobrixDoc::WriteResultEntry(int slot) {
    // The slot's worker is the only writer of its texts, so it reads them
    // without their lock; a save only reads them too.
    const std::string row =
        BuildResultRow(GetSlotUrl(slot), ResultLocalLink(m_strLocalPath[slot], GetTaskDir()),
                       m_nPageLength[slot], m_strTitle[slot], m_strAbstract[slot]);
    {
        std::lock_guard lock(m_csSlotText[slot]);
        m_strTitle[slot].clear();
        m_strAbstract[slot].clear();
    }

    bool bNavigate = false;
    bool bPaused = false;
    int error = 0;
    std::string path;
    {
        std::lock_guard lock(m_csResults);
        // A file error while running pauses the task here, so that no other
        // row is written before the pause, and it is reported once.
        const auto pause = [&](int code) {
            error = code;
            m_bStop = true;
            m_nState = IDS_STATE_PAUSED;
            AbortAllSlots();
            bPaused = true;
            path = m_strResultPagePath;
        };
        if (m_nResultsInPage == 0) {
            if (m_hResultFile >= 0) {
                close(m_hResultFile);  // the counters were reset under an open page
            }
            m_strResultPagePath =
                m_strTaskDir + "ResultPage" + std::to_string(m_nResultPage) + ".html";
            m_hResultFile =
                open(m_strResultPagePath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
            const int code = errno;
            if (m_hResultFile < 0 && m_nState == IDS_STATE_SEEKING) {
                pause(code);
            } else if (m_nResultPage == 0) {
                bNavigate = true;  // the first row of a run shows the results
            }
        } else if (m_hResultFile < 0 && m_nState == IDS_STATE_SEEKING) {
            // Resumed: the current page goes on where it stopped.
            m_hResultFile =
                open(m_strResultPagePath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
            if (m_hResultFile < 0) {
                pause(errno);
            }
        }
        if (m_hResultFile >= 0) {
            WriteWhole(m_hResultFile, row);
        }
        // A lost row still counts. ">=" so that a page whose limit was
        // lowered below its count closes with its next row.
        if (++m_nResultsInPage >= m_nResultsPerPage) {
            if (m_hResultFile >= 0) {
                close(m_hResultFile);
                m_hResultFile = -1;
            }
            m_nResultsInPage = 0;
            ++m_nResultPage;
        }
    }
    if (bPaused) {
        SetState(IDS_STATE_PAUSED);
        ReportFileError(error, path);
    }
    if (bNavigate) {
        NavigateToResults();
    }
}

void CQuobrixDoc::CloseResultFile() {
    std::lock_guard lock(m_csResults);
    if (m_hResultFile >= 0) {
        close(m_hResultFile);
        m_hResultFile = -1;
    }
}
