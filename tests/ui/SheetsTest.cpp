// "Task options" and "Applition Options": what they show, what they refuse
// and in which order, and what reaches the task, its file and the store.
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>

#include <functional>
#include <memory>

#include "ModalDialog.h"
#include "app/QuobrixApp.h"
#include "common/Base64.h"
#include "support/TempDir.h"
#include "support/TestDoc.h"
#include "ui/controls/ColorButton.h"
#include "ui/controls/ColorPalette.h"
#include "ui/controls/EditableListView.h"
#include "ui/sheets/AppOptionsSheet.h"
#include "ui/sheets/SheetOptions.h"
#include "ui/sheets/TaskOptionsSheet.h"

namespace {

constexpr uint32_t kDefaultLinkColor = 0x00FF00;

template <typename T>
T* Named(QWidget* pSheet, const QString& strName) {
    for (T* pControl : pSheet->findChildren<T*>()) {
        if (pControl->accessibleName() == strName) {
            return pControl;
        }
    }
    return nullptr;
}

QLineEdit* Field(QWidget* pSheet, const QString& strName) {
    return Named<QLineEdit>(pSheet, strName);
}

QAbstractButton* Button(QWidget* pSheet, const QString& strText) {
    for (QAbstractButton* pButton : pSheet->findChildren<QAbstractButton*>()) {
        if (pButton->text().remove(u'&') == strText) {
            return pButton;
        }
    }
    return nullptr;
}

// Presses OK; a message box it brings up is answered, its text kept. The
// box runs inside the click, so the first turn of its loop finds it.
QString PressOk(CSheetOptions* pSheet) {
    auto pMessage = std::make_shared<QString>();
    auto pReturned = std::make_shared<bool>(false);
    QTimer::singleShot(0, pSheet, [pMessage, pReturned] {
        auto* pBox = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!*pReturned && pBox != nullptr) {
            *pMessage = pBox->text();
            pBox->accept();
        }
    });
    Button(pSheet, "OK")->click();
    *pReturned = true;
    return *pMessage;
}

// Runs a sheet opened by open(), acting on it with act once it shows; the
// result of open().
bool RunSheet(const std::function<bool()>& open, const std::function<void(CSheetOptions*)>& act) {
    bool bActed = false;
    WhenModal<CSheetOptions>([&](CSheetOptions* pSheet) {
        bActed = true;
        act(pSheet);
        if (pSheet->isVisible()) {
            pSheet->reject();
        }
    });
    const bool bOk = open();
    if (!bActed) {
        qWarning("the sheet did not open");
    }
    return bOk;
}

// A task that can have properties: it has a current site.
void DefineTask(CTestDoc& doc) {
    doc.m_strCurrentSite = "127.0.0.1";
    doc.m_strStartAddress = "127.0.0.1/index.html";
    doc.m_strEndAddress = doc.m_strStartAddress;
    doc.SetKeywords("apple", false);
    doc.m_bKeywordsChanged = false;
    doc.SetModifiedFlag(false);
}

}  // namespace

class CSheetsTest : public QObject {
    Q_OBJECT
private slots:
    void RefusedValues_data();
    void RefusedValues();
    void FirstBadFieldInControlOrderAcrossPages();
    void OkStoresEveryValueAndTheNextSaveWritesThem();
    void CancelDiscardsEveryEdit();
    void OkKeepsWhatChangedMeanwhileInFieldsLeftAlone();
    void AgentMatching_data();
    void AgentMatching();
    void NetscapeAndOkStoresItsText();
    void ProxyControlsFollowTheirBoxAndKeepTheirContents();
    void WebPageShowsTheOptionsAndOkStoresWhatChanged();
    void WebPageCancelChangesNothing();
    void WebPageKeysReachEveryControlInOrder();
};

