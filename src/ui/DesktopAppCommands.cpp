// The application's commands, and the demo that "make run" starts.
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QTimer>
#include <QUrl>
#include <iostream>

#include "app/DemoWeb.h"
#include "common/AppOptions.h"
#include "common/FileUtil.h"
#include "common/StringTable.h"
#include "task/Task.h"
#include "ui/AboutDlg.h"
#include "ui/DesktopApp.h"
#include "ui/DocumentPrompts.h"
#include "ui/MainFrame.h"
#include "ui/UiText.h"
#include "ui/sheets/AppOptionsSheet.h"
#include "ui/wizard/Wizard.h"

void CDesktopApp::OnFileNew() {
    if (m_pTask->IsRunning()) {
        m_pPrompts->ShowMessage(LoadString(IDS_TASK_RUNNING), IDocumentPrompts::Icon::Error);
        return;
    }
    CWizard wizard(m_pFrame.get());
    if (wizard.exec() != QDialog::Accepted) {
        return;
    }
    // The new, empty task comes first (after the offer to save a changed
    // one), then the Save As box names it; a cancelled box leaves it empty.
    if (!m_pTask->SaveModified(*m_pPrompts)) {
        return;
    }
    WaitForWorkersToReturn();
    m_pTask->OnNewDocument();
    m_pTask->ReleaseTaskLock();  // the task that was open is closed
    m_pFrame->ShowNewTask();
    const std::string path = m_pPrompts->AskSavePath();
    if (!path.empty()) {
        CreateTask(wizard.Record(), path);
    }
}

void CDesktopApp::OnFileOpen() {
    const QString current = QString::fromStdString(m_pTask->GetPathName());
    const QString folder = current.isEmpty() ? QString() : QFileInfo(current).absolutePath();
    // "Quobrix Files (*.qbx)", the filter of the document strings.
    const QString filter = UiText(IDR_MAINFRAME).section(u'\n', 3, 3);
    const QString path =
        QFileDialog::getOpenFileName(m_pFrame.get(), UiText(IDS_OPEN_TITLE), folder, filter);
    if (!path.isEmpty()) {
        OpenDocumentFile(path.toStdString());
    }
}

void CDesktopApp::OnOpenRecentFile(int index) {
    const QString path = m_recentFiles.Files().value(index);
    if (!path.isEmpty()) {
        OpenDocumentFile(path.toStdString());
    }
}

void CDesktopApp::OnAppExit() {
    m_pFrame->close();
}

void CDesktopApp::OnAppOptions() {
    if (!RunAppOptions(m_pFrame.get(), m_app)) {
        return;
    }
    // The next request takes them; the demo's web stays without a proxy.
    CAppOptions options = m_app;
    options.m_bUseProxy = options.m_bUseProxy && !m_bDemoRunning;
    m_pTask->SetAppOptions(options);
}

void CDesktopApp::OnAppAbout() {
    CAboutDlg dialog(m_pFrame.get());
    dialog.exec();
}

void CDesktopApp::OnHelpContact() {
    // The result is ignored: without a mail program nothing happens.
    QDesktopServices::openUrl(QUrl(QStringLiteral("mailto:") +
                                   QString::fromUtf8(kSupportMailAddress.data(),
                                                     static_cast<qsizetype>(kSupportMailAddress.size())) +
                                   QStringLiteral("?subject=Comments")));
}

bool CDesktopApp::StartDemo() {
    m_pDemoWeb = std::make_unique<CDemoWeb>();
    if (!m_pDemoWeb->IsListening()) {
        std::cerr << "quobrix: cannot start the demo web servers on 127.0.0.1 and 127.0.0.2"
                  << std::endl;
        return false;
    }
    const std::string folder = QFileInfo(QString::fromStdString(
                                             m_options.m_strDemoFolder.empty()
                                                 ? DefaultDemoFolder()
                                                 : m_options.m_strDemoFolder))
                                   .absoluteFilePath()
                                   .toStdString();
    const std::string path = folder + "/demo.qbx";
    MakeDirectoriesAlong(path);
    // The demo web is on this machine: no proxy, whatever the options say.
    CAppOptions options = m_app;
    options.m_bUseProxy = false;
    m_pTask->SetAppOptions(options);
    if (!CreateTask(m_pDemoWeb->TaskRecord(), path)) {
        return false;
    }
    std::cout << "Demo web: http://" << m_pDemoWeb->Site1() << "/ and http://"
              << m_pDemoWeb->Site2() << "/\nTask: " << path << " (keywords \""
              << CDemoWeb::kKeywords << "\")" << std::endl;
    return true;
}

void CDesktopApp::OnTaskStateChanged() {
    if (!m_bDemoRunning || m_pTask->IsRunning()) {
        return;
    }
    // The demo's run ended: keep its results with the task, as the headless
    // demo does. After the notification, so the last worker is not held.
    m_bDemoRunning = false;
    QTimer::singleShot(0, m_pFrame.get(), [this] {
        m_pTask->SetAppOptions(m_app);
        m_pFrame->SaveTask();
        std::cout << "The demo task is saved: " << m_pTask->GetPathName()
                  << "\nOpen it again with: quobrix " << m_pTask->GetPathName() << std::endl;
    });
}
