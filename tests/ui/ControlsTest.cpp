// The custom controls on their own: the list's in-place editor and the
// colour button's palette.
#include <QHeaderView>
#include <QLineEdit>
#include <QToolButton>
#include <QtTest>

#include "ui/controls/ColorButton.h"
#include "ui/controls/ColorPalette.h"
#include "ui/controls/EditableListView.h"

namespace {
constexpr uint32_t kGreen = 0x00FF00;   // 0x00BBGGRR: red 0, green 255, blue 0
constexpr uint32_t kCustom = 0x123456;  // in no swatch

QPoint CellCentre(CEditableListView& list, int row, int column) {
    return list.visualRect(list.model()->index(row, column)).center();
}

QToolButton* Swatch(CColorPalette* pPalette, const QString& name) {
    for (QToolButton* pSwatch : pPalette->Swatches()) {
        if (pSwatch->accessibleName() == name) {
            return pSwatch;
        }
    }
    return nullptr;
}
}  // namespace

class CControlsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void ClickOnALimitCellEditsItInPlace();
    void EscKeepsAndEnterOrLeavingStores_data();
    void EscKeepsAndEnterOrLeavingStores();
    void OnlyEditableColumnsWideEnoughOpenTheBox();
    void BoxGrowsWithTheTextUpToTheListsEdge();
    void PaletteNamesItsColorsAndAutomaticIsTheDefault();
    void PaletteWorksFromTheKeyboard();

private:
    std::unique_ptr<CEditableListView> m_pList;
};

void CControlsTest::init() {
    m_pList = std::make_unique<CEditableListView>();
    m_pList->AddColumn("Type", 220, Qt::AlignLeft, false);
    m_pList->AddColumn("Max size(K bytes)", 80, Qt::AlignRight, true);
    m_pList->AddRow("Text", true);
    m_pList->AddRow("Image", false);
    m_pList->SetCellText(0, 1, "1024");
    m_pList->SetCellText(1, 1, "0");
    m_pList->resize(320, 120);
    m_pList->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_pList.get()));
}

void CControlsTest::cleanup() {
    m_pList.reset();
}

