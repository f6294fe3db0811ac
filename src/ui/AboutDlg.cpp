#include "ui/AboutDlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/AppOptions.h"
#include "common/StringTable.h"
#include "ui/SharedFonts.h"
#include "ui/UiImage.h"
#include "ui/UiText.h"
#include "ui/controls/HyperlinkLabel.h"

namespace {
constexpr int kIconSize = 32;

QString FromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
}  // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(UiText(IDS_ABOUT_TITLE));
    setFont(CSharedFonts::Normal());
    createContents();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void CAboutDlg::createContents() {
    auto* icon = new QLabel(this);
    icon->setPixmap(UiIcon(UiImage::Program32).pixmap(kIconSize, kIconSize));
    icon->setAlignment(Qt::AlignTop);

    auto* links = new QGridLayout;
    links->addWidget(new QLabel(UiText(IDS_APP_TITLE) + u' ' + UiText(IDS_VERSION), this), 0, 0, 1,
                     2);
    links->addWidget(new QLabel(UiText(IDS_COPYRIGHT), this), 1, 0, 1, 2);
    links->setRowMinimumHeight(2, 6);
    const QString home = FromView(kVendorHomePage);
    const QString support = FromView(kSupportMailAddress);
    links->addWidget(new QLabel(UiText(IDS_HOME_PAGE), this), 3, 0);
    links->addWidget(new CHyperlinkLabel(home, QUrl(home), this), 3, 1);
    links->addWidget(new QLabel(UiText(IDS_SUPPORT), this), 4, 0);
    links->addWidget(new CHyperlinkLabel(support, QUrl(QStringLiteral("mailto:") + support), this),
                     4, 1);

    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addSpacing(12);
    top->addLayout(links);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addSpacing(8);
    layout->addWidget(buttons);
}
