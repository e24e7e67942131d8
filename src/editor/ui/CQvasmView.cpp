#include "editor/ui/CQvasmView.h"

#include "base/CommandIds.h"
#include "base/ProgramValues.h"
#include "base/SettingsStore.h"
#include "editor/CQvasmDoc.h"
#include "editor/EditorSettings.h"
#include "editor/ui/DocumentPrinter.h"
#include "editor/ui/LineGutter.h"
#include "editor/ui/SourceDocumentLayout.h"
#include "editor/ui/ViewColourer.h"
#include "frame/ui/CMainFrame.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QTextBlock>
#include <QToolTip>

#include <optional>

namespace {

ViewColourer *g_colourer = nullptr;

// Asking the clipboard is a round trip to the display server; the answer holds until it changes.
bool clipboardHasText()
{
    static std::optional<bool> known;
    static const QMetaObject::Connection watch = QObject::connect(QGuiApplication::clipboard(),
                                                                  &QClipboard::dataChanged,
                                                                  [] { known.reset(); });
    Q_UNUSED(watch);
    if (!known) {
        const QMimeData *data = QGuiApplication::clipboard()->mimeData();
        known = data && data->hasText();
    }
    return *known;
}

// The printer of a view nobody gave the program's printer to (tests).
QPrinter *ownPrinter()
{
    static QPrinter printer;
    return &printer;
}

int lineHeight(const QPlainTextEdit &edit)
{
    return qMax(1, qRound(QFontMetricsF(edit.document()->defaultFont()).lineSpacing()));
}

int digitWidth(const QFont &font)
{
    return qCeil(QFontMetricsF(font).horizontalAdvance(QLatin1Char('9')));
}

QColor markColour(LineMark::Kind kind)
{
    return kind == LineMark::Kind::Error ? QColor(0xd0, 0x10, 0x10) : QColor(0xd0, 0x80, 0x00);
}

} // namespace

CQvasmView::CQvasmView(CQvasmDoc *document, QWidget *parent)
    : QPlainTextEdit(parent)
    , m_doc(document)
{
    setObjectName(QStringLiteral("editor"));
    setLineWrapMode(NoWrap);
    // Files dropped here belong to the main frame; text is not dragged around inside.
    setAcceptDrops(false);
    viewport()->setAcceptDrops(false);
    const QFont font = EditorSettings::font(SettingsStore::instance());
    setFont(font);
    m_gutter = new LineGutter(
        this,
        [this](QPaintEvent *event) { paintGutter(event); },
        [this](int y) { return lineMarkToolTip(lineAtY(y)); });
    // Only the part of the gutter beside what changed is painted again.
    // The gutter shows where lines are: a change that moves none (a letter, a recolour) leaves
    // it as it is; lines that came or went, or wrapping, paint the part beside the change.
    connect(this, &QPlainTextEdit::updateRequest, m_gutter, [this](const QRect &rect, int dy) {
        if (dy != 0)
            m_gutter->scroll(0, dy);
        else if (this->document()->blockCount() != m_gutterPaintedBlocks || wordWrap())
            m_gutter->update(0, rect.y(), m_gutter->width(), rect.height());
    });
    connect(this, &QPlainTextEdit::blockCountChanged, this, [this] { updateGutterWidth(); });
    if (m_doc->isLoading()) {
        // An empty stand-in until the text is in; nothing typed meanwhile could be kept.
        setReadOnly(true);
        connect(m_doc, &CQvasmDoc::loaded, this, [this] {
            setReadOnly(false);
            attachText();
            if (!m_pendingMarks.isEmpty())
                setLineMarks(std::exchange(m_pendingMarks, {}));
            for (const std::unique_ptr<QKeyEvent> &key : std::exchange(m_keysWhileLoading, {}))
                QCoreApplication::sendEvent(this, key.get());
        });
    }
    attachText();
    registerCommands();
    // A reload keeps the caret and the scroll where they can be; recovered text shows from the
    // top, as a file just opened.
    connect(m_doc, &CQvasmDoc::aboutToReload, this, [this] {
        m_beforeReload = {textCursor().anchor(), textCursor().position(), scrollPosition()};
    });
    connect(m_doc, &CQvasmDoc::reloaded, this, [this] {
        const int last = this->document()->characterCount() - 1;
        setSelection(qMin(m_beforeReload.anchor, last), qMin(m_beforeReload.position, last));
        setScrollPosition(m_beforeReload.scroll);
    });
    connect(m_doc, &CQvasmDoc::textRestored, this, [this] { moveCursor(QTextCursor::Start); });
}

