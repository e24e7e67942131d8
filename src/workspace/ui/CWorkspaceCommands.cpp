#include "workspace/ui/CWorkspaceCommands.h"

#include "base/CommandIds.h"
#include "base/InternalFailure.h"
#include "base/ProgramValues.h"
#include "base/Prompts.h"
#include "base/SettingsStore.h"
#include "editor/CQvasmDoc.h"
#include "editor/ui/CChildFrame.h"
#include "editor/ui/CQvasmDocTemplate.h"
#include "editor/ui/CQvasmView.h"
#include "frame/ui/CMainFrame.h"
#include "frame/ui/DocumentWindow.h"
#include "workspace/ProjectWizard.h"
#include "workspace/WorkspaceRules.h"
#include "workspace/ui/CCreateNewLocationDlg.h"
#include "workspace/ui/CProjectWizard.h"
#include "workspace/ui/CWorkspaceSettingsDlg.h"
#include "workspace/ui/CWorkspaceTree.h"
#include "workspace/ui/WorkspaceFile.h"

#include <QDir>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace {

// Codes the error report shows when a command finds the workspace in a state it can't be in.
enum WorkspaceFailure : quint32 { UnknownKind = 0x20, NoWorkspaceOpen = 0x21, NoSuchMember = 0x22 };

void requireOpenWorkspace()
{
    if (!WorkspaceRecord::instance().isOpen())
        InternalFailure::raise(NoWorkspaceOpen);
}

} // namespace

CWorkspaceCommands::CWorkspaceCommands(CMainFrame *frame,
                                       CQvasmDocTemplate *documents,
                                       CWorkspaceTree *tree,
                                       RecentWorkspaces recent)
    : QObject(frame)
    , m_frame(frame)
    , m_documents(documents)
    , m_tree(tree)
    , m_recent(std::move(recent))
{
    registerFrameCommands();
    connect(frame, &CMainFrame::activeDocumentWindowChanged, this, &CWorkspaceCommands::installOn);
    if (QMdiSubWindow *active = frame->activeDocumentFrame())
        installOn(active);
}

CWorkspaceCommands::~CWorkspaceCommands() = default;

// With failure, the reason it could not be opened goes there instead of into a message.
CQvasmDoc *CWorkspaceCommands::openDocument(const QString &path, QString *failure)
{
    return m_documents ? m_documents->openDocument(path, failure) : nullptr;
}

void CWorkspaceCommands::addTreeFile(const QString &path, CQvasmDoc *document)
{
    if (m_tree)
        m_tree->AddTreeFile(path, document);
}

void CWorkspaceCommands::removeTreeFile(const QString &path)
{
    if (m_tree)
        m_tree->RemoveTreeFile(path);
}

// Command tables ------------------------------------------------------------------------------

void CWorkspaceCommands::registerFrameCommands()
{
    // The frame's table outlives this object while the frame is being destroyed.
    const QPointer<CWorkspaceCommands> self(this);
    m_frame->commands().on(ID_WORKSPACE_OPEN, [self] {
        if (self)
            self->OpenWorkspace();
    });
    m_frame->commands().on(ID_WORKSPACE_NEW, [self] {
        if (self)
            self->NewWorkspace();
    });
}

void CWorkspaceCommands::installOn(QMdiSubWindow *window)
{
    auto *child = qobject_cast<CChildFrame *>(window);
    if (!child || m_installed.contains(window))
        return;
    m_installed.removeAll(nullptr);
    m_installed.append(window);

    const QPointer<CWorkspaceCommands> self(this);
    CommandMap &c = *child->viewCommands();
    using Rule = bool (*)(const WorkspaceRecord &);
    const auto command = [&c,
                          self](int id, std::function<void(CWorkspaceCommands &)> run, Rule rule) {
        c.on(id, [self, run] {
            if (self)
                run(*self);
        });
        c.onUpdate(id, [rule](CommandUpdate &u) { u.enable(rule(WorkspaceRecord::instance())); });
    };
    const Rule closed = &WorkspaceRules::canOpenOrCreateWorkspace;
    const Rule open = &WorkspaceRules::canUseWorkspace;
    command(
        ID_WORKSPACE_OPEN, [](CWorkspaceCommands &w) { w.OpenWorkspace(); }, closed);
    command(
        ID_WORKSPACE_NEW, [](CWorkspaceCommands &w) { w.NewWorkspace(); }, closed);
    command(
        ID_WORKSPACE_SAVE, [](CWorkspaceCommands &w) { w.SaveWorkspace(); }, open);
    command(
        ID_WORKSPACE_CLOSE, [](CWorkspaceCommands &w) { w.CloseWorkspace(); }, open);
    command(
        ID_WORKSPACE_ADD_NEW_FILE, [](CWorkspaceCommands &w) { w.AddNewFile(); }, open);
    command(
        ID_WORKSPACE_INSERT_FILES, [](CWorkspaceCommands &w) { w.InsertFiles(); }, open);
    command(
        ID_WORKSPACE_REMOVE_FILE,
        [](CWorkspaceCommands &w) { w.RemoveFile(); },
        &WorkspaceRules::canRemoveFile);
    command(
        ID_WORKSPACE_SETTINGS, [](CWorkspaceCommands &w) { w.WorkspaceSettings(); }, open);
    m_frame->requestCommandUpdate();
}

