#include "ui/wizard/PageFinished.h"

#include <QAbstractButton>
#include <QWizard>

CPageFinished::CPageFinished(QWidget* parent)
    : CWizardPage(QStringLiteral("New search task - finished"), QStringLiteral("Congratulations!"),
                  parent) {
    AddText(QStringLiteral("You've just create a Quobrix task!"));
    AddText(QStringLiteral("Click Finish, then give the task a name in the Save As box."));
    AddText(QStringLiteral("To start the search, click Run on the toolbar or press F6."));
}

QWidget* CPageFinished::FirstField() const {
    return wizard() != nullptr ? wizard()->button(QWizard::FinishButton) : nullptr;
}
