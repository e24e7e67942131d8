#include "workspace/ui/CCreateNewDlg.h"

#include "workspace/CreateNewRules.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

CCreateNewDlg::CCreateNewDlg(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("CCreateNewDlg"));
    setWindowTitle(QStringLiteral("Create New ..."));
    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(QStringLiteral("Create &New:"));
    m_list = new QListWidget;
    m_list->setObjectName(QStringLiteral("ctl_1008"));
    m_list->addItems(CreateNewRules::newDocumentKinds());
    m_list->setCurrentRow(0);
    // Room for the four kinds, not a page of empty list.
    m_list->setMaximumHeight(m_list->sizeHintForRow(0) * 6 + 2 * m_list->frameWidth());
    label->setBuddy(m_list);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("ctl_1"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("ctl_2"));
    layout->addWidget(label);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CCreateNewDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &CCreateNewDlg::accept);
    m_list->setFocus();
}

void CCreateNewDlg::accept()
{
    m_chosen = m_list->currentRow();
    QDialog::accept();
}
