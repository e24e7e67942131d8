#include "search/ui/CGoToDlg.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

CGoToDlg::CGoToDlg(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("CGoToDlg"));
    setWindowTitle(QStringLiteral("Go To.."));

    m_kinds = new QListWidget;
    m_kinds->setObjectName(QStringLiteral("ctl_1036"));
    m_kinds->setSortingEnabled(true);
    m_kinds->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_kinds->addItem(QStringLiteral("Line"));
    m_kinds->setCurrentRow(0);

    m_number = new QLineEdit;
    m_number->setObjectName(QStringLiteral("ctl_1041"));

    m_goTo = new QPushButton(QStringLiteral("Go To"));
    m_goTo->setObjectName(QStringLiteral("ctl_1"));
    m_goTo->setDefault(true);
    m_goTo->setEnabled(false);
    auto *close = new QPushButton(QStringLiteral("Close"));
    close->setObjectName(QStringLiteral("ctl_2"));

    auto *grid = new QGridLayout(this);
    auto *kindLabel = new QLabel(QStringLiteral("Go to &what:"));
    kindLabel->setBuddy(m_kinds);
    auto *numberLabel = new QLabel(QStringLiteral("&Enter number:"));
    numberLabel->setBuddy(m_number);
    grid->addWidget(kindLabel, 0, 0);
    grid->addWidget(m_kinds, 1, 0, 3, 1);
    grid->addWidget(numberLabel, 0, 1);
    grid->addWidget(m_number, 1, 1);
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(m_goTo);
    buttons->addWidget(close);
    buttons->addStretch();
    grid->addLayout(buttons, 0, 2, 4, 1);

    connect(m_number, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_goTo->setEnabled(!text.isEmpty());
    });
    connect(m_goTo, &QPushButton::clicked, this, &CGoToDlg::accept);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    m_number->setFocus();
}

QString CGoToDlg::text() const
{
    return m_number->text();
}

void CGoToDlg::accept()
{
    // Nothing typed is nothing to go to, however the dialog was asked to close with OK.
    if (!m_goTo->isEnabled())
        return;
    m_kind = std::max(0, m_kinds->currentRow());
    QDialog::accept();
}
