#include "ui/ApplicationSetup.h"

#include <QApplication>
#include <QIcon>

#include "common/StringTable.h"
#include "ui/ProgramStyle.h"
#include "ui/UiImage.h"
#include "ui/UiText.h"

void PrepareApplication() {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

void DescribeApplication() {
    QApplication::setStyle(new CProgramStyle);  // the application owns it
    QApplication::setApplicationName(UiText(IDS_APP_TITLE));
    QApplication::setOrganizationName(QStringLiteral("Dunvespil"));
    QApplication::setApplicationVersion(QStringLiteral("1.10"));
    QApplication::setWindowIcon(UiProgramIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("quobrix"));
}
