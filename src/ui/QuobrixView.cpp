#include "ui/QuobrixView.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QWebEngineHistory>
#include <QWebEngineNewWindowRequest>
#include <QWebEngineProfile>

#include <algorithm>
#include <string>

#include "app/ProgramFiles.h"
#include "app/QuobrixApp.h"
#include "task/Task.h"
#include "ui/GoToOfflineDlg.h"
#include "ui/GoToResultDlg.h"
#include "ui/OfflineAddress.h"
#include "ui/TextSizeSteps.h"
#include "ui/ViewAddress.h"
#include "ui/ViewPage.h"
#include "ui/ViewPolicy.h"

namespace {

constexpr int kPrintDpi = 300;

}  // namespace

CQuobrixView::CQuobrixView(ITask& doc, CQuobrixApp& app, QWidget* parent)
    : QWebEngineView(parent), m_doc(doc), m_app(app), m_fontNormal(QApplication::font()) {
    createPage();
    createSurface();
}

CQuobrixView::~CQuobrixView() {
    // A page must go before its profile.
    delete m_pPage;
    m_pPage = nullptr;
}

void CQuobrixView::createPage() {
    // A profile of our own, kept in memory only and without an HTTP cache.
    m_pProfile = new QWebEngineProfile(this);
    m_pProfile->setHttpCacheType(QWebEngineProfile::NoCache);
    m_pPage = new CViewPage(
        m_pProfile, [this] { return QString::fromStdString(m_doc.LocalServerRoot()); }, this);
    m_pPage->WatchInput(this);
    setPage(m_pPage);

    connect(m_pPage, &CViewPage::NavigationStarting, this, &CQuobrixView::OnNavigationStarting);
    connect(m_pPage, &QWebEnginePage::titleChanged, this, &CQuobrixView::OnTitleChanged);
    connect(m_pPage, &QWebEnginePage::loadFinished, this, &CQuobrixView::OnLoadFinished);
    connect(m_pPage->action(QWebEnginePage::Back), &QAction::changed, this,
            &CQuobrixView::OnBackChanged);
    connect(m_pPage->action(QWebEnginePage::Forward), &QAction::changed, this,
            &CQuobrixView::OnForwardChanged);
    connect(m_pPage, &QWebEnginePage::newWindowRequested, this,
            &CQuobrixView::OnNewWindowRequested);
}

void CQuobrixView::createSurface() {
    // The page draws on a surface of its own, made with its first page. Made
    // after the window's first show, it makes the system create the window
    // anew, which then forgets that it was maximised: so the view starts on
    // an empty page, which the address bar and the caption pass over.
    load(BlankPage());
}

QUrl CQuobrixView::BlankPage() {
    return QUrl(QStringLiteral("about:blank"));
}

bool CQuobrixView::IsBlank(const QUrl& url) {
    return url == BlankPage();
}

void CQuobrixView::OnNavigationStarting(const QUrl& url) {
    if (!IsBlank(url)) {
        emit AddressShown(url.toString());
    }
}

void CQuobrixView::OnTitleChanged(const QString& title) {
    if (!IsBlank(m_pPage->url())) {
        emit TitleShown(title);
    }
}

void CQuobrixView::OnLoadFinished() {
    const QUrl url = m_pPage->url();
    if (IsBlank(url)) {
        if (m_bForgetPages) {
            // A new task: the pages of the task before are no place to go back to.
            m_bForgetPages = false;
            m_bShownAPage = false;
            history()->clear();
        }
        return;
    }
    if (!m_bShownAPage) {
        // The empty first page is no place to go back to.
        m_bShownAPage = true;
        history()->clear();
    }
    emit PageCompleted(url.toString());
}

void CQuobrixView::ShowNothing() {
    m_bForgetPages = true;
    load(BlankPage());
}

void CQuobrixView::Navigate(const QString& address) {
    const QUrl url = QUrl::fromUserInput(address);
    if (url.isValid()) {
        load(url);
    }
}

int CQuobrixView::TextSize() const {
    return m_app.m_nTextSize;
}

