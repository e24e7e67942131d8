#include "editor/ui/CSyntaxColorer.h"

#include "base/SettingsStore.h"
#include "editor/CQvasmDoc.h"
#include "editor/DocumentNaming.h"
#include "editor/ui/CChildFrame.h"
#include "editor/ui/CQvasmView.h"
#include "frame/ui/CMainFrame.h"

#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTextBlock>
#include <QTextDocument>

namespace {

// A block's userState: the scan state at its end, and whether its layout carries our formats
// (so that only those blocks are ever touched again when colours go or change).
constexpr int kHasFormats = 1 << 29;
// How many blocks after an edit take a change of state at once; the rest follows lazily.
constexpr int kCarryBudget = 256;

bool hasFormats(const QTextBlock &block)
{
    const int s = block.userState();
    return s >= 0 && (s & kHasFormats);
}

SyntaxLineState stateFromUser(int userState)
{
    return SyntaxLineState::fromUserState(userState < 0 ? -1 : (userState & ~kHasFormats));
}

SyntaxLineState endState(const QTextBlock &block)
{
    return block.isValid() ? stateFromUser(block.userState()) : SyntaxLineState();
}

void storeState(QTextBlock block, const SyntaxLineState &state, bool formats)
{
    block.setUserState(state.toUserState() | (formats ? kHasFormats : 0));
}

// How much of a block to mark for a new layout: any part of it has the whole block laid out again,
// and a range that stays inside the block keeps the repaint to that block.
int dirtyLength(const QTextBlock &block)
{
    return qMin(1, block.length());
}

bool isColoured(const CQvasmView &view)
{
    return DocumentNaming::isColoured(view.fileKind());
}

} // namespace

CSyntaxColorer::CSyntaxColorer(CMainFrame *frame)
    : QObject(frame)
    , m_keywords(KeywordIndex::withBuiltIns())
    , m_scanner(m_keywords)
{
    setObjectName(QStringLiteral("syntaxColorer"));
    rebuildFormats();
    CQvasmView::setColourer(this);
}

CSyntaxColorer::~CSyntaxColorer()
{
    if (CQvasmView::colourer() == this)
        CQvasmView::setColourer(nullptr);
}

CSyntaxColorer *CSyntaxColorer::instance()
{
    return dynamic_cast<CSyntaxColorer *>(CQvasmView::colourer());
}

// Keywords and colours ---------------------------------------------------------------------------

int CSyntaxColorer::AddKeywords(QStringView text, int category)
{
    return m_keywords.addKeywords(text, category);
}

int CSyntaxColorer::addUserKeywordFile(const QString &programFolder)
{
    return m_keywords.addKeywordFile(
        QDir(programFolder).filePath(KeywordIndex::userKeywordFileName()));
}

void CSyntaxColorer::setColours(const SyntaxColours &colours)
{
    m_colours = colours;
    rebuildFormats();
}

void CSyntaxColorer::applyColours(const SyntaxColours &colours)
{
    setColours(colours);
    // Every source window of this colorer's frame.
    for (CQvasmView *view : CChildFrame::viewsIn(qobject_cast<CMainFrame *>(parent())))
        view->Refresh();
}

void CSyntaxColorer::loadColours(const SettingsStore &store)
{
    m_colours.load(store);
    rebuildFormats();
}

void CSyntaxColorer::rebuildFormats()
{
    for (size_t f = 0; f < m_formats.size(); ++f) {
        QTextCharFormat format;
        format.setForeground(m_colours.colour(SyntaxFormat(f)));
        m_formats[f] = format;
    }
}

QList<QTextLayout::FormatRange> CSyntaxColorer::ranges(const QList<SyntaxSpan> &spans) const
{
    QList<QTextLayout::FormatRange> out;
    out.reserve(spans.size());
    for (const SyntaxSpan &span : spans)
        out.append({span.start, span.length, m_formats[size_t(span.format)]});
    return out;
}

// Per-document bookkeeping -------------------------------------------------------------------------

