#pragma once

#include <string>

#include "ui/sheets/SheetPage.h"

class QCheckBox;
class QComboBox;

// "General" of "Task options": keywords, the task's search and result
// settings, and the abstract's.
class CPageGeneral : public CSheetPage {
    Q_OBJECT
public:
    explicit CPageGeneral(QWidget* parent = nullptr);

    void InitPage() override;
    bool UpdateMembers() override;
    QWidget* FirstField() const override;

    std::string m_strKeywords;  // "apple+pear"; trimmed when stored
    bool m_bMatchCase = false;
    bool m_bPauseAfterSite = false;
    int m_nDepth = 0;
    int m_nResultsPerPage = 50;
    bool m_bPromptAuth = false;
    int m_nAutoSaveMinutes = 0;  // 0 = never
    int m_nAbstractMaxLength = 300;
    int m_nAbstractStart = 0;  // 0 beginning, 1 middle, 2 end
    int m_nAbstractOffset = 0;

private:
    void createControls();

    QLineEdit* m_pKeywords = nullptr;
    QCheckBox* m_pMatchCase = nullptr;
    QCheckBox* m_pPauseAfterSite = nullptr;
    QLineEdit* m_pDepth = nullptr;
    QLineEdit* m_pResultsPerPage = nullptr;
    QCheckBox* m_pPromptAuth = nullptr;
    QLineEdit* m_pAutoSave = nullptr;
    QLineEdit* m_pMaxLength = nullptr;
    QComboBox* m_pStart = nullptr;
    QLineEdit* m_pOffset = nullptr;
};
