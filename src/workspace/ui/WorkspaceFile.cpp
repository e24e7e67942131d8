#include "workspace/ui/WorkspaceFile.h"

#include "base/Prompts.h"
#include "editor/CQvasmDoc.h"
#include "editor/ui/CChildFrame.h"
#include "editor/ui/CQvasmView.h"
#include "frame/ui/CMainFrame.h"

#include <QMdiSubWindow>

WorkspaceRecord::LoadResult WorkspaceFile::LoadWorkspace(const QString &path)
{
    return LoadWorkspace(WorkspaceRecord::instance(), path);
}

WorkspaceRecord::LoadResult WorkspaceFile::LoadWorkspace(WorkspaceRecord &record,
                                                         const QString &path)
{
    return record.load(path);
}

QList<WorkspaceWindowState> WorkspaceFile::windowStates(CMainFrame *frame)
{
    QList<WorkspaceWindowState> states;
    if (!frame)
        return states;
    const QMdiSubWindow *active = frame->activeDocumentFrame();
    frame->resetDocFrameWalk();
    while (QMdiSubWindow *window = frame->NextDocFrame()) {
        auto *child = qobject_cast<CChildFrame *>(window);
        if (!child)
            continue;
        const CQvasmView *view = child->view();
        const QTextCursor cursor = view->textCursor();
        WorkspaceWindowState state;
        state.path = child->document()->GetPathName();
        state.selectionStart = cursor.selectionStart();
        state.selectionEnd = cursor.selectionEnd();
        const QPoint scroll = view->scrollPosition();
        state.scrollX = scroll.x();
        state.scrollY = scroll.y();
        state.isActiveView = window == active;
        states.append(state);
    }
    return states;
}

bool WorkspaceFile::SaveWorkspace(CMainFrame *frame, WorkspaceRecord &record)
{
    record.applyWindowStates(windowStates(frame));
    QString error;
    if (record.save(&error))
        return true;
    showMessage(WorkspaceRecord::writeErrorMessage(record.workspaceFilePath()));
    return false;
}