void CSheetsTest::RefusedValues_data() {
    QTest::addColumn<QString>("strField");
    QTest::addColumn<QString>("strText");
    QTest::addColumn<int>("nPage");
    QTest::addColumn<QString>("strMessage");
    const QString strUint = "Please enter a positive integer.";
    QTest::newRow("depth empty") << "Depth" << "" << 0 << strUint;
    QTest::newRow("results 5") << "Result items per page" << "5" << 0
                               << "Please enter an integer between 10 and 1000.";
    QTest::newRow("results 1001") << "Result items per page" << "1001" << 0
                                  << "Please enter an integer between 10 and 1000.";
    QTest::newRow("auto save too long") << "Auto save task every" << "99999999999" << 0
                                        << "Please enter an integer between 0 and 2147483647.";
    QTest::newRow("max length 99") << "Max length" << "99" << 0
                                   << "Please enter an integer between 100 and 500.";
    QTest::newRow("offset not a number") << "Offset" << "1a" << 0 << "Please enter an integer.";
    QTest::newRow("offset sign only") << "Offset" << "-" << 0 << "Please enter an integer.";
    // "Limit N": the size cell of filter row N.
    QTest::newRow("limit abc") << "Limit 0" << "abc" << 1 << strUint;
    QTest::newRow("limit 12ab-") << "Limit 1" << "12ab-" << 1 << strUint;
    QTest::newRow("limit -1") << "Limit 2" << "-1" << 1 << strUint;
    QTest::newRow("limit too large") << "Limit 1" << "99999999999" << 1
                                     << "Please enter an integer between 0 and 2147483647.";
    QTest::newRow("retries 51") << "Retries" << "51" << 1
                                << "Please enter an integer between 0 and 50.";
    QTest::newRow("timeout 601") << "Timeout(sec)" << "601" << 1
                                 << "Please enter an integer between 0 and 600.";
    QTest::newRow("threads 0") << "Max number of worker threads" << "0" << 1
                               << "Please enter an integer between 1 and 15.";
    QTest::newRow("threads empty") << "Max number of worker threads" << "" << 1 << strUint;
    // "Applition Options", with "Use HTTP proxy server" checked.
    const QString strNoProxy = "Please enter the address of the HTTP proxy server.";
    QTest::newRow("proxy address empty") << "Address" << "" << -1 << strNoProxy;
    QTest::newRow("proxy address blank") << "Address" << "  " << -1 << strNoProxy;
    // "Applition Options", page Web.
    const QString strDelay = "Delay between requests to one site (ms)";
    QTest::newRow("delay 60001") << strDelay << "60001" << -2
                                 << "Please enter an integer between 0 and 60000.";
    QTest::newRow("delay empty") << strDelay << "" << -2 << strUint;
}

void CSheetsTest::RefusedValues() {
    QFETCH(QString, strField);
    QFETCH(QString, strText);
    QFETCH(int, nPage);
    QFETCH(QString, strMessage);
    if (nPage < 0) {
        TempDir dir;
        CQuobrixApp app(dir / "Quobrix.ini");
        const bool bOk = RunSheet([&] { return RunAppOptions(nullptr, app); },
                                  [&](CSheetOptions* pSheet) {
                                      const bool bWebPage = nPage == -2;
                                      if (!bWebPage) {
                                          Button(pSheet, "Use HTTP proxy server")->click();
                                      }
                                      QLineEdit* pField = Field(pSheet, strField);
                                      pField->setText(strText);
                                      QCOMPARE(PressOk(pSheet), strMessage);
                                      QVERIFY(pSheet->isVisible());
                                      QCOMPARE(pSheet->Tabs()->currentIndex(), bWebPage ? 1 : 0);
                                      QCOMPARE(pSheet->focusWidget(), pField);
                                  });
        QVERIFY(!bOk);
        QVERIFY(!app.m_bUseProxy);
        QCOMPARE(app.m_nDelayMs, 0);
        QVERIFY(!QFile::exists(QString::fromStdString(dir / "Quobrix.ini")));
        return;
    }
    CTestDoc doc;
    DefineTask(doc);

    const bool bOk = RunSheet([&] { return RunTaskOptions(nullptr, doc, kDefaultLinkColor); },
                              [&](CSheetOptions* pSheet) {
                                  auto* pList = pSheet->findChild<CEditableListView*>();
                                  const int nRow =
                                      strField.startsWith("Limit ") ? strField.mid(6).toInt() : -1;
                                  QLineEdit* pField = nRow < 0 ? Field(pSheet, strField) : nullptr;
                                  QVERIFY(nRow >= 0 || pField != nullptr);
                                  if (nRow >= 0) {
                                      pList->SetCellText(nRow, 1, strText);
                                  } else {
                                      pField->setText(strText);
                                  }
                                  pSheet->Tabs()->setCurrentIndex(1 - nPage);
                                  QCOMPARE(PressOk(pSheet), strMessage);
                                  QVERIFY(pSheet->isVisible());
                                  QCOMPARE(pSheet->Tabs()->currentIndex(), nPage);
                                  if (nRow >= 0) {
                                      // The refused cell is open for editing.
                                      pField = pList->Editor();
                                      QVERIFY(pField != nullptr);
                                      QCOMPARE(pList->currentItem(), pList->topLevelItem(nRow));
                                  }
                                  QCOMPARE(pSheet->focusWidget(), pField);
                                  QCOMPARE(pField->selectedText(), strText);
                              });
    QVERIFY(!bOk);
    QCOMPARE(int(doc.m_nResultsPerPage), 50);
    QCOMPARE(int(doc.m_nImageMaxK), 0);
    QVERIFY(!doc.IsModified());
}

