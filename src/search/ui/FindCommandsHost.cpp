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
    for (CQvasmView *view : CChildFrame::viewsIn(m_frame))
        attach(view);
}

void FindCommandsHost::attach(CQvasmView *view)
{
    if (!view || !m_frame || view->findChild<FindCommands *>(QString(), Qt::FindDirectChildrenOnly))
        return;
    new FindCommands(view, m_frame, m_modifiers);
    m_frame->requestCommandUpdate();
}
