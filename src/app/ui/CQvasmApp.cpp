#include "app/ui/CQvasmApp.h"

#include "app/FirstRunSetup.h"
#include "app/ui/DocumentTemplate.h"
#include "app/ui/SingleInstance.h"
#include "base/AppInfo.h"
#include "base/CommandIds.h"
#include "base/InternalFailure.h"
#include "base/ProgramValues.h"
#include "base/Prompts.h"
#include "base/SettingsStore.h"
#include "base/ui/QtPrompts.h"
#include "frame/CommandRouter.h"
#include "frame/ui/CMainFrame.h"
#include "options/ui/CAboutDlg.h"
#include "options/ui/CFirstTimeInstallDlg.h"
#include "workspace/WorkspaceRules.h"

#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QPageSetupDialog>
#include <QPrinter>

#include <cstdio>
#include <cstdlib>
#include <new>

namespace {
const QString kSettings = QStringLiteral("Settings");
constexpr quint32 kCommandMessage = 0x0111; // what the report calls a command
QtPrompts g_prompts;
} // namespace

CQvasmApp::CQvasmApp(int &argc, char **argv)
    : QApplication(argc, argv)
{
    setOrganizationName(QLatin1String(AppInfo::OrganizationName));
    setApplicationName(QLatin1String(AppInfo::ApplicationName));
    setApplicationVersion(QLatin1String(AppInfo::Version));
    // The desktop entry's name: docks and task switchers show its icon for our windows.
    setDesktopFileName(QLatin1String(AppInfo::ApplicationName));
    // Windows without an icon of their own (dialogs, pop-ups) show the program's, not Qt's.
    setWindowIcon(QIcon(QLatin1String(AppInfo::IconPath)));
    g_prompts.install();
    registerCommands();
}

CQvasmApp::~CQvasmApp()
{
    delete m_mainFrame.data();
}

CQvasmApp *CQvasmApp::instance()
{
    return qobject_cast<CQvasmApp *>(QCoreApplication::instance());
}

// Program-wide values ----------------------------------------------------------------------

CMainFrame *CQvasmApp::mainFrame() const
{
    return m_mainFrame.data();
}

ProgramValues &CQvasmApp::values()
{
    return ProgramValues::instance();
}

QString CQvasmApp::programFolder() const
{
    return ProgramValues::instance().programFolder;
}

void CQvasmApp::setProgramFolder(const QString &folder)
{
    ProgramValues::instance().programFolder = folder;
}

quint32 CQvasmApp::internalCode() const
{
    return ProgramValues::instance().internalCode;
}

void CQvasmApp::setInternalCode(quint32 code)
{
    ProgramValues::instance().internalCode = code;
}

bool CQvasmApp::recentFileSwitch() const
{
    return ProgramValues::instance().recentFileSwitch;
}

void CQvasmApp::setRecentFileSwitch(bool on)
{
    ProgramValues::instance().recentFileSwitch = on;
}

bool CQvasmApp::formatting() const
{
    return ProgramValues::instance().formatting;
}

void CQvasmApp::setFormatting(bool on)
{
    ProgramValues::instance().formatting = on;
}

bool CQvasmApp::deleteSettingsAtExit() const
{
    return ProgramValues::instance().deleteSettingsAtExit;
}

void CQvasmApp::setDeleteSettingsAtExit()
{
    ProgramValues::instance().deleteSettingsAtExit = true;
}

QPrinter *CQvasmApp::printer()
{
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>();
    return m_printer.get();
}

// Seams ------------------------------------------------------------------------------------

void CQvasmApp::addStartupStep(StartupStage stage, StartupStep step)
{
    m_steps.append({stage, std::move(step)});
}

void CQvasmApp::setDocumentTemplate(std::unique_ptr<DocumentTemplate> documents)
{
    m_documents = std::move(documents);
    if (m_mainFrame) {
        m_mainFrame->setDocumentOpener([this](const QString &path) { OpenDocumentFile(path); });
        m_mainFrame->requestCommandUpdate();
    }
}

void CQvasmApp::setRecentFileSink(std::function<void(const QString &)> sink)
{
    m_recentFileSink = std::move(sink);
}

void CQvasmApp::setWorkspaceFileOpener(std::function<void(const QString &)> opener)
{
    m_workspaceFileOpener = std::move(opener);
}

void CQvasmApp::setFirstRunNotice(std::function<bool()> notice)
{
    m_firstRunNotice = std::move(notice);
}

void CQvasmApp::setAbortHandler(std::function<void()> abort)
{
    m_abort = std::move(abort);
}

