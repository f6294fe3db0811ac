#include "ui/ViewPage.h"

CViewPage::CViewPage(QWebEngineProfile* pProfile, QObject* parent)
    : QWebEnginePage(pProfile, parent) {}

bool CViewPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) {
    // Frames inside a page do not change what the address bar names.
    if (isMainFrame) {
        emit NavigationStarting(url);
    }
    return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
}
