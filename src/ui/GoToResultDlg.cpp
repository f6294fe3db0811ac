#include "ui/GoToResultDlg.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpressionValidator>

#include <limits>

#include "common/StringTable.h"

namespace {

const char* const kTitle = "Go to result page";
const char* const kText =
    "  Enter result page number here. If you want to go to the first result page, type 0. "
    "Type any number big enough if you want to go to the last result page.";
const char* const kLabel = "&Page number:";
constexpr int kWidthUnits = 202;

}  // namespace

CGoToResultDlg::CGoToResultDlg(unsigned nPage, const QFont& font, QWidget* parent)
    : CGoToDlg(kTitle, kText, kLabel, kWidthUnits, font, parent), m_nPage(nPage) {
    // Only digits can be typed, as in a number field.
    Field()->setValidator(
        new QRegularExpressionValidator(QRegularExpression("\\s*[0-9]*\\s*"), Field()));
    Field()->setText(QString::number(nPage));
    Field()->selectAll();
}

std::optional<unsigned> CGoToResultDlg::ParsePageNumber(const QString& strText) {
    const QString strDigits = strText.trimmed();
    if (strDigits.isEmpty()) {
        return std::nullopt;
    }
    constexpr unsigned kMax = std::numeric_limits<unsigned>::max();
    unsigned nValue = 0;
    for (const QChar ch : strDigits) {
        if (ch < u'0' || ch > u'9') {
            return std::nullopt;
        }
        const unsigned nDigit = static_cast<unsigned>(ch.unicode() - u'0');
        nValue = nValue > (kMax - nDigit) / 10 ? kMax : nValue * 10 + nDigit;
    }
    return nValue;
}

void CGoToResultDlg::accept() {
    const std::optional<unsigned> nPage = ParsePageNumber(Field()->text());
    if (!nPage) {
        QMessageBox::warning(this, QString::fromStdString(LoadString(IDS_APP_TITLE)),
                             QString::fromStdString(LoadString(IDS_PARSE_UINT)));
        Field()->setFocus();
        Field()->selectAll();
        return;
    }
    m_nPage = *nPage;
    CGoToDlg::accept();
}