void CSheetsTest::FirstBadFieldInControlOrderAcrossPages() {
    CTestDoc doc;
    DefineTask(doc);
    QStringList messages;
    RunSheet([&] { return RunTaskOptions(nullptr, doc, kDefaultLinkColor); },
             [&](CSheetOptions* pSheet) {
                 Field(pSheet, "Keywords")->setText("pear");
                 Field(pSheet, "Max number of worker threads")->setText("16");
                 Field(pSheet, "Offset")->setText("x");
                 Field(pSheet, "Result items per page")->setText("5");
                 messages << PressOk(pSheet);
                 Field(pSheet, "Result items per page")->setText("10");
                 messages << PressOk(pSheet);
                 Field(pSheet, "Offset")->setText("-7");
                 messages << PressOk(pSheet);
             });
    QCOMPARE(messages, QStringList({"Please enter an integer between 10 and 1000.",
                                    "Please enter an integer.",
                                    "Please enter an integer between 1 and 15."}));
    // Page General was valid at the last try, but nothing is stored until all are.
    QCOMPARE(doc.m_strKeywords, "apple");
    QCOMPARE(int(doc.m_nAbstractOffset), 0);
}

void CSheetsTest::OkStoresEveryValueAndTheNextSaveWritesThem() {
    TempDir dir;
    CTestDoc doc;
    DefineTask(doc);
    doc.m_nTimeout = 60500;
    doc.m_crLinkColor = 0x123456;
    QString strShownTimeout;
    bool bFirstFieldFocused = false;

    const bool bOk = RunSheet(
        [&] { return RunTaskOptions(nullptr, doc, kDefaultLinkColor); },
        [&](CSheetOptions* pSheet) {
            bFirstFieldFocused = pSheet->focusWidget() == Field(pSheet, "Keywords");
            strShownTimeout = Field(pSheet, "Timeout(sec)")->text();
            Field(pSheet, "Keywords")->setText("  pear+plum \t");
            Button(pSheet, "Match case")->click();
            Button(pSheet, "Pause task when current site finished")->click();
            Field(pSheet, "Depth")->setText("4");
            Field(pSheet, "Result items per page")->setText("1000");
            Button(pSheet, "Prompt for authorization")->click();
            Field(pSheet, "Auto save task every")->setText("7");
            Field(pSheet, "Max length")->setText("100");
            Named<QComboBox>(pSheet, "Starting point")->setCurrentIndex(2);
            Field(pSheet, "Offset")->setText("-20");

            auto* pList = pSheet->findChild<CEditableListView*>();
            pList->SetChecked(1, false);
            QVERIFY(pList->EditCell(0, 1));
            QTest::keyClick(pList->Editor(), Qt::Key_Backspace);  // clears the selected text
            QTest::keyClick(pList->Editor(), Qt::Key_Return);
            pList->SetCellText(1, 1, "64");
            // The colour button follows its box; "Automatic" is the application's colour.
            auto* pColor = pSheet->findChild<CColorButton*>();
            QVERIFY(pColor->isEnabled());
            QTest::mouseClick(pColor, Qt::LeftButton);
            QVERIFY(pColor->Palette() != nullptr);
            Named<QToolButton>(pColor->Palette(), "Automatic")->click();
            Button(pSheet, "Change the color of retrieved links to")->click();
            QVERIFY(!pColor->isEnabled());
            Field(pSheet, "Retries")->setText("0");
            Field(pSheet, "Max number of worker threads")->setText("15");
            QCOMPARE(PressOk(pSheet), QString());
            QVERIFY(!pSheet->isVisible());
        });
    QVERIFY(bOk);
    QVERIFY(bFirstFieldFocused);
    QCOMPARE(strShownTimeout, "60");

    // What the run reads.
    QCOMPARE(doc.m_strKeywords, "pear+plum");
    QCOMPARE(doc.m_arrKeywords, std::vector<std::string>({"pear", "plum"}));
    QVERIFY(doc.m_bKeywordsChanged);
    QCOMPARE(int(doc.m_nAbstractMaxLength), 100);
    QCOMPARE(int(doc.m_nAbstractStart), 2);
    QCOMPARE(int(doc.m_nAbstractOffset), -20);
    QVERIFY(doc.IsModified());

    // What the next save writes.
    std::string error;
    const std::string path = dir / "shop.qbx";
    QVERIFY(doc.OnSaveDocument(path, error));
    CTestDoc saved;
    QVERIFY(saved.OnOpenDocument(path, error));
    QCOMPARE(saved.m_strKeywords, "pear+plum");
    QVERIFY(saved.m_bMatchCase);
    QVERIFY(saved.m_bPauseAfterSite);
    QCOMPARE(int(saved.m_nDepth), 4);
    QCOMPARE(int(saved.m_nResultsPerPage), 1000);
    QVERIFY(saved.m_bPromptAuth);
    QCOMPARE(int(saved.m_nAutoSaveMinutes), 7);
    QVERIFY(saved.m_bFilterText);
    QVERIFY(!saved.m_bFilterImage);
    QVERIFY(saved.m_bFilterOthers);
    QCOMPARE(int(saved.m_nTextMaxK), 0);  // empty: no limit
    QCOMPARE(int(saved.m_nImageMaxK), 64);
    QCOMPARE(int(saved.m_nOthersMaxK), 1024);
    QVERIFY(!saved.m_bRecolorLinks);
    QCOMPARE(uint32_t(saved.m_crLinkColor), kDefaultLinkColor);
    QCOMPARE(int(saved.m_nRetries), 0);
    QCOMPARE(int(saved.m_nTimeout), 60500);  // untouched: not rounded to whole seconds
    QCOMPARE(int(saved.m_nMaxThreads), 15);
}

