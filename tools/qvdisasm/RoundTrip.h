#pragma once

#include "EncodingOracle.h"
#include "InstructionText.h"

#include <array>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace qvdisasm {

// Picks, for each instruction, the first of its texts that the assembler turns back into the
// same bytes. Asking the assembler for every instruction of a 10 MB file would be slow, so the
// verdict is kept per shape: the bytes with displacement and immediate values replaced by the
// classes an encoder decides on (zero, one, fits a signed byte, ...). Instructions of one shape
// print alike and are encoded alike.
class RoundTrip
{
public:
    explicit RoundTrip(EncodingOracle &oracle);

    // Index into `texts`, or -1 when none of them gives the bytes back. Needs Capstone's details.
    int choose(const cs_insn &insn, const InstructionText &texts);

    size_t assemblerCalls() const { return m_calls; }
    size_t cacheHits() const { return m_hits; }

private:
    using Key = std::array<uint8_t, 20>;
    struct KeyHash
    {
        size_t operator()(const Key &key) const;
    };
    // Where the CPU sees the instruction: past 64 KB the offsets shown go on, the IP wraps.
    static uint32_t instructionPointer(const cs_insn &insn);
    // False when the instruction's verdict may depend on more than its shape.
    bool makeKey(const cs_insn &insn, Key &key) const;

    EncodingOracle &m_oracle;
    std::unordered_map<Key, int8_t, KeyHash> m_verdicts;
    std::vector<uint8_t> m_bytes;
    size_t m_calls = 0;
    size_t m_hits = 0;
};

} // namespace qvdisasm