CSyntaxColorer::DocumentState &CSyntaxColorer::stateOf(QTextDocument *document)
{
    auto it = m_documents.find(document);
    if (it != m_documents.end())
        return *it;
    DocumentState &state = m_documents[document];
    state.blockCount = document->blockCount();
    connect(document, &QObject::destroyed, this, [this, document] { m_documents.remove(document); });
    // Changes the view does not report (formatting off, the view's own commands) still make the
    // states below them stale.
    connect(document, &QTextDocument::contentsChange, this, [this, document](int position, int, int) {
        const auto it = m_documents.find(document);
        if (it == m_documents.end() || m_applying)
            return;
        const CQvasmView *view = it->view;
        if (view && !view->isColouringBusy() && CQvasmView::formattingOn())
            return; // reported through textChanged()
        noteChange(document, position);
    });
    return state;
}

CSyntaxColorer::DocumentState &CSyntaxColorer::attach(CQvasmView &view)
{
    DocumentState &state = stateOf(view.document());
    state.view = &view;
    watch(view);
    return state;
}

void CSyntaxColorer::watch(CQvasmView &view)
{
    static const char watched[] = "qvasmide_colourerWatch";
    if (view.property(watched).value<QObject *>() == this)
        return;
    view.setProperty(watched, QVariant::fromValue<QObject *>(this));
    QPointer<CQvasmView> guarded(&view);
    connect(&view, &QPlainTextEdit::updateRequest, this, [this, guarded](const QRect &rect, int dy) {
        if (!guarded || !mayColour(*guarded))
            return;
        if (dy != 0)
            colourVisible(*guarded);
        else if (rect.contains(guarded->viewport()->rect()))
            queueVisiblePass(*guarded);
    });
}

bool CSyntaxColorer::mayColour(const CQvasmView &view) const
{
    return CQvasmView::colourer() == this && CQvasmView::formattingOn() && !view.isColouringBusy()
           && !view.GetDocument()->isLoading();
}

void CSyntaxColorer::noteChange(QTextDocument *document, int position)
{
    DocumentState &state = m_documents[document];
    const QTextBlock block = document->findBlock(position);
    const int number = block.isValid() ? block.blockNumber() : document->blockCount() - 1;
    state.trusted = qMin(state.trusted, qMax(0, number));
    state.blockCount = document->blockCount();
}

// Scanning -----------------------------------------------------------------------------------------

SyntaxLineState CSyntaxColorer::scanBlock(const QTextBlock &block, QList<SyntaxSpan> &spans) const
{
    spans.clear();
    return m_scanner.scanLine(block.text(),
                              endState(block.previous()),
                              block.next().isValid(),
                              spans);
}

void CSyntaxColorer::applyFormats(QTextDocument *document,
                                  const QTextBlock &block,
                                  const QList<SyntaxSpan> &spans)
{
    const QList<QTextLayout::FormatRange> wanted = ranges(spans);
    QTextLayout *layout = block.layout();
    if (!layout || layout->formats() == wanted)
        return;
    ++m_applying;
    layout->setFormats(wanted);
    document->markContentsDirty(block.position(), dirtyLength(block));
    --m_applying;
}

void CSyntaxColorer::ensureStates(
    QTextDocument *document, DocumentState &state, int upTo, int showFrom, int showTo)
{
    upTo = qMin(upTo, document->blockCount() - 1);
    if (state.trusted > upTo)
        return;
    int number = state.trusted;
    QTextBlock block = document->findBlockByNumber(number);
    SyntaxLineState carried = endState(block.previous());
    for (; block.isValid() && number <= upTo; block = block.next(), ++number) {
        m_spans.clear();
        const bool show = (number >= showFrom && number <= showTo) || hasFormats(block);
        carried = m_scanner.scanLine(block.text(), carried, block.next().isValid(), m_spans);
        storeState(block, carried, show);
        if (show)
            applyFormats(document, block, m_spans);
        state.trusted = number + 1;
    }
}

void CSyntaxColorer::colourVisible(CQvasmView &view)
{
    if (!isColoured(view))
        return;
    QTextDocument *document = view.document();
    DocumentState &state = attach(view);
    const int first = view.firstVisibleTextBlock().blockNumber();
    const int last = view.lastVisibleTextBlock().blockNumber();
    if (first < 0 || last < first)
        return;
    const int trustedBefore = state.trusted;
    ensureStates(document, state, last, first, last);
    // Blocks whose states were known already get formats once they show.
    QTextBlock block = document->findBlockByNumber(first);
    for (int number = first; block.isValid() && number <= qMin(last, trustedBefore - 1);
         block = block.next(), ++number) {
        if (hasFormats(block))
            continue;
        const SyntaxLineState end = scanBlock(block, m_spans);
        storeState(block, end, true);
        applyFormats(document, block, m_spans);
    }
}