void CWorkspaceCommands::commandsChanged()
{
    if (m_frame)
        m_frame->requestCommandUpdate();
}

QString CWorkspaceCommands::dialogFolder() const
{
    const WorkspaceRecord &record = WorkspaceRecord::instance();
    const QString main = record.isOpen() ? record.mainFile() : QString();
    return main.isEmpty() ? QDir::currentPath() : QFileInfo(main).absolutePath();
}

// Opening ---------------------------------------------------------------------------------------

void CWorkspaceCommands::OpenWorkspace(const QString &givenPath)
{
    WorkspaceRecord &record = WorkspaceRecord::instance();
    if (record.isOpen())
        CloseWorkspace();

    QString path = givenPath;
    if (path.isEmpty()) {
        const QStringList chosen = Prompts::instance().openFiles(
            WorkspaceRules::openWorkspaceRequest(QDir::currentPath()));
        if (chosen.isEmpty())
            return;
        path = chosen.constFirst();
    }
    path = QDir::cleanPath(QFileInfo(path).absoluteFilePath());

    const auto forget = [this](const QString &gone) {
        if (m_recent.remove)
            m_recent.remove(gone);
    };
    switch (WorkspaceFile::LoadWorkspace(record, path)) {
    case WorkspaceRecord::LoadResult::NotOpenable:
        forget(path);
        showMessage(WorkspaceRules::couldNotOpenMessage(path));
        commandsChanged();
        return;
    case WorkspaceRecord::LoadResult::NotAWorkspace:
        showMessage(WorkspaceRules::invalidWorkspaceMessage());
        forget(path);
        commandsChanged();
        return;
    case WorkspaceRecord::LoadResult::Opened:
        break;
    }

    if (const auto question = WorkspaceRules::movedFileQuestion(path, record.workspaceFilePath())) {
        if (Prompts::instance().message(*question, PromptButtons::YesNo, PromptIcon::Question)
            == PromptAnswer::Yes) {
            const WorkspaceRecord::Change change = WorkspaceRules::adoptOpenedPath(record, path);
            if (change != WorkspaceRecord::Change::Ok)
                showMessage(WorkspaceRecord::refusalMessage(change, path), PromptIcon::Exclamation);
        }
    }

    const Reopened reopened = reopenMembers();
    if (reopened.remembered && m_frame
        && m_frame->mdiArea()->currentSubWindow() != reopened.remembered) {
        m_frame->mdiArea()->setActiveSubWindow(reopened.remembered);
    }
    if (reopened.count == 0) {
        showMessage(WorkspaceRules::noMembersOpenedMessage());
        openMainFileInstead(reopened.failed);
    }
    repaintActiveWindow();
    WorkspaceRules::setLastWorkspace(SettingsStore::instance(), path);
    if (m_recent.add)
        m_recent.add(path);
    commandsChanged();
}

void CWorkspaceCommands::RestoreLastWorkspace()
{
    WorkspaceRecord &record = WorkspaceRecord::instance();
    SettingsStore &settings = SettingsStore::instance();
    QString message;
    switch (WorkspaceRules::startRestore(record, settings, &message)) {
    case WorkspaceRules::RestoreStart::NothingToRestore:
        return;
    case WorkspaceRules::RestoreStart::NotOpenable:
    case WorkspaceRules::RestoreStart::NotAWorkspace:
        showMessage(message);
        return;
    case WorkspaceRules::RestoreStart::Opened:
        break;
    }

    const Reopened reopened = reopenMembers();
    QPointer<QMdiSubWindow> remembered = reopened.remembered;
    if (reopened.count == 0) {
        showMessage(WorkspaceRules::noMembersOpenedMessage());
        if (openMainFileInstead(reopened.failed))
            remembered = m_frame ? m_frame->activeDocumentFrame() : nullptr;
        else
            WorkspaceRules::restoreFailedWithoutFiles(record, settings);
    }
    if (remembered && m_frame) {
        m_frame->mdiArea()->setActiveSubWindow(remembered);
        remembered->raise();
    }
    repaintActiveWindow();
    commandsChanged();
}

