#pragma once

#include <QDialog>

class QLineEdit;

// Dialog 183 "Workspace Settings": edit ctl_1012 "Change &Target FileName:" holds the target
// file of the open workspace. OK keeps the dialog open, with a message, for a name that does not
// fit the workspace record.
class CWorkspaceSettingsDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CWorkspaceSettingsDlg(const QString &targetFile, QWidget *parent = nullptr);

    QString targetFile() const;
    QLineEdit *targetEdit() const { return m_target; }

    void accept() override;

private:
    QLineEdit *m_target;
};