void CSheetsTest::CancelDiscardsEveryEdit() {
    CTestDoc doc;
    DefineTask(doc);
    const bool bTaskOk = RunSheet([&] { return RunTaskOptions(nullptr, doc, kDefaultLinkColor); },
                                  [&](CSheetOptions* pSheet) {
                                      Field(pSheet, "Keywords")->setText("pear");
                                      Field(pSheet, "Retries")->setText("9");
                                      Button(pSheet, "Cancel")->click();
                                  });
    QVERIFY(!bTaskOk);
    QCOMPARE(doc.m_strKeywords, "apple");
    QCOMPARE(int(doc.m_nRetries), 3);
    QVERIFY(!doc.m_bKeywordsChanged);
    QVERIFY(!doc.IsModified());

    TempDir dir;
    CQuobrixApp app(dir / "Quobrix.ini");
    app.LoadOptions();
    const bool bAppOk = RunSheet([&] { return RunAppOptions(nullptr, app); },
                                 [&](CSheetOptions* pSheet) {
                                     Button(pSheet, "Use HTTP proxy server")->click();
                                     Field(pSheet, "Address")->setText("127.0.0.2");
                                     Button(pSheet, "Cancel")->click();
                                 });
    QVERIFY(!bAppOk);
    QVERIFY(!app.m_bUseProxy);
    QCOMPARE(app.m_strProxyAddress, "");
    QVERIFY(!QFile::exists(QString::fromStdString(dir / "Quobrix.ini")));
}