void CQuobrixView::OnBackChanged() {
    const bool enabled = m_pPage->action(QWebEnginePage::Back)->isEnabled();
    if (enabled != m_bCanGoBack) {
        m_bCanGoBack = enabled;
        emit CommandStateChanged();
    }
}

void CQuobrixView::OnForwardChanged() {
    const bool enabled = m_pPage->action(QWebEnginePage::Forward)->isEnabled();
    if (enabled != m_bCanGoForward) {
        m_bCanGoForward = enabled;
        emit CommandStateChanged();
    }
}

void CQuobrixView::OnNewWindowRequested(QWebEngineNewWindowRequest& request) {
    // One window only: a link the user clicked for a new window opens here;
    // a page's own windows go nowhere.
    if (MayOpenInView(request.requestedUrl(), request.isUserInitiated())) {
        load(request.requestedUrl());
    }
}

void CQuobrixView::OnGoBack() {
    back();
}

void CQuobrixView::OnGoForward() {
    forward();
}

void CQuobrixView::OnGoHome() {
    if (!m_doc.GetStartAddress().empty()) {
        Navigate(QString::fromStdString(m_doc.LocalServerRoot()));
    }
}

void CQuobrixView::OnViewStop() {
    stop();
}

void CQuobrixView::OnViewRefresh() {
    reload();
}

QPrinter& CQuobrixView::Printer() {
    if (!m_pPrinter) {
        m_pPrinter = std::make_unique<QPrinter>();
        // The page reaches the printer as images: sharp on paper, and a PDF
        // of a long result page still stays a few megabytes.
        m_pPrinter->setResolution(kPrintDpi);
        connect(this, &QWebEngineView::printFinished, this, [this](bool) { m_bPrinting = false; });
    }
    return *m_pPrinter;
}

void CQuobrixView::OnFilePrint() {
    // The printer is busy until the page has been printed on it.
    if (m_bPrinting) {
        return;
    }
    QPrintDialog dlg(&Printer(), this);
    if (dlg.exec() == QDialog::Accepted) {
        m_bPrinting = true;
        print(&Printer());
    }
}

void CQuobrixView::OnFilePrintSetup() {
    if (m_bPrinting) {
        return;
    }
    QPageSetupDialog dlg(&Printer(), this);
    dlg.exec();
}

void CQuobrixView::OnTextSize(int size) {
    m_app.SetTextSize(size);
    setZoomFactor(ZoomFactorOfTextSize(size));
}

void CQuobrixView::OnTextSizeCycle() {
    m_app.m_nTextSize = NextTextSize(m_app.m_nTextSize);
    setZoomFactor(ZoomFactorOfTextSize(m_app.m_nTextSize));
}

void CQuobrixView::OnGoResultPage() {
    const int resultPage = m_doc.GetResultPage();
    CGoToResultDlg dlg(static_cast<unsigned>(std::max(resultPage, 0)), m_fontNormal, this);
    if (dlg.exec() != QDialog::Accepted) {
        return;
    }
    const int page = ChooseResultPage(dlg.PageNumber(), resultPage);
    Navigate(QString::fromStdString(ResultPageAddress(m_doc.LocalServerRoot(), page)));
}

void CQuobrixView::OnGoOfflinePage() {
    const QString preset = QString::fromStdString(OfflineDialogPreset(m_doc.GetStartAddress()));
    CGoToOfflineDlg dlg(preset, m_fontNormal, this);
    if (dlg.exec() != QDialog::Accepted) {
        return;
    }
    Navigate(QString::fromStdString(
        OfflineAddress(dlg.Address().toStdString(), m_doc.LocalServerRoot())));
}

void CQuobrixView::OnHelpUserManual() {
    const std::string folder = FindProgramFile("UserManual");
    const QString path = QString::fromStdString(folder + "/tutorial.html");
    // A missing manual is passed over in silence.
    if (!folder.empty() && QFileInfo::exists(path)) {
        load(QUrl::fromLocalFile(path));
    }
}
