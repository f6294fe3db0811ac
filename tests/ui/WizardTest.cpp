// The new task wizard: its page flow in both methods with Back, what each
// page hands on, Resolve off the GUI thread, and the whole path from Ctrl+N
// in the main window to the saved task, driven with key presses only.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <netdb.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <future>
#include <memory>

#include "ModalDialog.h"
#include "support/TempDir.h"
#include "task/DocumentPrompts.h"
#include "task/QuobrixDoc.h"
#include "ui/DesktopApp.h"
#include "ui/MainFrame.h"
#include "ui/controls/IpAddressEdit.h"
#include "ui/wizard/HostLookup.h"
#include "ui/wizard/PageDomain.h"
#include "ui/wizard/PageIpAddress.h"
#include "ui/wizard/PageKeywords.h"
#include "ui/wizard/PageWelcome.h"
#include "ui/wizard/Wizard.h"
#include "ScriptedPrompts.h"

namespace {
constexpr int kWaitMs = 10000;

QAbstractButton* Button(CWizard& wizard, QWizard::WizardButton which) {
    return wizard.button(which);
}

// Presses keys in whatever has the focus at each press, as a person does:
// "<Enter>", "<Tab>", "<Down>", "<Alt+A>"; anything else is typed.
void Keys(const QStringList& arrKeys) {
    for (const QString& strKey : arrKeys) {
        QWidget* pFocus = QApplication::focusWidget();
        QVERIFY2(pFocus != nullptr, qPrintable(strKey));
        if (strKey == u"<Enter>") {
            QTest::keyClick(pFocus, Qt::Key_Return);
        } else if (strKey == u"<Tab>") {
            QTest::keyClick(pFocus, Qt::Key_Tab);
        } else if (strKey == u"<Down>") {
            QTest::keyClick(pFocus, Qt::Key_Down);
        } else if (strKey.startsWith(u"<Alt+")) {
            QTest::keyClick(pFocus, strKey.at(5).toLower().toLatin1(), Qt::AltModifier);
        } else {
            for (const QChar ch : strKey) {
                QTest::keyClick(QApplication::focusWidget(), ch.toLatin1());
            }
        }
    }
}

// Opens the wizard with Ctrl+N in the main window and presses keys in it;
// true when they finished it.
bool DriveWizardFromCtrlN(CMainFrame* pFrame, const QStringList& keys) {
    bool bDriven = false;
    WhenModal<CWizard>([&](CWizard* pWizard) {
        // The keys go where a person's would: to the wizard's window once the
        // desktop has made it the active one.
        pWizard->activateWindow();
        if (QTest::qWaitFor([pWizard] { return QApplication::activeWindow() == pWizard; },
                            kWaitMs)) {
            Keys(keys);
        }
        bDriven = !pWizard->isVisible();
        if (!bDriven) {
            pWizard->reject();  // keys that did not finish it fail the test, not hang it
        }
    });
    QTest::keyClick(pFrame, Qt::Key_N, Qt::ControlModifier);
    return bDriven;
}
}  // namespace

class CWizardTest : public QObject {
    Q_OBJECT
private slots:
    void PageFlowWithBack();
    void InternetAddress_data();
    void InternetAddress();
    void RangeTakesTheLowerAddressFirst();
    void ResolveRunsOffTheGuiThread();
    void ResolveTexts_data();
    void ResolveTexts();
    void KeyboardOnlyFromCtrlN_data();
    void KeyboardOnlyFromCtrlN();
    void HttpsAddressReachesTheTaskWithItsScheme();
    void CancelPaths();
};

