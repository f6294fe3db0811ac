#include "ui/wizard/HostLookup.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QPromise>
#include <QThreadPool>
#include <QWidget>
#include <cerrno>
#include <memory>
#include <string_view>

#include "common/StringTable.h"
#include "common/Text.h"
#include "ui/UiText.h"

CHostLookup::CHostLookup(QLineEdit* input, QAbstractButton* button, QLineEdit* answer,
                         QWidget* page)
    : QObject(page), m_pInput(input), m_pButton(button), m_pAnswer(answer), m_pPage(page) {
    connect(m_pButton, &QAbstractButton::clicked, this, &CHostLookup::OnResolve);
    connect(&m_watcher, &QFutureWatcherBase::finished, this, &CHostLookup::OnAnswer);
}

std::string CHostLookup::HostOf(const std::string& typed) {
    std::string_view host = typed;
    const size_t scheme = host.find("://");
    if (scheme != std::string_view::npos) {
        host.remove_prefix(scheme + 3);
    }
    host = host.substr(0, host.find_first_of("/?#"));
    // The resolver knows names, not accounts or ports: "ann@shop.example:8080".
    const size_t atSign = host.rfind('@');
    if (atSign != std::string_view::npos) {
        host.remove_prefix(atSign + 1);
    }
    return Trim(host.substr(0, host.find(':')));
}

QString CHostLookup::Resolve(const std::string& host) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int error = getaddrinfo(host.c_str(), nullptr, &hints, &found);
    if (error != 0 || found == nullptr) {
        return FailureText(error, errno);
    }
    char address[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr, address,
              sizeof address);
    freeaddrinfo(found);
    return QString::fromLatin1(address);
}

QString CHostLookup::FailureText(int error, int errorNumber) {
    switch (error) {
        case EAI_NONAME:
        case EAI_NODATA:
            return UiText(IDS_HOST_NOT_FOUND);
        case EAI_AGAIN:  // no name server answered: the network is down
            return UiText(IDS_NETWORK_FAILED);
        case EAI_SYSTEM:
            if (errorNumber == ENETDOWN || errorNumber == ENETUNREACH) {
                return UiText(IDS_NETWORK_FAILED);
            }
            return {};
        default:
            return {};
    }
}

void CHostLookup::OnResolve() {
    if (m_watcher.isRunning()) {
        return;
    }
    // A disabled button loses the focus; it gets it back with the answer.
    m_bButtonHadFocus = m_pButton->hasFocus();
    m_pButton->setEnabled(false);
    m_pPage->setCursor(Qt::WaitCursor);
    // The promise is shared with the pool thread, which may outlive this
    // page: it then answers a future that no one watches any more.
    auto promise = std::make_shared<QPromise<QString>>();
    m_watcher.setFuture(promise->future());
    promise->start();
    QThreadPool::globalInstance()->start(
        [promise, resolver = m_resolver, host = HostOf(m_pInput->text().toStdString())] {
            promise->addResult(resolver(host));
            promise->finish();
        });
}

void CHostLookup::OnAnswer() {
    m_pAnswer->setText(m_watcher.future().resultCount() > 0 ? m_watcher.result() : QString());
    m_pPage->unsetCursor();
    m_pButton->setEnabled(true);
    if (m_bButtonHadFocus) {
        m_pButton->setFocus(Qt::OtherFocusReason);
    }
    emit Answered();
}
