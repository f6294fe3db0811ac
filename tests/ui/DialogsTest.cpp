#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

#include <limits>
#include <optional>

#include "ModalDialog.h"
#include "common/Base64.h"
#include "support/TestDoc.h"
#include "ui/AuthorizeDlg.h"
#include "ui/GoToResultDlg.h"

namespace {

QLineEdit* FieldNamed(QWidget* pDialog, const QString& strName) {
    for (QLineEdit* pEdit : pDialog->findChildren<QLineEdit*>()) {
        if (pEdit->accessibleName() == strName) {
            return pEdit;
        }
    }
    return nullptr;
}

void Press(QWidget* pDialog, QDialogButtonBox::StandardButton button) {
    pDialog->findChild<QDialogButtonBox*>()->button(button)->click();
}

}  // namespace

class CDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void AuthorizeAnswerReachesTheTask_data();
    void AuthorizeAnswerReachesTheTask();
    void ResultPageRefusesWhatIsNotANumber();
    void ResultPageNumbers_data();
    void ResultPageNumbers();
};

void CDialogsTest::AuthorizeAnswerReachesTheTask_data() {
    QTest::addColumn<bool>("bOk");
    QTest::addColumn<QString>("strAccount");
    QTest::addColumn<QString>("strPassword");
    QTest::addColumn<bool>("bDoNotPrompt");
    QTest::addColumn<QString>("strCredential");
    QTest::addColumn<bool>("bPromptAfter");

    const QString strAnn = QString::fromStdString(CBase64::Encode("ann:secret"));
    QTest::newRow("OK, do not prompt") << true << "ann"
                                       << "secret" << true << strAnn << false;
    QTest::newRow("OK, prompt again") << true << "ann"
                                      << "secret" << false << strAnn << true;
    QTest::newRow("OK, empty fields") << true << ""
                                      << "" << false << "Og==" << true;
    QTest::newRow("Cancel clears the old one") << false << "ann"
                                               << "secret" << true << "" << true;
}

void CDialogsTest::AuthorizeAnswerReachesTheTask() {
    QFETCH(bool, bOk);
    QFETCH(QString, strAccount);
    QFETCH(QString, strPassword);
    QFETCH(bool, bDoNotPrompt);
    QFETCH(QString, strCredential);
    QFETCH(bool, bPromptAfter);

    CTestDoc doc;
    doc.m_bPromptAuth = true;
    doc.SetSiteAuthorization("b2xkOm9uZQ==", "old.example");
    const QString strUrl = "http://127.0.0.1:8080/members/a.html";
    QString strShown;

    WhenModal<CAuthorizeDlg>([&](CAuthorizeDlg* pDlg) {
        for (QLabel* pLabel : pDlg->findChildren<QLabel*>()) {
            strShown += pLabel->text() + "\n";
        }
        FieldNamed(pDlg, "Account")->setText(strAccount);
        FieldNamed(pDlg, "Password")->setText(strPassword);
        pDlg->findChild<QCheckBox*>()->setChecked(bDoNotPrompt);
        Press(pDlg, bOk ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel);
    });
    QCOMPARE(RunAuthorizeDialog(nullptr, doc, strUrl), bOk);

    QVERIFY(strShown.remove(QChar(0x200B)).contains(strUrl));
    QCOMPARE(QString::fromStdString(doc.GetSiteAuthorization()), strCredential);
    QCOMPARE(bool(doc.m_bPromptAuth), bPromptAfter);
    QCOMPARE(QString::fromStdString(doc.m_strAuthHost), bOk ? "127.0.0.1:8080" : "");
}

void CDialogsTest::ResultPageRefusesWhatIsNotANumber() {
    CGoToResultDlg dlg(3, QFont());
    dlg.show();
    QCOMPARE(FieldNamed(&dlg, "Page number")->text(), "3");
    FieldNamed(&dlg, "Page number")->setText("abc");

    QString strMessage;
    WhenModal<QMessageBox>([&](QMessageBox* pBox) {
        strMessage = pBox->text();
        pBox->accept();
    });
    Press(&dlg, QDialogButtonBox::Ok);
    QCOMPARE(strMessage, "Please enter a positive integer.");
    QVERIFY(dlg.isVisible());
    QCOMPARE(dlg.result(), int(QDialog::Rejected));

    FieldNamed(&dlg, "Page number")->setText("12");
    Press(&dlg, QDialogButtonBox::Ok);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(dlg.PageNumber(), 12u);
}

void CDialogsTest::ResultPageNumbers_data() {
    QTest::addColumn<QString>("strText");
    QTest::addColumn<qint64>("nExpected");  // -1: refused

    QTest::newRow("zero") << "0" << qint64(0);
    QTest::newRow("spaces around") << " 7 " << qint64(7);
    QTest::newRow("empty") << "" << qint64(-1);
    QTest::newRow("negative") << "-1" << qint64(-1);
    QTest::newRow("digits then text") << "5a" << qint64(-1);
    QTest::newRow("too large: the last page")
        << "99999999999" << qint64(std::numeric_limits<unsigned>::max());
}

void CDialogsTest::ResultPageNumbers() {
    QFETCH(QString, strText);
    QFETCH(qint64, nExpected);
    const std::optional<unsigned> nPage = CGoToResultDlg::ParsePageNumber(strText);
    QCOMPARE(nPage ? qint64(*nPage) : qint64(-1), nExpected);
}

QTEST_MAIN(CDialogsTest)
#include "DialogsTest.moc"
