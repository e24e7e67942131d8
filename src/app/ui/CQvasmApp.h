#pragma once

#include "app/StartupDecision.h"
#include "base/CommandMap.h"
#include "base/ErrorReport.h"

#include <QApplication>
#include <QPointer>

#include <exception>
#include <functional>
#include <memory>

class CMainFrame;
class DocumentTemplate;
class QPrinter;
class SingleInstance;
struct ProgramValues;

// The application object: start-up (InitInstance), shutdown (ExitInstance), the error report for
// exceptions that escape a handler, the program-wide values, and the application's commands.
//
// Other parts plug in without changing this class: they register start-up steps, a document
// template and command handlers from installSubsystems() (src/app/ui/Subsystems.cpp).
class CQvasmApp : public QApplication
{
    Q_OBJECT

public:
    CQvasmApp(int &argc, char **argv);
    ~CQvasmApp() override;

    // The running application, or nullptr when the QApplication is not a CQvasmApp. Kept: a
    // process has one application object, and QCoreApplication already holds it.
    static CQvasmApp *instance();

    // The file named on the command line (main() parses it); empty for none.
    void setCommandLineFile(const QString &file) { m_fileArgument = file; }

    // Start-up; false when the program must end (another copy runs, the first-run notice was
    // declined). A command-line file that cannot be opened costs only its message.
    bool InitInstance();
    // Shutdown after the event loop; deletes the settings when that was asked for.
    int ExitInstance(int exitCode);
    // The error report for an exception that escaped a handler. context names what was being
    // handled; its type name and internal code are filled in here.
    void ProcessWndProcException(std::exception_ptr e, ErrorReport context);
    // Passes the path on to the recent-file list, unless the recent-file switch is off.
    void AddToRecentFileList(const QString &path);
    // Opens a file as a document (or activates it); nullptr when that failed or no documents
    // exist yet.
    QObject *OpenDocumentFile(const QString &path);
    // Asks about every modified document; false when the user cancelled.
    bool SaveAllModified();

    bool notify(QObject *receiver, QEvent *event) override;
    // What another copy's start does here: this copy comes to the front (restored when
    // minimised, its modal dialog on top) and opens the file the other copy was given.
    void activateFromOtherInstance(const QStringList &arguments);

    // Program-wide values --------------------------------------------------------------------
    CMainFrame *mainFrame() const;
    ProgramValues &values();
    QString programFolder() const;
    void setProgramFolder(const QString &folder);
    quint32 internalCode() const;
    void setInternalCode(quint32 code);
    bool recentFileSwitch() const;
    void setRecentFileSwitch(bool on);
    bool formatting() const;
    void setFormatting(bool on);
    bool deleteSettingsAtExit() const;
    void setDeleteSettingsAtExit();
    const StartupDecision &startupDecision() const { return m_decision; }
    // The printer shared by Print Setup, Print and Print Preview; made on first use.
    QPrinter *printer();

    // The application's command table: About, New, Print Setup, Exit, and whatever the recent
    // lists and web links register.
    CommandMap &commands() { return m_commands; }

    // Seams ------------------------------------------------------------------------------------
    // Stages of start-up, in the order they run; each runs its steps in the order added.
    enum class StartupStage {
        SettingsOpened,   // the settings store is open (recent-workspace list)
        FrameCreated,     // the main frame exists, not shown (frame handlers, drop handler)
        WindowShown,      // after the first documents and the show (colours, keywords)
        RestoreWorkspace, // only when Settings/loadws is on
        Ready,            // last (tip of the day runs here when Settings/tips is on)
    };
    using StartupStep = std::function<void(const StartupDecision &)>;
    void addStartupStep(StartupStage stage, StartupStep step);
    // Takes ownership.
    void setDocumentTemplate(std::unique_ptr<DocumentTemplate> documents);
    DocumentTemplate *documentTemplate() const { return m_documents.get(); }
    void setRecentFileSink(std::function<void(const QString &)> sink);
    // Opens a workspace file handed over by another copy of the program (a .qvw in any letter
    // case); without one it would open as a document.
    void setWorkspaceFileOpener(std::function<void(const QString &)> opener);
    // Replaces the first-run notice (tests); returns true when accepted.
    void setFirstRunNotice(std::function<bool()> notice);
    // Replaces what Abort in the error report does (tests); the default ends the program.
    void setAbortHandler(std::function<void()> abort);
    void setSingleInstanceCheck(bool on) { m_instanceCheck = on; }
    // Where other copies hand their files over; nullptr without the check.
    SingleInstance *singleInstance() const { return m_instance.get(); }

signals:
    // Another copy was started with these arguments (after this one came to the front).
    void activatedByOtherInstance(const QStringList &arguments);

private:
    void registerCommands();
    void runStage(StartupStage stage);
    void bringToFront();
    void showAbout();
    void printSetup();
    void reportDefault(std::exception_ptr e, const ErrorReport &context);
    bool showFirstRunNotice();

    CommandMap m_commands;
    QPointer<CMainFrame> m_mainFrame;
    std::unique_ptr<DocumentTemplate> m_documents;
    std::unique_ptr<SingleInstance> m_instance;
    std::unique_ptr<QPrinter> m_printer;
    QList<QPair<StartupStage, StartupStep>> m_steps;
    std::function<void(const QString &)> m_recentFileSink;
    std::function<void(const QString &)> m_workspaceFileOpener;
    std::function<bool()> m_firstRunNotice;
    std::function<void()> m_abort;
    StartupDecision m_decision;
    QString m_fileArgument;
    bool m_instanceCheck = true;
    bool m_reporting = false;
};
