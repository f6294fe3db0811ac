#include "ui/ViewPage.h"

#include <QAuthenticator>
#include <QChildEvent>
#include <QCoreApplication>
#include <QWebEngineDownloadRequest>
#include <QWebEngineFileSystemAccessRequest>
#include <QWebEngineFullScreenRequest>
#include <QWebEngineProfile>
#include <QWebEngineRegisterProtocolHandlerRequest>
#include <QWebEngineSettings>
#include <QWidget>

#include <utility>

#include "ui/ViewPolicy.h"

namespace {

// How long a press in the view counts as the user's will to leave the page,
// in ms: as long as a browser lets a click open a window.
constexpr qint64 kUserInputLifeMs = 5000;

// The engine asks a page's before-unload question through javaScriptConfirm,
// in these words.
QString LeavePageQuestion() {
    return QCoreApplication::translate(
        "QWebEnginePage",
        "Are you sure you want to leave this page? Changes that you made may not be saved.");
}

}  // namespace

CViewPage::CViewPage(QWebEngineProfile* profile, std::function<QString()> localRoot,
                     QObject* parent)
    : QWebEnginePage(profile, parent), m_localRoot(std::move(localRoot)) {
    createSettings();
    createRefusals();
}

void CViewPage::createSettings() {
    QWebEngineSettings* pageSettings = settings();
    // A user's click on a link for a new window still asks for one.
    pageSettings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    pageSettings->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
    pageSettings->setAttribute(QWebEngineSettings::JavascriptCanPaste, false);
    pageSettings->setAttribute(QWebEngineSettings::AllowWindowActivationFromJavaScript, false);
    pageSettings->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, false);
    pageSettings->setAttribute(QWebEngineSettings::ScreenCaptureEnabled, false);
    // A mail address reaches the shell only from the user's click.
    pageSettings->setUnknownUrlSchemePolicy(
        QWebEngineSettings::AllowUnknownUrlSchemesFromUserInteraction);
}

void CViewPage::createRefusals() {
    connect(this, &QWebEnginePage::featurePermissionRequested, this,
            &CViewPage::OnFeaturePermissionRequested);
    connect(this, &QWebEnginePage::fullScreenRequested, this,
            [](QWebEngineFullScreenRequest request) { request.reject(); });
    connect(this, &QWebEnginePage::registerProtocolHandlerRequested, this,
            [](QWebEngineRegisterProtocolHandlerRequest request) { request.reject(); });
    connect(this, &QWebEnginePage::fileSystemAccessRequested, this,
            [](QWebEngineFileSystemAccessRequest request) { request.reject(); });
    connect(this, &QWebEnginePage::authenticationRequired, this,
            &CViewPage::OnAuthenticationRequired);
    connect(this, &QWebEnginePage::proxyAuthenticationRequired, this,
            [this](const QUrl& url, QAuthenticator* authenticator, const QString&) {
                OnAuthenticationRequired(url, authenticator);
            });
    connect(profile(), &QWebEngineProfile::downloadRequested, this,
            &CViewPage::OnDownloadRequested);
}

void CViewPage::WatchInput(QWidget* view) {
    view->installEventFilter(this);
    for (QWidget* child : view->findChildren<QWidget*>()) {
        child->installEventFilter(this);
    }
}

bool CViewPage::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::ChildAdded: {
            // The view puts in the widget that renders the page, anew when the
            // page gets another renderer; the user's input arrives there.
            QObject* child = static_cast<QChildEvent*>(event)->child();
            if (child->isWidgetType()) {
                child->installEventFilter(this);
            }
            break;
        }
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::TouchBegin:
            m_timerInput.start();
            break;
        default:
            break;
    }
    return QWebEnginePage::eventFilter(watched, event);
}

bool CViewPage::HasUserInput() const {
    return m_timerInput.isValid() && m_timerInput.elapsed() < kUserInputLifeMs;
}

bool CViewPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) {
    // Frames inside a page neither move the view nor change what the address
    // bar names.
    if (!isMainFrame) {
        return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
    }
    // A server's redirect comes from the address being loaded; a page's own
    // (script or refresh while it loads) from the page shown, which is that
    // same address.
    const QUrl urlFrom = type == NavigationTypeRedirect ? m_urlLeaving : this->url();
    if (!MayPageNavigate(url, type, urlFrom, QUrl(m_localRoot()), HasUserInput())) {
        return false;
    }
    m_urlLeaving = url;
    // A press counts for one page: the one it was made on.
    m_timerInput.invalidate();
    emit NavigationStarting(url);
    return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
}

void CViewPage::javaScriptAlert(const QUrl&, const QString&) {
    // Nothing is shown: a page that loops over alert() would hold the program.
}

bool CViewPage::javaScriptConfirm(const QUrl&, const QString& msg) {
    // A page's own question gets "Cancel"; the before-unload question is
    // answered by leaving, so that a page never keeps the view.
    return msg == LeavePageQuestion();
}

bool CViewPage::javaScriptPrompt(const QUrl&, const QString&, const QString&, QString*) {
    return false;
}

void CViewPage::OnFeaturePermissionRequested(const QUrl& securityOrigin, Feature feature) {
    setFeaturePermission(securityOrigin, feature, PermissionDeniedByUser);
}

void CViewPage::OnDownloadRequested(QWebEngineDownloadRequest* download) {
    // Nothing is written to disk from the view: the crawl keeps what it
    // retrieved in the task directory.
    download->cancel();
    // A navigation that became a download leaves the page where it was.
    m_urlLeaving = url();
}

void CViewPage::OnAuthenticationRequired(const QUrl&, QAuthenticator* authenticator) {
    // An empty authenticator cancels the request: the page's 401 is shown.
    *authenticator = QAuthenticator();
}
