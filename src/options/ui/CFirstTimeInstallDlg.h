#pragma once

#include <QDialog>

// The notice of the very first start (dialog 152): Accept lets start-up write its defaults and
// go on; Cancel, or closing it, ends the program with nothing written.
class CFirstTimeInstallDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CFirstTimeInstallDlg(QWidget *parent = nullptr);

    static QString noticeText();
};