CWorkspaceCommands::Reopened CWorkspaceCommands::reopenMembers()
{
    WorkspaceRecord &record = WorkspaceRecord::instance();
    Reopened result;
    ProgramValues::RecentFilesOff off;
    QList<WorkspaceRules::OpenFailure> failures;
    const int count = record.entryCount();
    for (int i = 0; i < count; ++i) {
        const WorkspaceEntry entry = record.entry(i);
        QString reason;
        CQvasmDoc *doc = entry.wasOpened ? openDocument(entry.path, &reason) : nullptr;
        if (doc) {
            ++result.count;
            if (CQvasmView *view = CChildFrame::viewOf(doc)) {
                view->restoreView(entry.selectionStart,
                                  entry.selectionEnd,
                                  QPoint(entry.scrollX, entry.scrollY));
                view->Refresh();
            }
            if (entry.active)
                result.remembered = CChildFrame::of(doc);
        } else if (entry.wasOpened) {
            record.setEntryWasOpened(i, false);
            failures.append({entry.path, reason});
            result.failed.append(entry.path);
        }
        addTreeFile(entry.path, doc);
    }
    // Eighty missing members are one message, not eighty boxes in a row.
    if (!failures.isEmpty())
        showMessage(WorkspaceRules::membersNotOpenedMessage(failures), PromptIcon::Exclamation);
    return result;
}

bool CWorkspaceCommands::openMainFileInstead(const QStringList &reported)
{
    WorkspaceRecord &record = WorkspaceRecord::instance();
    const QString main = record.mainFile();
    QString reason;
    CQvasmDoc *doc = openDocument(main, reported.contains(main) ? &reason : nullptr);
    if (!doc) {
        showMessage(WorkspaceRules::mainFileFailedMessage());
        record.markClosed();
        return false;
    }
    if (CQvasmView *view = CChildFrame::viewOf(doc)) {
        view->restoreView(0, 0, QPoint(0, 0));
        view->Refresh();
    }
    return true;
}

void CWorkspaceCommands::repaintActiveWindow()
{
    if (QMdiSubWindow *window = m_frame ? m_frame->activeDocumentFrame() : nullptr)
        window->update();
}

// Saving and closing ------------------------------------------------------------------------------

bool CWorkspaceCommands::SaveWorkspace()
{
    return WorkspaceFile::SaveWorkspace(m_frame, WorkspaceRecord::instance());
}

void CWorkspaceCommands::saveOnClose()
{
    if (WorkspaceRecord::instance().isOpen())
        SaveWorkspace();
}

void CWorkspaceCommands::CloseWorkspace()
{
    WorkspaceRecord &record = WorkspaceRecord::instance();
    if (!record.isOpen())
        return;
    SaveWorkspace();
    record.markClosed();

    // Newest first, as the documents are collected.
    QList<QPointer<CQvasmDoc>> documents;
    QStringList paths;
    if (m_documents) {
        for (CQvasmDoc *doc : m_documents->documents()) {
            documents.prepend(doc);
            paths.prepend(doc->GetPathName());
        }
    }
    const QStringList members = record.entryPaths();
    if (Prompts::instance().message(WorkspaceRules::closeAllWindowsQuestion(),
                                    PromptButtons::YesNo,
                                    PromptIcon::Question)
        == PromptAnswer::Yes) {
        for (int i : WorkspaceRules::documentsToClose(members, paths)) {
            if (CQvasmDoc *doc = documents.at(i))
                doc->CloseWithPrompt();
        }
    }
    for (const QString &path : members)
        removeTreeFile(path);
    WorkspaceRules::setLastWorkspace(SettingsStore::instance(), QString());
    commandsChanged();
}

// Creating ----------------------------------------------------------------------------------------