QPrinter *CQvasmView::printer() const
{
    QPrinter *given = m_printer ? m_printer() : nullptr;
    return given ? given : ownPrinter();
}

CQvasmView::~CQvasmView()
{
    disconnect(m_contentsConnection);
}

FileKind CQvasmView::fileKind() const
{
    return m_doc->fileKind();
}

CMainFrame *CQvasmView::mainFrame() const
{
    return qobject_cast<CMainFrame *>(window());
}

void CQvasmView::attachText()
{
    QTextDocument *text = m_doc->textDocument();
    setDocument(text);
    setTabStops(EditorSettings::tabStops(SettingsStore::instance()));
    disconnect(m_contentsConnection);
    m_contentsConnection = connect(text,
                                   &QTextDocument::contentsChange,
                                   this,
                                   &CQvasmView::onContentsChange);
    m_gutter->setFont(text->defaultFont());
    updateGutterWidth();
    noteVisibleBlocks();
}

// Redraw lock ---------------------------------------------------------------------------------

void CQvasmView::LockRedraw()
{
    if (m_redrawLock++ == 0)
        viewport()->setUpdatesEnabled(false);
}

void CQvasmView::UnlockRedraw()
{
    if (m_redrawLock <= 0)
        return;
    if (--m_redrawLock == 0) {
        viewport()->setUpdatesEnabled(true);
        viewport()->update();
    }
}

// Colouring ------------------------------------------------------------------------------------

void CQvasmView::setColourer(ViewColourer *colourer)
{
    g_colourer = colourer;
}

ViewColourer *CQvasmView::colourer()
{
    return g_colourer;
}

bool CQvasmView::formattingOn()
{
    return ProgramValues::instance().formatting;
}

void CQvasmView::Refresh()
{
    if (m_doc->isLoading())
        return;
    const bool modified = m_doc->IsModified();
    if (g_colourer) {
        ColouringBusy busy(*this);
        RedrawLock lock(*this);
        if (formattingOn())
            g_colourer->colourAll(*this);
        else
            g_colourer->clearColours(*this);
    }
    // Without a colourer there is nothing but black text: colours never live in the text itself.
    m_doc->SetModifiedFlag(modified);
}

void CQvasmView::onContentsChange(int position, int removed, int added)
{
    if (removed > 0 && !m_marks.empty())
        dropDeletedMarks();
    if (document()->blockCount() != m_knownBlockCount)
        moveAnnotations(position);
    if (g_colourer && !m_colouringBusy && formattingOn())
        g_colourer->textChanged(*this, position, removed, added);
}

void CQvasmView::noteVisibleBlocks()
{
    emit visibleBlocksChanged();
    if (g_colourer && !m_colouringBusy && formattingOn() && !m_doc->isLoading())
        g_colourer->visibleBlocksChanged(*this);
}

QTextBlock CQvasmView::firstVisibleTextBlock() const
{
    return firstVisibleBlock();
}

QTextBlock CQvasmView::lastVisibleTextBlock() const
{
    const QTextBlock block = cursorForPosition(QPoint(1, viewport()->height() - 2)).block();
    return block.isValid() ? block : document()->lastBlock();
}