void CSheetsTest::OkKeepsWhatChangedMeanwhileInFieldsLeftAlone() {
    CTestDoc doc;
    DefineTask(doc);
    doc.m_bPromptAuth = true;
    const bool bTaskOk =
        RunSheet([&] { return RunTaskOptions(nullptr, doc, kDefaultLinkColor); },
                 [&](CSheetOptions* pSheet) {
                     // The prompt of a run, answered with "Do not prompt next time".
                     doc.AnswerAuthorization("http://127.0.0.1/private/", true, "ann", "pw", true);
                     doc.m_nTimeout = 30000;
                     Field(pSheet, "Depth")->setText("4");
                     QCOMPARE(PressOk(pSheet), QString());
                 });
    QVERIFY(bTaskOk);
    QVERIFY(!doc.m_bPromptAuth);
    QCOMPARE(int(doc.m_nTimeout), 30000);
    QCOMPARE(int(doc.m_nDepth), 4);
    QCOMPARE(doc.m_strKeywords, "apple");
    QVERIFY(doc.m_bKeywordsChanged);

    TempDir dir;
    CQuobrixApp app(dir / "Quobrix.ini");
    const bool bAppOk = RunSheet([&] { return RunAppOptions(nullptr, app); },
                                 [&](CSheetOptions* pSheet) {
                                     app.m_nProxyPort = 8081;
                                     Button(pSheet, "Netscape Communicator 4.7")->click();
                                     QCOMPARE(PressOk(pSheet), QString());
                                 });
    QVERIFY(bAppOk);
    QCOMPARE(app.m_nProxyPort, 8081);
    QCOMPARE(app.m_strAgent, "Mozilla/4.7 [en] (WinNT; I)");
}

void CSheetsTest::AgentMatching_data() {
    QTest::addColumn<QString>("strAgent");
    QTest::addColumn<QString>("strChecked");
    QTest::newRow("Explorer") << QString::fromStdString(FixedAgentText(0))
                              << "Microsoft Internet Explorer 5.0";
    QTest::newRow("Netscape") << "Mozilla/4.7 [en] (WinNT; I)"
                              << "Netscape Communicator 4.7";
    QTest::newRow("own") << QString::fromStdString(FixedAgentText(2)) << "Quobrix 1.10";
    QTest::newRow("one letter off") << "Mozilla/4.0 (compatible; MSIE 5.0; Windows 95)"
                                    << "Custom text:";
    QTest::newRow("case differs") << "mozilla/4.7 [en] (WinNT; I)" << "Custom text:";
}

void CSheetsTest::AgentMatching() {
    QFETCH(QString, strAgent);
    QFETCH(QString, strChecked);
    TempDir dir;
    CQuobrixApp app(dir / "Quobrix.ini");
    app.m_strAgent = strAgent.toStdString();
    RunSheet([&] { return RunAppOptions(nullptr, app); }, [&](CSheetOptions* pSheet) {
        QVERIFY(Button(pSheet, strChecked)->isChecked());
        QCOMPARE(Field(pSheet, "Custom text")->text(), strAgent);
        QCOMPARE(Field(pSheet, "Custom text")->isEnabled(), strChecked == "Custom text:");
    });
}

