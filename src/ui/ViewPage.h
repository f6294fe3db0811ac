#pragma once

#include <QElapsedTimer>
#include <QUrl>
#include <QWebEnginePage>

#include <functional>

class QAuthenticator;
class QWebEngineDownloadRequest;

// The browser view's page: says where the view is about to go, before the
// request leaves, so the address bar shows it while the page loads.
//
// It also keeps the pages it shows in their place, stored copies and live
// pages alike: no windows of their own, no moving the view to an address
// outside every sandbox or, from the local server, elsewhere without the
// user's click (ui/ViewPolicy.h); no dialogs (a page's alert, confirm,
// prompt or before-unload question is answered as if dismissed, the
// before-unload one by leaving); no downloads, permissions or HTTP
// authentication. GUI thread only.
class CViewPage : public QWebEnginePage {
    Q_OBJECT
public:
    // localRoot gives the task's local server, "http://127.0.0.1:PORT/".
    CViewPage(QWebEngineProfile* profile, std::function<QString()> localRoot, QObject* parent);

    // Watches view and the widgets it puts in for the user's key and mouse
    // presses: only they let a page on the local server send the view away.
    void WatchInput(QWidget* view);

signals:
    void NavigationStarting(const QUrl& url);

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    void javaScriptAlert(const QUrl& securityOrigin, const QString& msg) override;
    bool javaScriptConfirm(const QUrl& securityOrigin, const QString& msg) override;
    bool javaScriptPrompt(const QUrl& securityOrigin, const QString& msg,
                          const QString& defaultValue, QString* result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createSettings();
    void createRefusals();
    bool HasUserInput() const;
    void OnFeaturePermissionRequested(const QUrl& securityOrigin, Feature feature);
    void OnDownloadRequested(QWebEngineDownloadRequest* download);
    void OnAuthenticationRequired(const QUrl& url, QAuthenticator* authenticator);

    std::function<QString()> m_localRoot;
    // The last main-frame address let through: what a redirect comes from.
    QUrl m_urlLeaving;
    // Runs from the user's last press in the view; invalid when there was
    // none since the last main-frame navigation let through.
    QElapsedTimer m_timerInput;
};
