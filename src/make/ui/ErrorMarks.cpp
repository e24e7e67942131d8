#include "make/ui/ErrorMarks.h"

#include "base/CommandIds.h"
#include "editor/CQvasmDoc.h"
#include "editor/ui/CChildFrame.h"
#include "editor/ui/CQvasmView.h"
#include "frame/ui/CMainFrame.h"
#include "frame/ui/CStatusLine.h"
#include "frame/ui/DocumentWindow.h"
#include "make/BuildOutput.h"

#include <QMdiArea>
#include <QTextBlock>

namespace {

// The run whose marks a view shows, and the listing whose lines it shows.
const char *const RunProperty = "qvasmideErrorRun";
const char *const ListingProperty = "qvasmideListingRun";

QString pathOf(const CQvasmView *view)
{
    return view && view->GetDocument() ? view->GetDocument()->GetPathName() : QString();
}

} // namespace

ErrorMarks::ErrorMarks(CMainFrame *frame, SourceNavigator navigator)
    : QObject(frame)
    , m_frame(frame)
    , m_navigator(std::move(navigator))
{
    setObjectName(QStringLiteral("errorMarks"));
    // A window that opens (or a workspace's several) gets the marks of its file.
    connect(frame, &CMainFrame::activeDocumentWindowChanged, this, [this] {
        collect();
        markViews();
    });
    CommandMap &c = frame->commands();
    c.on(ID_MAKE_NEXT_ERROR, [this] { step(true); });
    c.on(ID_MAKE_PREV_ERROR, [this] { step(false); });
    const auto enable = [this](CommandUpdate &u) { u.enable(!m_anchors.isEmpty()); };
    c.onUpdate(ID_MAKE_NEXT_ERROR, enable);
    c.onUpdate(ID_MAKE_PREV_ERROR, enable);
    c.on(ID_VIEW_LISTING_GUTTER, [this] { setListingShown(!m_listingShown); });
    c.onUpdate(ID_VIEW_LISTING_GUTTER, [this](CommandUpdate &u) {
        // Only for a document the last listing says something about.
        DocumentWindow *window = m_frame ? m_frame->activeDocumentWindow() : nullptr;
        auto *view = window ? qobject_cast<CQvasmView *>(window->editorView()) : nullptr;
        u.enable(view && view->hasLineAnnotations());
        u.setCheck(m_listingShown);
    });
}

void ErrorMarks::takeListing(const ListingMap &listing)
{
    m_listing = listing;
    ++m_listingRun;
    markViews();
    if (m_frame)
        m_frame->requestCommandUpdate();
}

void ErrorMarks::setListingShown(bool on)
{
    m_listingShown = on;
    for (CQvasmView *view : views())
        view->setAnnotationsShown(on);
    if (m_frame)
        m_frame->requestCommandUpdate();
}

void ErrorMarks::takeRun(const QByteArray &output)
{
    m_anchors = ErrorAnchors::fromOutput(BuildOutput::parse(output));
    ++m_run;
    markViews();
    // "Error 2 of 3" counted the run before; left there, it would be read as this run's.
    if (m_frame && !m_stepText.isEmpty()
        && m_frame->statusLine()->paneText(CStatusLine::MessagePane) == m_stepText)
        m_frame->ShowStatusMessage(CStatusLine::MessagePane,
                                   CStatusLine::readyText(),
                                   CMainFrame::menuBarColour());
    m_stepText.clear();
    if (m_frame)
        m_frame->requestCommandUpdate();
}

const ErrorAnchors &ErrorMarks::anchors()
{
    collect();
    return m_anchors;
}

QList<CQvasmView *> ErrorMarks::views() const
{
    QList<CQvasmView *> list;
    if (!m_frame)
        return list;
    for (QMdiSubWindow *window : m_frame->mdiArea()->subWindowList()) {
        if (auto *child = qobject_cast<CChildFrame *>(window))
            list.append(child->view());
    }
    return list;
}

void ErrorMarks::markViews()
{
    for (CQvasmView *view : views()) {
        const QString path = pathOf(view);
        if (path.isEmpty())
            continue;
        if (view->property(RunProperty).toInt() != m_run) {
            view->setProperty(RunProperty, m_run);
            view->setLineMarks(m_anchors.marksFor(path));
        }
        if (view->property(ListingProperty).toInt() != m_listingRun) {
            view->setProperty(ListingProperty, m_listingRun);
            QHash<int, QString> lines;
            const QHash<int, ListingMap::Entry> entries = m_listing.linesOf(path);
            for (auto it = entries.begin(); it != entries.end(); ++it)
                lines.insert(it.key(), ListingMap::gutterText(it.value()));
            view->setLineAnnotations(lines);
            view->setAnnotationsShown(m_listingShown);
        }
    }
}

void ErrorMarks::collect()
{
    for (CQvasmView *view : views()) {
        const QString path = pathOf(view);
        if (!path.isEmpty() && view->property(RunProperty).toInt() == m_run)
            m_anchors.takeMarks(path, view->lineMarks());
    }
}

bool ErrorMarks::step(bool forward)
{
    collect();
    QString file;
    int line = 0;
    if (m_frame) {
        if (DocumentWindow *window = m_frame->activeDocumentWindow()) {
            if (auto *view = qobject_cast<CQvasmView *>(window->editorView())) {
                file = pathOf(view);
                line = view->textCursor().blockNumber() + 1;
            }
        }
    }
    const int index = m_anchors.step(file, line, forward);
    if (index < 0)
        return false;
    const ErrorAnchor anchor = m_anchors.anchors()[size_t(index)];
    if (!m_navigator.open(anchor.file, anchor.line, SourceNavigator::CaretOnly))
        return false;
    if (m_frame) {
        m_stepText = anchor.statusText(m_anchors.positionOf(index), m_anchors.count());
        m_frame->ShowStatusMessage(CStatusLine::MessagePane,
                                   m_stepText,
                                   anchor.kind == LineMark::Kind::Error
                                       ? QColor(0xff, 0xc8, 0xc8)
                                       : CMainFrame::menuBarColour());
    }
    return true;
}
