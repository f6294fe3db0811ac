#include "ui/GoToResultDlg.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpressionValidator>

#include <limits>

#include "common/StringTable.h"
#include "ui/UiText.h"

namespace {

const char* const kTitle = QT_TR_NOOP("Go to result page");
const char* const kText = QT_TR_NOOP(
    "  Enter result page number here. If you want to go to the first result page, type 0. "
    "Type any number big enough if you want to go to the last result page.");
const char* const kLabel = QT_TR_NOOP("&Page number:");
constexpr int kWidthUnits = 202;

}  // namespace

CGoToResultDlg::CGoToResultDlg(unsigned page, const QFont& font, QWidget* parent)
    : CGoToDlg(tr(kTitle), tr(kText), tr(kLabel), kWidthUnits, font, parent), m_nPage(page) {
    // Only digits can be typed, as in a number field.
    Field()->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("\\s*[0-9]*\\s*")), Field()));
    Field()->setText(QString::number(page));
    Field()->selectAll();
}

std::optional<unsigned> CGoToResultDlg::ParsePageNumber(const QString& text) {
    const QString digits = text.trimmed();
    if (digits.isEmpty()) {
        return std::nullopt;
    }
    constexpr unsigned kMax = std::numeric_limits<unsigned>::max();
    unsigned value = 0;
    for (const QChar ch : digits) {
        if (ch < u'0' || ch > u'9') {
            return std::nullopt;
        }
        const unsigned digit = static_cast<unsigned>(ch.unicode() - u'0');
        value = value > (kMax - digit) / 10 ? kMax : value * 10 + digit;
    }
    return value;
}

void CGoToResultDlg::accept() {
    const std::optional<unsigned> page = ParsePageNumber(Field()->text());
    if (!page) {
        QMessageBox::warning(this, UiText(IDS_APP_TITLE), UiText(IDS_PARSE_UINT));
        Field()->setFocus();
        Field()->selectAll();
        return;
    }
    m_nPage = *page;
    CGoToDlg::accept();
}
