#pragma once

#include <string>
#include <vector>

#include "ui/sheets/SheetPage.h"

class QButtonGroup;
class QCheckBox;

// "General" of "Applition Options": the HTTP proxy with its account, and the
// agent identity sent with every request.
class CPageProgram : public CSheetPage {
    Q_OBJECT
public:
    explicit CPageProgram(QWidget* parent = nullptr);

    void InitPage() override;
    bool UpdateMembers() override;
    QWidget* FirstField() const override;

    bool m_bUseProxy = false;
    std::string m_strProxyAddress;
    int m_nProxyPort = 0;
    std::string m_strProxyUser;
    std::string m_strProxyPassword;
    std::string m_strAgent;  // the custom edit's text, whichever button is chosen

private:
    void createControls();
    QWidget* createProxyGroup();
    QWidget* createAgentGroup();
    void OnUseProxy(bool checked);
    void OnAgentChosen(int index);

    QCheckBox* m_pUseProxy = nullptr;
    QLineEdit* m_pAddress = nullptr;
    QLineEdit* m_pPort = nullptr;
    QLineEdit* m_pUser = nullptr;
    QLineEdit* m_pPassword = nullptr;
    std::vector<QWidget*> m_arrProxyControls;  // enabled with "Use HTTP proxy server"
    QButtonGroup* m_pAgents = nullptr;         // ids 0..2 the fixed texts, 3 custom
    QLineEdit* m_pAgent = nullptr;
};