void CQvasmView::resizeEvent(QResizeEvent *event)
{
    QPlainTextEdit::resizeEvent(event);
    placeGutter();
    noteVisibleBlocks();
}

void CQvasmView::scrollContentsBy(int dx, int dy)
{
    // Scrolled by lines now: a part line kept from a restored position no longer applies. The
    // viewport gets its place back once the scroll is through (moving it now would lay the
    // view out again in the middle of the scroll).
    if (dy != 0 && !m_settingScroll && m_scrollRemainder != 0) {
        m_scrollRemainder = 0;
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (m_scrollRemainder == 0)
                    applyViewportMargins();
            },
            Qt::QueuedConnection);
    }
    QPlainTextEdit::scrollContentsBy(dx, dy);
    if (dy != 0)
        noteVisibleBlocks();
}

void CQvasmView::showEvent(QShowEvent *event)
{
    QPlainTextEdit::showEvent(event);
    noteVisibleBlocks();
}

// Font, tabs, wrapping ---------------------------------------------------------------------------

void CQvasmView::setEditorFont(const QFont &font)
{
    setScrollRemainder(0); // a part of a line of the old font
    setFont(font);
    document()->setDefaultFont(font);
    m_gutter->setFont(font);
    updateGutterWidth();
    m_gutter->update();
    setTabStops(EditorSettings::tabStops(SettingsStore::instance()));
}

void CQvasmView::setTabStops(int characters)
{
    setTabStopDistance(EditorSettings::tabStopDistance(document()->defaultFont(), characters));
}

void CQvasmView::setWordWrap(bool on)
{
    if (on == wordWrap())
        return;
    if (auto *layout = qobject_cast<SourceDocumentLayout *>(document()->documentLayout()))
        layout->setViewWraps(on);
    setLineWrapMode(on ? WidgetWidth : NoWrap);
}

// Position ---------------------------------------------------------------------------------------

QPoint CQvasmView::scrollPosition() const
{
    return QPoint(horizontalScrollBar()->value(),
                  verticalScrollBar()->value() * lineHeight(*this) + m_scrollRemainder);
}

void CQvasmView::setScrollPosition(const QPoint &position)
{
    const QScopedValueRollback<bool> setting(m_settingScroll, true);
    horizontalScrollBar()->setValue(position.x());
    // The scroll bar moves by whole lines; the rest of the pixels scroll the viewport itself.
    const int height = lineHeight(*this);
    const int y = qMax(0, position.y());
    QScrollBar *bar = verticalScrollBar();
    bar->setValue(y / height);
    setScrollRemainder(bar->value() == y / height ? y % height : 0);
}

void CQvasmView::setScrollRemainder(int pixels)
{
    const QScopedValueRollback<bool> setting(m_settingScroll, true);
    m_scrollRemainder = pixels;
    applyViewportMargins();
}

void CQvasmView::applyViewportMargins()
{
    // The viewport reaches as far above the frame as the top line is scrolled out, so that line
    // shows only its lower part; on the left it leaves room for the gutter.
    const QMargins margins(m_gutterWidth, -m_scrollRemainder, 0, 0);
    if (viewportMargins() != margins)
        setViewportMargins(margins);
    placeGutter();
}

void CQvasmView::setSelection(int anchor, int position)
{
    const int end = qMax(0, document()->characterCount() - 1);
    QTextCursor cursor(document());
    cursor.setPosition(qBound(0, anchor, end));
    cursor.setPosition(qBound(0, position, end), QTextCursor::KeepAnchor);
    const QPoint scroll = scrollPosition();
    setTextCursor(cursor);
    setScrollPosition(scroll);
}

void CQvasmView::restoreView(int selectionStart, int selectionEnd, const QPoint &scroll)
{
    if (m_doc->isLoading()) {
        connect(
            m_doc,
            &CQvasmDoc::loaded,
            this,
            [this, selectionStart, selectionEnd, scroll] {
                restoreView(selectionStart, selectionEnd, scroll);
            },
            Qt::SingleShotConnection);
        return;
    }
    setSelection(selectionStart, selectionEnd);
    setScrollPosition(scroll);
}