void CWizardTest::PageFlowWithBack() {
    CWizard wizard;
    wizard.show();
    auto* pWelcome = static_cast<CPageWelcome*>(wizard.Page(CWizard::PAGE_WELCOME));
    QAbstractButton* pBack = Button(wizard, QWizard::BackButton);
    QAbstractButton* pNext = Button(wizard, QWizard::NextButton);
    QCOMPARE(wizard.currentId(), int(CWizard::PAGE_WELCOME));
    QVERIFY(pWelcome->SiteButton()->isChecked());
    QVERIFY(!pBack->isEnabled());

    // Site method: the Internet address page keeps Welcome's buttons (Next
    // alone), and Keywords' (Back and Next) when reached back from there.
    pNext->click();
    QCOMPARE(wizard.currentId(), int(CWizard::PAGE_DOMAIN));
    QVERIFY(wizard.m_bSiteMode);
    QVERIFY(!pBack->isEnabled());
    static_cast<CPageDomain*>(wizard.currentPage())->AddressEdit()->setText("shop.example");
    pNext->click();
    QCOMPARE(wizard.currentId(), int(CWizard::PAGE_KEYWORDS));
    QVERIFY(pBack->isEnabled());
    pNext->click();
    QCOMPARE(wizard.currentId(), int(CWizard::PAGE_FINISHED));
    QVERIFY(pBack->isEnabled());
    QVERIFY(Button(wizard, QWizard::FinishButton)->isVisible());
    pBack->click();
    pBack->click();
    QCOMPARE(wizard.currentId(), int(CWizard::PAGE_DOMAIN));
    QVERIFY(pBack->isEnabled());
    pBack->click();
    QCOMPARE(wizard.currentId(), int(CWizard::PAGE_WELCOME));

    // Range method: Back from Keywords returns to the IP address scope page.
    pWelcome->RangeButton()->setChecked(true);
    pNext->click();
    QCOMPARE(wizard.currentId(), int(CWizard::PAGE_IP_ADDRESS));
    QVERIFY(!wizard.m_bSiteMode);
    QVERIFY(pBack->isEnabled());
    pNext->click();
    QCOMPARE(wizard.currentId(), int(CWizard::PAGE_KEYWORDS));
    pBack->click();
    QCOMPARE(wizard.currentId(), int(CWizard::PAGE_IP_ADDRESS));
    pBack->click();
    QCOMPARE(wizard.currentId(), int(CWizard::PAGE_WELCOME));
}

void CWizardTest::InternetAddress_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");  // empty: refused with the message
    QTest::newRow("prefix in capitals") << " HTTP://Shop.example/a/b.html "
                                        << "Shop.example/a/b.html";
    QTest::newRow("as the page starts") << "http://shop.example"
                                        << "shop.example";
    QTest::newRow("no scheme") << "shop.example/"
                               << "shop.example/";
    QTest::newRow("https kept") << "https://shop.example/"
                                << "https://shop.example/";
    QTest::newRow("ftp kept") << "ftp://files.example"
                              << "ftp://files.example";
    QTest::newRow("prefix alone") << "http://"
                                  << "";
    QTest::newRow("blank") << "   "
                           << "";
}

void CWizardTest::InternetAddress() {
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    CWizard wizard;
    wizard.show();
    wizard.next();
    auto* pPage = static_cast<CPageDomain*>(wizard.currentPage());
    pPage->AddressEdit()->setText(typed);
    pPage->PasswordEdit()->setText(QStringLiteral("pw"));
    QString strMessage;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    if (stored.isEmpty()) {
        WhenModal<QMessageBox>([&](QMessageBox* pBox) {
            strMessage = pBox->text();
            icon = pBox->icon();
            pBox->accept();
        });
    }
    wizard.next();
    if (stored.isEmpty()) {
        QCOMPARE(strMessage, QStringLiteral("A valid internet address is required to continue."));
        QCOMPARE(icon, QMessageBox::Warning);
        QCOMPARE(wizard.currentId(), int(CWizard::PAGE_DOMAIN));
        return;
    }
    QCOMPARE(wizard.currentId(), int(CWizard::PAGE_KEYWORDS));
    const CNewTaskRecord record = wizard.Record();
    QCOMPARE(QString::fromStdString(record.m_strStartAddress), stored);
    QCOMPARE(QString::fromStdString(record.m_strEndAddress), stored);
    // An account left empty: the password goes along, the task ignores it.
    QVERIFY(record.m_strAccount.empty());
    QCOMPARE(record.m_strPassword, std::string("pw"));
}

