#include "options/ui/CEdOpt3.h"

#include <QCheckBox>
#include <QVBoxLayout>

CEdOpt3::CEdOpt3(const StartupDocumentChoice &choice, QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("CEdOpt3"));
    m_loadWorkspace = new QCheckBox(QStringLiteral(" Load last WS on startup?"), this);
    m_loadWorkspace->setObjectName(QStringLiteral("ctl_1039"));
    m_loadWorkspace->setChecked(choice.loadWorkspace);
    m_emptyTemplate = new QCheckBox(QStringLiteral("Start with empty template?"), this);
    m_emptyTemplate->setObjectName(QStringLiteral("ctl_1040"));
    m_emptyTemplate->setChecked(choice.emptyTemplate);
    connect(m_loadWorkspace, &QCheckBox::clicked, this, &CEdOpt3::updateEnabling);
    connect(m_emptyTemplate, &QCheckBox::clicked, this, &CEdOpt3::updateEnabling);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_loadWorkspace);
    layout->addWidget(m_emptyTemplate);
    layout->addStretch();
    updateEnabling();
}

StartupDocumentChoice CEdOpt3::choice() const
{
    return {m_loadWorkspace->isChecked(), m_emptyTemplate->isChecked()};
}

void CEdOpt3::save(SettingsStore &store) const
{
    choice().save(store);
}

void CEdOpt3::updateEnabling()
{
    const StartupDocumentChoice c = choice();
    m_loadWorkspace->setEnabled(c.loadWorkspaceEnabled());
    m_emptyTemplate->setEnabled(c.emptyTemplateEnabled());
}