void CQvasmView::scrollLines(int lines)
{
    QScrollBar *bar = verticalScrollBar();
    bar->setValue(bar->value() + lines);
}

// Gutter and line marks ---------------------------------------------------------------------------

QWidget *CQvasmView::gutter() const
{
    return m_gutter;
}

void CQvasmView::setLineNumbersShown(bool on)
{
    if (on == m_lineNumbers)
        return;
    m_lineNumbers = on;
    updateGutterWidth();
    m_gutter->update();
}

void CQvasmView::updateGutterWidth()
{
    const bool shown = m_lineNumbers || !m_marks.empty();
    const int width = (shown ? LineGutterMetrics::width(document()->blockCount(),
                                                        digitWidth(m_gutter->font()),
                                                        m_lineNumbers)
                             : 0)
                      + annotationWidth();
    if (width == m_gutterWidth)
        return;
    m_gutterWidth = width;
    applyViewportMargins();
}

void CQvasmView::placeGutter()
{
    if (!m_gutter)
        return;
    const QRect contents = contentsRect();
    const QRect port = viewport()->geometry();
    m_gutter->setGeometry(contents.left(), port.top(), m_gutterWidth, port.height());
    m_gutter->setVisible(m_gutterWidth > 0);
}

int CQvasmView::lineAtY(int y) const
{
    QTextBlock block = firstVisibleBlock();
    const QPointF offset = contentOffset();
    while (block.isValid()) {
        const QRectF box = blockBoundingGeometry(block).translated(offset);
        if (box.top() > y)
            break;
        if (block.isVisible() && y < box.bottom())
            return block.blockNumber() + 1;
        block = block.next();
    }
    return 0;
}

void CQvasmView::paintGutter(QPaintEvent *event)
{
    QPainter painter(m_gutter);
    const QRect area = event->rect();
    painter.fillRect(area, QColor(0xf0, 0xf0, 0xf0));
    const QFont font = m_gutter->font();
    painter.setFont(font);
    const int digit = digitWidth(font);
    const qreal digitF = QFontMetricsF(font).horizontalAdvance(QLatin1Char('9'));
    const qreal ascent = QFontMetricsF(font).ascent()
                         + (lineHeight(*this) - QFontMetricsF(font).height()) / 2;
    const int annotations = annotationWidth();
    m_gutterPaintedBlocks = document()->blockCount();
    const int markColumn = LineGutterMetrics::MarkColumnDigits * digit;

    // The visible lines only: the marks are looked up for them, the numbers drawn for them.
    QTextBlock block = firstVisibleBlock();
    if (!block.isValid())
        return;
    const QPointF offset = contentOffset();
    const QHash<int, LineMark::Kind> marked = marksInView();
    painter.setRenderHint(QPainter::Antialiasing);
    const int height = lineHeight(*this);
    while (block.isValid()) {
        const QRectF box = blockBoundingGeometry(block).translated(offset);
        if (box.top() > area.bottom())
            break;
        if (block.isVisible() && box.bottom() >= area.top()) {
            const int number = block.blockNumber();
            const int top = qRound(box.top());
            if (annotations > 0 && size_t(number) < m_annotations.size()) {
                painter.setPen(QColor(0x20, 0x40, 0x90));
                painter.drawText(QPointF(digit / 2, top + ascent), m_annotations[size_t(number)]);
            }
            if (m_lineNumbers) {
                // Digits are as wide as each other: right-aligned by arithmetic, drawn at a point
                // (a rectangle with alignment lays the text out first).
                const QString text = QString::number(number + 1);
                painter.setPen(QColor(0x80, 0x80, 0x80));
                painter.drawText(QPointF(m_gutterWidth - digit / 2 - text.size() * digitF,
                                         top + ascent),
                                 text);
            }
            const auto kind = marked.constFind(number);
            if (kind != marked.constEnd()) {
                const QColor colour = markColour(*kind);
                const qreal size = qMin<qreal>(markColumn - 2, height - 2);
                const QRectF spot(annotations + (markColumn - size) / 2,
                                  top + (height - size) / 2,
                                  size,
                                  size);
                painter.setPen(colour.darker(130));
                painter.setBrush(colour);
                if (*kind == LineMark::Kind::Error) {
                    painter.drawEllipse(spot);
                } else {
                    // A diagnostic is a triangle, told apart from an error without its colour.
                    QPainterPath triangle;
                    triangle.moveTo(spot.center().x(), spot.top());
                    triangle.lineTo(spot.right(), spot.bottom());
                    triangle.lineTo(spot.left(), spot.bottom());
                    triangle.closeSubpath();
                    painter.drawPath(triangle);
                }
                painter.setBrush(Qt::NoBrush);
            }
        }
        block = block.next();
    }
}