void CQvasmApp::runStage(StartupStage stage)
{
    for (const auto &step : std::as_const(m_steps)) {
        if (step.first == stage)
            step.second(m_decision);
    }
}

// Documents --------------------------------------------------------------------------------

void CQvasmApp::AddToRecentFileList(const QString &path)
{
    if (recentFileSwitch() && m_recentFileSink)
        m_recentFileSink(path);
}

QObject *CQvasmApp::OpenDocumentFile(const QString &path)
{
    return m_documents ? m_documents->OpenDocumentFile(path) : nullptr;
}

bool CQvasmApp::SaveAllModified()
{
    return m_documents ? m_documents->SaveAllModified() : true;
}

// Commands ---------------------------------------------------------------------------------

void CQvasmApp::registerCommands()
{
    m_commands.on(ID_APP_ABOUT, [this] { showAbout(); });
    m_commands.on(ID_FILE_NEW, [this] {
        if (m_documents)
            m_documents->newDocument();
    });
    m_commands.onUpdate(ID_FILE_NEW, [this](CommandUpdate &u) { u.enable(bool(m_documents)); });
    m_commands.on(ID_FILE_PRINT_SETUP, [this] { printSetup(); });
    m_commands.on(ID_APP_EXIT, [this] {
        if (m_mainFrame)
            m_mainFrame->close();
    });
}

void CQvasmApp::showAbout()
{
    CAboutDlg about(m_mainFrame);
    if (m_mainFrame) {
        CommandRouter &router = m_mainFrame->router();
        about.setVersionCheck(
            router.isEnabled(ID_INTERNET_CHECK_VERSION)
                ? std::function<void()>([&router] { router.dispatch(ID_INTERNET_CHECK_VERSION); })
                : std::function<void()>());
    }
    about.exec();
}

void CQvasmApp::printSetup()
{
    QPageSetupDialog dialog(printer(), m_mainFrame);
    dialog.exec();
}

// Start-up ---------------------------------------------------------------------------------

bool CQvasmApp::showFirstRunNotice()
{
    if (m_firstRunNotice)
        return m_firstRunNotice();
    CFirstTimeInstallDlg notice;
    return notice.exec() == QDialog::Accepted;
}

bool CQvasmApp::InitInstance()
{
    // Another copy for the same user and settings: it comes to the front, this one ends.
    if (m_instanceCheck) {
        QStringList handOver;
        if (!m_fileArgument.isEmpty())
            handOver << QFileInfo(m_fileArgument).absoluteFilePath();
        m_instance = std::make_unique<SingleInstance>(
            SingleInstance::serverNameFor(SettingsStore::instance().filePath()));
        if (m_instance->handOff(handOver) || !m_instance->claim(handOver))
            return false;
        connect(m_instance.get(),
                &SingleInstance::activationRequested,
                this,
                &CQvasmApp::activateFromOtherInstance);
    }

    if (programFolder().isEmpty())
        setProgramFolder(applicationDirPath());

    runStage(StartupStage::SettingsOpened);

    SettingsStore &store = SettingsStore::instance();
    if (const QString refused = store.refusalMessage(); !refused.isEmpty())
        showMessage(refused, PromptIcon::Exclamation);
    if (!FirstRunSetup::run(store, programFolder(), [this] { return showFirstRunNotice(); }))
        return false;

    m_mainFrame = new CMainFrame;
    m_mainFrame->setApplicationCommands(&m_commands);
    m_mainFrame->router().setExceptionHandler([this](std::exception_ptr e, int id) {
        ErrorReport context;
        context.message = kCommandMessage;
        context.wParam = quint32(id);
        ProcessWndProcException(e, context);
    });
    m_mainFrame->setCloseGuard([this] {
        if (!SaveAllModified())
            return false;
        if (m_documents)
            m_documents->closeAllDocuments();
        return true;
    });
    if (m_documents)
        m_mainFrame->setDocumentOpener([this](const QString &path) { OpenDocumentFile(path); });
    runStage(StartupStage::FrameCreated);

    const int empty = store.readInt(kSettings, QStringLiteral("empty"), 0);
    const int loadws = store.readInt(kSettings, QStringLiteral("loadws"), 0);
    m_decision = StartupDecision::decide(empty, loadws, m_fileArgument);
    if (m_decision.command == StartupDecision::ShellCommand::OpenFile && m_documents
        && !OpenDocumentFile(m_decision.file)) {
        // Its message has been shown; the program starts as it would have without the file.
        m_decision = StartupDecision::decide(empty, loadws, QString());
    }
    // A new document that was not made (the user cancelled) leaves the program running.
    if (m_decision.command == StartupDecision::ShellCommand::NewDocument && m_documents)
        m_documents->newDocument();

    m_mainFrame->show();

    setFormatting(store.readInt(kSettings, QStringLiteral("useformatting"), 0) != 0);
    runStage(StartupStage::WindowShown);
    if (m_decision.restoreWorkspace)
        runStage(StartupStage::RestoreWorkspace);
    // The workspace is up already, so a file that will not open costs only its own message.
    if (m_documents && !m_decision.fileAfterRestore.isEmpty())
        OpenDocumentFile(m_decision.fileAfterRestore);
    runStage(StartupStage::Ready);
    // Handlers registered by the stages show enabled without waiting for the first focus change.
    m_mainFrame->requestCommandUpdate();
    return true;
}

