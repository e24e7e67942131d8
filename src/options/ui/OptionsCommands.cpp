#include "options/ui/OptionsCommands.h"

#include "base/CommandIds.h"
#include "base/CommandMap.h"
#include "base/Prompts.h"
#include "base/SettingsStore.h"
#include "base/ShellOpen.h"
#include "editor/ui/CChildFrame.h"
#include "editor/ui/CQvasmView.h"
#include "frame/ui/CMainFrame.h"
#include "options/WebAddresses.h"
#include "options/ui/CConfigOptionsDlg.h"
#include "options/ui/CEditorPropsSheet.h"
#include "options/ui/CPropertiesSheet.h"
#include "options/ui/CTipOfDayDlg.h"
#include "options/ui/CVersionCheckDlg.h"

#include <QApplication>
#include <QMdiSubWindow>

const QString OptionsCommands::CheckVersionQuestion = QStringLiteral(
    "This task connects to the internet and retreives data\r\n   from a specified file on the "
    "Quillvane website.\r\nNothing is sent or stored to the site.\r\nThis task only reads a "
    "specified file.\r\nNothing more, nothing less.\r\n\r\nIs it okay for QVASMIDE to connect and "
    "read this file?");

OptionsCommands::OptionsCommands(CMainFrame *frame,
                                 CommandMap &applicationCommands,
                                 ColourSink applyColours,
                                 QString programFolder)
    : QObject(frame)
    , m_frame(frame)
    , m_applyColours(std::move(applyColours))
    , m_programFolder(std::move(programFolder))
{
    const QPointer<OptionsCommands> self(this);
    const auto run = [self](void (OptionsCommands::*f)()) {
        return [self, f] {
            if (self)
                (self->*f)();
        };
    };
    CommandMap &c = frame->commands();
    c.on(ID_EDITOR_PROPERTIES, run(&OptionsCommands::editorProperties));
    c.on(ID_SPECIAL_CONFIGURATION, run(&OptionsCommands::configurationOptions));
    c.on(ID_HELP_TIP_OF_THE_DAY, run(&OptionsCommands::tipOfTheDay));
    c.on(ID_HELP_ONLINE, [] { ShellOpen::openUrl(WebAddresses::onlineHelp()); });

    // Pages under the home URL as it is set when the command runs.
    const auto page = [](const char *name) {
        return [name] {
            ShellOpen::openUrl(WebAddresses::page(WebAddresses::homeUrl(SettingsStore::instance()),
                                                  QLatin1String(name)));
        };
    };
    CommandMap &app = applicationCommands;
    app.on(ID_INTERNET_MAKER, page(WebAddresses::IndexPage));
    app.on(ID_INTERNET_NEWS, page(WebAddresses::NewsPage));
    app.on(ID_INTERNET_DOWNLOAD, page(WebAddresses::DownloadPage));
    app.on(ID_INTERNET_NEWSLETTER, [] { ShellOpen::openUrl(WebAddresses::newsletter()); });
    app.on(ID_INTERNET_CHECK_VERSION, run(&OptionsCommands::checkVersion));

    connect(frame, &CMainFrame::activeDocumentWindowChanged, this, &OptionsCommands::installOn);
    if (QMdiSubWindow *active = frame->activeDocumentFrame())
        installOn(active);
}

void OptionsCommands::installOn(QMdiSubWindow *window)
{
    auto *child = qobject_cast<CChildFrame *>(window);
    if (!child || m_installed.contains(window))
        return;
    m_installed.removeAll(nullptr);
    m_installed.append(window);
    const QPointer<OptionsCommands> self(this);
    const QPointer<CChildFrame> w(child);
    CommandMap &c = *child->viewCommands();
    c.on(ID_EDITOR_PROPERTIES, [self] {
        if (self)
            self->editorProperties();
    });
    c.on(ID_PROPERTIES, [self, w] {
        if (self && w && w->view())
            self->properties(*w->view());
    });
    if (m_frame)
        m_frame->requestCommandUpdate();
}

void OptionsCommands::editorProperties()
{
    CEditorPropsSheet sheet(SettingsStore::instance(), m_frame);
    if (sheet.exec() != QDialog::Accepted)
        return;
    // The colours, the formatting switch of the Attributes page and the new recolouring of
    // every open editor, all at once.
    if (m_applyColours)
        m_applyColours(sheet.colours());
    if (m_frame)
        m_frame->requestCommandUpdate();
}

void OptionsCommands::properties(CQvasmView &view)
{
    CPropertiesSheet sheet(view, SettingsStore::instance(), m_frame);
    sheet.exec();
}

void OptionsCommands::configurationOptions()
{
    CConfigOptionsDlg dialog(SettingsStore::instance(), m_programFolder, m_frame);
    dialog.exec();
}

void OptionsCommands::tipOfTheDay()
{
    CTipOfDayDlg dialog(SettingsStore::instance(), m_frame);
    dialog.exec();
}

void OptionsCommands::checkVersion()
{
    if (Prompts::instance().message(CheckVersionQuestion, PromptButtons::YesNo) != PromptAnswer::Yes)
        return;
    // On top of whatever asked: the about box when its version button did.
    QWidget *owner = QApplication::activeModalWidget();
    if (!owner)
        owner = m_frame;
    CVersionCheckDlg dialog(WebAddresses::homeUrl(SettingsStore::instance()), owner);
    if (m_versionTimeoutMs > 0)
        dialog.setTimeout(m_versionTimeoutMs);
    dialog.exec();
}