void CControlsTest::ClickOnALimitCellEditsItInPlace() {
    QFont font("Sans", 13);
    m_pList->setFont(font);
    QTest::mouseClick(m_pList->viewport(), Qt::LeftButton, {}, CellCentre(*m_pList, 0, 1));
    QLineEdit* pEditor = m_pList->Editor();
    QVERIFY(pEditor != nullptr);
    QCOMPARE(pEditor->geometry(), m_pList->visualRect(m_pList->model()->index(0, 1)));
    QCOMPARE(pEditor->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    QCOMPARE(pEditor->font(), m_pList->font());
    QCOMPARE(pEditor->selectedText(), "1024");
    QCOMPARE(pEditor->accessibleName(), "Max size(K bytes)");
}

void CControlsTest::EscKeepsAndEnterOrLeavingStores_data() {
    QTest::addColumn<int>("nKey");  // 0: the focus leaves the box
    QTest::addColumn<QString>("strStored");
    QTest::newRow("Esc") << int(Qt::Key_Escape) << "0";
    QTest::newRow("Enter") << int(Qt::Key_Return) << "none";
    QTest::newRow("focus leaves") << 0 << "none";
}

void CControlsTest::EscKeepsAndEnterOrLeavingStores() {
    QFETCH(int, nKey);
    QFETCH(QString, strStored);
    // F2 edits the selected row's limit.
    m_pList->setCurrentItem(m_pList->topLevelItem(1));
    QTest::keyClick(m_pList.get(), Qt::Key_F2);
    QPointer<QLineEdit> pEditor = m_pList->Editor();
    QVERIFY(pEditor != nullptr);
    QTest::keyClicks(pEditor, "none");
    if (nKey != 0) {
        QTest::keyClick(pEditor, Qt::Key(nKey));
    } else {
        QFocusEvent focusOut(QEvent::FocusOut, Qt::TabFocusReason);
        QCoreApplication::sendEvent(pEditor, &focusOut);
    }
    QCOMPARE(m_pList->CellText(1, 1), strStored);
    QVERIFY(m_pList->Editor() == nullptr);
    QTRY_VERIFY_WITH_TIMEOUT(pEditor.isNull(), 5000);
}

void CControlsTest::OnlyEditableColumnsWideEnoughOpenTheBox() {
    QTest::mouseClick(m_pList->viewport(), Qt::LeftButton, {}, CellCentre(*m_pList, 0, 0));
    QVERIFY(m_pList->Editor() == nullptr);
    QVERIFY(!m_pList->EditCell(0, 0));
    m_pList->setColumnWidth(1, 4);
    QVERIFY(!m_pList->EditCell(0, 1));
    m_pList->setColumnWidth(1, 5);
    QVERIFY(m_pList->EditCell(0, 1));
}

void CControlsTest::BoxGrowsWithTheTextUpToTheListsEdge() {
    QVERIFY(m_pList->EditCell(0, 1));
    QLineEdit* pEditor = m_pList->Editor();
    const int nCellWidth = pEditor->width();
    const QString strText = "123456789012345";
    pEditor->setText(strText);
    const int nWanted = QFontMetrics(pEditor->font()).horizontalAdvance(strText) + 5;
    QVERIFY(nWanted > nCellWidth);
    const int nRoom = m_pList->viewport()->width() - pEditor->x();
    QCOMPARE(pEditor->width(), std::min(nWanted, nRoom));
    QCOMPARE(pEditor->x(), m_pList->visualRect(m_pList->model()->index(0, 1)).x());

    pEditor->setText(QString(200, u'9'));
    QCOMPARE(pEditor->geometry().right(), m_pList->viewport()->width() - 1);
}

void CControlsTest::PaletteNamesItsColorsAndAutomaticIsTheDefault() {
    CColorButton button;
    button.SetColor(kCustom);
    button.SetDefaultColor(kGreen);
    button.show();
    QCOMPARE(button.accessibleName(), "#563412");
    QSignalSpy picked(&button, &CColorButton::ColorPicked);

    QTest::mouseClick(&button, Qt::LeftButton);
    CColorPalette* pPalette = button.Palette();
    QVERIFY(pPalette != nullptr && pPalette->isVisible());
    QCOMPARE(pPalette->Swatches().size(), CColorPalette::NamedColors().size());
    QToolButton* pRed = Swatch(pPalette, "Red");
    QVERIFY(pRed != nullptr);
    QCOMPARE(pRed->toolTip(), "Red");
    QCOMPARE(pPalette->AutomaticButton()->accessibleName(), "Automatic");
    QCOMPARE(pPalette->MoreButton()->accessibleName(), "More colors...");

    pRed->click();
    QCOMPARE(button.Color(), 0x0000FFu);
    QCOMPARE(button.accessibleName(), "Red");
    QTRY_VERIFY_WITH_TIMEOUT(button.Palette() == nullptr, 5000);

    QTest::mouseClick(&button, Qt::LeftButton);
    QVERIFY(button.Palette() != nullptr);
    button.Palette()->AutomaticButton()->click();
    QCOMPARE(button.Color(), kGreen);
    QCOMPARE(button.accessibleName(), "Lime");
    QCOMPARE(picked.count(), 2);
}

void CControlsTest::PaletteWorksFromTheKeyboard() {
    CColorButton button;
    button.SetDefaultColor(kGreen);
    button.SetColor(kGreen);
    button.show();
    QTest::keyClick(&button, Qt::Key_Space);
    CColorPalette* pPalette = button.Palette();
    QVERIFY(pPalette != nullptr);
    // It opens on Automatic, the colour shown; Down goes to the first row.
    QCOMPARE(pPalette->focusProxy(), pPalette->AutomaticButton());
    QTest::keyClick(pPalette->AutomaticButton(), Qt::Key_Down);
    QToolButton* pFirst = pPalette->Swatches()[0];
    QTRY_COMPARE_WITH_TIMEOUT(pPalette->focusWidget(), pFirst, 5000);
    QTest::keyClick(pFirst, Qt::Key_Right);
    QToolButton* pSecond = pPalette->Swatches()[1];
    QCOMPARE(pPalette->focusWidget(), pSecond);
    QTest::keyClick(pSecond, Qt::Key_Down);
    QToolButton* pBelow = pPalette->Swatches()[1 + CColorPalette::kColumns];
    QCOMPARE(pPalette->focusWidget(), pBelow);
    QTest::keyClick(pBelow, Qt::Key_Return);
    QCOMPARE(button.Color(), CColorPalette::NamedColors()[1 + CColorPalette::kColumns].m_crColor);

    // Esc closes without a change.
    QTest::keyClick(&button, Qt::Key_Space);
    QVERIFY(button.Palette() != nullptr);
    QTest::keyClick(button.Palette()->focusProxy(), Qt::Key_Escape);
    QTRY_VERIFY_WITH_TIMEOUT(button.Palette() == nullptr, 5000);
    QCOMPARE(button.Color(), CColorPalette::NamedColors()[1 + CColorPalette::kColumns].m_crColor);
}

QTEST_MAIN(CControlsTest)
#include "ControlsTest.moc"
