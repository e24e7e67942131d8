#include "RoundTrip.h"

#include <cstring>

namespace qvdisasm {

namespace {

constexpr size_t MaxVerdicts = 1 << 20; // bounds the memory of a huge, varied input

uint64_t readValue(const uint8_t *bytes, size_t size)
{
    uint64_t value = 0;
    for (size_t i = size; i-- > 0;)
        value = value << 8 | bytes[i];
    return value;
}

int64_t signExtend(uint64_t value, size_t size)
{
    const unsigned bits = unsigned(size * 8);
    if (bits >= 64)
        return int64_t(value);
    const uint64_t sign = uint64_t(1) << (bits - 1);
    return int64_t((value ^ sign) - sign);
}

bool fitsSignedByte(int64_t value)
{
    return value >= -128 && value <= 127;
}

// The classes an encoder (or a diagnostic) tells apart.
uint8_t immediateClass(uint64_t value, size_t size)
{
    if (value == 0)
        return 1;
    if (value == 1)
        return 2;
    if (value < 0x80)
        return 3;
    if (fitsSignedByte(signExtend(value, size)))
        return 4;
    if (value < 0x100)
        return 5;
    return 6;
}

uint8_t displacementClass(uint64_t value, size_t size)
{
    if (value == 0)
        return 1;
    return fitsSignedByte(signExtend(value, size)) ? 2 : 3;
}

bool validField(uint8_t offset, uint8_t size, size_t insnSize)
{
    return offset > 0 && (size == 1 || size == 2 || size == 4) && offset + size <= insnSize;
}

bool isRelativeBranch(const cs_insn &insn)
{
    const cs_detail *detail = insn.detail;
    for (uint8_t i = 0; i < detail->groups_count; ++i) {
        if (detail->groups[i] == CS_GRP_JUMP || detail->groups[i] == CS_GRP_CALL)
            return detail->x86.op_count == 1 && detail->x86.operands[0].type == X86_OP_IMM;
    }
    return false;
}

} // namespace

size_t RoundTrip::KeyHash::operator()(const Key &key) const
{
    uint64_t hash = 1469598103934665603ull;
    for (uint8_t byte : key)
        hash = (hash ^ byte) * 1099511628211ull;
    return size_t(hash);
}

RoundTrip::RoundTrip(EncodingOracle &oracle)
    : m_oracle(oracle)
{
    m_bytes.reserve(32);
}

uint32_t RoundTrip::instructionPointer(const cs_insn &insn)
{
    return uint32_t(insn.address) & 0xFFFF;
}

bool RoundTrip::makeKey(const cs_insn &insn, Key &key) const
{
    const uint32_t ip = instructionPointer(insn);
    key.fill(0);
    if (insn.size > 15 || !insn.detail)
        return false;
    // Close to the end of the 64 KB segment the assembler may complain where it otherwise would not.
    if (ip + insn.size + 16 > 0x10000)
        return false;
    key[0] = uint8_t(insn.size);
    std::memcpy(key.data() + 1, insn.bytes, insn.size);

    const cs_x86_encoding &encoding = insn.detail->x86.encoding;
    const bool branch = isRelativeBranch(insn);
    if (validField(encoding.disp_offset, encoding.disp_size, insn.size)) {
        const uint64_t disp = readValue(insn.bytes + encoding.disp_offset, encoding.disp_size);
        std::memset(key.data() + 1 + encoding.disp_offset, 0, encoding.disp_size);
        key[16] = displacementClass(disp, encoding.disp_size);
    }
    if (validField(encoding.imm_offset, encoding.imm_size, insn.size)) {
        const uint64_t imm = readValue(insn.bytes + encoding.imm_offset, encoding.imm_size);
        std::memset(key.data() + 1 + encoding.imm_offset, 0, encoding.imm_size);
        if (branch) {
            const int64_t rel = signExtend(imm, encoding.imm_size);
            const int64_t target = int64_t(ip) + insn.size + rel;
            key[18] = target < 0 || target > 0xFFFF ? 1 : 0; // wraps around the segment
            // Whether the short form would reach: the assembler may say so about a near jump.
            const int64_t shortRel = rel + int64_t(insn.size) - 2;
            key[17] = fitsSignedByte(shortRel) ? 1 : 2;
        } else {
            key[17] = immediateClass(imm, encoding.imm_size);
        }
    } else if (branch) {
        return false;
    }

    // Fields Capstone's encoding details leave out: a far pointer's segment and offset, and the
    // frame size of enter.
    const Prefixes prefixes = scanPrefixes(insn.bytes, insn.size);
    const size_t at = size_t(prefixes.count);
    if (at < insn.size && (insn.bytes[at] == 0x9A || insn.bytes[at] == 0xEA)) {
        const bool zero = readValue(insn.bytes + at + 1, insn.size - at - 1) == 0;
        std::memset(key.data() + 1 + at + 1, 0, insn.size - at - 1);
        key[19] = zero ? 1 : 2;
    } else if (at + 4 == insn.size && insn.bytes[at] == 0xC8) {
        key[19] = immediateClass(readValue(insn.bytes + at + 1, 2), 2);
        std::memset(key.data() + 1 + at + 1, 0, 2);
    }
    return true;
}

int RoundTrip::choose(const cs_insn &insn, const InstructionText &texts)
{
    Key key;
    const bool cacheable = makeKey(insn, key);
    if (cacheable) {
        const auto found = m_verdicts.find(key);
        if (found != m_verdicts.end() && found->second < int(texts.count())) {
            ++m_hits;
            return found->second;
        }
    }
    int chosen = -1;
    for (size_t i = 0; i < texts.count(); ++i) {
        ++m_calls;
        m_bytes.clear();
        if (m_oracle.assemble(texts.text(i), instructionPointer(insn), m_bytes)
            && m_bytes.size() == insn.size
            && std::memcmp(m_bytes.data(), insn.bytes, insn.size) == 0) {
            chosen = int(i);
            break;
        }
    }
    if (cacheable) {
        if (m_verdicts.size() >= MaxVerdicts)
            m_verdicts.clear();
        m_verdicts.emplace(key, int8_t(chosen));
    }
    return chosen;
}

} // namespace qvdisasm
