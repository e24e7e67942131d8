#include "make/ui/BuildCommands.h"

#include "base/CommandIds.h"
#include "base/Prompts.h"
#include "base/RegularFile.h"
#include "base/SettingsStore.h"
#include "frame/CommandRouter.h"
#include "frame/ui/CMainFrame.h"
#include "frame/ui/CStatusLine.h"
#include "frame/ui/DocumentWindow.h"
#include "make/AssemblerCommandLine.h"
#include "make/BuildCommandRules.h"
#include "make/BuildOutput.h"
#include "make/ExecuteCommand.h"
#include "make/MakeSettings.h"
#include "make/PostBuildRun.h"
#include "make/ToolRunner.h"
#include "make/ui/CBuildWindowDlg.h"
#include "make/ui/CMyView.h"
#include "make/ui/ToolRunSession.h"
#include "workspace/WorkspaceRecord.h"

#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTimer>

BuildCommands::BuildCommands(CMainFrame *frame,
                             std::unique_ptr<BuildDocuments> documents,
                             SourceNavigator navigator)
    : QObject(frame)
    , m_frame(frame)
    , m_documents(std::move(documents))
    , m_navigator(std::move(navigator))
    , m_modifiers([] { return QGuiApplication::queryKeyboardModifiers(); })
    , m_executor([](const QString &target) { return ExecuteCommand::execute(target); })
{
    connect(frame, &CMainFrame::activeDocumentWindowChanged, this, &BuildCommands::installOn);
    if (QMdiSubWindow *active = frame->activeDocumentFrame())
        installOn(active);
}

BuildCommands::~BuildCommands() = default;

void BuildCommands::setModifierQuery(std::function<Qt::KeyboardModifiers()> query)
{
    m_modifiers = std::move(query);
}

void BuildCommands::setExecutor(std::function<bool(const QString &)> executor)
{
    m_executor = std::move(executor);
}

void BuildCommands::installOn(QMdiSubWindow *window)
{
    auto *docWindow = dynamic_cast<DocumentWindow *>(window);
    if (!docWindow || !docWindow->viewCommands() || m_installed.contains(window))
        return;
    if (!m_documents->source(window))
        return; // not a source document: no build commands on its route
    m_installed.removeAll(nullptr);
    m_installed.append(window);

    CommandMap &c = *docWindow->viewCommands();
    QPointer<QMdiSubWindow> w(window);
    const auto withSource = [this, w](const std::function<void(CommandUpdate &, BuildSource &)> &f) {
        return [this, w, f](CommandUpdate &u) {
            const std::unique_ptr<BuildSource> source = w ? m_documents->source(w) : nullptr;
            if (!source || m_state.isBusy()) {
                u.enable(false);
                return;
            }
            f(u, *source);
        };
    };

    c.on(ID_MAKE_CHECK_SYNTAX, [this, w] { checkSyntax(w); });
    c.onUpdate(ID_MAKE_CHECK_SYNTAX,
               withSource([](CommandUpdate &u, BuildSource &s) { u.enable(!s.isTextEmpty()); }));
    c.on(ID_MAKE_ASSEMBLE, [this, w] { assemble(w); });
    c.onUpdate(ID_MAKE_ASSEMBLE, withSource([](CommandUpdate &u, BuildSource &s) {
                   u.enable(BuildCommandRules::assembleEnabled(s.title(), s.isTextEmpty()));
               }));
    c.on(ID_MAKE_BUILD, [this, w] { build(w); });
    c.onUpdate(ID_MAKE_BUILD, withSource([](CommandUpdate &u, BuildSource &s) {
                   WorkspaceRecord &record = WorkspaceRecord::instance();
                   // An edit since the build makes its program stale.
                   if (record.isOpen() && s.isModified())
                       record.setCanExecute(false);
                   u.enable(record.isOpen());
               }));
    c.on(ID_MAKE_EXECUTE, [this] { execute(); });
    c.onUpdate(ID_MAKE_EXECUTE, [this](CommandUpdate &u) {
        u.enable(!m_state.isBusy() && WorkspaceRecord::instance().canExecute());
    });
    c.on(ID_OUTPUT_BUILD, [this] { showBuildWindow(true, false); });
    c.onUpdate(ID_OUTPUT_BUILD, [this](CommandUpdate &u) {
        u.enable(!m_state.isBusy() && m_state.captureLength() != 0);
    });
    c.onUpdate(ID_OUTPUT_DEBUG, [](CommandUpdate &u) { u.enable(false); });
    if (m_frame)
        m_frame->requestCommandUpdate();
}