void CWorkspaceCommands::NewWorkspace()
{
    CCreateNewLocationDlg dialog(CCreateNewLocationDlg::newWorkspaceSetup(), m_frame);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const int kind = dialog.chosenIndex();
    if (kind != int(ProjectKind::Com) && kind != int(ProjectKind::Exe))
        InternalFailure::raise(UnknownKind);
    CProjectWizard wizard(m_frame, m_documents, m_tree);
    if (wizard.RunProjectWizard(dialog.location(),
                                dialog.sourceName(),
                                dialog.targetName(),
                                ProjectKind(kind))) {
        if (m_recent.add)
            m_recent.add(WorkspaceRecord::instance().workspaceFilePath());
    }
    commandsChanged();
}

void CWorkspaceCommands::AddNewFile()
{
    CCreateNewLocationDlg dialog(CCreateNewLocationDlg::newFileSetup(), m_frame);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const int kind = dialog.chosenIndex();
    if (kind != 0 && kind != 1)
        InternalFailure::raise(UnknownKind);
    requireOpenWorkspace();

    WorkspaceRecord &record = WorkspaceRecord::instance();
    const QString path = WorkspaceRules::newMemberPath(dialog.location(),
                                                       dialog.sourceName(),
                                                       kind == 0 ? FileKind::Source
                                                                 : FileKind::Include);
    // The member first: a full workspace refuses it before anything is written to disk.
    const WorkspaceRecord::Change change = WorkspaceRules::addMember(record, path);
    if (change != WorkspaceRecord::Change::Ok) {
        showMessage(WorkspaceRecord::refusalMessage(change, path), PromptIcon::Exclamation);
        return;
    }
    if (WorkspaceRules::createMemberFile(path) == AtomicFileWriter::CreateResult::Failed) {
        record.removeEntry(record.entryCount() - 1);
        showMessage(ProjectWizard::copyFailedMessage(path), PromptIcon::Exclamation);
        commandsChanged();
        return;
    }
    addTreeFile(path, openDocument(path));
    commandsChanged();
}

void CWorkspaceCommands::InsertFiles()
{
    const QStringList paths = Prompts::instance().openFiles(
        WorkspaceRules::insertFilesRequest(dialogFolder()));
    WorkspaceRecord &record = WorkspaceRecord::instance();
    for (const QString &path : paths) {
        requireOpenWorkspace();
        const WorkspaceRecord::Change change = WorkspaceRules::addMember(record, path);
        if (change != WorkspaceRecord::Change::Ok) {
            showMessage(WorkspaceRecord::refusalMessage(change, path), PromptIcon::Exclamation);
            if (change == WorkspaceRecord::Change::Full)
                break;
            continue;
        }
        CQvasmDoc *doc = nullptr;
        {
            ProgramValues::RecentFilesOff off;
            doc = openDocument(path);
        }
        addTreeFile(path, doc);
    }
    commandsChanged();
}

void CWorkspaceCommands::RemoveFile()
{
    CCreateNewLocationDlg dialog(CCreateNewLocationDlg::removeFileSetup(), m_frame);
    if (dialog.exec() != QDialog::Accepted)
        return;
    WorkspaceRecord &record = WorkspaceRecord::instance();
    const int index = dialog.chosenIndex();
    if (!record.isOpen() || index < 0 || index >= record.entryCount())
        InternalFailure::raise(NoSuchMember);
    const QString path = record.entry(index).path;

    if (m_frame) {
        m_frame->resetDocFrameWalk();
        while (QMdiSubWindow *window = m_frame->NextDocFrame()) {
            auto *child = qobject_cast<CChildFrame *>(window);
            if (!child || child->document()->name() != path)
                continue;
            if (Prompts::instance().message(WorkspaceRules::closeWindowQuestion(),
                                            PromptButtons::YesNo,
                                            PromptIcon::Question)
                == PromptAnswer::Yes) {
                m_frame->mdiArea()->setActiveSubWindow(child);
                child->document()->CloseWithPrompt();
            }
            break;
        }
    }
    removeTreeFile(path);
    record.removeEntry(index);
    commandsChanged();
}

void CWorkspaceCommands::WorkspaceSettings()
{
    WorkspaceRecord &record = WorkspaceRecord::instance();
    if (!record.isOpen())
        return;
    CWorkspaceSettingsDlg dialog(record.targetFile(), m_frame);
    if (dialog.exec() != QDialog::Accepted)
        return;
    record.setTargetFile(dialog.targetFile());
    SaveWorkspace();
    commandsChanged();
}
