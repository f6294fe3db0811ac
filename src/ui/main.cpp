#include <QApplication>
#include <QCommandLineParser>

#include "ui/ApplicationSetup.h"
#include "ui/DesktopApp.h"

namespace {
// "quobrix [--no-splash] [--demo] [--demo-dir DIR] [FILE.qbx]"
CStartupOptions ParseCommandLine(const QApplication& application) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Keyword-search web crawler"));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("FILE.qbx"), QStringLiteral("The task to open."));
    const QCommandLineOption noSplash(QStringLiteral("no-splash"),
                                      QStringLiteral("Start without the splash window."));
    const QCommandLineOption demo(
        QStringLiteral("demo"),
        QStringLiteral("Serve the demo web on loopback and search it with a new task."));
    const QCommandLineOption demoDir(QStringLiteral("demo-dir"),
                                     QStringLiteral("Folder for the demo task."),
                                     QStringLiteral("DIR"));
    parser.addOptions({noSplash, demo, demoDir});
    parser.process(application);

    CStartupOptions options;
    options.m_bSplash = !parser.isSet(noSplash);
    options.m_bDemo = parser.isSet(demo) || parser.isSet(demoDir);
    options.m_strDemoFolder = parser.value(demoDir).toStdString();
    const QStringList files = parser.positionalArguments();
    if (!files.isEmpty()) {
        options.m_strTaskFile = files.first().toStdString();
    }
    return options;
}
}  // namespace

int main(int argc, char* argv[]) {
    PrepareApplication();
    QApplication application(argc, argv);
    DescribeApplication();

    CDesktopApp app(ParseCommandLine(application));
    if (!app.Start()) {
        return 1;
    }
    return QApplication::exec();
}
