#include <string>

#include "analysis/PageText.h"
#include "task/QuobrixDoc.h"

// Runs on the slot's worker thread. The page text is read without a lock:
// only this thread writes it. A pause or abort ends the scan early, and the
// texts made so far are kept.
void CQuobrixDoc::StripPage(int slot) {
    const std::string& page = m_strPage[slot];
    if (page.empty()) {
        return;
    }
    std::string tagText;
    std::string plainText;
    StripPageText(page, tagText, plainText, [this] { return m_bStop.Load(); });

    // A save may read the slot's texts meanwhile.
    CLock lock(m_csSlotText[slot]);
    m_strTagText[slot] = std::move(tagText);
    m_strPlainText[slot] = std::move(plainText);
}
