#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace qvasm {

// Interns names case-insensitively: every spelling of a name gets the same small id, so the
// symbol table and the structure members are plain arrays indexed by it.
class NameTable
{
public:
    NameTable();

    // Forgets every name, keeping a small amount of memory for the next use.
    void clear();

    // Id of the name (created on first sight); ids start at 1.
    uint32_t intern(std::string_view name);
    // Id of the name, or 0 when it was never interned.
    uint32_t find(std::string_view name) const;
    // The name as first written.
    std::string_view spelling(uint32_t id) const { return m_names[id]; }
    size_t size() const { return m_names.size(); }
    // Bytes held by names, for the symbol-space account.
    size_t bytes() const { return m_bytes; }

private:
    static uint64_t hashLower(std::string_view s);
    static bool equalLower(std::string_view a, std::string_view b);
    std::string_view store(std::string_view s);
    void grow();

    std::vector<std::string_view> m_names;
    std::vector<uint64_t> m_hashes;
    std::vector<uint32_t> m_slots; // open addressing, 0 = empty
    std::vector<std::unique_ptr<char[]>> m_blocks;
    size_t m_blockUsed = 0;
    size_t m_blockSize = 0;
    size_t m_bytes = 0;
};

} // namespace qvasm
