#include "make/BoundedStream.h"

BoundedStream::BoundedStream(qsizetype headLimit, qsizetype tailLimit)
    : m_headLimit(qMax<qsizetype>(headLimit, 0))
    , m_tailLimit(qMax<qsizetype>(tailLimit, 0))
{}

QByteArrayView BoundedStream::append(QByteArrayView chunk)
{
    if (chunk.isEmpty())
        return {};
    m_total += chunk.size();
    if (m_rest) {
        m_rest->append(chunk.data(), chunk.size());
        return {};
    }
    const qsizetype room = m_headLimit - m_passed;
    if (chunk.size() <= room) {
        m_passed += chunk.size();
        m_passedEndsLine = chunk.back() == '\n';
        return chunk;
    }
    // A line cut at the head's end would show as a line that was never written.
    const QByteArrayView fits = chunk.first(room);
    const qsizetype lastBreak = fits.lastIndexOf('\n');
    const qsizetype cut = lastBreak >= 0 ? lastBreak + 1 : room;
    m_passed += cut;
    if (cut > 0)
        m_passedEndsLine = chunk.at(cut - 1) == '\n';
    // What the head gave back belongs to the rest, so the whole stays within the two limits.
    m_rest.emplace(0, m_tailLimit + (m_headLimit - m_passed));
    m_rest->append(chunk.data() + cut, chunk.size() - cut);
    return chunk.first(cut);
}

QByteArray BoundedStream::finish()
{
    QByteArray out;
    if (m_rest) {
        m_dropped = m_rest->droppedBytes();
        // With nothing left out the rest goes on where the head stopped; otherwise the count
        // starts a line of its own.
        if (m_dropped > 0 && m_passed > 0 && !m_passedEndsLine)
            out = "\r\n";
        out += m_rest->take();
    }
    m_rest.reset();
    return out;
}

qint64 BoundedStream::droppedBytes() const
{
    return m_rest ? m_rest->droppedBytes() : m_dropped;
}
