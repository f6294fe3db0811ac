#include <unistd.h>

#include "task/QuobrixDoc.h"

// Result rows are not written yet; the result page file is still opened and
// closed by the run as its writer will use it.
void CQuobrixDoc::WriteResultEntry(int) {}

void CQuobrixDoc::CloseResultFile() {
    std::lock_guard lock(m_csResults);
    if (m_hResultFile >= 0) {
        close(m_hResultFile);
        m_hResultFile = -1;
    }
}
