#include "app/AutoSave.h"

#include "task/Task.h"

void CAutoSave::Tick(ITask& doc, const std::function<void()>& save) {
    const int minutes = doc.AutoSaveMinutes();
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
