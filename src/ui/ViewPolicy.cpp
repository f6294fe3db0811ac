#include "ui/ViewPolicy.h"

#include <QUrl>

namespace {

bool IsWebAddress(const QUrl& url) {
    return url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https");
}

bool IsOnServer(const QUrl& url, const QUrl& urlLocalRoot) {
    return url.scheme() == QLatin1String("http") && url.host() == urlLocalRoot.host() &&
           url.port() == urlLocalRoot.port() && urlLocalRoot.port() > 0;
}

bool IsFile(const QUrl& url) {
    return url.scheme() == QLatin1String("file");
}

// Addresses whose pages run with no sandbox of the server's, or run script
// in the page that names them.
bool IsOutsideEverySandbox(const QUrl& url) {
    return url.scheme() == QLatin1String("data") || url.scheme() == QLatin1String("javascript") ||
           IsFile(url);
}

}  // namespace

bool MayPageNavigate(const QUrl& url, QWebEnginePage::NavigationType type, const QUrl& urlFrom,
                     const QUrl& urlLocalRoot, bool userInput) {
    switch (type) {
        case QWebEnginePage::NavigationTypeTyped:
        case QWebEnginePage::NavigationTypeBackForward:
        case QWebEnginePage::NavigationTypeReload:
            return true;
        default:
            break;
    }
    if (IsOutsideEverySandbox(url)) {
        return IsFile(url) && IsFile(urlFrom);
    }
    if (IsOnServer(urlFrom, urlLocalRoot) && !IsOnServer(url, urlLocalRoot)) {
        return userInput;
    }
    return true;
}

bool MayOpenInView(const QUrl& url, bool userInitiated) {
    return userInitiated && IsWebAddress(url);
}
