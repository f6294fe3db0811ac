#pragma once

#include <QCommandLineParser>
#include <QCoreApplication>

#include <string>

// What every bench that crawls the site takes from its command line.
struct CBenchOptions {
    int m_nRounds = 2;
    int m_nTimeoutSeconds = 300;
    bool m_bKeep = false;
    std::string m_strNginx;  // the nginx program
};

// Adds --rounds, --timeout, --keep, --nginx and --help to parser, which may
// hold a bench's own options already, processes the command line and reads
// them. False, with the reason on stderr, when they are wrong or there is
// no nginx.
bool ParseBenchOptions(const QCoreApplication& application, QCommandLineParser& parser,
                       CBenchOptions& options);
