// The IPv4 address control: four fields of 0 to 255 typed as one address.
#include <QApplication>
#include <QLineEdit>
#include <QtTest>

#include "ui/controls/IpAddressEdit.h"

namespace {
// Types each character into whatever field has the focus at that moment;
// "\b" is Backspace.
void Type(const QString& strKeys) {
    for (const QChar ch : strKeys) {
        QWidget* pFocus = QApplication::focusWidget();
        QVERIFY(pFocus != nullptr);
        if (ch == u'\b') {
            QTest::keyClick(pFocus, Qt::Key_Backspace);
        } else {
            QTest::keyClick(pFocus, ch.toLatin1());
        }
    }
}
}  // namespace

class CIpAddressEditTest : public QObject {
    Q_OBJECT
private slots:
    void Typing_data();
    void Typing();
    void SetTextTakesDottedForm_data();
    void SetTextTakesDottedForm();
    void AccessibleNames();
};

void CIpAddressEditTest::Typing_data() {
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("address");
    QTest::newRow("dots move on") << "10.0.0.20"
                                  << "10.0.0.20";
    QTest::newRow("full fields move on, the next dot is no second move") << "255.255.255.255"
                                                                         << "255.255.255.255";
    QTest::newRow("above 255 becomes 255") << "300.1.999.7"
                                           << "255.1.255.7";
    QTest::newRow("backspace in an empty field moves back") << "10.20\b\b\b5.6"
                                                            << "105.6.0.0";
    QTest::newRow("a dot in an empty field stays") << "..7"
                                                   << "7.0.0.0";
    QTest::newRow("letters refused") << "1a2.b3"
                                     << "12.3.0.0";
}

void CIpAddressEditTest::Typing() {
    QFETCH(QString, keys);
    QFETCH(QString, address);
    QWidget window;
    auto* pEdit = new CIpAddressEdit(&window);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QCOMPARE(pEdit->text(), QStringLiteral("0.0.0.0"));
    pEdit->setFocus(Qt::TabFocusReason);
    Type(keys);
    QCOMPARE(pEdit->text(), address);
}

void CIpAddressEditTest::SetTextTakesDottedForm_data() {
    QTest::addColumn<QString>("given");
    QTest::addColumn<QString>("address");
    QTest::newRow("plain") << "192.168.1.254"
                           << "192.168.1.254";
    QTest::newRow("blanks and a large part") << " 10.0.300.1 "
                                             << "10.0.255.1";
    QTest::newRow("missing parts are 0") << "10.1"
                                         << "10.1.0.0";
    QTest::newRow("not a number") << "a.b.c.d"
                                  << "0.0.0.0";
}

void CIpAddressEditTest::SetTextTakesDottedForm() {
    QFETCH(QString, given);
    QFETCH(QString, address);
    CIpAddressEdit edit;
    edit.setText(given);
    QCOMPARE(edit.text(), address);
}

void CIpAddressEditTest::AccessibleNames() {
    CIpAddressEdit edit;
    edit.SetAccessibleName(QStringLiteral("First address of the range"));
    QCOMPARE(edit.accessibleName(), QStringLiteral("First address of the range"));
    QCOMPARE(edit.Field(0)->accessibleName(),
             QStringLiteral("First address of the range, part 1 of 4"));
    QCOMPARE(edit.Field(3)->accessibleName(),
             QStringLiteral("First address of the range, part 4 of 4"));
}

QTEST_MAIN(CIpAddressEditTest)
#include "IpAddressEditTest.moc"
