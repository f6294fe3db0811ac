#pragma once

#include <QDialog>
#include <vector>

class CSheetPage;
class QTabWidget;

// A modal property sheet: its pages as tabs, OK and Cancel. OK first checks
// every page in order; at the first field that is not valid it shows the
// message, turns to that page and selects the field, and stays open. Only
// when every field of every page is valid has every page taken its controls'
// values, and the sheet closes as accepted. Its opener reads the pages'
// members back only then, so Cancel discards every edit.
class CSheetOptions : public QDialog {
    Q_OBJECT
public:
    explicit CSheetOptions(const QString& title, QWidget* parent = nullptr);

    // Adds a page as the next tab; the sheet owns it.
    void AddPage(CSheetPage* page);
    QTabWidget* Tabs() const { return m_pTabs; }

    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QTabWidget* m_pTabs = nullptr;
    std::vector<CSheetPage*> m_arrPages;
    bool m_bInitialised = false;
};
