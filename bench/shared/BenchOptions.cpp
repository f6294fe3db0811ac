#include "BenchOptions.h"

#include <iostream>

#include "NginxServer.h"

bool ParseBenchOptions(const QCoreApplication& application, QCommandLineParser& parser,
                       CBenchOptions& options) {
    parser.addHelpOption();
    const QCommandLineOption rounds(QStringLiteral("rounds"),
                                    QStringLiteral("Rounds of each crawl (default 2)."),
                                    QStringLiteral("N"), QStringLiteral("2"));
    const QCommandLineOption timeout(
        QStringLiteral("timeout"),
        QStringLiteral("Seconds after which a crawl gives up (default 300)."),
        QStringLiteral("SECONDS"), QStringLiteral("300"));
    const QCommandLineOption keep(QStringLiteral("keep"),
                                  QStringLiteral("Keep the temporary folder (site, tasks, logs)."));
    const QCommandLineOption nginx(QStringLiteral("nginx"),
                                   QStringLiteral("The nginx program (default: found on PATH)."),
                                   QStringLiteral("PATH"));
    parser.addOptions({rounds, timeout, keep, nginx});
    parser.process(application);

    bool bRoundsOk = false;
    bool bTimeoutOk = false;
    options.m_nRounds = parser.value(rounds).toInt(&bRoundsOk);
    options.m_nTimeoutSeconds = parser.value(timeout).toInt(&bTimeoutOk);
    options.m_bKeep = parser.isSet(keep);
    options.m_strNginx =
        parser.isSet(nginx) ? parser.value(nginx).toStdString() : CNginxServer::Find();
    if (!bRoundsOk || options.m_nRounds < 1 || !bTimeoutOk || options.m_nTimeoutSeconds < 1) {
        std::cerr << "--rounds and --timeout take whole numbers of 1 or more\n";
        return false;
    }
    if (options.m_strNginx.empty()) {
        std::cerr << "no nginx: scripts/install-deps.sh --bench installs it\n";
        return false;
    }
    return true;
}
