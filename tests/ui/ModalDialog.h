#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QWidget>

#include <functional>

// Acts on the next modal window of type T from inside the event loop that runs
// it (QDialog::exec, QMessageBox::warning). Looks every 10 ms, at most nTries
// times; then closes whatever modal window is up, so a test that waits for
// the wrong window fails instead of hanging.
template <typename T>
void WhenModal(std::function<void(T*)> action, int nTries = 500) {
    QTimer::singleShot(10, [action, nTries] {
        QWidget* pModal = QApplication::activeModalWidget();
        if (auto* pWindow = qobject_cast<T*>(pModal); pWindow != nullptr && pWindow->isVisible()) {
            action(pWindow);
        } else if (nTries > 0) {
            WhenModal<T>(action, nTries - 1);
        } else if (auto* pDialog = qobject_cast<QDialog*>(pModal)) {
            pDialog->reject();
        }
    });
}
