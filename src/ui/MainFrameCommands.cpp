// The task's commands and Save / Save As, as the frame carries them out.
#include "app/QuobrixApp.h"
#include "common/StringTable.h"
#include "task/Task.h"
#include "ui/DocumentPrompts.h"
#include "ui/MainFrame.h"
#include "ui/sheets/TaskOptionsSheet.h"

// A run may be over before its "Seeking..." reaches the panes: the frame
// notes the start itself, so that the run's end shows its summary.
void CMainFrame::OnTaskRun() {
    if (m_doc.CanRun()) {
        NoteRunStarted();
    }
    m_doc.OnTaskRun();
    UpdateCommandUI();
}

void CMainFrame::OnTaskPause() {
    if (m_doc.IsPauseChecked() && !m_doc.IsStopping()) {
        NoteRunStarted();  // it resumes
    }
    m_doc.OnTaskPause();
    UpdateCommandUI();
}

void CMainFrame::OnTaskAbort() {
    m_doc.OnTaskAbort();
    UpdateCommandUI();
}

void CMainFrame::OnTaskProperties() {
    if (!m_doc.CanEditProperties()) {
        return;
    }
    RunTaskOptions(this, m_doc, m_app.m_crRetrievedLinks);
    UpdateCommandUI();
}

void CMainFrame::OnFileSave() {
    SaveTask();
}

void CMainFrame::OnFileSaveAs() {
    // Refused before the name is asked for: the copy needs the workers gone.
    if (m_doc.IsTaskBusy()) {
        m_pPrompts->ShowMessage(LoadString(IDS_TASK_RUNNING), IDocumentPrompts::Icon::Error);
        return;
    }
    const std::string path = CDocumentPrompts::AskTaskPath(this, m_doc.GetTitle());
    if (path.empty()) {
        return;
    }
    // A copy of the task with a folder of its own.
    std::string error;
    if (!m_doc.SaveTaskAs(path, error)) {
        m_pPrompts->ShowMessage(error, IDocumentPrompts::Icon::Error);
        return;
    }
    UpdateTitle();
    emit TaskFileSaved(QString::fromStdString(path));
}

bool CMainFrame::SaveTask() {
    const std::string path = m_doc.GetPathName();
    if (!path.empty()) {
        return SaveTaskTo(path);
    }
    OnFileSaveAs();
    return !m_doc.GetPathName().empty() && !m_doc.IsModified();
}

bool CMainFrame::SaveTaskTo(const std::string& path) {
    std::string error;
    if (!m_doc.OnSaveDocument(path, error)) {
        m_pPrompts->ShowMessage(error, IDocumentPrompts::Icon::Error);
        return false;
    }
    UpdateTitle();
    return true;
}
