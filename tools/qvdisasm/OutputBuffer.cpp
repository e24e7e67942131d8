#include "OutputBuffer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace qvdisasm {

namespace {
constexpr char HexDigits[] = "0123456789ABCDEF";
}

OutputBuffer::OutputBuffer(int fd)
    : m_fd(fd)
    , m_data(new char[Capacity])
{}

OutputBuffer::OutputBuffer()
    : m_data(new char[Capacity])
{}

OutputBuffer::~OutputBuffer()
{
    flush();
    delete[] m_data;
}

void OutputBuffer::put(std::string_view text)
{
    while (!text.empty()) {
        if (m_used == Capacity)
            drain();
        const size_t n = std::min(text.size(), Capacity - m_used);
        std::memcpy(m_data + m_used, text.data(), n);
        m_used += n;
        text.remove_prefix(n);
    }
}

void OutputBuffer::blanks(size_t count)
{
    static constexpr std::string_view Blanks = "                                ";
    while (count > 0) {
        const size_t n = std::min(count, Blanks.size());
        put(Blanks.substr(0, n));
        count -= n;
    }
}

void OutputBuffer::hexByte(uint8_t value)
{
    put(HexDigits[value >> 4]);
    put(HexDigits[value & 15]);
}

void OutputBuffer::hex32(uint32_t value)
{
    char digits[8];
    for (int i = 7; i >= 0; --i) {
        digits[i] = HexDigits[value & 15];
        value >>= 4;
    }
    put(std::string_view(digits, 8));
}

void OutputBuffer::drain()
{
    if (m_fd < 0) {
        m_collected.append(m_data, m_used);
        m_used = 0;
        return;
    }
    size_t done = 0;
    while (done < m_used && !m_failed) {
        const ssize_t n = ::write(m_fd, m_data + done, m_used - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            m_failed = true;
            m_errno = errno;
        } else {
            done += size_t(n);
        }
    }
    // After a failed write the rest is dropped: the caller reports the failure once.
    m_used = 0;
}

bool OutputBuffer::flush()
{
    if (m_used > 0)
        drain();
    return !m_failed;
}

} // namespace qvdisasm
