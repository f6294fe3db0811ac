#pragma once

#include <QLabel>
#include <QUrl>

// A label that shows an address as a link and asks the desktop to open it
// when clicked or activated from the keyboard (Tab to it, then Enter).
// Failures of the desktop's handler are ignored.
class CHyperlinkLabel : public QLabel {
    Q_OBJECT
public:
    CHyperlinkLabel(const QString& text, const QUrl& url, QWidget* parent = nullptr);

    const QUrl& Url() const { return m_url; }

private:
    QUrl m_url;
};
