#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace qvdisasm {

// The file to disassemble, opened and checked up front and read in chunks, so a bad path, a
// folder, an empty file or a skip past the end each end in one readable line instead of a crash,
// and a file shrinking underneath us is a read error rather than a SIGBUS.
class InputFile
{
public:
    // Opens `path` and positions after `skip` bytes; on failure nothing, with `error` set.
    static std::optional<InputFile> open(const std::string &path, uint32_t skip, std::string &error);

    InputFile(InputFile &&other) noexcept;
    InputFile &operator=(InputFile &&) = delete;
    ~InputFile();

    // Bytes left after the skip, as the file was when opened.
    uint64_t remaining() const { return m_remaining; }
    // Up to `capacity` bytes; 0 at the end. Returns -1 on a read error, with `error` set.
    long long read(uint8_t *buffer, size_t capacity, std::string &error);

private:
    InputFile(int fd, std::string path, uint64_t remaining);

    int m_fd = -1;
    std::string m_path;
    uint64_t m_remaining = 0;
};

} // namespace qvdisasm
