#pragma once

#include <QDialog>

// The about box: the program's icon, name and version, copyright, the home
// page and the support address as links, and OK. Its controls take the
// normal shared font.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

private:
    void createContents();
};
