#pragma once

#include "make/BuildState.h"
#include "make/ListingMap.h"
#include "make/ui/BuildDocuments.h"
#include "make/ui/SourceNavigator.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>

class CMainFrame;
class CMyView;
class PostBuildRun;
class QMdiSubWindow;

// The build commands of the source view: Check Syntax (F7), Assemble (F8), Build (F9), Execute
// (F10) and View > Output > Build, with their update handlers. They are hung on every source
// document window's view table as the window first becomes active, so they exist exactly while a
// source document is active. Each run goes through a ToolRunSession on the view's busy animation;
// Assemble and Build show their output in the output pane, and a run that reported errors opens
// the Build Window, whose Go To selects the error's line through the navigator. What survives a
// run (the last capture, its exit code, the kept Build Window row, whether a tool runs) is the
// frame's BuildState, held here.
class BuildCommands : public QObject
{
    Q_OBJECT

public:
    // How long F10 on an .EXE project waits for a link step still running.
    static constexpr int LinkWaitMs = 10000;

    BuildCommands(CMainFrame *frame,
                  std::unique_ptr<BuildDocuments> documents,
                  SourceNavigator navigator);
    ~BuildCommands() override;

    // The frame's build state; the frame's other tool commands run through it too.
    BuildState &state() { return m_state; }
    const BuildState &state() const { return m_state; }

    // The view commands on this window's view table; done once per window.
    void installOn(QMdiSubWindow *window);

    void checkSyntax(QMdiSubWindow *window);
    void assemble(QMdiSubWindow *window);
    void build(QMdiSubWindow *window);
    void execute();
    // ShowBuildWindow: the Build Window over the last capture, and Go To's line afterwards.
    // resetSelection selects the last row; unless force, nothing shows while "buildwin" is set.
    // The Total Errors it read back, or nothing when it was not shown.
    std::optional<quint32> showBuildWindow(bool force, bool resetSelection);

    // The result of the last run a command made (for whoever drives the commands).
    int lastResult() const { return m_lastResult; }

    // Seams: the keyboard state read for the forced listing (left Ctrl), and what Execute
    // starts (ExecuteCommand unless replaced).
    void setModifierQuery(std::function<Qt::KeyboardModifiers()> query);
    void setExecutor(std::function<bool(const QString &target)> executor);

signals:
    // A run's tool ended and its captured output replaced the last capture.
    void outputCaptured(const QByteArray &output);
    // Assemble or Build wrote a listing.
    void listingMade(const ListingMap &listing);

public:
    static inline const QString SaveCaption = QStringLiteral("Save As");
    static inline const QString BuildWindowSection = QStringLiteral("Settings");
    static inline const QString BuildWindowKey = QStringLiteral("buildwin");

private:
    struct Source
    {
        std::unique_ptr<BuildSource> source;
        QString path;
        QString folder;
    };
    // Steps 1 and 2 of Check Syntax and Assemble: a name for an untitled document, then the save.
    std::optional<Source> nameAndSave(QMdiSubWindow *window,
                                      const QString &defaultSuffix,
                                      const QString &filter);
    int run(int command,
            const QString &sourcePath,
            const QString &target,
            bool forceListing,
            BuildSource *source);
    void present(const QString &banner);
    // The last run's post-build commands: read until they end, their text appended to the pane
    // below the output present() wrote, until the pane is cleared for something else.
    void followPostBuild(bool intoPane);
    // Waits up to timeoutMs for the latest post-build commands to end (their output closed).
    void waitForPostBuild(int timeoutMs);
    // What every command does with its result: an error-free run sets the capture's length to 0
    // (Check Syntax also says "No Errors Found"), reported errors open the Build Window with a
    // fresh selection, a failure shows its return code. The Build Window's Total Errors, when
    // it was shown.
    std::optional<quint32> report(int result, bool sayNoErrors);
    void openListing(const QString &path);
    // After Assemble and Build: the listing the run wrote goes to the editors, and the code's
    // size (from the listing, else from the program the run wrote) to the status line.
    void takeListing(const QString &listingPath, const QString &programPath);
    void refreshCommands();
    bool leftCtrlHeld() const;
    CMyView *outputPane() const;

    QPointer<CMainFrame> m_frame;
    std::unique_ptr<BuildDocuments> m_documents;
    SourceNavigator m_navigator;
    BuildState m_state;
    QList<QPointer<QMdiSubWindow>> m_installed;
    std::function<Qt::KeyboardModifiers()> m_modifiers;
    std::function<bool(const QString &)> m_executor;
    QByteArray m_runOutput;
    std::unique_ptr<PostBuildRun> m_postBuild; // of the last run, until followPostBuild()
    int m_lastResult = 0;
    // The listing and the program as they were before the run, to tell what the run wrote.
    struct Stamp
    {
        bool exists = false;
        QDateTime modified;
        qint64 size = -1;
        static Stamp of(const QString &path);
        // The file is there and is not the one seen before: a run wrote it.
        bool madeSince(const Stamp &before) const;
        bool operator==(const Stamp &) const = default;
    };
    Stamp m_listingBefore;
    Stamp m_programBefore;
};
