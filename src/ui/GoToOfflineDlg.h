#pragma once

#include "ui/GoToDlg.h"

// "Go to offline web page": asks for the web address whose stored copy the
// view should show. Any text is accepted.
class CGoToOfflineDlg : public CGoToDlg {
    Q_OBJECT
public:
    CGoToOfflineDlg(const QString& address, const QFont& font, QWidget* parent = nullptr);

    QString Address() const;
};