void CSyntaxColorer::queueVisiblePass(CQvasmView &view)
{
    DocumentState &state = stateOf(view.document());
    if (state.visiblePassQueued)
        return;
    state.visiblePassQueued = true;
    QPointer<CQvasmView> guarded(&view);
    QPointer<QTextDocument> document(view.document());
    QMetaObject::invokeMethod(
        this,
        [this, guarded, document] {
            if (!document)
                return;
            const auto it = m_documents.find(document.data());
            if (it != m_documents.end())
                it->visiblePassQueued = false;
            if (guarded && guarded->document() == document && mayColour(*guarded))
                colourVisible(*guarded);
        },
        Qt::QueuedConnection);
}

void CSyntaxColorer::clearAll(QTextDocument *document)
{
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        if (!hasFormats(block))
            continue;
        ++m_applying;
        block.layout()->clearFormats();
        document->markContentsDirty(block.position(), dirtyLength(block));
        --m_applying;
        block.setUserState(block.userState() & ~kHasFormats);
    }
}

// ViewColourer -------------------------------------------------------------------------------------

void CSyntaxColorer::textChanged(CQvasmView &view, int position, int, int charsAdded)
{
    QTextDocument *document = view.document();
    DocumentState &state = attach(view);
    const int count = document->blockCount();
    const int delta = count - state.blockCount;
    state.blockCount = count;
    if (!isColoured(view)) {
        noteChange(document, position);
        return;
    }

    QTextBlock block = document->findBlock(position);
    if (!block.isValid())
        block = document->lastBlock();
    QTextBlock lastChanged = document->findBlock(position + charsAdded);
    if (!lastChanged.isValid())
        lastChanged = document->lastBlock();
    int number = block.blockNumber();
    const int firstChanged = number;
    const int changedTo = lastChanged.blockNumber();
    if (number >= state.trusted) {
        queueVisiblePass(view);
        return;
    }

    // Blocks after the change held the right states up to here, if their start doesn't change.
    const int trustedAfter = state.trusted + delta;
    SyntaxLineState carried = endState(block.previous());
    for (;;) {
        const int before = block.userState();
        m_spans.clear();
        carried = m_scanner.scanLine(block.text(), carried, block.next().isValid(), m_spans);
        // The first and last changed lines are where the caret is: always coloured. The lines of
        // a long paste in between get theirs as they show.
        const bool show = number == firstChanged || number == changedTo || hasFormats(block);
        storeState(block, carried, show);
        if (show)
            applyFormats(document, block, m_spans);
        if (number > changedTo && before >= 0 && stateFromUser(before) == carried
            && number < trustedAfter) {
            state.trusted = trustedAfter;
            break;
        }
        const QTextBlock next = block.next();
        if (!next.isValid()
            || (number >= changedTo
                && (number + 1 >= trustedAfter || number - changedTo >= kCarryBudget))) {
            state.trusted = number + 1;
            break;
        }
        block = next;
        ++number;
    }
    queueVisiblePass(view);
}

void CSyntaxColorer::visibleBlocksChanged(CQvasmView &view)
{
    colourVisible(view);
}

void CSyntaxColorer::colourAll(CQvasmView &view)
{
    QTextDocument *document = view.document();
    DocumentState &state = attach(view);
    state.trusted = 0;
    state.blockCount = document->blockCount();
    if (!isColoured(view)) {
        clearAll(document); // other files are black
        return;
    }
    colourVisible(view);
}

void CSyntaxColorer::clearColours(CQvasmView &view)
{
    attach(view);
    clearAll(view.document());
}

QList<QTextLayout::FormatRange> CSyntaxColorer::printFormats(const CQvasmView &view,
                                                             const QTextBlock &block)
{
    if (!isColoured(view) || !block.isValid())
        return {};
    QTextDocument *document = view.document();
    ensureStates(document, stateOf(document), block.blockNumber() - 1, -1, -1);
    QList<SyntaxSpan> spans;
    scanBlock(block, spans);
    return ranges(spans);
}
