#include "DumpView.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QtMath>

#include <limits>

namespace {

// Scroll-bar range used at most, well inside an int.
constexpr qint64 MaxScrollSteps = qint64(1) << 30;

} // namespace

DumpView::DumpView(QWidget *parent)
    : QAbstractScrollArea(parent)
{
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setAutoFillBackground(true);
    viewport()->setBackgroundRole(QPalette::Base);
    updateMetrics();
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &DumpView::onScrollBarMoved);
}

void DumpView::setData(ByteReader reader, qint64 size, bool keepPlace)
{
    m_reader = size > 0 ? std::move(reader) : ByteReader();
    m_size = m_reader ? size : 0;
    m_format = DumpFormat(DumpFormat::offsetDigits(m_size));
    if (keepPlace && m_size > 0) {
        m_cursor = qMin(m_cursor, m_size - 1);
        m_anchor = qMin(m_anchor, m_size - 1);
    } else {
        m_topRow = 0;
        m_cursor = m_anchor = 0;
        m_paintedRows = false;
    }
    updateMetrics(); // clamps the top row
    viewport()->update();
    emit selectionChanged();
}

qint64 DumpView::rowCount() const
{
    return (m_size + DumpFormat::BytesPerRow - 1) / DumpFormat::BytesPerRow;
}

int DumpView::visibleRows() const
{
    return qMax(1, (viewport()->height() - Margin) / m_lineHeight);
}

qint64 DumpView::maxTopRow() const
{
    return qMax<qint64>(0, rowCount() - visibleRows());
}

void DumpView::setTopRow(qint64 row)
{
    row = qBound<qint64>(0, row, maxTopRow());
    if (row == m_topRow)
        return;
    m_topRow = row;
    m_syncingScrollBar = true;
    // The last step must reach the last row even when steps span several rows.
    const qint64 step = row >= maxTopRow() ? verticalScrollBar()->maximum() : row / m_rowsPerStep;
    verticalScrollBar()->setValue(int(step));
    m_syncingScrollBar = false;
    viewport()->update();
}

void DumpView::onScrollBarMoved(int value)
{
    if (m_syncingScrollBar)
        return;
    const qint64 row = value >= verticalScrollBar()->maximum() ? maxTopRow()
                                                               : qint64(value) * m_rowsPerStep;
    m_topRow = qBound<qint64>(0, row, maxTopRow());
    viewport()->update();
}

void DumpView::updateScrollBar()
{
    const qint64 maxTop = maxTopRow();
    m_rowsPerStep = maxTop > MaxScrollSteps ? (maxTop + MaxScrollSteps - 1) / MaxScrollSteps : 1;
    QScrollBar *bar = verticalScrollBar();
    m_syncingScrollBar = true;
    bar->setRange(0, int((maxTop + m_rowsPerStep - 1) / m_rowsPerStep));
    bar->setPageStep(int(qMax<qint64>(1, visibleRows() / m_rowsPerStep)));
    bar->setSingleStep(1);
    m_topRow = qMin(m_topRow, maxTop);
    bar->setValue(m_topRow >= maxTop ? bar->maximum() : int(m_topRow / m_rowsPerStep));
    m_syncingScrollBar = false;

    QScrollBar *across = horizontalScrollBar();
    const int width = 2 * Margin + qCeil(m_format.rowLength() * m_charWidth);
    across->setRange(0, qMax(0, width - viewport()->width()));
    across->setPageStep(viewport()->width());
    across->setSingleStep(qMax(1, qRound(m_charWidth)));
}

void DumpView::updateMetrics()
{
    const QFontMetrics metrics(font());
    // Measured as the rows are painted: a fixed-pitch row of n cells is n advances wide.
    const QString cells(DumpFormat::BytesPerRow, QLatin1Char('0'));
    m_charWidth = qMax<qreal>(1,
                              QFontMetricsF(font(), viewport()).horizontalAdvance(cells)
                                  / cells.size());
    m_lineHeight = qMax(1, metrics.height());
    m_ascent = metrics.ascent();
    updateScrollBar();
}

