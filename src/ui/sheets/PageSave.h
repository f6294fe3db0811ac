#pragma once

#include <cstdint>

#include "ui/sheets/SheetPage.h"

class CColorButton;
class CEditableListView;
class QCheckBox;

// "Retrieval" of "Task options": the file filters with their size limits,
// the colour of retrieved links and the connection settings.
class CPageSave : public CSheetPage {
    Q_OBJECT
public:
    // Rows of the file filter list.
    enum FilterRow { ROW_TEXT, ROW_IMAGE, ROW_OTHERS, ROW_COUNT };

    explicit CPageSave(QWidget* parent = nullptr);

    void InitPage() override;
    bool UpdateMembers() override;
    QWidget* FirstField() const override;
    void ShowFailedField() override;

    bool m_bFilter[ROW_COUNT] = {true, true, true};
    int m_nMaxK[ROW_COUNT] = {1024, 0, 1024};  // K bytes, 0 = no limit
    bool m_bRecolorLinks = true;
    uint32_t m_crLinkColor = 0x00FF00;         // 0x00BBGGRR
    uint32_t m_crDefaultLinkColor = 0x00FF00;  // the application's, for "Automatic"
    int m_nRetries = 3;
    int m_nTimeout = 60;  // seconds
    int m_nMaxThreads = 10;

private:
    void createControls();

    CEditableListView* m_pFilters = nullptr;
    QCheckBox* m_pRecolorLinks = nullptr;
    CColorButton* m_pLinkColor = nullptr;
    QLineEdit* m_pRetries = nullptr;
    QLineEdit* m_pTimeout = nullptr;
    QLineEdit* m_pMaxThreads = nullptr;
    int m_nFailedRow = -1;  // the row whose limit cell was refused, or -1
};