void CQvasmApp::activateFromOtherInstance(const QStringList &arguments)
{
    bringToFront();
    const QString file = arguments.value(0);
    if (!file.isEmpty() && m_mainFrame) {
        if (m_workspaceFileOpener && WorkspaceRules::isWorkspaceFileName(file))
            m_workspaceFileOpener(file);
        else if (m_documents)
            OpenDocumentFile(file);
    }
    emit activatedByOtherInstance(arguments);
}

void CQvasmApp::bringToFront()
{
    if (m_mainFrame && m_mainFrame->isMinimized())
        m_mainFrame->setWindowState((m_mainFrame->windowState() & ~Qt::WindowMinimized)
                                    | Qt::WindowActive);
    // The last active pop-up: a modal dialog when one is up (the first-run notice included).
    QWidget *top = activeModalWidget();
    if (!top)
        top = m_mainFrame;
    if (!top)
        return;
    top->show();
    top->raise();
    top->activateWindow();
}

// Shutdown ---------------------------------------------------------------------------------

int CQvasmApp::ExitInstance(int exitCode)
{
    m_instance.reset();
    SettingsStore &store = SettingsStore::instance();
    if (!deleteSettingsAtExit()) {
        store.sync();
        return exitCode;
    }
    bool removed = true;
    if (!QFile::exists(store.filePath()))
        showMessage(QStringLiteral("Key not found.\n"));
    else
        removed = store.removeAll();
    showMessage(removed ? QStringLiteral("Successfully removed QVASMIDE from the registry.")
                        : QStringLiteral("Failed removing QVASMIDE from the registry."));
    return exitCode;
}

// Error report -----------------------------------------------------------------------------

bool CQvasmApp::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ErrorReport context;
        context.message = quint32(event->type());
        if (auto *widget = qobject_cast<QWidget *>(receiver))
            context.window = quint32(widget->window()->internalWinId());
        ProcessWndProcException(std::current_exception(), context);
        return false;
    }
}

void CQvasmApp::ProcessWndProcException(std::exception_ptr e, ErrorReport context)
{
    if (m_reporting) {
        // A failure while the report is up: one report at a time.
        qWarning("qvasmide: %s while reporting an error",
                 qPrintable(ErrorReport::exceptionTypeName(e)));
        return;
    }
    m_reporting = true;
    context.typeName = ErrorReport::exceptionTypeName(e);
    context.internalCode = internalCode();
    const PromptAnswer answer = Prompts::instance().message(context.text(),
                                                            PromptButtons::AbortRetryIgnore,
                                                            PromptIcon::None,
                                                            QStringLiteral("Error!"));
    // Whatever the answer, modified documents get their chance first.
    try {
        SaveAllModified();
    } catch (...) {
        qWarning("qvasmide: saving after an error failed");
    }
    m_reporting = false;
    switch (answer) {
    case PromptAnswer::Abort:
        if (m_abort) {
            m_abort();
        } else {
            SettingsStore::instance().sync();
            std::fflush(nullptr);
            std::_Exit(3);
        }
        break;
    case PromptAnswer::Retry:
        reportDefault(e, context);
        break;
    default:
        setInternalCode(0xFFFFFFFFu);
        break;
    }
}

void CQvasmApp::reportDefault(std::exception_ptr e, const ErrorReport &context)
{
    // The framework's own handling: an internal failure has been reported already; anything else
    // gets a short note, and the program goes on.
    try {
        std::rethrow_exception(e);
    } catch (const InternalFailure &) {
        return;
    } catch (const std::bad_alloc &) {
        Prompts::instance().message(QStringLiteral("Out of memory."),
                                    PromptButtons::Ok,
                                    PromptIcon::Exclamation);
        return;
    } catch (...) {
    }
    Prompts::instance().message(context.message == kCommandMessage
                                    ? QStringLiteral("Command failed.")
                                    : QStringLiteral("Internal application error."),
                                PromptButtons::Ok,
                                PromptIcon::Stop);
}