void CWizardTest::RangeTakesTheLowerAddressFirst() {
    CWizard wizard;
    wizard.show();
    static_cast<CPageWelcome*>(wizard.currentPage())->RangeButton()->setChecked(true);
    wizard.next();
    auto* pPage = static_cast<CPageIpAddress*>(wizard.currentPage());
    QCOMPARE(pPage->From()->text(), QStringLiteral("0.0.0.0"));
    QCOMPARE(pPage->To()->text(), QStringLiteral("0.0.0.0"));
    pPage->From()->setText(QStringLiteral("10.0.0.20"));
    pPage->To()->setText(QStringLiteral("10.0.0.5"));
    wizard.next();
    QCOMPARE(wizard.m_strStartAddress, std::string("10.0.0.5"));
    QCOMPARE(wizard.m_strEndAddress, std::string("10.0.0.20"));
    QVERIFY(!wizard.Record().m_bSiteMode);
}

void CWizardTest::ResolveRunsOffTheGuiThread() {
    CWizard wizard;
    wizard.show();
    wizard.next();
    auto* pPage = static_cast<CPageDomain*>(wizard.currentPage());
    QCOMPARE(pPage->ResolvedEdit()->text(), QStringLiteral("127.0.0.1"));

    // Held in the resolver: the button is off, the window still handles
    // events, and the answer arrives once the lookup returns.
    // Shared with the pool thread, which a failed check may leave behind.
    struct CAsked {
        std::promise<void> release;
        std::atomic<bool> bOnGuiThread = true;
        std::string strHost;  // written before the answer, read after it
    };
    auto pAsked = std::make_shared<CAsked>();
    std::shared_future<void> released = pAsked->release.get_future().share();
    QThread* pGui = QThread::currentThread();
    pPage->Lookup()->SetResolver([pAsked, released, pGui](const std::string& strHost) {
        pAsked->bOnGuiThread = QThread::currentThread() == pGui;
        pAsked->strHost = strHost;
        released.wait_for(std::chrono::seconds(30));
        return CHostLookup::Resolve(strHost);
    });
    QSignalSpy answered(pPage->Lookup(), &CHostLookup::Answered);
    pPage->AddressEdit()->setText(QStringLiteral(" http://localhost /shop/index.html"));
    pPage->ResolveButton()->click();
    QVERIFY(!pPage->ResolveButton()->isEnabled());
    QCOMPARE(pPage->cursor().shape(), Qt::WaitCursor);
    bool bTicked = false;
    QTimer::singleShot(0, [&] { bTicked = true; });
    QTRY_VERIFY_WITH_TIMEOUT(bTicked, kWaitMs);
    QCOMPARE(answered.count(), 0);
    pAsked->release.set_value();
    QTRY_COMPARE_WITH_TIMEOUT(answered.count(), 1, kWaitMs);
    QVERIFY(!pAsked->bOnGuiThread);
    QCOMPARE(pAsked->strHost, std::string("localhost"));
    QCOMPARE(pPage->ResolvedEdit()->text(), QStringLiteral("127.0.0.1"));
    QVERIFY(pPage->ResolveButton()->isEnabled());
    QCOMPARE(pPage->cursor().shape(), Qt::ArrowCursor);

    // The range page resolves the same way; a dotted address answers itself.
    wizard.back();
    static_cast<CPageWelcome*>(wizard.currentPage())->RangeButton()->setChecked(true);
    wizard.next();
    auto* pRange = static_cast<CPageIpAddress*>(wizard.currentPage());
    QSignalSpy rangeAnswered(pRange->Lookup(), &CHostLookup::Answered);
    pRange->HostEdit()->setText(QStringLiteral("127.0.0.9"));
    pRange->ResolveButton()->click();
    QTRY_COMPARE_WITH_TIMEOUT(rangeAnswered.count(), 1, kWaitMs);
    QCOMPARE(pRange->ResolvedEdit()->text(), QStringLiteral("127.0.0.9"));
    // The resolver is asked for the host alone, without the port.
    pRange->HostEdit()->setText(QStringLiteral("http://127.0.0.7:8080/shop/"));
    pRange->ResolveButton()->click();
    QTRY_COMPARE_WITH_TIMEOUT(rangeAnswered.count(), 2, kWaitMs);
    QCOMPARE(pRange->ResolvedEdit()->text(), QStringLiteral("127.0.0.7"));
}

