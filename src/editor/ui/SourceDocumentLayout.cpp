#include "editor/ui/SourceDocumentLayout.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>

namespace {
// Wider than any screen, and beyond the widest line a text layout measures exactly, so a line's
// bounding box is its natural width rather than the line width.
constexpr int kStandInWidth = 9'000'000;
} // namespace

SourceDocumentLayout::SourceDocumentLayout(QTextDocument *document)
    : QPlainTextDocumentLayout(document)
{
    document->setDocumentLayout(this);
    installStandIn();
}

SourceDocumentLayout::~SourceDocumentLayout() = default;

QTextDocument *SourceDocumentLayout::createDocument(const QFont &font,
                                                    qreal tabStopDistance,
                                                    QObject *parent)
{
    auto *document = new QTextDocument(parent);
    document->setDefaultFont(font);
    QTextOption option = document->defaultTextOption();
    option.setWrapMode(QTextOption::NoWrap);
    option.setTabStopDistance(tabStopDistance);
    document->setDefaultTextOption(option);
    new SourceDocumentLayout(document);
    return document;
}

void SourceDocumentLayout::installStandIn()
{
    if (m_standIn)
        return;
    m_standIn = std::make_unique<QPlainTextEdit>();
    m_standIn->setAttribute(Qt::WA_DontShowOnScreen);
    m_standIn->setLineWrapMode(QPlainTextEdit::NoWrap);
    // A hidden widget gets no resize events, so its viewport keeps this width for good.
    m_standIn->viewport()->resize(kStandInWidth, 1);
    m_standIn->setDocument(document());
    // Let go of the document again: the role stays with the stand-in, its signals don't.
    auto *scratch = new QTextDocument(m_standIn.get());
    scratch->setDocumentLayout(new QPlainTextDocumentLayout(scratch));
    m_standIn->setDocument(scratch);
}

void SourceDocumentLayout::releaseStandIn()
{
    if (!m_standIn)
        return;
    // Attached again, the stand-in gives the role up as it is destroyed.
    m_standIn->setDocument(document());
    m_standIn.reset();
}

void SourceDocumentLayout::setViewWraps(bool wraps)
{
    if (wraps)
        releaseStandIn();
    else
        installStandIn();
}

QSizeF SourceDocumentLayout::documentSize() const
{
    QSizeF size = QPlainTextDocumentLayout::documentSize();
    if (m_standIn)
        size.setWidth(m_widest);
    return size;
}

QRectF SourceDocumentLayout::blockBoundingRect(const QTextBlock &block) const
{
    keepShapes(block);
    const QRectF rect = QPlainTextDocumentLayout::blockBoundingRect(block);
    if (m_standIn && rect.width() > m_widest) {
        m_widest = rect.width();
        auto *self = const_cast<SourceDocumentLayout *>(this);
        emit self->documentSizeChanged(documentSize());
    }
    return rect;
}

void SourceDocumentLayout::keepShapes(const QTextBlock &block)
{
    // A layout lets go of its shaped text once laid out, so each caret move, caret blink and
    // repaint of the line shapes it again: nothing for a source line, seconds for a line of
    // megabytes. Long lines keep theirs (about their length times 30 bytes while laid out).
    if (block.isValid() && block.length() > LongLine)
        block.layout()->setCacheEnabled(true);
}

void SourceDocumentLayout::documentChanged(int from, int charsRemoved, int charsAdded)
{
    // The base class takes a change to reach from + removed + added, so a block given new colours
    // (reported as the whole block removed and added again) or a letter typed into a coloured line
    // would lay out the following lines again and repaint the whole view. A change inside one
    // block that adds or removes no block changes that block alone.
    QTextDocument *doc = document();
    if (doc->blockCount() == m_blockCount && (charsRemoved > 0 || charsAdded > 0)) {
        const QTextBlock first = doc->findBlock(from);
        const QTextBlock last = doc->findBlock(from + qMax(charsRemoved, charsAdded) - 1);
        if (first.isValid() && first == last) {
            keepShapes(first);
            QPlainTextDocumentLayout::documentChanged(first.position(), 0, 1);
            return;
        }
    }
    QPlainTextDocumentLayout::documentChanged(from, charsRemoved, charsAdded);
    m_blockCount = doc->blockCount();
}
