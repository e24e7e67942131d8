#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qvdisasm {

// The listing goes out through one fixed buffer, so a 10 MB disassembly costs no allocation per
// line. Writes to a file descriptor, or collects into a string for tests.
class OutputBuffer
{
public:
    explicit OutputBuffer(int fd);
    OutputBuffer(); // collects into text()
    ~OutputBuffer();

    OutputBuffer(const OutputBuffer &) = delete;
    OutputBuffer &operator=(const OutputBuffer &) = delete;

    void put(char c)
    {
        if (m_used == Capacity)
            drain();
        m_data[m_used++] = c;
    }
    void put(std::string_view text);
    void blanks(size_t count);
    void hexByte(uint8_t value); // two upper-case digits
    void hex32(uint32_t value);  // eight upper-case digits
    void lineEnd() { put("\r\n"); }

    // Writes out what is buffered; false once any write failed.
    bool flush();
    bool failed() const { return m_failed; }
    int error() const { return m_errno; }

    const std::string &text() const { return m_collected; }

private:
    static constexpr size_t Capacity = 256 * 1024;
    void drain();

    int m_fd = -1;
    size_t m_used = 0;
    bool m_failed = false;
    int m_errno = 0;
    char *m_data;
    std::string m_collected;
};

} // namespace qvdisasm
