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

CHostLookup::CHostLookup(QLineEdit* pInput, QAbstractButton* pButton, QLineEdit* pAnswer,
                         QWidget* pPage)
    : QObject(pPage), m_pInput(pInput), m_pButton(pButton), m_pAnswer(pAnswer), m_pPage(pPage) {
    connect(m_pButton, &QAbstractButton::clicked, this, &CHostLookup::OnResolve);
    connect(&m_watcher, &QFutureWatcherBase::finished, this, &CHostLookup::OnAnswer);
}

std::string CHostLookup::HostOf(const std::string& strTyped) {
    std::string_view host = strTyped;
    const size_t nScheme = host.find("://");
    if (nScheme != std::string_view::npos) {
        host.remove_prefix(nScheme + 3);
    }
    host = host.substr(0, host.find_first_of("/?#"));
    // The resolver knows names, not accounts or ports: "ann@shop.example:8080".
    const size_t nAt = host.rfind('@');
    if (nAt != std::string_view::npos) {
        host.remove_prefix(nAt + 1);
    }
    return Trim(host.substr(0, host.find(':')));
}

QString CHostLookup::Resolve(const std::string& strHost) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* pFound = nullptr;
    const int nError = getaddrinfo(strHost.c_str(), nullptr, &hints, &pFound);
    if (nError != 0 || pFound == nullptr) {
        return FailureText(nError, errno);
    }
    char szAddress[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(pFound->ai_addr)->sin_addr, szAddress,
              sizeof szAddress);
    freeaddrinfo(pFound);
    return QString::fromLatin1(szAddress);
}

QString CHostLookup::FailureText(int nError, int nErrno) {
    switch (nError) {
        case EAI_NONAME:
        case EAI_NODATA:
            return QString::fromStdString(LoadString(IDS_HOST_NOT_FOUND));
        case EAI_AGAIN:  // no name server answered: the network is down
            return QString::fromStdString(LoadString(IDS_NETWORK_FAILED));
        case EAI_SYSTEM:
            if (nErrno == ENETDOWN || nErrno == ENETUNREACH) {
                return QString::fromStdString(LoadString(IDS_NETWORK_FAILED));
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
    auto pPromise = std::make_shared<QPromise<QString>>();
    m_watcher.setFuture(pPromise->future());
    pPromise->start();
    QThreadPool::globalInstance()->start(
        [pPromise, resolver = m_resolver, strHost = HostOf(m_pInput->text().toStdString())] {
            pPromise->addResult(resolver(strHost));
            pPromise->finish();
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