int CQvasmView::annotationWidth() const
{
    if (!m_annotationsShown || m_annotations.empty())
        return 0;
    return (m_annotationChars + 1) * digitWidth(m_gutter->font());
}

void CQvasmView::setLineAnnotations(const QHash<int, QString> &byLine)
{
    m_annotations.clear();
    m_annotationChars = 0;
    m_knownBlockCount = document()->blockCount();
    if (!byLine.isEmpty()) {
        m_annotations.resize(size_t(m_knownBlockCount));
        for (auto it = byLine.begin(); it != byLine.end(); ++it) {
            if (it.key() < 1 || it.key() > m_knownBlockCount)
                continue;
            m_annotations[size_t(it.key() - 1)] = it.value();
            m_annotationChars = qMax(m_annotationChars, int(it.value().size()));
        }
    }
    updateGutterWidth();
    m_gutter->update();
}

QString CQvasmView::lineAnnotation(int line) const
{
    return line >= 1 && size_t(line) <= m_annotations.size() ? m_annotations[size_t(line - 1)]
                                                             : QString();
}

void CQvasmView::setAnnotationsShown(bool on)
{
    if (on == m_annotationsShown)
        return;
    m_annotationsShown = on;
    updateGutterWidth();
    m_gutter->update();
}

void CQvasmView::moveAnnotations(int position)
{
    const int count = document()->blockCount();
    const int delta = count - m_knownBlockCount;
    m_knownBlockCount = count;
    if (m_annotations.empty() || delta == 0)
        return;
    // Lines went in or out at the change: a change at a line's start moves that line's text
    // (and its annotation) down or away; one inside a line keeps it on its line.
    const QTextBlock block = document()->findBlock(position);
    const int at = block.blockNumber() + (block.position() == position ? 0 : 1);
    const size_t from = size_t(qBound(0, at, int(m_annotations.size())));
    if (delta > 0) {
        m_annotations.insert(m_annotations.begin() + qsizetype(from), size_t(delta), QString());
    } else {
        const size_t to = qMin(m_annotations.size(), from + size_t(-delta));
        m_annotations.erase(m_annotations.begin() + qsizetype(from),
                            m_annotations.begin() + qsizetype(to));
    }
    m_annotations.resize(size_t(count));
}

void CQvasmView::setLineMarks(const QList<LineMark> &marks)
{
    if (m_doc->isLoading()) {
        m_pendingMarks = marks;
        return;
    }
    m_marks.clear();
    QTextDocument *text = document();
    const int end = text->characterCount() - 1;
    for (const LineMark &mark : marks) {
        if (mark.line < 1 || mark.line > text->blockCount())
            continue;
        const QTextBlock block = text->findBlockByNumber(mark.line - 1);
        QTextCursor span(text);
        span.setPosition(block.position());
        span.setPosition(qMin(block.position() + block.length(), end), QTextCursor::KeepAnchor);
        m_marks.push_back({mark, span});
    }
    // In text order, which edits keep: the marks of the lines in view are found by a search.
    std::stable_sort(m_marks.begin(),
                     m_marks.end(),
                     [](const AnchoredMark &a, const AnchoredMark &b) {
                         return a.span.selectionStart() < b.span.selectionStart();
                     });
    viewport()->update();
    updateGutterWidth();
    m_gutter->update();
}

