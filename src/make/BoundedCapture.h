#pragma once

#include <QByteArray>

// A tool's output as it arrives, kept within a fixed size whatever the tool writes: the first
// headLimit bytes and the last tailLimit bytes. When more came, bytes() is the head cut back to
// its last line break, a line saying how many bytes were left out, and the tail from its first
// whole line, so every line shown is a line the tool wrote (and no character is split).
// Output within the bound is kept whole and as written, at the cost of one append per chunk.
class BoundedCapture
{
public:
    static constexpr qsizetype DefaultHeadLimit = 8 * 1024 * 1024;
    static constexpr qsizetype DefaultTailLimit = 8 * 1024 * 1024;

    explicit BoundedCapture(qsizetype headLimit = DefaultHeadLimit,
                            qsizetype tailLimit = DefaultTailLimit);

    void append(const char *data, qsizetype size);
    void append(const QByteArray &chunk) { append(chunk.constData(), chunk.size()); }

    // Every byte that arrived, kept or not.
    qint64 totalBytes() const { return m_total; }
    bool overflowed() const { return m_total > m_headLimit + m_tailLimit; }
    // What bytes() leaves out.
    qint64 droppedBytes() const;
    // Bytes held now (the kept bytes and the tail's ring); never much more than the two limits.
    qsizetype heldBytes() const { return m_head.capacity() + m_ring.capacity(); }

    // What was kept, with the line between head and tail when something was left out.
    QByteArray bytes() const;
    // bytes(), leaving the capture empty and its memory given back.
    QByteArray take();
    void clear();

    static QByteArray droppedLine(qint64 dropped);

private:
    struct Parts
    {
        qsizetype headKept = 0;
        QByteArray tail;
    };
    Parts parts() const;
    QByteArray ringInOrder() const;

    qsizetype m_headLimit;
    qsizetype m_tailLimit;
    QByteArray m_head;
    // The last tailLimit + 1 bytes once the head is full (the extra byte tells whether the tail
    // starts on a line of its own); m_ringStart is its oldest byte once it has wrapped.
    QByteArray m_ring;
    qsizetype m_ringStart = 0;
    qint64 m_total = 0;
};
