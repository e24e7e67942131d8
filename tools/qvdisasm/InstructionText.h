#pragma once

#include <capstone/capstone.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace qvdisasm {

// The prefix bytes in front of an opcode, as the bytes have them.
struct Prefixes
{
    int count = 0;       // prefix bytes before the opcode
    uint8_t segment = 0; // the last segment override (26h 2Eh 36h 3Eh 64h 65h), 0 when none
    uint8_t repeat = 0;  // F2h or F3h, 0 when none
    bool lock = false;
    bool operandSize = false; // 66h
    bool addressSize = false; // 67h
};
Prefixes scanPrefixes(const uint8_t *bytes, size_t size);

// "0FFFFh", "7Fh", "5": the dialect's hex numbers, with the leading digit it needs and at least
// `minDigits` digits; values below ten as plain decimals when `minDigits` is 1.
void appendNumber(std::string &out, uint64_t value, int minDigits = 1);

// Turns one instruction Capstone decoded into text in qvasm's dialect (MASM-like:
// "mov     word ptr [bx + si + 2], 1234h", "jmp     short 0105h"). Where the dialect has several
// spellings, or where one text stands for several encodings, it gives every spelling worth
// trying, most readable first; whoever checks them against the assembler picks one.
class InstructionText
{
public:
    static constexpr size_t MaxTexts = 6;

    explicit InstructionText(bool bits32);

    void render(const cs_insn &insn);

    size_t count() const { return m_count; }
    const std::string &text(size_t index) const { return m_texts[index]; }
    const std::string &primary() const { return m_texts[0]; }

private:
    struct Parts
    {
        std::string mnemonic;
        std::array<std::string, 4> operands;
        size_t operandCount = 0;
    };

    void split(const cs_insn &insn);
    // "mnemonic operands", the operands in their column; a prefix ("cs:") goes in front.
    void emit(std::string_view mnemonic, const Parts &parts, std::string_view prefix = {});
    void emit(const Parts &parts) { emit(parts.mnemonic, parts); }
    void emitPrefixed(std::string_view prefix, const Parts &parts);

    bool renderBranch(const cs_insn &insn, const Prefixes &prefixes, size_t at);
    bool renderString(const cs_insn &insn, const Prefixes &prefixes, uint8_t opcode);
    bool renderFar(const cs_insn &insn, const Prefixes &prefixes, size_t at);
    void renderGeneral(const cs_insn &insn, const Prefixes &prefixes, size_t at);

    bool m_bits32;
    std::array<std::string, MaxTexts> m_texts;
    size_t m_count = 0;
    Parts m_parts; // Capstone's text, numbers converted
    Parts m_alt;   // scratch for a variant
};

} // namespace qvdisasm