void CSheetsTest::NetscapeAndOkStoresItsText() {
    TempDir dir;
    CQuobrixApp app(dir / "Quobrix.ini");
    app.m_strAgent = "my crawler";
    const bool bOk = RunSheet([&] { return RunAppOptions(nullptr, app); },
                              [&](CSheetOptions* pSheet) {
                                  Button(pSheet, "Netscape Communicator 4.7")->click();
                                  QVERIFY(!Field(pSheet, "Custom text")->isEnabled());
                                  // Back to custom: the edit keeps the text it shows.
                                  Button(pSheet, "Custom text:")->click();
                                  QVERIFY(Field(pSheet, "Custom text")->isEnabled());
                                  Button(pSheet, "Netscape Communicator 4.7")->click();
                                  QCOMPARE(PressOk(pSheet), QString());
                              });
    QVERIFY(bOk);
    QCOMPARE(app.m_strAgent, "Mozilla/4.7 [en] (WinNT; I)");
    CQuobrixApp stored(dir / "Quobrix.ini");
    stored.LoadOptions();
    QCOMPARE(stored.m_strAgent, "Mozilla/4.7 [en] (WinNT; I)");
}

void CSheetsTest::ProxyControlsFollowTheirBoxAndKeepTheirContents() {
    TempDir dir;
    CQuobrixApp app(dir / "Quobrix.ini");
    app.m_bUseProxy = true;
    app.m_strProxyAddress = "127.0.0.3";
    app.m_nProxyPort = 3128;
    const QStringList fields = {"Address", "Port", "Account", "Password"};
    QString strPortMessage;
    const bool bOk = RunSheet(
        [&] { return RunAppOptions(nullptr, app); },
        [&](CSheetOptions* pSheet) {
            QCOMPARE(pSheet->focusWidget(), Button(pSheet, "Use HTTP proxy server"));
            for (const QString& name : fields) {
                QVERIFY2(Field(pSheet, name)->isEnabled(), qPrintable(name));
            }
            Field(pSheet, "Account")->setText("ann");
            Field(pSheet, "Password")->setText("secret");
            Field(pSheet, "Port")->setText("65536");
            strPortMessage = PressOk(pSheet);
            Field(pSheet, "Port")->setText("8080");
            Button(pSheet, "Use HTTP proxy server")->click();
            for (const QString& name : fields) {
                QVERIFY2(!Field(pSheet, name)->isEnabled(), qPrintable(name));
            }
            QCOMPARE(Field(pSheet, "Address")->text(), "127.0.0.3");
            QCOMPARE(PressOk(pSheet), QString());
        });
    QVERIFY(bOk);
    QCOMPARE(strPortMessage, "Please enter an integer between 0 and 65535.");
    CQuobrixApp stored(dir / "Quobrix.ini");
    stored.LoadOptions();
    QVERIFY(!stored.m_bUseProxy);
    QCOMPARE(stored.m_strProxyAddress, "127.0.0.3");
    QCOMPARE(stored.m_nProxyPort, 8080);
    QCOMPARE(stored.m_strProxyUser, "ann");
    QCOMPARE(stored.m_strProxyPassword, "secret");
    QCOMPARE(app.m_strProxyAuthorization, CBase64::Encode("ann:secret"));
}

