#include "options/ui/CAboutDlg.h"

#include "base/AppInfo.h"
#include "base/ShellOpen.h"
#include "options/WebAddresses.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CAboutDlg::CAboutDlg(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("CAboutDlg"));
    setWindowTitle(QStringLiteral("About qvasmide"));

    auto *icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("ctl_icon"));
    icon->setPixmap(QIcon(QStringLiteral(":/icons/qvasmide.svg")).pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop);

    auto *maker = new QLabel(QStringLiteral("Kestrelmoor Software"), this);
    auto *product = new QLabel(QStringLiteral("Quillvane Visual Assembler"), this);
    QFont bold = product->font();
    bold.setBold(true);
    product->setFont(bold);
    auto *blurb = new QLabel(QStringLiteral("An editor and build front end for the QVASM "
                                            "assembler."),
                             this);

    auto *web = new QPushButton(QLatin1String(WebAddresses::SiteName), this);
    web->setObjectName(QStringLiteral("ctl_1069"));
    web->setAutoDefault(false);
    connect(web, &QPushButton::clicked, this, [] { ShellOpen::openUrl(WebAddresses::aboutPage()); });

    m_version = new QPushButton(QStringLiteral("v??.??.??"), this);
    m_version->setObjectName(QStringLiteral("ctl_1070"));
    m_version->setAutoDefault(false);
    m_version->setText(QStringLiteral("v") + QLatin1String(AppInfo::Version));
    m_version->setEnabled(false);
    connect(m_version, &QPushButton::clicked, this, [this] {
        if (m_versionCheck)
            m_versionCheck();
    });

    auto *done = new QPushButton(QStringLiteral("Done"), this);
    done->setObjectName(QStringLiteral("ctl_1"));
    done->setDefault(true);
    connect(done, &QPushButton::clicked, this, &QDialog::accept);

    auto *texts = new QVBoxLayout;
    texts->addWidget(product);
    texts->addWidget(maker);
    texts->addWidget(blurb);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(web);
    buttons->addWidget(m_version);
    buttons->addStretch();
    buttons->addWidget(done);
    texts->addSpacing(8);
    texts->addLayout(buttons);

    auto *layout = new QHBoxLayout(this);
    layout->addWidget(icon);
    layout->addLayout(texts);
}

void CAboutDlg::setVersionCheck(std::function<void()> check)
{
    m_versionCheck = std::move(check);
    m_version->setEnabled(bool(m_versionCheck));
}
