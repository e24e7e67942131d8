#pragma once

#include "workspace/WorkspaceRecord.h"

#include <QList>
#include <QString>

// Workspace files for tests that open them: a member entry and a stored record.
inline WorkspaceEntry member(const QString &path, bool opened = false, bool active = false)
{
    WorkspaceEntry e(path);
    e.wasOpened = opened;
    e.active = active;
    return e;
}

// Saves an open record with these members at path, which it also names as its own; returns path.
inline QString writeWorkspaceFile(const QString &path,
                                  const QString &mainFile,
                                  const QList<WorkspaceEntry> &members)
{
    WorkspaceRecord r;
    r.setOpen(true);
    r.setWorkspaceFilePath(path);
    r.setMainFile(mainFile);
    for (const WorkspaceEntry &e : members)
        r.appendEntry(e);
    r.save();
    return path;
}
