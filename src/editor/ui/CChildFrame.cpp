#include "editor/ui/CChildFrame.h"

#include "base/AppInfo.h"
#include "editor/CQvasmDoc.h"
#include "editor/ui/CQvasmView.h"
#include "frame/ui/CMainFrame.h"

#include <QCloseEvent>
#include <QIcon>
#include <QMdiArea>

CChildFrame::CChildFrame(CQvasmDoc *document, QWidget *parent)
    : QMdiSubWindow(parent)
    , m_doc(document)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("childFrame"));
    // The document's parent says whose window it is; the destructor deletes it after the view.
    m_doc->setParent(this);
    m_view = new CQvasmView(m_doc);
    setWidget(m_view);
    setWindowTitle(m_doc->caption());
    connect(m_doc, &CQvasmDoc::captionChanged, this, &QWidget::setWindowTitle);
    connect(m_doc, &CQvasmDoc::closeRequested, this, &CChildFrame::closeWithoutAsking);
    // Maximised, the window's icon sits at the start of the menu bar; without one of its own it
    // would be Qt's.
    setWindowIcon(QIcon(QLatin1String(AppInfo::IconPath)));
}

CChildFrame::~CChildFrame()
{
    // The view shows the document's text, so it goes first.
    delete widget();
    delete m_doc;
}

CChildFrame *CChildFrame::of(const CQvasmDoc *document)
{
    return document ? qobject_cast<CChildFrame *>(document->parent()) : nullptr;
}

CQvasmView *CChildFrame::viewOf(const CQvasmDoc *document)
{
    CChildFrame *frame = of(document);
    return frame ? frame->view() : nullptr;
}

QList<CQvasmView *> CChildFrame::viewsIn(const CMainFrame *frame)
{
    QList<CQvasmView *> views;
    if (!frame)
        return views;
    for (QMdiSubWindow *window : frame->mdiArea()->subWindowList()) {
        if (auto *child = qobject_cast<CChildFrame *>(window))
            views << child->view();
    }
    return views;
}

CommandMap *CChildFrame::viewCommands()
{
    return &m_view->commands();
}

CommandMap *CChildFrame::documentCommands()
{
    return &m_doc->commands();
}

QPlainTextEdit *CChildFrame::editorView()
{
    return m_view;
}

void CChildFrame::closeWithoutAsking()
{
    m_closeAsked = true;
    close();
}

void CChildFrame::closeEvent(QCloseEvent *event)
{
    if (m_closed) {
        event->accept();
        return;
    }
    if (!m_closeAsked && !m_doc->SaveModified()) {
        event->ignore();
        return;
    }
    m_closeAsked = false;
    m_closed = true;
    m_doc->OnCloseDocument();
    QMdiSubWindow::closeEvent(event);
    emit documentClosed(m_doc);
}
