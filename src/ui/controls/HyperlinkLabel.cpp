#include "ui/controls/HyperlinkLabel.h"

#include <QDesktopServices>

CHyperlinkLabel::CHyperlinkLabel(const QString& text, const QUrl& url, QWidget* parent)
    : QLabel(parent), m_url(url) {
    setTextFormat(Qt::RichText);
    setText(QString::fromLatin1("<a href=\"%1\">%2</a>")
                .arg(url.toString(QUrl::FullyEncoded).toHtmlEscaped(), text.toHtmlEscaped()));
    setTextInteractionFlags(Qt::TextBrowserInteraction);
    setOpenExternalLinks(false);
    setAccessibleName(text);
    setToolTip(url.toString());
    connect(this, &QLabel::linkActivated, this, [this] { QDesktopServices::openUrl(m_url); });
}
