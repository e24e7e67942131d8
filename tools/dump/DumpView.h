#pragma once

#include "DumpFormat.h"

#include <QAbstractScrollArea>

#include <functional>

// Shows bytes as dump rows, reading and painting only the rows in sight, so a 1 GB file
// (67 million rows) scrolls as lightly as a small one. A scroll bar holds an int, so past a
// billion rows each of its steps covers several rows.
class DumpView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    // Puts the bytes [offset, offset + length) into `out`; false when they are no longer all
    // there (the file shrank).
    using ByteReader = std::function<bool(qint64 offset, qint64 length, QByteArray &out)>;

    explicit DumpView(QWidget *parent = nullptr);

    // Shows `size` bytes that `reader` gives (it must stay valid until the next call); an empty
    // reader clears. With `keepPlace` the rows in sight and the selection stay where they were, as
    // far as the new data reaches.
    void setData(ByteReader reader, qint64 size, bool keepPlace = false);
    qint64 dataSize() const { return m_size; }

    qint64 rowCount() const;
    qint64 topRow() const { return m_topRow; }
    int visibleRows() const; // rows that fit entirely
    void setTopRow(qint64 row);

    // The cursor byte and the other end of the selection; the selection is the bytes between
    // them, both included.
    qint64 cursorOffset() const { return m_cursor; }
    qint64 anchorOffset() const { return m_anchor; }
    qint64 selectionStart() const { return qMin(m_anchor, m_cursor); }
    qint64 selectionLength() const { return m_size > 0 ? qAbs(m_cursor - m_anchor) + 1 : 0; }
    void setSelection(qint64 anchor, qint64 cursor);
    void selectAll();

    // Puts the cursor on `offset` and brings its row into sight; false when the offset is not in
    // the data.
    bool goToOffset(qint64 offset);

    // Byte under a point of the viewport, clamped to the data; -1 when there is no data.
    qint64 offsetAt(const QPoint &point) const;
    // Where `offset`'s two hex digits (or its character) are painted, in viewport coordinates.
    QRect cellRect(qint64 offset, bool character) const;
    // Left edge of a row's text; column c starts c character advances to the right of it.
    static constexpr int Margin = 4;

    const DumpFormat &format() const { return m_format; }

signals:
    void selectionChanged();
    // Before every paint, so the owner of the bytes can check they are all still there.
    void aboutToPaint();
    // A paint found fewer bytes than the view shows; those rows were left blank.
    void bytesMissing();
    void firstRowsPainted();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void updateMetrics();
    void updateScrollBar();
    void onScrollBarMoved(int value);
    void moveCursor(qint64 offset, bool extend);
    void ensureVisible(qint64 offset);
    qint64 maxTopRow() const;
    qreal columnX(int column) const;
    QRectF cellRectF(qint64 offset, bool character) const;

    ByteReader m_reader;
    qint64 m_size = 0;
    DumpFormat m_format;
    qint64 m_topRow = 0;
    qint64 m_rowsPerStep = 1; // scroll-bar step in rows; 1 unless the file is huge
    qint64 m_cursor = 0;
    qint64 m_anchor = 0;
    // The font's advance, fractional as the text is laid out: an advance rounded to whole
    // pixels would put the cells up to two bytes away from their text at the end of a row.
    qreal m_charWidth = 8;
    int m_lineHeight = 16;
    int m_ascent = 12;
    bool m_syncingScrollBar = false;
    bool m_paintedRows = false;
    QString m_rowText;     // reused by every painted row
    QByteArray m_rowBytes; // the bytes of the rows in sight, read for each paint
};