void DumpView::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        updateMetrics();
    QAbstractScrollArea::changeEvent(event);
}

void DumpView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBar();
}

void DumpView::paintEvent(QPaintEvent *event)
{
    emit aboutToPaint();
    QPainter painter(viewport());
    painter.setFont(font());
    const QPalette &pal = palette();
    const qreal left = columnX(0);
    const qint64 selFirst = selectionStart();
    const qint64 selLast = selFirst + selectionLength() - 1;
    const QColor highlight = pal.color(hasFocus() ? QPalette::Active : QPalette::Inactive,
                                       QPalette::Highlight);

    const int firstLine = qMax(0, (event->rect().top() - Margin) / m_lineHeight);
    const int lastLine = int(
        qMin<qint64>((event->rect().bottom() - Margin) / m_lineHeight, rowCount() - 1 - m_topRow));
    // Read, not taken from a mapping: a file shortened at any moment, even since the check just
    // made, must cost blank rows and not the program (touching a mapped page past the end of the
    // file kills it).
    const qint64 first = (m_topRow + firstLine) * DumpFormat::BytesPerRow;
    const qint64 end = qMin(m_size, (m_topRow + lastLine + 1) * DumpFormat::BytesPerRow);
    if (firstLine <= lastLine && !m_reader(first, end - first, m_rowBytes)) {
        emit bytesMissing();
        return;
    }
    for (int line = firstLine; line <= lastLine; ++line) {
        const qint64 row = m_topRow + line;
        const qint64 offset = row * DumpFormat::BytesPerRow;
        const int count = int(qMin<qint64>(DumpFormat::BytesPerRow, m_size - offset));
        const int y = Margin + line * m_lineHeight;

        m_format.row(offset,
                     reinterpret_cast<const uchar *>(m_rowBytes.constData()) + (offset - first),
                     count,
                     m_rowText);
        painter.setPen(pal.color(QPalette::Text));
        painter.drawText(QPointF(left, y + m_ascent), m_rowText);

        // Selected cells: highlight behind, the same row drawn again in the highlighted colour.
        if (m_size > 0 && selLast >= offset && selFirst < offset + count) {
            const qint64 from = qMax(selFirst, offset);
            const qint64 to = qMin(selLast, offset + count - 1);
            QPainterPath selected;
            selected.addRect(cellRectF(from, false).united(cellRectF(to, false)));
            selected.addRect(cellRectF(from, true).united(cellRectF(to, true)));
            painter.save();
            painter.setClipPath(selected);
            painter.fillPath(selected, highlight);
            painter.setPen(pal.color(hasFocus() ? QPalette::Active : QPalette::Inactive,
                                     QPalette::HighlightedText));
            painter.drawText(QPointF(left, y + m_ascent), m_rowText);
            painter.restore();
        }
    }
    if (!m_paintedRows && m_size > 0) {
        m_paintedRows = true;
        emit firstRowsPainted();
    }
}

qreal DumpView::columnX(int column) const
{
    return Margin - horizontalScrollBar()->value() + column * m_charWidth;
}

QRectF DumpView::cellRectF(qint64 offset, bool character) const
{
    const qint64 line = offset / DumpFormat::BytesPerRow - m_topRow;
    const int byteInRow = int(offset % DumpFormat::BytesPerRow);
    const int column = character ? m_format.charColumn(byteInRow) : m_format.hexColumn(byteInRow);
    const int top = Margin
                    + int(qBound<qint64>(-1, line, qint64(visibleRows()) + 1)) * m_lineHeight;
    return QRectF(columnX(column), top, (character ? 1 : 2) * m_charWidth, m_lineHeight);
}

QRect DumpView::cellRect(qint64 offset, bool character) const
{
    return cellRectF(offset, character).toAlignedRect();
}

