#pragma once

#include <QFutureWatcher>
#include <QObject>
#include <QString>
#include <functional>
#include <string>

class QAbstractButton;
class QLineEdit;
class QWidget;

// "Resolve" on the wizard's step-2 pages: looks the host named in an edit
// up in the system resolver on a pool thread, so the window stays usable;
// the button is disabled and the page shows the wait cursor meanwhile. The
// answer goes into a read-only edit: the first IPv4 address in dotted form,
// "Network failed", "Host not found", or nothing.
class CHostLookup : public QObject {
    Q_OBJECT
public:
    // Blocking: host name -> the text to show. Runs on a pool thread.
    using Resolver = std::function<QString(const std::string& host)>;

    CHostLookup(QLineEdit* input, QAbstractButton* button, QLineEdit* answer, QWidget* page);

    // Tests hold or script the lookup through this.
    void SetResolver(Resolver resolver) { m_resolver = std::move(resolver); }

    // The host in what the user typed: after the first "://", before the
    // next "/", "?" or "#", without an account or a port, trimmed.
    // "http://www.example.com:8080/a/b" -> "www.example.com".
    static std::string HostOf(const std::string& typed);
    // The system resolver's answer for host (AF_INET).
    static QString Resolve(const std::string& host);
    // The text for a failed lookup: getaddrinfo's error and, for
    // EAI_SYSTEM, errno.
    static QString FailureText(int error, int errorNumber);

signals:
    void Answered();

private:
    void OnResolve();
    void OnAnswer();

    QLineEdit* m_pInput;
    QAbstractButton* m_pButton;
    QLineEdit* m_pAnswer;
    QWidget* m_pPage;
    Resolver m_resolver = &CHostLookup::Resolve;
    QFutureWatcher<QString> m_watcher;
    bool m_bButtonHadFocus = false;
};