void CSheetsTest::WebPageShowsTheOptionsAndOkStoresWhatChanged() {
    TempDir dir;
    CQuobrixApp app(dir / "Quobrix.ini");
    app.m_bRobots = true;
    app.m_nDelayMs = 250;
    struct {
        bool bCertificates = false;
        bool bHttpsLinks = true;
        bool bRedirects = true;
        bool bRobots = false;
        QString strDelay;
    } shown;
    const bool bOk =
        RunSheet([&] { return RunAppOptions(nullptr, app); },
                 [&](CSheetOptions* pSheet) {
                     QCOMPARE(pSheet->Tabs()->tabText(1), "Web");
                     shown = {Button(pSheet, "Check certificates")->isChecked(),
                              Button(pSheet, "Follow HTTPS links on other sites")->isChecked(),
                              Button(pSheet, "Follow redirects")->isChecked(),
                              Button(pSheet, "Obey robots.txt")->isChecked(),
                              Field(pSheet, "Delay between requests to one site (ms)")->text()};
                     pSheet->Tabs()->setCurrentIndex(1);
                     Button(pSheet, "Check certificates")->click();
                     Button(pSheet, "Follow redirects")->click();
                     Field(pSheet, "Delay between requests to one site (ms)")->setText("60000");
                     // Set elsewhere while the sheet is open; its box is left alone.
                     app.m_bHttpsLinks = true;
                     QCOMPARE(PressOk(pSheet), QString());
                 });
    QVERIFY(bOk);
    QVERIFY(shown.bCertificates);
    QVERIFY(!shown.bHttpsLinks);
    QVERIFY(!shown.bRedirects);
    QVERIFY(shown.bRobots);
    QCOMPARE(shown.strDelay, "250");

    CQuobrixApp stored(dir / "Quobrix.ini");
    stored.LoadOptions();
    for (const CAppOptions* pOptions :
         {static_cast<const CAppOptions*>(&app), static_cast<const CAppOptions*>(&stored)}) {
        QVERIFY(!pOptions->m_bCheckCertificates);
        QVERIFY(pOptions->m_bHttpsLinks);
        QVERIFY(pOptions->m_bFollowRedirects);
        QVERIFY(pOptions->m_bRobots);
        QCOMPARE(pOptions->m_nDelayMs, 60000);
    }
}

void CSheetsTest::WebPageCancelChangesNothing() {
    TempDir dir;
    CQuobrixApp app(dir / "Quobrix.ini");
    app.LoadOptions();
    const bool bOk = RunSheet(
        [&] { return RunAppOptions(nullptr, app); },
        [&](CSheetOptions* pSheet) {
            pSheet->Tabs()->setCurrentIndex(1);
            for (const char* box : {"Check certificates", "Follow HTTPS links on other sites",
                                    "Follow redirects", "Obey robots.txt"}) {
                Button(pSheet, box)->click();
            }
            Field(pSheet, "Delay between requests to one site (ms)")->setText("500");
            Button(pSheet, "Cancel")->click();
        });
    QVERIFY(!bOk);
    QVERIFY(app == CAppOptions());
    QVERIFY(!QFile::exists(QString::fromStdString(dir / "Quobrix.ini")));
}

namespace {
// What a screen reader calls the control: a button by its text.
QString SpokenName(QWidget* pControl) {
    if (pControl == nullptr) {
        return "(none)";
    }
    auto* pButton = qobject_cast<QAbstractButton*>(pControl);
    return pButton != nullptr ? pButton->text().remove(u'&') : pControl->accessibleName();
}
}  // namespace

void CSheetsTest::WebPageKeysReachEveryControlInOrder() {
    TempDir dir;
    CQuobrixApp app(dir / "Quobrix.ini");
    QStringList tabbed;
    QStringList mnemonics;
    RunSheet([&] { return RunAppOptions(nullptr, app); },
             [&](CSheetOptions* pSheet) {
                 pSheet->Tabs()->setCurrentIndex(1);
                 QVERIFY(QTest::qWaitForWindowActive(pSheet));
                 Button(pSheet, "Check certificates")->setFocus();
                 for (int i = 0; i < 5; ++i) {
                     tabbed << SpokenName(pSheet->focusWidget());
                     QTest::keyClick(pSheet->focusWidget(), Qt::Key_Tab);
                 }
                 for (const Qt::Key key : {Qt::Key_D, Qt::Key_O, Qt::Key_H}) {
                     QTest::keyClick(pSheet, key, Qt::AltModifier);
                     mnemonics << SpokenName(pSheet->focusWidget());
                 }
             });
    QCOMPARE(tabbed, QStringList({"Check certificates", "Follow HTTPS links on other sites",
                                  "Follow redirects", "Obey robots.txt",
                                  "Delay between requests to one site (ms)"}));
    QCOMPARE(mnemonics, QStringList({"Delay between requests to one site (ms)", "Obey robots.txt",
                                     "Follow HTTPS links on other sites"}));
}

QTEST_MAIN(CSheetsTest)
#include "SheetsTest.moc"
