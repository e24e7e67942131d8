#include "editor/ui/EditorAids.h"

#include "base/CommandIds.h"
#include "base/SettingsStore.h"
#include "editor/CQvasmDoc.h"
#include "editor/ui/CChildFrame.h"
#include "editor/ui/CHelpPopup.h"
#include "editor/ui/CQvasmView.h"
#include "editor/ui/CSyntaxColorer.h"
#include "editor/ui/ViewContextHelp.h"
#include "editor/ui/ViewTextCommands.h"
#include "editor/ui/ViewTypingAids.h"
#include "frame/ui/CMainFrame.h"

#include <QMdiArea>

EditorAids::EditorAids(CMainFrame *frame)
    : QObject(frame)
    , m_frame(frame)
{
    setObjectName(QStringLiteral("editorAids"));
    *m_lineNumbers = SettingsStore::instance().readInt(LineNumbersSection, LineNumbersKey, 1) != 0;
    new CSyntaxColorer(frame);
    new CHelpPopup(frame);
    connect(frame, &CMainFrame::activeDocumentWindowChanged, this, &EditorAids::attachAll);
    attachAll();
}

void EditorAids::attachAll()
{
    for (CQvasmView *view : CChildFrame::viewsIn(m_frame))
        attach(view);
}

void EditorAids::attach(CQvasmView *view)
{
    if (!view || view->findChild<ViewTypingAids *>(QString(), Qt::FindDirectChildrenOnly))
        return;
    new ViewTypingAids(view, m_autoIndent);
    new ViewTextCommands(view, m_modifiers);
    new ViewContextHelp(view);
    view->setLineNumbersShown(*m_lineNumbers);
    const QPointer<EditorAids> aids(this);
    const std::shared_ptr<bool> shown = m_lineNumbers;
    view->commands().on(ID_VIEW_LINE_NUMBERS, [aids, shown] {
        if (aids)
            aids->setLineNumbersShown(!*shown);
    });
    view->commands().onUpdate(ID_VIEW_LINE_NUMBERS, [shown](CommandUpdate &u) {
        u.enable();
        u.setCheck(*shown);
    });
    // A new name can change whether the text is coloured (untitled.asm saved as notes.txt).
    QPointer<CQvasmView> guarded(view);
    connect(view->GetDocument(), &CQvasmDoc::fileKindChanged, view, [guarded] {
        if (guarded && CQvasmView::formattingOn() && !guarded->GetDocument()->isLoading())
            guarded->Refresh();
    });
    if (CMainFrame *frame = view->mainFrame())
        frame->requestCommandUpdate();
}

void EditorAids::setLineNumbersShown(bool on)
{
    *m_lineNumbers = on;
    SettingsStore::instance().writeInt(LineNumbersSection, LineNumbersKey, on ? 1 : 0);
    if (!m_frame)
        return;
    for (QMdiSubWindow *window : m_frame->mdiArea()->subWindowList()) {
        if (auto *child = qobject_cast<CChildFrame *>(window))
            child->view()->setLineNumbersShown(on);
    }
    m_frame->requestCommandUpdate();
}

void EditorAids::applyStartupSettings(CMainFrame *frame,
                                      const QString &programFolder,
                                      bool documentOpenedAtStart)
{
    CSyntaxColorer *colorer = frame ? frame->findChild<CSyntaxColorer *>() : nullptr;
    if (!colorer)
        return;
    colorer->loadColours(SettingsStore::instance());
    colorer->addUserKeywordFile(programFolder);
    if (!CQvasmView::formattingOn() || !documentOpenedAtStart)
        return;
    if (auto *child = qobject_cast<CChildFrame *>(frame->activeDocumentFrame()))
        child->view()->Refresh();
}
