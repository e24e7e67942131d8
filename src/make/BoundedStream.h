#pragma once

#include "make/BoundedCapture.h"

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

// Output that is shown as it arrives (the post-build commands'), kept within the same bound as a
// tool's capture: the first headLimit bytes pass on at once; what comes after them is held, of it
// at most the last tailLimit bytes (and the few the head gave back to end on a whole line), and
// comes out at the end, after a line saying how many bytes were left out when some were. So a
// command that floods its output costs no more memory than the bound, here or where it is shown.
// Output within the bound comes out whole and as written.
class BoundedStream
{
public:
    explicit BoundedStream(qsizetype headLimit = BoundedCapture::DefaultHeadLimit,
                           qsizetype tailLimit = BoundedCapture::DefaultTailLimit);

    // The part of chunk to pass on now: all of it while the head lasts; where the head fills, up
    // to its last line break (all of it when there is none); nothing after that.
    QByteArrayView append(QByteArrayView chunk);
    // At the end of the output: what was held back, the line between when something was left out.
    QByteArray finish();

    qint64 totalBytes() const { return m_total; }
    // Bytes left out of what finish() gives (so far, before it).
    qint64 droppedBytes() const;

private:
    qsizetype m_headLimit;
    qsizetype m_tailLimit;
    qint64 m_total = 0;
    qsizetype m_passed = 0; // bytes of the head passed on
    bool m_passedEndsLine = true;
    std::optional<BoundedCapture> m_rest; // once the head is full
    qint64 m_dropped = 0;
};