void CWizardTest::ResolveTexts_data() {
    QTest::addColumn<int>("error");
    QTest::addColumn<int>("errnoValue");
    QTest::addColumn<QString>("text");
    QTest::newRow("unknown host") << EAI_NONAME << 0 << "Host not found";
    QTest::newRow("no address") << EAI_NODATA << 0 << "Host not found";
    QTest::newRow("no name server") << EAI_AGAIN << 0 << "Network failed";
    QTest::newRow("network down") << EAI_SYSTEM << ENETDOWN << "Network failed";
    QTest::newRow("other system error") << EAI_SYSTEM << EMFILE << "";
    QTest::newRow("out of memory") << EAI_MEMORY << 0 << "";
}

void CWizardTest::ResolveTexts() {
    QFETCH(int, error);
    QFETCH(int, errnoValue);
    QFETCH(QString, text);
    QCOMPARE(CHostLookup::FailureText(error, errnoValue), text);
    // The host of what was typed: scheme, path, account, port and blanks dropped.
    QCOMPARE(CHostLookup::HostOf("ftp://files.example/pub/"), std::string("files.example"));
    QCOMPARE(CHostLookup::HostOf("  shop.example  "), std::string("shop.example"));
    QCOMPARE(CHostLookup::HostOf("shop.example:8080"), std::string("shop.example"));
    QCOMPARE(CHostLookup::HostOf("http://ann:pw@shop.example:80?q=1"), std::string("shop.example"));
}

void CWizardTest::KeyboardOnlyFromCtrlN_data() {
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<bool>("siteMode");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<QString>("site");
    QTest::addColumn<QString>("keywords");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<QString>("credential");
    QTest::newRow("site with an account")
        << QStringList{"<Enter>", "shop.example/catalog/", "<Alt+A>", "anna", "<Alt+P>", "s3cret",
                       "<Enter>", "  apple+pear ",         "<Tab>",   " ",    "<Enter>", "<Enter>"}
        << true << "shop.example/catalog/"
        << "shop.example/catalog/"
        << "shop.example"
        << "apple+pear" << true << "YW5uYTpzM2NyZXQ=";
    QTest::newRow("site, password without account")
        << QStringList{"<Enter>", "shop.example", "<Alt+P>", "s3cret",
                       "<Enter>", "apple",        "<Enter>", "<Enter>"}
        << true << "shop.example"
        << "shop.example"
        << "shop.example"
        << "apple" << false << "";
    QTest::newRow("range typed in reverse")
        << QStringList{"<Down>",   "<Enter>", "10.0.0.20", "<Tab>",
                       "10.0.0.5", "<Enter>", "<Enter>",   "<Enter>"}
        << false << "10.0.0.5"
        << "10.0.0.20"
        << "10.0.0.5"
        << "" << false << "";
}

void CWizardTest::KeyboardOnlyFromCtrlN() {
    QFETCH(QStringList, keys);
    QFETCH(bool, siteMode);
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(QString, site);
    QFETCH(QString, keywords);
    QFETCH(bool, matchCase);
    QFETCH(QString, credential);

    TempDir dir;
    CDesktopApp app(dir / "Quobrix.ini", "");
    QVERIFY(app.Start());
    CScriptedPrompts prompts;
    const std::string path = dir / "tasks/shop.qbx";
    prompts.m_strSavePath = path;
    app.SetPrompts(prompts);
    app.App().m_crRetrievedLinks = 0x0000FF;  // not the task's own default
    CMainFrame* pFrame = app.MainFrame();
    pFrame->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(pFrame));

    QVERIFY(DriveWizardFromCtrlN(pFrame, keys));
    QCOMPARE(prompts.m_nSaveAsked, 1);
    QVERIFY(prompts.m_arrMessages.empty());

    CQuobrixDoc saved;
    std::string error;
    QVERIFY2(saved.OnOpenDocument(path, error), error.c_str());
    QCOMPARE(bool(saved.m_bSiteMode), siteMode);
    QCOMPARE(QString::fromStdString(saved.m_strStartAddress), start);
    QCOMPARE(QString::fromStdString(saved.m_strEndAddress), end);
    QCOMPARE(QString::fromStdString(saved.GetCurrentSite()), site);
    QCOMPARE(QString::fromStdString(saved.m_strKeywords), keywords);
    QCOMPARE(bool(saved.m_bMatchCase), matchCase);
    QCOMPARE(QString::fromStdString(saved.GetSiteAuthorization()), credential);
    QCOMPARE(saved.m_nAutoSaveMinutes.Load(), 3);
    QCOMPARE(saved.m_crLinkColor.Load(), 0x0000FFu);
    const std::filesystem::path firstPage = dir / "tasks/shop/ResultPage0.html";
    QVERIFY(std::filesystem::is_regular_file(firstPage));
    QCOMPARE(std::filesystem::file_size(firstPage), std::uintmax_t{0});
    QCOMPARE(pFrame->windowTitle(), QStringLiteral("shop - Quobrix"));
}

