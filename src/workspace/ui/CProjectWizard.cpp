#include "workspace/ui/CProjectWizard.h"

#include "base/ProgramValues.h"
#include "base/Prompts.h"
#include "base/SettingsStore.h"
#include "editor/CQvasmDoc.h"
#include "editor/ui/CQvasmDocTemplate.h"
#include "editor/ui/CQvasmView.h"
#include "frame/CopyFileConfirm.h"
#include "frame/ui/CMainFrame.h"
#include "workspace/ProjectWizard.h"
#include "workspace/WorkspaceRecord.h"
#include "workspace/ui/CNewComProjectDlg.h"
#include "workspace/ui/CWorkspaceTree.h"
#include "workspace/ui/WorkspaceFile.h"

#include <QFileInfo>

CProjectWizard::CProjectWizard(CMainFrame *frame, CQvasmDocTemplate *documents, CWorkspaceTree *tree)
    : m_frame(frame)
    , m_documents(documents)
    , m_tree(tree)
{}

bool CProjectWizard::RunProjectWizard(const QString &location,
                                      const QString &sourceName,
                                      const QString &targetName,
                                      ProjectKind kind)
{
    CQvasmDocTemplate *documents = m_documents;
    WorkspaceRecord &record = WorkspaceRecord::instance();
    SettingsStore &settings = SettingsStore::instance();

    // A workspace still open here (its windows all closed) keeps what it had: the new record
    // replaces it only once the options are confirmed.
    const bool hadWorkspace = record.isOpen();
    const QStringList oldMembers = hadWorkspace ? record.entryPaths() : QStringList();
    if (hadWorkspace)
        WorkspaceFile::SaveWorkspace(m_frame, record);

    if (documents) {
        if (!documents->SaveAllModified())
            return false;
        documents->closeAllDocuments();
    }

    const QString workspaceFile = ProjectWizard::workspaceFilePath(location, sourceName);
    if (QFileInfo::exists(workspaceFile)
        && Prompts::instance().message(ProjectWizard::replaceQuestion(workspaceFile),
                                       PromptButtons::YesNo,
                                       PromptIcon::Exclamation)
               != PromptAnswer::Yes) {
        return false;
    }

    CNewComProjectDlg dialog(ProjectWizardOptions::read(settings), m_frame);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const ProjectWizardOptions options = dialog.options();
    options.write(settings);

    // Every path must fit the record before anything is written.
    const QString tooLong = ProjectWizard::checkPaths(location, sourceName, targetName, options);
    if (!tooLong.isEmpty()) {
        showMessage(tooLong, PromptIcon::Exclamation);
        return false;
    }

    const QString mainFile = location + sourceName;
    QString error;
    if (ProjectWizard::writeMainFile(mainFile, kind, options, &error)
        == AtomicFileWriter::CreateResult::Failed) {
        // Without its main file the project is nothing: leave the workspace state as it was.
        showMessage(ProjectWizard::copyFailedMessage(mainFile), PromptIcon::Exclamation);
        return false;
    }

    CWorkspaceTree *tree = m_tree;
    if (tree) {
        for (const QString &path : oldMembers)
            tree->RemoveTreeFile(path);
    }
    const QString makeSection = QStringLiteral("Make");
    ProjectWizard::fillRecord(record,
                              location,
                              sourceName,
                              targetName,
                              kind,
                              settings.readString(makeSection, QStringLiteral("lpath")));

    const QString includeFolder = settings.readString(makeSection, QStringLiteral("incpath"));
    for (const QString &name : ProjectWizard::copyList(options))
        CopyIntoProject(name, includeFolder, location);

    CQvasmDoc *main = documents ? documents->openDocument(mainFile) : nullptr;
    if (tree)
        tree->AddTreeFile(mainFile, main);
    if (main)
        documents->activate(main);

    if (!ProjectWizard::finish(record, workspaceFile, settings, &error))
        showMessage(WorkspaceRecord::writeErrorMessage(workspaceFile));
    if (m_frame)
        m_frame->requestCommandUpdate();
    return true;
}

void CProjectWizard::CopyIntoProject(const QString &name,
                                     const QString &includeFolder,
                                     const QString &location)
{
    const QString destination = location + name;
    // Its answer does not matter: a file kept in place is still taken into the project.
    CopyFileConfirm(ProjectWizard::copySource(includeFolder, name), destination);
    ProgramValues::RecentFilesOff off;
    if (!QFileInfo::exists(destination)) {
        showMessage(ProjectWizard::copyFailedMessage(destination));
        return;
    }
    CQvasmDoc *doc = m_documents ? m_documents->openDocument(destination) : nullptr;
    if (!doc)
        return;
    if (m_tree)
        m_tree->AddTreeFile(destination, doc);
    ProjectWizard::addCopiedMember(WorkspaceRecord::instance(), destination);
}
