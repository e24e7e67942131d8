#include "options/ui/CVersionCheckDlg.h"

#include "base/Prompts.h"
#include "frame/ui/CBusyAnimation.h"
#include "options/VersionFetch.h"
#include "options/VersionFile.h"
#include "options/WebAddresses.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QGroupBox *productGroup(QWidget *parent,
                        const QString &title,
                        const std::array<int, 3> &ids,
                        QLineEdit *&version,
                        QLineEdit *&date,
                        QPlainTextEdit *&comment)
{
    auto *group = new QGroupBox(title, parent);
    version = new QLineEdit(group);
    date = new QLineEdit(group);
    comment = new QPlainTextEdit(group);
    version->setObjectName(QStringLiteral("ctl_%1").arg(ids[0]));
    date->setObjectName(QStringLiteral("ctl_%1").arg(ids[1]));
    comment->setObjectName(QStringLiteral("ctl_%1").arg(ids[2]));
    version->setReadOnly(true);
    date->setReadOnly(true);
    comment->setReadOnly(true);
    comment->setFixedHeight(comment->fontMetrics().lineSpacing() * 3 + 12);
    auto *grid = new QGridLayout(group);
    grid->addWidget(new QLabel(QStringLiteral("Version:"), group), 0, 0);
    grid->addWidget(version, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Date:"), group), 0, 2);
    grid->addWidget(date, 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("Comments:"), group), 1, 0, Qt::AlignTop);
    grid->addWidget(comment, 1, 1, 1, 3);
    return group;
}
} // namespace

CVersionCheckDlg::CVersionCheckDlg(const QString &homeUrl, QWidget *parent)
    : QDialog(parent)
    , m_homeUrl(homeUrl)
    , m_fetch(new VersionFetch(this))
{
    setObjectName(QStringLiteral("CVersionCheckDlg"));
    setWindowTitle(QStringLiteral("Version Check"));
    connect(m_fetch, &VersionFetch::finished, this, [this](const VersionFetch::Result &r) {
        fetched(r.ok, r.errorCode, r.data);
    });

    auto *prompt = new QLabel(QStringLiteral("Press Get Info to retrieve the latest version "
                                             "information."),
                              this);
    QGroupBox *ide = productGroup(this,
                                  QStringLiteral("QVASMIDE"),
                                  {1060, 1063, 1061},
                                  m_ideVersion,
                                  m_ideDate,
                                  m_ideComment);
    QGroupBox *assembler = productGroup(this,
                                        QStringLiteral("QVASM"),
                                        {1062, 1064, 1065},
                                        m_asmVersion,
                                        m_asmDate,
                                        m_asmComment);
    auto *hangup = new QCheckBox(QStringLiteral("Hangup when Done?"), this);
    hangup->setObjectName(QStringLiteral("ctl_1058"));
    hangup->setEnabled(false);

    m_getInfo = new QPushButton(QStringLiteral("&Get Info"), this);
    m_getInfo->setObjectName(QStringLiteral("ctl_2"));
    m_getInfo->setDefault(true);
    connect(m_getInfo, &QPushButton::clicked, this, &CVersionCheckDlg::getInfo);
    auto *close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("ctl_1"));
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    m_animationRow = new QHBoxLayout;
    m_animationRow->addWidget(prompt, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(hangup);
    buttons->addStretch();
    buttons->addWidget(m_getInfo);
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(m_animationRow);
    layout->addWidget(ide);
    layout->addWidget(assembler);
    layout->addLayout(buttons);
    setMinimumWidth(440);
}

CVersionCheckDlg::~CVersionCheckDlg() = default;

void CVersionCheckDlg::setTimeout(int milliseconds)
{
    m_fetch->setTimeout(milliseconds);
}

bool CVersionCheckDlg::isFetching() const
{
    return m_fetch->isRunning();
}

void CVersionCheckDlg::getInfo()
{
    if (m_fetch->isRunning())
        return;
    // One fetch at a time: the button waits until this one has ended.
    m_getInfo->setEnabled(false);
    m_animation = new CBusyAnimation(this);
    m_animation->setObjectName(QStringLiteral("ctl_1072"));
    m_animation->setFixedSize(120, 18);
    m_animationRow->addWidget(m_animation);
    m_fetch->start(WebAddresses::page(m_homeUrl, QLatin1String(WebAddresses::VersionFile)));
}

void CVersionCheckDlg::done(int result)
{
    m_fetch->cancel();
    delete m_animation;
    QDialog::done(result);
}

void CVersionCheckDlg::fetched(bool ok, quint32 errorCode, const QByteArray &data)
{
    if (ok) {
        const VersionFile::Versions v = VersionFile::parse(data);
        if (v.ide.found) {
            m_ideVersion->setText(v.ide.version);
            m_ideDate->setText(v.ide.date);
            m_ideComment->setPlainText(v.ide.comment);
        }
        if (v.assembler.found) {
            m_asmVersion->setText(v.assembler.version);
            m_asmDate->setText(v.assembler.date);
            m_asmComment->setPlainText(v.assembler.comment);
        }
    } else {
        Prompts::instance().message(VersionFetch::failureMessage(errorCode),
                                    PromptButtons::Ok,
                                    PromptIcon::Exclamation);
    }
    delete m_animation;
    focusNextChild();
}