void CWizardTest::HttpsAddressReachesTheTaskWithItsScheme() {
    TempDir dir;
    CDesktopApp app(dir / "Quobrix.ini", "");
    QVERIFY(app.Start());
    CScriptedPrompts prompts;
    const std::string path = dir / "tasks/secure.qbx";
    prompts.m_strSavePath = path;
    app.SetPrompts(prompts);
    CMainFrame* pFrame = app.MainFrame();
    pFrame->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(pFrame));

    const QString address = QStringLiteral("https://shop.example:8443/catalog/");
    QVERIFY(DriveWizardFromCtrlN(pFrame,
                                 {"<Enter>", address, "<Enter>", "apple", "<Enter>", "<Enter>"}));
    QVERIFY(prompts.m_arrMessages.empty());
    CQuobrixDoc saved;
    std::string error;
    QVERIFY2(saved.OnOpenDocument(path, error), error.c_str());
    QVERIFY(saved.m_bSiteMode);
    QCOMPARE(QString::fromStdString(saved.m_strStartAddress), address);
    QCOMPARE(QString::fromStdString(saved.m_strEndAddress), address);
}

void CWizardTest::CancelPaths() {
    TempDir dir;
    const std::string path = dir / "old.qbx";
    CDesktopApp app(dir / "Quobrix.ini", "");
    QVERIFY(app.Start());
    CScriptedPrompts prompts;
    app.SetPrompts(prompts);
    CNewTaskRecord old;
    old.m_strStartAddress = old.m_strEndAddress = "old.example";
    QVERIFY(app.CreateTask(old, path));

    // Cancel in the wizard: no question, the task as it was.
    WhenModal<CWizard>([](CWizard* pWizard) { pWizard->reject(); });
    app.OnFileNew();
    QCOMPARE(prompts.m_nSaveAsked, 0);
    QCOMPARE(app.Doc().GetPathName(), path);
    QCOMPARE(app.Doc().m_strStartAddress, std::string("old.example"));

    // Finish, then a cancelled Save As: the new, empty task stays.
    WhenModal<CWizard>([](CWizard* pWizard) {
        pWizard->next();
        static_cast<CPageDomain*>(pWizard->currentPage())->AddressEdit()->setText("new.example");
        pWizard->next();
        pWizard->next();
        pWizard->accept();
    });
    app.OnFileNew();
    QCOMPARE(prompts.m_nSaveAsked, 1);
    QVERIFY(app.Doc().GetPathName().empty());
    QVERIFY(app.Doc().m_strStartAddress.empty());
    QVERIFY(app.Doc().GetCurrentSite().empty());
    QCOMPARE(app.MainFrame()->windowTitle(), QStringLiteral("Untitled - Quobrix"));

    // Refused while the task runs, before any wizard.
    app.Doc().m_nState = IDS_STATE_SEEKING;
    app.OnFileNew();
    QCOMPARE(prompts.m_arrMessages,
             std::vector<std::string>{"A search task is running, pause or stop it first."});
    app.Doc().m_nState = IDS_STATE_IDLE;
}

QTEST_MAIN(CWizardTest)
#include "WizardTest.moc"
