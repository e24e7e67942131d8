#pragma once

#include "workspace/WorkspaceRecord.h"

#include <QList>

class CMainFrame;

// The workspace file's two primitives over the program's record and the open document windows.
class WorkspaceFile
{
public:
    // Clears the record and reads the file into it (at most 32768 bytes, counts clamped).
    static WorkspaceRecord::LoadResult LoadWorkspace(const QString &path);
    static WorkspaceRecord::LoadResult LoadWorkspace(WorkspaceRecord &record, const QString &path);

    // Brings the members' window state up to date from the document windows (was-opened and
    // active flags, selection, scroll position) and writes the record to its workspace file path,
    // atomically. On failure the user reads "Error writing to workspace file: %s", the old file
    // stays whole and false comes back.
    static bool SaveWorkspace(CMainFrame *frame, WorkspaceRecord &record);

    // Where each document window stands, topmost first; untitled documents have an empty path.
    static QList<WorkspaceWindowState> windowStates(CMainFrame *frame);
};
