#pragma once

#include <optional>

#include "ui/GoToDlg.h"

// "Go to result page": asks for the number of the result page to show. A
// field that is not an unsigned whole number is refused on OK with "Please
// enter a positive integer." and the dialog stays open.
class CGoToResultDlg : public CGoToDlg {
    Q_OBJECT
public:
    CGoToResultDlg(unsigned page, const QFont& font, QWidget* parent = nullptr);

    // The number confirmed with OK (the preset until then).
    unsigned PageNumber() const { return m_nPage; }

    // Digits with white space around them; a number too large for 32 bits
    // counts as the largest one ("any number big enough" means the last page).
    static std::optional<unsigned> ParsePageNumber(const QString& text);

public slots:
    void accept() override;

private:
    unsigned m_nPage;
};