QList<LineMark> CQvasmView::lineMarks() const
{
    QList<LineMark> marks;
    for (const AnchoredMark &m : m_marks) {
        LineMark mark = m.mark;
        mark.line = document()->findBlock(m.span.selectionStart()).blockNumber() + 1;
        marks.append(mark);
    }
    return marks;
}

QString CQvasmView::lineMarkToolTip(int line) const
{
    if (line < 1)
        return QString();
    QStringList tips;
    for (const LineMark &mark : lineMarks()) {
        if (mark.line == line && !mark.toolTip.isEmpty())
            tips.append(mark.toolTip);
    }
    return tips.join(QStringLiteral("\n\n"));
}

void CQvasmView::dropDeletedMarks()
{
    // A span whose ends met lost its whole line; the last line of a text has no line end to
    // lose, so its span keeps the line's text and goes with it.
    const auto gone = std::remove_if(m_marks.begin(), m_marks.end(), [](const AnchoredMark &m) {
        return m.span.selectionStart() >= m.span.selectionEnd();
    });
    if (gone == m_marks.end())
        return;
    m_marks.erase(gone, m_marks.end());
    viewport()->update();
    updateGutterWidth();
    m_gutter->update();
    emit lineMarksChanged();
}

QHash<int, LineMark::Kind> CQvasmView::marksInView() const
{
    QHash<int, LineMark::Kind> marked;
    if (m_marks.empty())
        return marked;
    // The text from the first line in view to the end of the last one that can be in view.
    const QTextBlock top = firstVisibleBlock();
    if (!top.isValid())
        return marked;
    const int rows = viewport()->height() / lineHeight(*this) + 2;
    QTextBlock bottom = document()->findBlockByNumber(top.blockNumber() + rows);
    const int from = top.position();
    const int to = bottom.isValid() ? bottom.position() + bottom.length()
                                    : document()->characterCount();
    auto it = std::lower_bound(m_marks.begin(),
                               m_marks.end(),
                               from,
                               [](const AnchoredMark &m, int p) {
                                   return m.span.selectionStart() < p;
                               });
    for (; it != m_marks.end() && it->span.selectionStart() < to; ++it) {
        const AnchoredMark &m = *it;
        const int number = document()->findBlock(m.span.selectionStart()).blockNumber();
        // An error outranks a diagnostic on the same line.
        if (!marked.contains(number) || m.mark.kind == LineMark::Kind::Error)
            marked.insert(number, m.mark.kind);
    }
    return marked;
}

QRect CQvasmView::markUnderlineRect(int line) const
{
    const QTextBlock block = document()->findBlockByNumber(line - 1);
    if (!block.isValid() || !marksInView().contains(line - 1))
        return QRect();
    return underlineRect(block);
}

QRect CQvasmView::underlineRect(const QTextBlock &block) const
{
    if (!block.isVisible())
        return QRect();
    const QTextLayout *layout = block.layout();
    if (!layout || layout->lineCount() == 0)
        return QRect();
    const QPointF origin = blockBoundingGeometry(block).translated(contentOffset()).topLeft()
                           + layout->position();
    // From the first character that is not blank to the end of the text; a blank line gets a
    // stroke two characters long.
    const QString text = block.text();
    int from = 0;
    while (from < text.size() && text[from].isSpace())
        ++from;
    const QTextLine first = layout->lineForTextPosition(qMin(from, int(text.size())));
    const QTextLine last = layout->lineAt(layout->lineCount() - 1);
    const qreal digit = QFontMetricsF(document()->defaultFont()).horizontalAdvance(QLatin1Char('9'));
    qreal left = first.isValid() ? first.cursorToX(from) : 0;
    qreal right = last.naturalTextWidth() + last.x();
    if (from >= text.size())
        right = left + 2 * digit;
    const qreal bottom = last.y() + last.ascent() + qMax<qreal>(2, last.descent());
    return QRectF(origin.x() + left, origin.y() + bottom - 3, right - left, 4).toAlignedRect();
}

