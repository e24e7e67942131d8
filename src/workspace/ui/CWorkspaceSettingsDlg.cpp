#include "workspace/ui/CWorkspaceSettingsDlg.h"

#include "base/Prompts.h"
#include "workspace/WorkspaceRecord.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CWorkspaceSettingsDlg::CWorkspaceSettingsDlg(const QString &targetFile, QWidget *parent)
    : QDialog(parent)
    , m_target(new QLineEdit(targetFile))
{
    setObjectName(QStringLiteral("CWorkspaceSettingsDlg"));
    setWindowTitle(QStringLiteral("Workspace Settings"));
    m_target->setObjectName(QStringLiteral("ctl_1012"));
    m_target->setMinimumWidth(360);
    auto *label = new QLabel(QStringLiteral("Change &Target FileName:"));
    label->setBuddy(m_target);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("ctl_1"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("ctl_2"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CWorkspaceSettingsDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_target);
    layout->addWidget(buttons);
}

QString CWorkspaceSettingsDlg::targetFile() const
{
    return m_target->text();
}

void CWorkspaceSettingsDlg::accept()
{
    // A cut name would make Build write to a file nobody asked for.
    if (!RecordField::fitsField(targetFile(), WorkspaceRecord::PathFieldSize)) {
        showMessage(WorkspaceRecord::refusalMessage(WorkspaceRecord::Change::TooLong, targetFile()),
                    PromptIcon::Exclamation);
        m_target->setFocus();
        return;
    }
    QDialog::accept();
}
