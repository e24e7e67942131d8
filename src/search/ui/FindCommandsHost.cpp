#include "search/ui/FindCommandsHost.h"

#include "editor/ui/CChildFrame.h"
#include "editor/ui/CQvasmView.h"
#include "frame/ui/CMainFrame.h"

#include <QMdiArea>

FindCommandsHost::FindCommandsHost(CMainFrame *frame)
    : QObject(frame)
    , m_frame(frame)
{
    setObjectName(QStringLiteral("findCommandsHost"));
    connect(frame, &CMainFrame::activeDocumentWindowChanged, this, &FindCommandsHost::attachAll);
    attachAll();
}

void FindCommandsHost::attachAll()
{
    if (!m_frame)
        return;
    // Windows that never became active get theirs too (a workspace opens several at once).
    for (QMdiSubWindow *window : m_frame->mdiArea()->subWindowList()) {
        if (auto *child = qobject_cast<CChildFrame *>(window))
            attach(child->view());
    }
}

void FindCommandsHost::attach(CQvasmView *view)
{
    if (!view || !m_frame || view->findChild<FindCommands *>(QString(), Qt::FindDirectChildrenOnly))
        return;
    new FindCommands(view, m_frame, m_modifiers);
    m_frame->requestCommandUpdate();
}
