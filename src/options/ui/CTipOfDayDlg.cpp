#include "options/ui/CTipOfDayDlg.h"

#include "base/AppInfo.h"
#include "options/TipOfTheDay.h"

#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

CTipOfDayDlg::CTipOfDayDlg(SettingsStore &store, QWidget *parent)
    : QDialog(parent)
    , m_store(store)
{
    setObjectName(QStringLiteral("CTipOfDayDlg"));
    setWindowTitle(QStringLiteral("Tip of the Day"));

    auto *icon = new QLabel(this);
    icon->setPixmap(QIcon(QLatin1String(AppInfo::IconPath)).pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop);
    m_tip = new QPlainTextEdit(this);
    m_tip->setObjectName(QStringLiteral("ctl_1077"));
    m_tip->setReadOnly(true);
    m_tip->setFrameShape(QFrame::Box);
    m_tip->setMinimumSize(360, 140);
    m_atStartup = new QCheckBox(QStringLiteral("&Display tips at startup?"), this);
    m_atStartup->setObjectName(QStringLiteral("ctl_1044"));
    m_atStartup->setChecked(TipOfTheDay::showAtStartup(store));
    connect(m_atStartup, &QCheckBox::clicked, this, [this](bool on) {
        TipOfTheDay::setShowAtStartup(m_store, on);
    });
    auto *next = new QPushButton(QStringLiteral("&Next tip..."), this);
    next->setObjectName(QStringLiteral("ctl_1043"));
    next->setAutoDefault(false);
    connect(next, &QPushButton::clicked, this, &CTipOfDayDlg::showNextTip);
    auto *close = new QPushButton(QStringLiteral("&Close"), this);
    close->setObjectName(QStringLiteral("ctl_2"));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto *top = new QHBoxLayout;
    top->addWidget(icon);
    top->addWidget(m_tip, 1);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_atStartup);
    bottom->addStretch();
    bottom->addWidget(next);
    bottom->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(bottom);

    showNextTip();
}

QString CTipOfDayDlg::tipText() const
{
    return m_tip->toPlainText();
}

void CTipOfDayDlg::showNextTip()
{
    m_tip->setPlainText(TipOfTheDay::nextTip(m_store).remove(QLatin1Char('\r')));
}
