#include "qvasm/Section.h"

#include <algorithm>
#include <cstring>

namespace qvasm {

void Section::reset(int64_t start)
{
    m_bytes.clear();
    m_start = m_addr = start;
    m_length = 0;
    m_initEnd = 0;
}

void Section::grow(uint64_t total)
{
    const uint64_t stored = std::min<uint64_t>(m_length + total, Cap);
    if (stored > m_bytes.size())
        m_bytes.resize(size_t(stored), 0);
}

void Section::emit(const uint8_t *p, size_t n)
{
    emitLong(p, n, n);
}

void Section::emitLong(const uint8_t *p, size_t stored, uint64_t total)
{
    if (total == 0)
        return;
    const uint64_t at = m_length;
    grow(total);
    if (at < Cap) {
        const size_t room = size_t(std::min<uint64_t>(Cap - at, stored));
        std::memcpy(m_bytes.data() + at, p, room);
    }
    m_length += total;
    m_addr += int64_t(total);
    m_initEnd = m_length;
}

void Section::reserve(uint64_t n)
{
    if (n == 0)
        return;
    grow(n);
    m_length += n;
    m_addr += int64_t(n);
}

} // namespace qvasm
