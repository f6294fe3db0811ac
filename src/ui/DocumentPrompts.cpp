#include "ui/DocumentPrompts.h"

#include <QFileDialog>
#include <QMessageBox>

#include "common/StringTable.h"
#include "task/Document.h"
#include "task/NewTaskRecord.h"
#include "ui/UiText.h"

namespace {

// "Quobrix Files (*.qbx)", the fourth field of the document strings.
QString TaskFileFilter() {
    return UiText(IDR_MAINFRAME).section(u'\n', 3, 3);
}

QMessageBox::Icon BoxIcon(IDocumentPrompts::Icon icon) {
    switch (icon) {
        case IDocumentPrompts::Icon::Error:
            return QMessageBox::Critical;
        case IDocumentPrompts::Icon::Exclamation:
            return QMessageBox::Warning;
        case IDocumentPrompts::Icon::Question:
            return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}
}  // namespace

void CDocumentPrompts::ShowMessage(const std::string& text, Icon icon) {
    QMessageBox box(BoxIcon(icon), UiText(IDS_APP_TITLE), QString::fromStdString(text),
                    QMessageBox::Ok, m_pParent);
    box.exec();
}

IDocumentPrompts::Answer CDocumentPrompts::AskYesNoCancel(const std::string& text) {
    QMessageBox box(QMessageBox::Warning, UiText(IDS_APP_TITLE), QString::fromStdString(text),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, m_pParent);
    box.setDefaultButton(QMessageBox::Yes);
    switch (box.exec()) {
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        default:
            return Answer::Cancel;
    }
}

std::string CDocumentPrompts::AskSavePath() {
    return AskTaskPath(m_pParent, m_doc.GetTitle());
}

std::string CDocumentPrompts::AskTaskPath(QWidget* parent, const std::string& suggested) {
    const QString path = QFileDialog::getSaveFileName(
        parent, UiText(IDS_SAVE_AS_TITLE),
        QString::fromStdString(suggested) + QStringLiteral(".qbx"), TaskFileFilter());
    // A name without extension gets one, as in quobrix-cli: the task folder
    // takes the name without it.
    return path.isEmpty() ? std::string() : WithTaskExtension(path.toStdString());
}
