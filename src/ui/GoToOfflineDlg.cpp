#include "ui/GoToOfflineDlg.h"

#include <QLineEdit>

namespace {

const char* const kTitle = "Go to offline web page";
const char* const kText =
    "  Enter the internet address of the web page you want to view offline. Note that it "
    "maybe has not been retrieved by Quobrix.";
const char* const kLabel = "&Address:";
constexpr int kWidthUnits = 239;

}  // namespace

CGoToOfflineDlg::CGoToOfflineDlg(const QString& strAddress, const QFont& font, QWidget* parent)
    : CGoToDlg(kTitle, kText, kLabel, kWidthUnits, font, parent) {
    Field()->setText(strAddress);
    Field()->selectAll();
}

QString CGoToOfflineDlg::Address() const {
    return Field()->text();
}