void CQvasmView::paintEvent(QPaintEvent *event)
{
    QPlainTextEdit::paintEvent(event);
    if (m_marks.empty())
        return;
    // Drawn over the text rather than laid into it: the colouring owns the lines' formats, and
    // a line with an extra format is laid out and drawn twice on every repaint.
    QPainter painter(viewport());
    const QHash<int, LineMark::Kind> marked = marksInView();
    for (auto it = marked.begin(); it != marked.end(); ++it) {
        const QTextBlock block = document()->findBlockByNumber(it.key());
        const QRectF line = blockBoundingGeometry(block).translated(contentOffset());
        if (!line.toAlignedRect().adjusted(0, 0, 0, 4).intersects(event->rect()))
            continue;
        const QRect box = underlineRect(block);
        if (box.isEmpty() || !box.intersects(event->rect()))
            continue;
        // A zigzag of whole pixels, drawn without smoothing: cheap on every repaint.
        QPolygon wave;
        const int y = box.center().y();
        for (int x = box.left(), up = 1; x <= box.right() + 2; x += 2, up = -up)
            wave << QPoint(x, y - up);
        painter.setPen(QPen(markColour(it.value()), 1));
        painter.drawPolyline(wave);
    }
}

bool CQvasmView::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip && !m_marks.empty()) {
        const auto *help = static_cast<QHelpEvent *>(event);
        const QString tip = lineMarkToolTip(lineAtY(help->pos().y()));
        if (!tip.isEmpty()) {
            QToolTip::showText(help->globalPos(), tip, viewport());
            return true;
        }
        QToolTip::hideText();
    }
    return QPlainTextEdit::viewportEvent(event);
}

// Clipboard and keys -----------------------------------------------------------------------------

bool CQvasmView::canInsertFromMimeData(const QMimeData *source) const
{
    return source && source->hasText();
}

void CQvasmView::insertFromMimeData(const QMimeData *source)
{
    // Plain text only: no rich text, no pictures, whatever else the clipboard offers.
    if (source && source->hasText())
        insertPlainText(source->text());
}

bool CQvasmView::event(QEvent *event)
{
    if (event->type() == QEvent::KeyPress && m_doc->isLoading()) {
        // Typed before the text is in: kept and typed into it once it is (up to a limit no
        // typist reaches in the seconds a load takes).
        const auto *key = static_cast<QKeyEvent *>(event);
        if (m_keysWhileLoading.size() < MaxKeysWhileLoading)
            m_keysWhileLoading.push_back(std::unique_ptr<QKeyEvent>(key->clone()));
        return true;
    }
    if (event->type() == QEvent::ShortcutOverride) {
        // The editor would keep keys like Ctrl+Up or Ctrl+Z to itself; the accelerators in force
        // go to their commands instead.
        const CMainFrame *frame = mainFrame();
        if (frame && frame->isAcceleratorKey(static_cast<QKeyEvent *>(event))) {
            event->ignore();
            return true;
        }
    }
    return QPlainTextEdit::event(event);
}

// Commands -----------------------------------------------------------------------------------------