// Running ---------------------------------------------------------------------------------------

std::optional<BuildCommands::Source> BuildCommands::nameAndSave(QMdiSubWindow *window,
                                                                const QString &defaultSuffix,
                                                                const QString &filter)
{
    std::unique_ptr<BuildSource> source = window ? m_documents->source(window) : nullptr;
    if (!source)
        return std::nullopt;
    QString path = source->pathName();
    if (path.isEmpty()) {
        if (Prompts::instance().message(BuildCommandRules::NoFileNameQuestion,
                                        PromptButtons::OkCancel,
                                        PromptIcon::Exclamation)
            != PromptAnswer::Ok) {
            return std::nullopt;
        }
        FileDialogRequest request;
        request.caption = SaveCaption;
        request.directory = BuildCommandRules::UntitledFileName;
        request.filter = Prompts::filterFromClassic(filter);
        request.defaultSuffix = defaultSuffix;
        path = Prompts::instance().saveFile(request);
        if (path.isEmpty())
            return std::nullopt;
    }
    // Never assemble a file whose save failed: the tool would read the old text.
    if (!source->saveAs(path))
        return std::nullopt;
    return Source{std::move(source), path, QString()};
}

int BuildCommands::run(int command,
                       const QString &sourcePath,
                       const QString &target,
                       bool forceListing,
                       BuildSource *source)
{
    const WorkspaceRecord &record = WorkspaceRecord::instance();
    AssemblerRun run;
    run.command = AssemblerRun::Command(command);
    run.sourcePath = sourcePath;
    run.targetFile = target;
    run.workspaceOpen = record.isOpen();
    run.options = AssemblerOptions::fromRecord(record);
    run.forceListing = forceListing;

    ToolRunner runner;
    ToolRunSession session(m_frame, &m_state, source ? source->busyIndicator() : nullptr);
    const ToolRunResult result
        = session.run(runner, AssemblerCommandLine::request(run, MakeSettings::loadPaths()));
    m_state.keepAssemblerRun(result);
    m_lastResult = result.code;
    m_runOutput = result.output;
    m_postBuild = runner.takePostBuild();
    if (result.toolEnded)
        emit outputCaptured(result.output);
    return m_lastResult;
}

void BuildCommands::followPostBuild(bool intoPane)
{
    std::unique_ptr<PostBuildRun> taken = std::move(m_postBuild);
    if (!taken)
        return;
    // Owned here, so closing the window ends the reading; an earlier run's commands may still be
    // read beside these, their text going nowhere.
    PostBuildRun *run = taken.release();
    run->setParent(this);
    connect(run, &PostBuildRun::finished, run, &QObject::deleteLater);
    CMyView *pane = intoPane ? outputPane() : nullptr;
    const QString early = run->takeReceived();
    if (pane) {
        const quint64 shown = pane->clearCount();
        const QPointer<CMyView> guard(pane);
        const auto append = [guard, shown](const QString &text) {
            if (guard && guard->clearCount() == shown)
                guard->AppendStream(text);
        };
        append(early);
        connect(run, &PostBuildRun::textReceived, pane, append);
    }
    if (!run->isReading())
        run->deleteLater();
}

void BuildCommands::present(const QString &banner)
{
    if (!m_frame)
        return;
    if (m_frame->viewBar()->isHidden())
        m_frame->router().dispatch(ID_VIEW_VIEW_BAR);
    CMyView *pane = outputPane();
    if (!pane)
        return;
    pane->Clear();
    pane->Append(banner, banner.size());
    // This run's own bytes: a run that failed before it captured anything must not show the
    // previous run's errors under its banner.
    pane->AppendCapture(m_runOutput, m_runOutput.size());
    pane->showFirstError();
}

void BuildCommands::checkSyntax(QMdiSubWindow *window)
{
    std::optional<Source> s = nameAndSave(window,
                                          BuildCommandRules::AssembleDefaultSuffix,
                                          BuildCommandRules::CheckSyntaxFilter);
    if (!s)
        return;
    refreshCommands();
    const QFileInfo file(s->path);
    if (s->path.isEmpty() || file.absolutePath().isEmpty()) {
        showMessage(BuildCommandRules::pathNameErrorMessage(0));
        return;
    }
    const int result = run(AssemblerRun::CheckSyntax,
                           file.absoluteFilePath(),
                           QString(),
                           false,
                           s->source.get());
    // The pane shows this run, not the one before it as if it were current.
    present(BuildCommandRules::checkingBanner(file.absoluteFilePath()));
    followPostBuild(true);
    report(result, true);
    WorkspaceRecord::instance().setCanExecute(false);
    refreshCommands();
}

