#include "ui/ApplicationSetup.h"

#include <QApplication>
#include <QIcon>

#include "common/StringTable.h"
#include "ui/ProgramStyle.h"

namespace {
QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        icon.addFile(QString::fromLatin1(":/ui/quobrix-%1.png").arg(size), QSize(size, size));
    }
    return icon;
}
}  // namespace

void PrepareApplication() {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

void DescribeApplication() {
    QApplication::setStyle(new CProgramStyle);  // the application owns it
    QApplication::setApplicationName(QString::fromStdString(LoadString(IDS_APP_TITLE)));
    QApplication::setOrganizationName(QStringLiteral("Dunvespil"));
    QApplication::setApplicationVersion(QStringLiteral("1.10"));
    QApplication::setWindowIcon(ProgramIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("quobrix"));
}
