#include "ui/GoToOfflineDlg.h"

#include <QLineEdit>

namespace {

const char* const kTitle = QT_TR_NOOP("Go to offline web page");
const char* const kText = QT_TR_NOOP(
    "  Enter the internet address of the web page you want to view offline. Note that it "
    "maybe has not been retrieved by Quobrix.");
const char* const kLabel = QT_TR_NOOP("&Address:");
constexpr int kWidthUnits = 239;

}  // namespace

CGoToOfflineDlg::CGoToOfflineDlg(const QString& address, const QFont& font, QWidget* parent)
    : CGoToDlg(tr(kTitle), tr(kText), tr(kLabel), kWidthUnits, font, parent) {
    Field()->setText(address);
    Field()->selectAll();
}

QString CGoToOfflineDlg::Address() const {
    return Field()->text();
}
