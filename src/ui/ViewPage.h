#pragma once

#include <QWebEnginePage>

// The browser view's page: says where the view is about to go, before the
// request leaves, so the address bar shows it while the page loads.
class CViewPage : public QWebEnginePage {
    Q_OBJECT
public:
    CViewPage(QWebEngineProfile* pProfile, QObject* parent);

signals:
    void NavigationStarting(const QUrl& url);

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
};
