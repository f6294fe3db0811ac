#include "app/AutoSave.h"

#include "task/QuobrixDoc.h"

void CAutoSave::Tick(CQuobrixDoc& doc, const std::function<void()>& save) {
    const int minutes = doc.m_nAutoSaveMinutes;
    if (minutes == 0) {
        return;
    }
    ++m_nSeconds;
    // A negative interval read from a file never ends.
    if (minutes < 0 || m_nSeconds / 60 < static_cast<unsigned>(minutes)) {
        return;
    }
    m_nSeconds = 0;
    if (doc.IsModified()) {
        save();
        if (doc.IsRunning()) {
            doc.SetModifiedFlag();
        }
    }
}
