#include "options/ui/CFirstTimeInstallDlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

QString CFirstTimeInstallDlg::noticeText()
{
    return QStringLiteral(
        "This may be the first time you have run QVASMIDE.  Please read the following and then "
        "press the accept button. If you do not accept, press the cancel button.\r\n\nThis "
        "application is not complete, and may not be completely free from errors. Please use at "
        "your own risk.  If you find any errors or have comments, please go to the Online Help "
        "and send me an email.\r\n\nThank you.");
}

CFirstTimeInstallDlg::CFirstTimeInstallDlg(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("CFirstTimeInstallDlg"));
    setWindowTitle(QStringLiteral("First Time Install"));

    auto *notice = new QLabel(this);
    notice->setObjectName(QStringLiteral("ctl_1086"));
    // The text's CR LF line ends show as one break each.
    notice->setText(noticeText().remove(QLatin1Char('\r')));
    notice->setTextFormat(Qt::PlainText);
    notice->setWordWrap(true);
    notice->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    notice->setMargin(8);
    notice->setMinimumWidth(360);

    auto *accept = new QPushButton(QStringLiteral("Accept"), this);
    accept->setObjectName(QStringLiteral("ctl_1"));
    accept->setDefault(true);
    connect(accept, &QPushButton::clicked, this, &QDialog::accept);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("ctl_2"));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(accept);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(notice);
    layout->addLayout(buttons);
}