void BuildCommands::assemble(QMdiSubWindow *window)
{
    std::optional<Source> s = nameAndSave(window,
                                          BuildCommandRules::AssembleDefaultSuffix,
                                          BuildCommandRules::AssembleFilter);
    if (!s)
        return;
    if (m_frame)
        m_frame->router().dispatch(ID_FILE_SAVE_ALL);
    refreshCommands();
    const QFileInfo file(s->path);
    if (s->path.isEmpty() || file.absolutePath().isEmpty()) {
        showMessage(BuildCommandRules::pathNameErrorMessage(1));
        return;
    }
    const QString path = file.absoluteFilePath();
    const bool ctrl = leftCtrlHeld();
    const QString program = BuildCommandRules::executableTarget(path).value_or(QString());
    m_listingBefore = Stamp::of(BuildCommandRules::listingPath(path));
    m_programBefore = Stamp::of(program);
    const QString object = program.isEmpty() ? QString() : program.chopped(3) + "obj";
    const Stamp objectBefore = Stamp::of(object);
    const int result = run(AssemblerRun::Assemble, path, QString(), ctrl, s->source.get());
    present(BuildCommandRules::assemblingBanner(path));
    takeListing(BuildCommandRules::listingPath(path), program);
    followPostBuild(true);

    WorkspaceRecord &record = WorkspaceRecord::instance();
    const bool workspaceOpen = record.isOpen();
    const std::optional<quint32> totalErrors = report(result, false);
    bool canExecute = BuildCommandRules::canExecuteAfterAssemble(result,
                                                                 workspaceOpen,
                                                                 path,
                                                                 totalErrors);
    // The flag and the target go together: a target the record can't hold leaves Execute off
    // rather than pointing it at an earlier program. File names keep their case here.
    if (canExecute)
        canExecute
            = record.setTargetFile(
                  *BuildCommandRules::assembledTarget(path,
                                                      Stamp::of(program).madeSince(m_programBefore),
                                                      Stamp::of(object).madeSince(objectBefore)))
              == WorkspaceRecord::Change::Ok;
    record.setCanExecute(canExecute);

    if (BuildCommandRules::opensListingAfterAssemble(ctrl,
                                                     workspaceOpen,
                                                     AssemblerOptions::fromRecord(record))) {
        openListing(BuildCommandRules::listingPath(path));
    }
    refreshCommands();
}

void BuildCommands::build(QMdiSubWindow *window)
{
    WorkspaceRecord &record = WorkspaceRecord::instance();
    if (!record.isOpen())
        return;
    if (m_frame)
        m_frame->router().dispatch(ID_FILE_SAVE_ALL);
    refreshCommands();
    const QString mainFile = record.mainFile();
    const QString target = record.targetFile();
    const QFileInfo file(mainFile);
    if (mainFile.isEmpty() || file.absolutePath().isEmpty()) {
        showMessage(BuildCommandRules::pathNameErrorMessage(2));
        return;
    }
    const QString path = file.absoluteFilePath();
    // The assembler would replace a pipe, socket or device at the target's name with a file; a
    // relative target is taken from the source's folder, where the tool runs.
    QString why;
    if (!target.isEmpty()
        && !RegularFile::isWritableTarget(QFileInfo(QDir(file.absolutePath()), target).filePath(),
                                          &why)) {
        showMessage(BuildCommandRules::targetNotReplacedMessage(target, why),
                    PromptIcon::Exclamation);
        return;
    }
    const bool ctrl = leftCtrlHeld();
    const std::unique_ptr<BuildSource> source = window ? m_documents->source(window) : nullptr;
    const QString program = target.isEmpty()
                                ? QString()
                                : QFileInfo(QDir(file.absolutePath()), target).filePath();
    m_listingBefore = Stamp::of(BuildCommandRules::listingPath(path));
    m_programBefore = Stamp::of(program);
    const int result = run(AssemblerRun::Build, path, target, ctrl, source.get());
    present(BuildCommandRules::buildingBanner(target));
    takeListing(BuildCommandRules::listingPath(path), program);
    followPostBuild(true);

    const std::optional<quint32> totalErrors = report(result, false);
    record.setCanExecute(
        BuildCommandRules::canExecuteAfterBuild(result, record.canExecute(), totalErrors));

    if (BuildCommandRules::opensListingAfterBuild(ctrl, AssemblerOptions::fromRecord(record)))
        openListing(BuildCommandRules::listingPath(path));
    refreshCommands();
}

