#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <string>

#include "common/FileUtil.h"
#include "common/StringTable.h"
#include "results/ResultRow.h"
#include "task/QuobrixDoc.h"

namespace {
bool CutBack(int fd, off_t length) {
    return length >= 0 && ftruncate(fd, length) == 0;
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
        CLock lock(m_csSlotText[slot]);
        m_strTitle[slot].clear();
        m_strAbstract[slot].clear();
    }

    bool bNavigate = false;
    int nShownPage = 0;
    {
        CLock lock(m_csResults);
        // A file error while running pauses the task here, so that no other
        // row is written before the pause, and it is reported once.
        if (m_nResultsInPage == 0) {
            if (m_hResultFile >= 0) {
                close(m_hResultFile);  // the counters were reset under an open page
            }
            m_strResultPagePath =
                m_strTaskDir + "ResultPage" + std::to_string(m_nResultPage) + ".html";
            // A resumed run appends: the page may hold rows of the run it
            // resumes, which are never lost.
            const int mode = m_bAppendResultPages ? O_APPEND : O_TRUNC;
            m_hResultFile =
                open(m_strResultPagePath.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | mode, 0666);
            if (m_hResultFile < 0) {
                PauseForFileError(errno, m_strResultPagePath);
            }
        } else if (m_hResultFile < 0 && m_nState == IDS_STATE_SEEKING) {
            // Resumed: the current page goes on where it stopped.
            m_hResultFile =
                open(m_strResultPagePath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
            if (m_hResultFile < 0) {
                PauseForFileError(errno, m_strResultPagePath);
            }
        }
        if (m_hResultFile >= 0) {
            // A row that does not fit is cut off again, so the page holds
            // whole rows; a full disk pauses the task.
            const off_t end = lseek(m_hResultFile, 0, SEEK_END);
            if (!WriteToFile(m_hResultFile, row.data(), row.size())) {
                const int error = errno;
                CutBack(m_hResultFile, end);  // else the page keeps the part written
                if (error == ENOSPC || error == EDQUOT) {
                    PauseForFileError(error, m_strResultPagePath);
                }
            } else if (!m_bRunShowedResults) {
                // The first row of a run, fresh or resumed, shows the page it
                // went to, which then grows in the view as rows come.
                m_bRunShowedResults = true;
                bNavigate = true;
                nShownPage = m_nResultPage;
            }
        }
        // A lost row still counts. ">=" so that a page whose limit was
        // lowered below its count closes with its next row. The last page
        // number takes every further row: it never wraps.
        if (m_nResultsInPage < INT_MAX) {
            ++m_nResultsInPage;
        }
        if (m_nResultsInPage >= m_nResultsPerPage && m_nResultPage < INT_MAX) {
            CloseResultFileLocked();
            m_nResultsInPage = 0;
            ++m_nResultPage;
        }
        // The URL is done in the hold that counts its row: a save never
        // holds the row with the URL still to fetch, which a resume would
        // list a second time.
        CLock slotsLock(m_csSlots);
        m_strUrl[slot].clear();
        ++m_nRequested[slot];
    }
    DeliverNotes();
    if (bNavigate) {
        NavigateToResultPage(nShownPage);
    }
}

void CQuobrixDoc::RemoveResultPagesAfterLocked(int page) {
    // The pages of an earlier run would otherwise wait for the new run, and a
    // resume, which appends, would put their rows ahead of the new ones.
    // A task being made has no folder yet; the last page number has no page after it.
    if (m_strTaskDir.empty() || page >= INT_MAX - 1) {
        return;
    }
    for (int later = page + 1; later < INT_MAX; ++later) {
        const std::string path = m_strTaskDir + "ResultPage" + std::to_string(later) + ".html";
        if (unlink(path.c_str()) != 0) {
            return;  // the first missing page ends them
        }
    }
}

void CQuobrixDoc::ClearFirstResultPageLocked() {
    // The first row of the run would empty it too, but the view shows the
    // page as the run starts.
    if (!m_strTaskDir.empty()) {
        const std::string path = m_strTaskDir + "ResultPage0.html";
        if (truncate(path.c_str(), 0) != 0) {
            // A missing page is made by the first row.
        }
    }
}

void CQuobrixDoc::CutResultPagesLocked() {
    if (m_strTaskDir.empty()) {
        return;
    }
    // Within one session the pages end where the counters say, so this
    // changes nothing; after reopening a file saved while the task ran, they
    // may go on beyond it.
    const std::string path = m_strTaskDir + "ResultPage" + std::to_string(m_nResultPage) + ".html";
    std::string bytes;
    if (ReadWholeFile(path, bytes)) {
        const size_t keep = ResultRowsLength(bytes, m_nResultsInPage);
        if (keep != std::string::npos && keep < bytes.size()) {
            // A page's file begins with its first row; the first page is
            // there from the task's creation on.
            if (keep == 0 && m_nResultPage > 0) {
                unlink(path.c_str());
            } else if (truncate(path.c_str(), static_cast<off_t>(keep)) != 0) {
                // A page that cannot be cut keeps its rows; the later ones still go.
            }
        }
    }
    RemoveResultPagesAfterLocked(m_nResultPage);
}

void CQuobrixDoc::CloseResultFile() {
    CLock lock(m_csResults);
    CloseResultFileLocked();
}

void CQuobrixDoc::CloseResultFileLocked() {
    if (m_hResultFile >= 0) {
        close(m_hResultFile);
        m_hResultFile = -1;
    }
}
