#pragma once

#include <QFont>
#include <QWebEngineView>

#include <memory>

class CQuobrixApp;
class ITask;
class CViewPage;
class QPrinter;
class QWebEngineProfile;

// The task's only view: an embedded browser that shows the result pages and
// stored copies the task's local server hands out, and any address the user
// types. It carries out the browser commands and keeps the frame's address
// bar and caption in step through its signals.
//
// Its pages never read from the HTTP cache: a result page grows while the
// task runs and a stored copy may be replaced, so every load goes to the
// local server again.
class CQuobrixView : public QWebEngineView {
    Q_OBJECT
public:
    CQuobrixView(ITask& doc, CQuobrixApp& app, QWidget* parent = nullptr);
    ~CQuobrixView() override;

    // A navigation the program starts: never read from the cache. A typed
    // address without a scheme is taken as a web address ("example.com").
    void Navigate(const QString& address);
    // The empty page of a task that has shown nothing yet, with no history.
    void ShowNothing();

    bool CanGoBack() const { return m_bCanGoBack; }
    bool CanGoForward() const { return m_bCanGoForward; }
    // 0..4, marks the Text Size menu.
    int TextSize() const;

    // The font of the go-to dialogs: the application's normal font.
    void SetNormalFont(const QFont& font) { m_fontNormal = font; }

public slots:
    void OnGoBack();
    void OnGoForward();
    void OnGoHome();
    void OnViewStop();
    void OnViewRefresh();
    void OnFilePrint();
    void OnFilePrintSetup();
    // size 0 (smallest) .. 4 (largest); written to the settings store at once.
    void OnTextSize(int size);
    // The Size button: one size larger, smallest after largest; not written.
    void OnTextSizeCycle();
    void OnGoResultPage();
    void OnGoOfflinePage();
    void OnHelpUserManual();

signals:
    void AddressShown(const QString& address);   // before a navigation
    void TitleShown(const QString& title);       // the page's title
    void PageCompleted(const QString& address);  // the document finished loading
    void CommandStateChanged();                  // back/forward enabling changed

private:
    void createPage();
    void createSurface();
    static QUrl BlankPage();
    static bool IsBlank(const QUrl& url);
    void OnNavigationStarting(const QUrl& url);
    void OnTitleChanged(const QString& title);
    void OnLoadFinished();
    void OnBackChanged();
    void OnForwardChanged();
    void OnNewWindowRequested(QWebEngineNewWindowRequest& request);
    QPrinter& Printer();

    ITask& m_doc;
    CQuobrixApp& m_app;
    QWebEngineProfile* m_pProfile = nullptr;
    CViewPage* m_pPage = nullptr;
    std::unique_ptr<QPrinter> m_pPrinter;  // made on first use: it asks the print system
    QFont m_fontNormal;
    bool m_bCanGoBack = false;
    bool m_bCanGoForward = false;
    bool m_bPrinting = false;
    bool m_bShownAPage = false;  // a page other than the empty first one has loaded
    bool m_bForgetPages = false;  // ShowNothing: the history goes once the empty page is in
};
