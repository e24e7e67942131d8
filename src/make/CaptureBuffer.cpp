#include "make/CaptureBuffer.h"

#include <cstring>
#include <limits>

CaptureBuffer &CaptureBuffer::instance()
{
    static CaptureBuffer buffer;
    return buffer;
}

void CaptureBuffer::store(const char *data, qsizetype size)
{
    // resize() keeps the allocation when it is big enough and not shared, and keeps the NUL
    // after the data.
    m_bytes.resize(size);
    if (size > 0)
        std::memcpy(m_bytes.data(), data, size_t(size));
    m_length = quint32(qMin<qsizetype>(size, std::numeric_limits<quint32>::max()));
}

void CaptureBuffer::clear()
{
    m_bytes.resize(0);
    m_length = 0;
}
