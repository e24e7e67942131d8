#pragma once

#include <QDialog>

#include <functional>

class QPushButton;

// Help > About (dialog 100): the program's name, maker and version. Button 1070 shows the
// version and runs the version check when there is one; 1069 opens the maker's page.
class CAboutDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget *parent = nullptr);

    // What 1070 runs, on top of this box; without one the button shows disabled.
    void setVersionCheck(std::function<void()> check);

private:
    QPushButton *m_version = nullptr;
    std::function<void()> m_versionCheck;
};
