#include "options/ui/CConfigOptionsDlg.h"

#include "base/Prompts.h"
#include "frame/ui/OkCancelButtons.h"
#include "options/ConfigurationOptions.h"
#include "options/WebAddresses.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CConfigOptionsDlg::CConfigOptionsDlg(SettingsStore &store,
                                     const QString &programFolder,
                                     QWidget *parent)
    : QDialog(parent)
    , m_store(store)
{
    setObjectName(QStringLiteral("CConfigOptionsDlg"));
    setWindowTitle(QStringLiteral("Configuration Options"));
    const ConfigurationOptions options = ConfigurationOptions::load(store, programFolder);

    auto *urlNote = new QLabel(QStringLiteral("Change the home URL only when the QVASMIDE project "
                                              "asks you to. Its current address is %1")
                                   .arg(QLatin1String(WebAddresses::HomeUrl)),
                               this);
    urlNote->setWordWrap(true);
    m_homeUrl = new QLineEdit(options.homeUrl, this);
    m_homeUrl->setObjectName(QStringLiteral("ctl_1076"));
    auto *toolsNote = new QLabel(
        QStringLiteral(
            "The following is the folder where your dump.exe file lives.  In the future, "
            "if other tools are added, this will point to them also."),
        this);
    toolsNote->setWordWrap(true);
    m_toolsDir = new QLineEdit(options.toolsDir, this);
    m_toolsDir->setObjectName(QStringLiteral("ctl_1077"));
    auto *browse = new QPushButton(QStringLiteral("..."), this);
    browse->setObjectName(QStringLiteral("ctl_1080"));
    browse->setAutoDefault(false);
    connect(browse, &QPushButton::clicked, this, &CConfigOptionsDlg::browse);

    QDialogButtonBox *buttons = okCancelButtons(this);

    auto *grid = new QGridLayout;
    grid->addWidget(urlNote, 0, 0, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Home URL:"), this), 1, 0);
    grid->addWidget(m_homeUrl, 1, 1, 1, 2);
    grid->addWidget(toolsNote, 2, 0, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Tools:"), this), 3, 0);
    grid->addWidget(m_toolsDir, 3, 1);
    grid->addWidget(browse, 3, 2);
    grid->setColumnStretch(1, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);
    setMinimumWidth(460);
}

void CConfigOptionsDlg::browse()
{
    // The field's text, as far as a path may go, is where the browser starts.
    const QString chosen = Prompts::instance().folder(QStringLiteral("Select a Starting Directory"),
                                                      m_toolsDir->text().left(260));
    if (!chosen.isEmpty())
        m_toolsDir->setText(chosen);
}

void CConfigOptionsDlg::accept()
{
    ConfigurationOptions{m_homeUrl->text(), m_toolsDir->text()}.save(m_store);
    QDialog::accept();
}
