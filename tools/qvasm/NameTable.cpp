#include "qvasm/NameTable.h"

#include <algorithm>
#include <cstring>

namespace qvasm {

namespace {

char lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c + 32) : c;
}

constexpr size_t kBlock = 64 * 1024;

} // namespace

NameTable::NameTable()
{
    m_names.emplace_back(); // id 0: no name
    m_hashes.push_back(0);
    m_slots.assign(1024, 0);
}

void NameTable::clear()
{
    if (m_slots.size() > 4096) {
        m_slots.assign(1024, 0);
    } else if (m_names.size() > 1) {
        // Empty just the slots in use: a handful after a snippet.
        const size_t mask = m_slots.size() - 1;
        std::vector<size_t> used;
        for (uint32_t id = 1; id < m_names.size(); ++id) {
            size_t h = m_hashes[id] & mask;
            while (m_slots[h] != id)
                h = (h + 1) & mask;
            used.push_back(h);
        }
        for (size_t h : used)
            m_slots[h] = 0;
    }
    m_names.resize(1);
    m_hashes.resize(1);
    if (m_blocks.size() > 1)
        m_blocks.resize(1);
    m_blockUsed = 0;
    m_blockSize = m_blocks.empty() ? 0 : kBlock;
    m_bytes = 0;
}

uint64_t NameTable::hashLower(std::string_view s)
{
    uint64_t h = 1469598103934665603ull;
    for (char c : s)
        h = (h ^ uint8_t(lower(c))) * 1099511628211ull;
    return h;
}

bool NameTable::equalLower(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

std::string_view NameTable::store(std::string_view s)
{
    if (s.size() > kBlock / 4) {
        // Long names get a block of their own so blocks stay dense.
        m_blocks.push_back(std::make_unique<char[]>(s.size()));
        std::memcpy(m_blocks.back().get(), s.data(), s.size());
        return {m_blocks.back().get(), s.size()};
    }
    if (m_blockSize - m_blockUsed < s.size()) {
        m_blocks.push_back(std::make_unique<char[]>(kBlock));
        m_blockUsed = 0;
        m_blockSize = kBlock;
    }
    char *p = m_blocks.back().get() + m_blockUsed;
    std::memcpy(p, s.data(), s.size());
    m_blockUsed += s.size();
    return {p, s.size()};
}

void NameTable::grow()
{
    std::vector<uint32_t> slots(m_slots.size() * 2, 0);
    const size_t mask = slots.size() - 1;
    for (uint32_t id = 1; id < m_names.size(); ++id) {
        size_t h = m_hashes[id] & mask;
        while (slots[h])
            h = (h + 1) & mask;
        slots[h] = id;
    }
    m_slots.swap(slots);
}

uint32_t NameTable::find(std::string_view name) const
{
    const uint64_t hv = hashLower(name);
    const size_t mask = m_slots.size() - 1;
    for (size_t h = hv & mask;; h = (h + 1) & mask) {
        const uint32_t id = m_slots[h];
        if (!id)
            return 0;
        if (m_hashes[id] == hv && equalLower(m_names[id], name))
            return id;
    }
}

uint32_t NameTable::intern(std::string_view name)
{
    const uint64_t hv = hashLower(name);
    size_t mask = m_slots.size() - 1;
    size_t h = hv & mask;
    for (;; h = (h + 1) & mask) {
        const uint32_t id = m_slots[h];
        if (!id)
            break;
        if (m_hashes[id] == hv && equalLower(m_names[id], name))
            return id;
    }
    const uint32_t id = uint32_t(m_names.size());
    m_names.push_back(store(name));
    m_hashes.push_back(hv);
    m_bytes += name.size();
    m_slots[h] = id;
    if (m_names.size() * 2 > m_slots.size())
        grow();
    return id;
}

} // namespace qvasm