std::optional<quint32> BuildCommands::report(int result, bool sayNoErrors)
{
    switch (BuildCommandRules::classify(result)) {
    case BuildCommandRules::ResultRange::NoErrors:
        if (sayNoErrors)
            showMessage(BuildCommandRules::NoErrorsFoundMessage);
        m_state.setCaptureLength(0);
        break;
    case BuildCommandRules::ResultRange::Reported:
        return showBuildWindow(false, true);
    case BuildCommandRules::ResultRange::Failed:
        showMessage(BuildCommandRules::returnCodeMessage(result));
        break;
    }
    return std::nullopt;
}

void BuildCommands::execute()
{
    const WorkspaceRecord &record = WorkspaceRecord::instance();
    if (!record.canExecute())
        return;
    const QString target = record.targetFile();
    if (target.isEmpty()) {
        showMessage(ExecuteCommand::NoProgramMessage);
        return;
    }
    // An .EXE project's program comes from the link step among the post-build commands, which
    // F10 pressed straight after F9 can overtake: give them a moment to end first.
    if (target.endsWith(QLatin1String(".obj"), Qt::CaseInsensitive))
        waitForPostBuild(LinkWaitMs);
    m_executor(target);
}

void BuildCommands::waitForPostBuild(int timeoutMs)
{
    const QList<PostBuildRun *> runs = findChildren<PostBuildRun *>(Qt::FindDirectChildrenOnly);
    QPointer<PostBuildRun> latest;
    for (PostBuildRun *run : runs) {
        if (run->isReading())
            latest = run;
    }
    if (!latest)
        return;
    QEventLoop loop;
    connect(latest, &PostBuildRun::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    // Keys and clicks wait meanwhile, so a second F10 can't start a second wait inside this one.
    if (latest && latest->isReading())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
}

std::optional<quint32> BuildCommands::showBuildWindow(bool force, bool resetSelection)
{
    if (resetSelection)
        m_state.setKeptSelection(-1);
    if (!force && SettingsStore::instance().readInt(BuildWindowSection, BuildWindowKey, 0) != 0)
        return std::nullopt;
    CBuildWindowDlg dialog(m_state.readCapture(),
                           BuildOutput::returnCodeText(m_state.lastExitCode()),
                           m_state.keptSelection(),
                           m_frame);
    const bool goTo = dialog.exec() == QDialog::Accepted;
    m_state.setKeptSelection(dialog.keptSelection());
    if (goTo)
        m_navigator.open(dialog.fileName(), dialog.lineNumber(), SourceNavigator::SelectLine);
    refreshCommands();
    return dialog.totalErrors();
}

BuildCommands::Stamp BuildCommands::Stamp::of(const QString &path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile())
        return {};
    return {true, info.lastModified(), info.size()};
}

bool BuildCommands::Stamp::madeSince(const Stamp &before) const
{
    return exists && !(*this == before);
}

void BuildCommands::takeListing(const QString &listingPath, const QString &programPath)
{
    std::optional<ListingMap> listing;
    const Stamp listingNow = Stamp::of(listingPath);
    if (listingNow.madeSince(m_listingBefore)) {
        QFile file;
        if (RegularFile::openForReading(file, listingPath)) {
            listing = ListingMap::parse(file.readAll());
            emit listingMade(*listing);
        }
    }
    qint64 size = listing && listing->codeSize() > 0 ? listing->codeSize() : -1;
    int end = listing ? listing->codeEnd() : -1;
    // Without a listing a program's file size is its code size; an object's is not.
    const Stamp programNow = Stamp::of(programPath);
    if (size < 0 && programNow.madeSince(m_programBefore)
        && !programPath.endsWith(QLatin1String(".obj"), Qt::CaseInsensitive)) {
        size = programNow.size;
        end = -1;
    }
    if (size >= 0 && m_frame) {
        m_frame->ShowStatusMessage(CStatusLine::MessagePane,
                                   ListingMap::codeSizeText(size, end),
                                   CMainFrame::menuBarColour());
    }
}

void BuildCommands::openListing(const QString &path)
{
    m_documents->closeBeforeReopening(path);
    m_documents->open(path);
}

// Helpers ---------------------------------------------------------------------------------------

void BuildCommands::refreshCommands()
{
    if (m_frame)
        m_frame->router().refresh();
}

bool BuildCommands::leftCtrlHeld() const
{
    return m_modifiers && (m_modifiers() & Qt::ControlModifier);
}

CMyView *BuildCommands::outputPane() const
{
    return m_frame ? qobject_cast<CMyView *>(m_frame->outputPane()) : nullptr;
}