void CQvasmView::registerCommands()
{
    CommandMap &c = m_commands;
    const auto editable = [this] { return !isReadOnly(); };
    const auto selection = [this] { return textCursor().hasSelection(); };

    c.on(ID_EDIT_UNDO, [this] {
        RedrawLock lock(*this);
        undo();
    });
    c.onUpdate(ID_EDIT_UNDO, [this, editable](CommandUpdate &u) {
        u.enable(editable() && document()->isUndoAvailable());
    });
    c.on(ID_EDIT_REDO, [this] {
        RedrawLock lock(*this);
        redo();
    });
    c.onUpdate(ID_EDIT_REDO, [this, editable](CommandUpdate &u) {
        u.enable(editable() && document()->isRedoAvailable());
    });
    c.on(ID_EDIT_CUT, [this] { cut(); });
    c.onUpdate(ID_EDIT_CUT,
               [editable, selection](CommandUpdate &u) { u.enable(editable() && selection()); });
    c.on(ID_EDIT_COPY, [this] { copy(); });
    c.onUpdate(ID_EDIT_COPY, [selection](CommandUpdate &u) { u.enable(selection()); });
    c.on(ID_EDIT_CLEAR, [this] { textCursor().removeSelectedText(); });
    c.onUpdate(ID_EDIT_CLEAR,
               [editable, selection](CommandUpdate &u) { u.enable(editable() && selection()); });
    c.on(ID_EDIT_SELECT_ALL, [this] { selectAll(); });
    c.on(ID_EDIT_PASTE, [this] { paste(); });
    // This table is asked only while this view is the active one; the focus says nothing here
    // (the menu bar holds it while a menu opened from the keyboard asks).
    c.onUpdate(ID_EDIT_PASTE,
               [editable](CommandUpdate &u) { u.enable(editable() && clipboardHasText()); });

    c.on(ID_VIEW_WORDWRAP, [this] { setWordWrap(!wordWrap()); });
    c.onUpdate(ID_VIEW_WORDWRAP, [this](CommandUpdate &u) {
        u.enable();
        u.setCheck(wordWrap());
    });
    c.onUpdate(ID_VIEW_FORMATTING, [](CommandUpdate &u) {
        u.enable();
        u.setCheck(formattingOn());
    });
    c.on(ID_VIEW_REFRESH, [this] { Refresh(); });
    c.onUpdate(ID_VIEW_REFRESH, [](CommandUpdate &u) { u.enable(formattingOn()); });
    c.on(ID_SCROLL_LINE_UP, [this] { scrollLines(-1); });
    c.on(ID_SCROLL_LINE_DOWN, [this] { scrollLines(1); });

    c.on(ID_FILE_PRINT, [this] { printWithDialog(); });
    c.onUpdate(ID_FILE_PRINT, [this](CommandUpdate &u) { u.enable(!m_doc->isLoading()); });
    c.on(ID_FILE_PRINT_PREVIEW, [this] { printPreview(); });
    c.onUpdate(ID_FILE_PRINT_PREVIEW, [this](CommandUpdate &u) { u.enable(!m_doc->isLoading()); });
}

// Printing -----------------------------------------------------------------------------------------

int CQvasmView::print(QPrinter *printer) const
{
    DocumentPrinter::FormatSource colours;
    if (g_colourer && formattingOn() && DocumentNaming::isColoured(fileKind())) {
        colours = [this](const QTextBlock &block) { return g_colourer->printFormats(*this, block); };
    }
    return DocumentPrinter::print(*document(), document()->defaultFont(), printer, colours);
}

void CQvasmView::printWithDialog()
{
    QPrinter *printer = this->printer();
    QPrintDialog dialog(printer, this);
    dialog.setWindowTitle(QStringLiteral("Print"));
    if (dialog.exec() == QDialog::Accepted)
        print(printer);
}

void CQvasmView::printPreview()
{
    QPrinter *printer = this->printer();
    QPrintPreviewDialog dialog(printer, this);
    dialog.setObjectName(QStringLiteral("printPreview"));
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter *p) { print(p); });
    dialog.exec();
}
