#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qvasm {

// The bytes of .code or .data with their location counter. Bytes past the cap are only
// counted: such an image is far beyond what a .COM file can hold and is an error anyway.
class Section
{
public:
    static constexpr size_t Cap = 1u << 20;

    void reset(int64_t start);
    int64_t start() const { return m_start; }
    int64_t address() const { return m_addr; }
    uint64_t length() const { return m_length; }
    bool touched() const { return m_length > 0 || m_addr != m_start; }
    // Address of the first byte not followed by initialised data only.
    uint64_t initializedEnd() const { return m_initEnd; }
    const std::vector<uint8_t> &bytes() const { return m_bytes; }

    void emit(const uint8_t *p, size_t n);
    void emit(const std::vector<uint8_t> &v) { emit(v.data(), v.size()); }
    // Initialised bytes of which only the first `stored` are given (the rest are zero).
    void emitLong(const uint8_t *p, size_t stored, uint64_t total);
    void reserve(uint64_t n); // uninitialised (zero in the file when data follows)
    void moveTo(int64_t address) { m_addr = address; } // orgnf: no bytes
    void setStart(int64_t start)
    {
        m_start = start;
        m_addr = start;
    }

private:
    void grow(uint64_t total);

    std::vector<uint8_t> m_bytes;
    int64_t m_start = 0;
    int64_t m_addr = 0;
    uint64_t m_length = 0;
    uint64_t m_initEnd = 0;
};

} // namespace qvasm
