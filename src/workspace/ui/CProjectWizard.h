#pragma once

#include "workspace/SourceTemplates.h"

#include <QString>

class CMainFrame;
class CQvasmDocTemplate;
class CWorkspaceTree;

// New Workspace's wizard over the main frame: saves and closes the documents, asks for the
// project's options (dialog 138), writes the skeleton main file, copies the chosen include and
// readme files from the include folder (Make/incpath), fills and writes the workspace record and
// leaves the main file open and active. The decisions are ProjectWizard's.
class CProjectWizard
{
public:
    CProjectWizard(CMainFrame *frame, CQvasmDocTemplate *documents, CWorkspaceTree *tree);

    // Location (ending in "/"), source and target file names and the project kind. False when
    // the user stopped it or the project could not be made; the previous workspace stays as it
    // was until dialog 138 is confirmed.
    bool RunProjectWizard(const QString &location,
                          const QString &sourceName,
                          const QString &targetName,
                          ProjectKind kind);

private:
    // One file from the include folder into the project; a member when it could be opened.
    void CopyIntoProject(const QString &name, const QString &includeFolder, const QString &location);

    CMainFrame *m_frame;
    CQvasmDocTemplate *m_documents;
    CWorkspaceTree *m_tree;
};