qint64 DumpView::offsetAt(const QPoint &point) const
{
    if (m_size <= 0)
        return -1;
    const int line = (point.y() - Margin) < 0 ? -1 : (point.y() - Margin) / m_lineHeight;
    const qint64 row = m_topRow + line;
    const qreal x = point.x() - columnX(0);
    const int column = x < 0 ? -1 : int(x / m_charWidth);
    int byteInRow = 0;
    if (const auto hit = m_format.byteAtColumn(column))
        byteInRow = hit->byteInRow;
    else if (column >= m_format.charColumn(0))
        byteInRow = DumpFormat::BytesPerRow - 1;
    const qint64 offset = row * DumpFormat::BytesPerRow + byteInRow;
    return qBound<qint64>(0, offset, m_size - 1);
}

void DumpView::setSelection(qint64 anchor, qint64 cursor)
{
    if (m_size <= 0)
        return;
    anchor = qBound<qint64>(0, anchor, m_size - 1);
    cursor = qBound<qint64>(0, cursor, m_size - 1);
    if (anchor == m_anchor && cursor == m_cursor)
        return;
    m_anchor = anchor;
    m_cursor = cursor;
    viewport()->update();
    emit selectionChanged();
}

void DumpView::selectAll()
{
    setSelection(0, m_size - 1);
}

bool DumpView::goToOffset(qint64 offset)
{
    if (offset < 0 || offset >= m_size)
        return false;
    setSelection(offset, offset);
    const qint64 row = offset / DumpFormat::BytesPerRow;
    if (row < m_topRow || row >= m_topRow + visibleRows())
        setTopRow(row);
    return true;
}

void DumpView::ensureVisible(qint64 offset)
{
    const qint64 row = offset / DumpFormat::BytesPerRow;
    if (row < m_topRow)
        setTopRow(row);
    else if (row >= m_topRow + visibleRows())
        setTopRow(row - visibleRows() + 1);
}

void DumpView::moveCursor(qint64 offset, bool extend)
{
    if (m_size <= 0)
        return;
    offset = qBound<qint64>(0, offset, m_size - 1);
    setSelection(extend ? m_anchor : offset, offset);
    ensureVisible(offset);
}

void DumpView::keyPressEvent(QKeyEvent *event)
{
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    const bool control = event->modifiers() & Qt::ControlModifier;
    const qint64 page = qint64(visibleRows()) * DumpFormat::BytesPerRow;
    const qint64 rowStart = m_cursor - m_cursor % DumpFormat::BytesPerRow;
    switch (event->key()) {
    case Qt::Key_Left:
        moveCursor(m_cursor - 1, extend);
        break;
    case Qt::Key_Right:
        moveCursor(m_cursor + 1, extend);
        break;
    case Qt::Key_Up:
        moveCursor(m_cursor - DumpFormat::BytesPerRow, extend);
        break;
    case Qt::Key_Down:
        moveCursor(m_cursor + DumpFormat::BytesPerRow, extend);
        break;
    case Qt::Key_PageUp:
        setTopRow(m_topRow - visibleRows());
        moveCursor(m_cursor - page, extend);
        break;
    case Qt::Key_PageDown:
        setTopRow(m_topRow + visibleRows());
        moveCursor(m_cursor + page, extend);
        break;
    case Qt::Key_Home:
        moveCursor(control ? 0 : rowStart, extend);
        break;
    case Qt::Key_End:
        moveCursor(control ? m_size - 1 : rowStart + DumpFormat::BytesPerRow - 1, extend);
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
    }
}

void DumpView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mousePressEvent(event);
    const qint64 offset = offsetAt(event->position().toPoint());
    if (offset < 0)
        return;
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    setSelection(extend ? m_anchor : offset, offset);
}

void DumpView::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return QAbstractScrollArea::mouseMoveEvent(event);
    const QPoint point = event->position().toPoint();
    // Dragging past the top or bottom edge scrolls on.
    if (point.y() < 0)
        setTopRow(m_topRow - 1);
    else if (point.y() >= viewport()->height())
        setTopRow(m_topRow + 1);
    const qint64 offset = offsetAt(point);
    if (offset >= 0)
        setSelection(m_anchor, offset);
}
