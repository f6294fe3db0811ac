#pragma once

#include <QString>
#include <QWizardPage>

class QLabel;
class QVBoxLayout;

// What every page of the new task wizard shares: the picture at its left
// edge, a line naming the step, the heading in the bold title font and,
// below it, the page's own controls in the normal font.
class CWizardPage : public QWizardPage {
    Q_OBJECT
public:
    // title: "New search task - step 1 of 3"; heading: "Keywords".
    CWizardPage(const QString& title, const QString& heading, QWidget* parent = nullptr);

    const QString& Title() const { return m_strTitle; }
    QLabel* Heading() const { return m_pHeading; }
    // The control that has the focus when the page opens.
    virtual QWidget* FirstField() const = 0;

protected:
    // Where a page lays out its controls, below the heading.
    QVBoxLayout* Body() const { return m_pBody; }
    // A wrapped paragraph of text in the body.
    QLabel* AddText(const QString& text);

private:
    QString m_strTitle;
    QLabel* m_pHeading = nullptr;
    QVBoxLayout* m_pBody = nullptr;
};
