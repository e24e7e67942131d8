#pragma once

#include "qvasm/Keywords.h"

#include <span>
#include <vector>

namespace qvasm {

// Operand patterns of an instruction form.
enum OT : uint8_t {
    O_None,
    O_R8,
    O_R16,
    O_R32, // general register of that size
    O_RM8,
    O_RM16,
    O_RM32, // general register or memory of that size
    O_M,
    O_M8,
    O_M16,
    O_M32,
    O_M48,
    O_M64, // memory (O_M: any size)
    O_MOFFS8,
    O_MOFFS16,
    O_MOFFS32, // memory by direct address (no registers)
    O_AL,
    O_AX,
    O_EAX,
    O_CL,
    O_DX,
    O_SREG,
    O_SREGW, // segment register; one that may be written (not cs)
    O_ES,
    O_CS,
    O_SS,
    O_DS,
    O_FS,
    O_GS,
    O_CR,
    O_DR,
    O_I8,
    O_I16,
    O_I32, // immediate of that size
    O_S8,  // immediate stored as a sign-extended byte
    O_ONE, // the constant 1 (shift by one)
    O_STI, // st(i)
};

// What a form needs of the CPU directives.
enum Req : uint8_t {
    Q86,
    Q186,
    Q286,
    Q286P,
    Q386,
    Q386P,
    Q486,
    Q586,
    Q87,
    Q387,
    Q286to486,
    Q386to486
};

enum FormFlag : uint8_t {
    F_O32 = 1,      // 32-bit operand size: 66h prefix in 16-bit code
    F_PLUS = 2,     // register number added to the last opcode byte
    F_EXPLICIT = 4, // a memory operand or an immediate must carry its size (never guessed)
    F_COND = 8,     // condition code added to the last opcode byte
};

constexpr int8_t kRegField = -1; // ModRM.reg holds a register operand
constexpr int8_t kNoModRM = -2;

struct Form
{
    Mn mn = MnNone;
    uint8_t nops = 0;
    OT op[3] = {O_None, O_None, O_None};
    uint8_t opc[3] = {0, 0, 0};
    uint8_t opcLen = 0;
    int8_t ext = kNoModRM; // 0..7: ModRM.reg digit
    uint8_t flags = 0;
    Req req = Q86;
    int8_t rmIdx = -1;   // operand in ModRM.rm
    int8_t regIdx = -1;  // operand in ModRM.reg
    int8_t plusIdx = -1; // operand added to the opcode
};

inline bool isShift(Mn m)
{
    return m == Mn_rol || m == Mn_ror || m == Mn_rcl || m == Mn_rcr || m == Mn_shl || m == Mn_sal
           || m == Mn_shr || m == Mn_sar;
}

// Every encodable form, grouped by base instruction in order of preference: the first form
// that fits the operands is the one used, so shorter forms come first.
class InstructionTable
{
public:
    static const InstructionTable &instance();
    std::span<const Form> forms(Mn mn) const;
    const std::vector<Form> &all() const { return m_forms; }

private:
    InstructionTable();
    void add(Mn mn,
             std::initializer_list<OT> ops,
             std::initializer_list<uint8_t> opc,
             int8_t ext,
             uint8_t flags = 0,
             Req req = Q86);
    void alu(Mn mn, uint8_t n);
    void unaryF6(Mn mn, uint8_t n);
    void shift(Mn mn, uint8_t n);
    void bitTest(Mn mn, uint8_t regOpc, uint8_t n);
    void implied(Mn mn, std::initializer_list<uint8_t> opc, Req req = Q86);

    std::vector<Form> m_forms;
    std::vector<std::pair<uint32_t, uint32_t>> m_index; // by Mn: first, count
};

} // namespace qvasm
