#include "make/BoundedCapture.h"

#include <cstring>

BoundedCapture::BoundedCapture(qsizetype headLimit, qsizetype tailLimit)
    : m_headLimit(qMax<qsizetype>(headLimit, 0))
    , m_tailLimit(qMax<qsizetype>(tailLimit, 0))
{}

void BoundedCapture::append(const char *data, qsizetype size)
{
    if (size <= 0)
        return;
    const bool wasOverflowed = overflowed();
    m_total += size;
    if (!wasOverflowed) {
        if (!overflowed()) {
            m_head.append(data, size);
            return;
        }
        // The bound is crossed: the head keeps its first bytes in an allocation of their own
        // (the larger one goes back), the rest of what came so far starts the tail.
        const qsizetype fromHead = qMin(m_head.size(), m_headLimit);
        const qsizetype fromData = m_headLimit - fromHead;
        QByteArray head;
        head.reserve(m_headLimit);
        head.append(m_head.constData(), fromHead);
        head.append(data, fromData);
        const QByteArray spill = m_head.sliced(fromHead);
        m_head = head;
        m_ring.reserve(m_tailLimit + 1);
        data += fromData;
        size -= fromData;
        // Only the last tailLimit + 1 bytes of spill + data matter (together they are more).
        const qsizetype keep = m_tailLimit + 1;
        if (size >= keep) {
            m_ring.append(data + size - keep, keep);
            return;
        }
        const qsizetype fromSpill = keep - size;
        m_ring.append(spill.constData() + spill.size() - fromSpill, fromSpill);
        m_ring.append(data, size);
        return;
    }

    const qsizetype capacity = m_tailLimit + 1;
    if (size >= capacity) {
        m_ring.resize(0);
        m_ring.append(data + size - capacity, capacity);
        m_ringStart = 0;
        return;
    }
    // Overwrite the oldest bytes, in at most two pieces.
    qsizetype done = 0;
    while (done < size) {
        const qsizetype n = qMin(size - done, capacity - m_ringStart);
        std::memcpy(m_ring.data() + m_ringStart, data + done, size_t(n));
        done += n;
        m_ringStart = (m_ringStart + n) % capacity;
    }
}

QByteArray BoundedCapture::ringInOrder() const
{
    if (m_ringStart == 0)
        return m_ring;
    QByteArray ordered;
    ordered.reserve(m_ring.size());
    ordered.append(m_ring.constData() + m_ringStart, m_ring.size() - m_ringStart);
    ordered.append(m_ring.constData(), m_ringStart);
    return ordered;
}

BoundedCapture::Parts BoundedCapture::parts() const
{
    Parts p;
    if (!overflowed()) {
        p.headKept = m_head.size();
        return p;
    }
    // A line cut in two would show as a line the tool never wrote, and could split a character.
    const qsizetype lastBreak = m_head.lastIndexOf('\n');
    p.headKept = lastBreak >= 0 ? lastBreak + 1 : m_head.size();

    // The ring's first byte is the one before the tail: a line break there means the tail
    // starts with a whole line. One long line with no break before its end is kept as it is.
    const QByteArray ordered = ringInOrder();
    qsizetype from = 1;
    if (!ordered.isEmpty() && ordered.front() != '\n') {
        const qsizetype firstBreak = ordered.indexOf('\n', 1);
        if (firstBreak >= 0 && firstBreak + 1 < ordered.size())
            from = firstBreak + 1;
    }
    p.tail = ordered.sliced(qMin(from, ordered.size()));
    return p;
}

qint64 BoundedCapture::droppedBytes() const
{
    if (!overflowed())
        return 0;
    const Parts p = parts();
    return m_total - p.headKept - p.tail.size();
}

QByteArray BoundedCapture::droppedLine(qint64 dropped)
{
    return "[" + QByteArray::number(dropped) + " bytes of output left out]\r\n";
}

QByteArray BoundedCapture::bytes() const
{
    if (!overflowed())
        return m_head;
    const Parts p = parts();
    const qint64 dropped = m_total - p.headKept - p.tail.size();
    QByteArray out;
    out.reserve(p.headKept + p.tail.size() + 64);
    out.append(m_head.constData(), p.headKept);
    if (p.headKept > 0 && !out.endsWith('\n'))
        out.append("\r\n");
    out.append(droppedLine(dropped));
    out.append(p.tail);
    return out;
}

QByteArray BoundedCapture::take()
{
    QByteArray out = bytes();
    clear();
    return out;
}

void BoundedCapture::clear()
{
    m_head = QByteArray();
    m_ring = QByteArray();
    m_ringStart = 0;
    m_total = 0;
}
