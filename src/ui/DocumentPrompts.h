#pragma once

#include "task/DocumentPrompts.h"

class CDocument;
class QWidget;

// The task's questions as message boxes over the main window, and the
// "Save As" box for a task that has no file yet.
class CDocumentPrompts : public IDocumentPrompts {
public:
    // doc: the task asked about; its title names the file the box suggests.
    CDocumentPrompts(QWidget* parent, const CDocument& doc) : m_pParent(parent), m_doc(doc) {}

    // The window the boxes belong to, once it exists.
    void SetParent(QWidget* parent) { m_pParent = parent; }

    void ShowMessage(const std::string& text, Icon icon) override;
    Answer AskYesNoCancel(const std::string& text) override;
    std::string AskSavePath() override;

    // The "Save As" box: a path ending in ".qbx", or empty when cancelled.
    static std::string AskTaskPath(QWidget* parent, const std::string& suggested);

private:
    QWidget* m_pParent;
    const CDocument& m_doc;
};
