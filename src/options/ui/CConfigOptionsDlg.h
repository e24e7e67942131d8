#pragma once

#include <QDialog>

class QLineEdit;
class SettingsStore;

// Special > Configuration Options (181): the home URL of the web links and version check, and
// the tools folder. OK stores both with their trailing separators; Cancel stores nothing.
class CConfigOptionsDlg : public QDialog
{
    Q_OBJECT

public:
    CConfigOptionsDlg(SettingsStore &store, const QString &programFolder, QWidget *parent = nullptr);

    void accept() override;

private:
    void browse();

    SettingsStore &m_store;
    QLineEdit *m_homeUrl = nullptr;
    QLineEdit *m_toolsDir = nullptr;
};
