#include "qvasm/InstructionTable.h"

#include <algorithm>

namespace qvasm {

namespace {

constexpr int8_t R = kRegField;
constexpr int8_t N = kNoModRM;

bool isRegPattern(OT t)
{
    switch (t) {
    case O_R8:
    case O_R16:
    case O_R32:
    case O_SREG:
    case O_SREGW:
    case O_CR:
    case O_DR:
        return true;
    default:
        return false;
    }
}

bool isRmPattern(OT t)
{
    return (t >= O_RM8 && t <= O_M64);
}

} // namespace

const InstructionTable &InstructionTable::instance()
{
    static const InstructionTable table;
    return table;
}

std::span<const Form> InstructionTable::forms(Mn mn) const
{
    if (mn >= m_index.size())
        return {};
    const auto [first, count] = m_index[mn];
    return std::span<const Form>(m_forms.data() + first, count);
}

void InstructionTable::add(Mn mn,
                           std::initializer_list<OT> ops,
                           std::initializer_list<uint8_t> opc,
                           int8_t ext,
                           uint8_t flags,
                           Req req)
{
    Form f;
    f.mn = mn;
    f.nops = uint8_t(ops.size());
    std::copy(ops.begin(), ops.end(), f.op);
    std::copy(opc.begin(), opc.end(), f.opc);
    f.opcLen = uint8_t(opc.size());
    f.ext = ext;
    f.flags = flags;
    f.req = req;
    for (int i = 0; i < f.nops; ++i) {
        if (isRmPattern(f.op[i]))
            f.rmIdx = int8_t(i);
    }
    if (flags & F_PLUS) {
        for (int i = 0; i < f.nops; ++i) {
            if (f.op[i] == O_R8 || f.op[i] == O_R16 || f.op[i] == O_R32 || f.op[i] == O_STI)
                f.plusIdx = int8_t(i);
        }
    }
    if (ext == R) {
        for (int i = 0; i < f.nops; ++i) {
            if (i != f.rmIdx && isRegPattern(f.op[i]) && f.regIdx < 0
                && (f.rmIdx >= 0 || f.op[i] == O_CR || f.op[i] == O_DR || f.op[i] == O_SREG
                    || f.op[i] == O_SREGW))
                f.regIdx = int8_t(i);
        }
        if (f.rmIdx < 0) {
            // mov cr0,eax and friends: the general register sits in ModRM.rm; with two
            // general registers the first is ModRM.reg.
            if (f.regIdx < 0)
                f.regIdx = 0;
            for (int i = 0; i < f.nops; ++i) {
                if (i != f.regIdx && isRegPattern(f.op[i]))
                    f.rmIdx = int8_t(i);
            }
        }
    }
    m_forms.push_back(f);
}

void InstructionTable::implied(Mn mn, std::initializer_list<uint8_t> opc, Req req)
{
    add(mn, {}, opc, N, 0, req);
}

void InstructionTable::alu(Mn mn, uint8_t n)
{
    const uint8_t b = uint8_t(n * 8);
    add(mn, {O_AL, O_I8}, {uint8_t(b + 4)}, N);
    add(mn, {O_AX, O_I16}, {uint8_t(b + 5)}, N);
    add(mn, {O_EAX, O_I32}, {uint8_t(b + 5)}, N, F_O32, Q386);
    add(mn, {O_RM8, O_I8}, {0x80}, int8_t(n));
    add(mn, {O_RM16, O_S8}, {0x83}, int8_t(n));
    add(mn, {O_RM16, O_I16}, {0x81}, int8_t(n));
    add(mn, {O_RM32, O_S8}, {0x83}, int8_t(n), F_O32, Q386);
    add(mn, {O_RM32, O_I32}, {0x81}, int8_t(n), F_O32, Q386);
    add(mn, {O_RM8, O_R8}, {b}, R);
    add(mn, {O_RM16, O_R16}, {uint8_t(b + 1)}, R);
    add(mn, {O_RM32, O_R32}, {uint8_t(b + 1)}, R, F_O32, Q386);
    add(mn, {O_R8, O_RM8}, {uint8_t(b + 2)}, R);
    add(mn, {O_R16, O_RM16}, {uint8_t(b + 3)}, R);
    add(mn, {O_R32, O_RM32}, {uint8_t(b + 3)}, R, F_O32, Q386);
}

void InstructionTable::unaryF6(Mn mn, uint8_t n)
{
    add(mn, {O_RM8}, {0xF6}, int8_t(n));
    add(mn, {O_RM16}, {0xF7}, int8_t(n));
    add(mn, {O_RM32}, {0xF7}, int8_t(n), F_O32, Q386);
}

void InstructionTable::shift(Mn mn, uint8_t n)
{
    add(mn, {O_RM8, O_ONE}, {0xD0}, int8_t(n));
    add(mn, {O_RM16, O_ONE}, {0xD1}, int8_t(n));
    add(mn, {O_RM32, O_ONE}, {0xD1}, int8_t(n), F_O32, Q386);
    add(mn, {O_RM8, O_CL}, {0xD2}, int8_t(n));
    add(mn, {O_RM16, O_CL}, {0xD3}, int8_t(n));
    add(mn, {O_RM32, O_CL}, {0xD3}, int8_t(n), F_O32, Q386);
    add(mn, {O_RM8, O_I8}, {0xC0}, int8_t(n), 0, Q186);
    add(mn, {O_RM16, O_I8}, {0xC1}, int8_t(n), 0, Q186);
    add(mn, {O_RM32, O_I8}, {0xC1}, int8_t(n), F_O32, Q386);
}

void InstructionTable::bitTest(Mn mn, uint8_t regOpc, uint8_t n)
{
    add(mn, {O_RM16, O_R16}, {0x0F, regOpc}, R, 0, Q386);
    add(mn, {O_RM32, O_R32}, {0x0F, regOpc}, R, F_O32, Q386);
    add(mn, {O_RM16, O_I8}, {0x0F, 0xBA}, int8_t(n), 0, Q386);
    add(mn, {O_RM32, O_I8}, {0x0F, 0xBA}, int8_t(n), F_O32, Q386);
}

InstructionTable::InstructionTable()
{
    // Arithmetic and logic.
    alu(Mn_add, 0);
    alu(Mn_or, 1);
    alu(Mn_adc, 2);
    alu(Mn_sbb, 3);
    alu(Mn_and, 4);
    alu(Mn_sub, 5);
    alu(Mn_xor, 6);
    alu(Mn_cmp, 7);

    // mov: the accumulator's direct-address forms are shortest, so they come first.
    add(Mn_mov, {O_AL, O_MOFFS8}, {0xA0}, N);
    add(Mn_mov, {O_AX, O_MOFFS16}, {0xA1}, N);
    add(Mn_mov, {O_EAX, O_MOFFS32}, {0xA1}, N, F_O32, Q386);
    add(Mn_mov, {O_MOFFS8, O_AL}, {0xA2}, N);
    add(Mn_mov, {O_MOFFS16, O_AX}, {0xA3}, N);
    add(Mn_mov, {O_MOFFS32, O_EAX}, {0xA3}, N, F_O32, Q386);
    add(Mn_mov, {O_RM8, O_R8}, {0x88}, R);
    add(Mn_mov, {O_RM16, O_R16}, {0x89}, R);
    add(Mn_mov, {O_RM32, O_R32}, {0x89}, R, F_O32, Q386);
    add(Mn_mov, {O_R8, O_RM8}, {0x8A}, R);
    add(Mn_mov, {O_R16, O_RM16}, {0x8B}, R);
    add(Mn_mov, {O_R32, O_RM32}, {0x8B}, R, F_O32, Q386);
    add(Mn_mov, {O_RM16, O_SREG}, {0x8C}, R);
    add(Mn_mov, {O_SREGW, O_RM16}, {0x8E}, R);
    add(Mn_mov, {O_R8, O_I8}, {0xB0}, N, F_PLUS);
    add(Mn_mov, {O_R16, O_I16}, {0xB8}, N, F_PLUS);
    add(Mn_mov, {O_R32, O_I32}, {0xB8}, N, F_PLUS | F_O32, Q386);
    add(Mn_mov, {O_RM8, O_I8}, {0xC6}, 0);
    add(Mn_mov, {O_RM16, O_I16}, {0xC7}, 0);
    add(Mn_mov, {O_RM32, O_I32}, {0xC7}, 0, F_O32, Q386);
    add(Mn_mov, {O_R32, O_CR}, {0x0F, 0x20}, R, 0, Q386P);
    add(Mn_mov, {O_CR, O_R32}, {0x0F, 0x22}, R, 0, Q386P);
    add(Mn_mov, {O_R32, O_DR}, {0x0F, 0x21}, R, 0, Q386P);
    add(Mn_mov, {O_DR, O_R32}, {0x0F, 0x23}, R, 0, Q386P);

    add(Mn_test, {O_AL, O_I8}, {0xA8}, N);
    add(Mn_test, {O_AX, O_I16}, {0xA9}, N);
    add(Mn_test, {O_EAX, O_I32}, {0xA9}, N, F_O32, Q386);
    add(Mn_test, {O_RM8, O_I8}, {0xF6}, 0);
    add(Mn_test, {O_RM16, O_I16}, {0xF7}, 0);
    add(Mn_test, {O_RM32, O_I32}, {0xF7}, 0, F_O32, Q386);
    add(Mn_test, {O_RM8, O_R8}, {0x84}, R);
    add(Mn_test, {O_RM16, O_R16}, {0x85}, R);
    add(Mn_test, {O_RM32, O_R32}, {0x85}, R, F_O32, Q386);
    add(Mn_test, {O_R8, O_RM8}, {0x84}, R);
    add(Mn_test, {O_R16, O_RM16}, {0x85}, R);
    add(Mn_test, {O_R32, O_RM32}, {0x85}, R, F_O32, Q386);

    add(Mn_xchg, {O_AX, O_R16}, {0x90}, N, F_PLUS);
    add(Mn_xchg, {O_R16, O_AX}, {0x90}, N, F_PLUS);
    add(Mn_xchg, {O_EAX, O_R32}, {0x90}, N, F_PLUS | F_O32, Q386);
    add(Mn_xchg, {O_R32, O_EAX}, {0x90}, N, F_PLUS | F_O32, Q386);
    add(Mn_xchg, {O_RM8, O_R8}, {0x86}, R);
    add(Mn_xchg, {O_R8, O_RM8}, {0x86}, R);
    add(Mn_xchg, {O_RM16, O_R16}, {0x87}, R);
    add(Mn_xchg, {O_R16, O_RM16}, {0x87}, R);
    add(Mn_xchg, {O_RM32, O_R32}, {0x87}, R, F_O32, Q386);
    add(Mn_xchg, {O_R32, O_RM32}, {0x87}, R, F_O32, Q386);

    add(Mn_inc, {O_R16}, {0x40}, N, F_PLUS);
    add(Mn_inc, {O_R32}, {0x40}, N, F_PLUS | F_O32, Q386);
    add(Mn_inc, {O_RM8}, {0xFE}, 0);
    add(Mn_inc, {O_RM16}, {0xFF}, 0);
    add(Mn_inc, {O_RM32}, {0xFF}, 0, F_O32, Q386);
    add(Mn_dec, {O_R16}, {0x48}, N, F_PLUS);
    add(Mn_dec, {O_R32}, {0x48}, N, F_PLUS | F_O32, Q386);
    add(Mn_dec, {O_RM8}, {0xFE}, 1);
    add(Mn_dec, {O_RM16}, {0xFF}, 1);
    add(Mn_dec, {O_RM32}, {0xFF}, 1, F_O32, Q386);

    add(Mn_push, {O_R16}, {0x50}, N, F_PLUS);
    add(Mn_push, {O_R32}, {0x50}, N, F_PLUS | F_O32, Q386);
    add(Mn_push, {O_ES}, {0x06}, N);
    add(Mn_push, {O_CS}, {0x0E}, N);
    add(Mn_push, {O_SS}, {0x16}, N);
    add(Mn_push, {O_DS}, {0x1E}, N);
    add(Mn_push, {O_FS}, {0x0F, 0xA0}, N, 0, Q386);
    add(Mn_push, {O_GS}, {0x0F, 0xA8}, N, 0, Q386);
    add(Mn_push, {O_S8}, {0x6A}, N, 0, Q186);
    add(Mn_push, {O_S8}, {0x6A}, N, F_O32 | F_EXPLICIT, Q386);
    add(Mn_push, {O_I16}, {0x68}, N, 0, Q186);
    add(Mn_push, {O_I32}, {0x68}, N, F_O32, Q386);
    add(Mn_push, {O_RM16}, {0xFF}, 6);
    add(Mn_push, {O_RM32}, {0xFF}, 6, F_O32 | F_EXPLICIT, Q386);
    add(Mn_pop, {O_R16}, {0x58}, N, F_PLUS);
    add(Mn_pop, {O_R32}, {0x58}, N, F_PLUS | F_O32, Q386);
    add(Mn_pop, {O_ES}, {0x07}, N);
    add(Mn_pop, {O_SS}, {0x17}, N);
    add(Mn_pop, {O_DS}, {0x1F}, N);
    add(Mn_pop, {O_FS}, {0x0F, 0xA1}, N, 0, Q386);
    add(Mn_pop, {O_GS}, {0x0F, 0xA9}, N, 0, Q386);
    add(Mn_pop, {O_RM16}, {0x8F}, 0);
    add(Mn_pop, {O_RM32}, {0x8F}, 0, F_O32 | F_EXPLICIT, Q386);

    unaryF6(Mn_not, 2);
    unaryF6(Mn_neg, 3);
    unaryF6(Mn_mul, 4);
    unaryF6(Mn_imul, 5);
    unaryF6(Mn_div, 6);
    unaryF6(Mn_idiv, 7);
    add(Mn_imul, {O_R16, O_RM16}, {0x0F, 0xAF}, R, 0, Q386);
    add(Mn_imul, {O_R32, O_RM32}, {0x0F, 0xAF}, R, F_O32, Q386);
    add(Mn_imul, {O_R16, O_RM16, O_S8}, {0x6B}, R, 0, Q186);
    add(Mn_imul, {O_R16, O_RM16, O_I16}, {0x69}, R, 0, Q186);
    add(Mn_imul, {O_R32, O_RM32, O_S8}, {0x6B}, R, F_O32, Q386);
    add(Mn_imul, {O_R32, O_RM32, O_I32}, {0x69}, R, F_O32, Q386);

    shift(Mn_rol, 0);
    shift(Mn_ror, 1);
    shift(Mn_rcl, 2);
    shift(Mn_rcr, 3);
    shift(Mn_shl, 4);
    shift(Mn_sal, 4);
    shift(Mn_shr, 5);
    shift(Mn_sar, 7);

    add(Mn_lea, {O_R16, O_M}, {0x8D}, R);
    add(Mn_lea, {O_R32, O_M}, {0x8D}, R, F_O32, Q386);
    add(Mn_lds, {O_R16, O_M32}, {0xC5}, R);
    add(Mn_lds, {O_R32, O_M48}, {0xC5}, R, F_O32, Q386);
    add(Mn_les, {O_R16, O_M32}, {0xC4}, R);
    add(Mn_les, {O_R32, O_M48}, {0xC4}, R, F_O32, Q386);
    add(Mn_lss, {O_R16, O_M32}, {0x0F, 0xB2}, R, 0, Q386);
    add(Mn_lss, {O_R32, O_M48}, {0x0F, 0xB2}, R, F_O32, Q386);
    add(Mn_lfs, {O_R16, O_M32}, {0x0F, 0xB4}, R, 0, Q386);
    add(Mn_lfs, {O_R32, O_M48}, {0x0F, 0xB4}, R, F_O32, Q386);
    add(Mn_lgs, {O_R16, O_M32}, {0x0F, 0xB5}, R, 0, Q386);
    add(Mn_lgs, {O_R32, O_M48}, {0x0F, 0xB5}, R, F_O32, Q386);
    add(Mn_bound, {O_R16, O_M32}, {0x62}, R, 0, Q186);
    add(Mn_bound, {O_R32, O_M64}, {0x62}, R, F_O32, Q386);

    add(Mn_in, {O_AL, O_I8}, {0xE4}, N);
    add(Mn_in, {O_AX, O_I8}, {0xE5}, N);
    add(Mn_in, {O_EAX, O_I8}, {0xE5}, N, F_O32, Q386);
    add(Mn_in, {O_AL, O_DX}, {0xEC}, N);
    add(Mn_in, {O_AX, O_DX}, {0xED}, N);
    add(Mn_in, {O_EAX, O_DX}, {0xED}, N, F_O32, Q386);
    add(Mn_out, {O_I8, O_AL}, {0xE6}, N);
    add(Mn_out, {O_I8, O_AX}, {0xE7}, N);
    add(Mn_out, {O_I8, O_EAX}, {0xE7}, N, F_O32, Q386);
    add(Mn_out, {O_DX, O_AL}, {0xEE}, N);
    add(Mn_out, {O_DX, O_AX}, {0xEF}, N);
    add(Mn_out, {O_DX, O_EAX}, {0xEF}, N, F_O32, Q386);

    add(Mn_int, {O_I8}, {0xCD}, N);
    implied(Mn_int3, {0xCC});
    implied(Mn_into, {0xCE});
    add(Mn_ret, {}, {0xC3}, N);
    add(Mn_ret, {O_I16}, {0xC2}, N);
    add(Mn_retf, {}, {0xCB}, N);
    add(Mn_retf, {O_I16}, {0xCA}, N);
    add(Mn_enter, {O_I16, O_I8}, {0xC8}, N, 0, Q186);
    implied(Mn_leave, {0xC9}, Q186);
    add(Mn_leaved, {}, {0xC9}, N, F_O32, Q386);
    add(Mn_aam, {}, {0xD4, 0x0A}, N);
    add(Mn_aam, {O_I8}, {0xD4}, N);
    add(Mn_aad, {}, {0xD5, 0x0A}, N);
    add(Mn_aad, {O_I8}, {0xD5}, N);

    // One-byte instructions without operands.
    implied(Mn_aaa, {0x37});
    implied(Mn_aas, {0x3F});
    implied(Mn_daa, {0x27});
    implied(Mn_das, {0x2F});
    implied(Mn_cbw, {0x98});
    implied(Mn_cwd, {0x99});
    add(Mn_cwde, {}, {0x98}, N, F_O32, Q386);
    add(Mn_cdq, {}, {0x99}, N, F_O32, Q386);
    implied(Mn_clc, {0xF8});
    implied(Mn_stc, {0xF9});
    implied(Mn_cli, {0xFA});
    implied(Mn_sti, {0xFB});
    implied(Mn_cld, {0xFC});
    implied(Mn_std, {0xFD});
    implied(Mn_cmc, {0xF5});
    implied(Mn_hlt, {0xF4});
    implied(Mn_lahf, {0x9F});
    implied(Mn_sahf, {0x9E});
    implied(Mn_pushf, {0x9C});
    implied(Mn_popf, {0x9D});
    add(Mn_pushfd, {}, {0x9C}, N, F_O32, Q386);
    add(Mn_popfd, {}, {0x9D}, N, F_O32, Q386);
    implied(Mn_pusha, {0x60}, Q186);
    implied(Mn_popa, {0x61}, Q186);
    add(Mn_pushad, {}, {0x60}, N, F_O32, Q386);
    add(Mn_popad, {}, {0x61}, N, F_O32, Q386);
    implied(Mn_nop, {0x90});
    implied(Mn_wait, {0x9B});
    implied(Mn_fwait, {0x9B});
    implied(Mn_iret, {0xCF});
    add(Mn_iretd, {}, {0xCF}, N, F_O32, Q386);
    implied(Mn_salc, {0xD6});
    implied(Mn_icebp, {0xF1});
    implied(Mn_xlat, {0xD7});

    // String instructions (their optional operands are checked by the encoder).
    implied(Mn_movsb, {0xA4});
    implied(Mn_movsw, {0xA5});
    add(Mn_movsd, {}, {0xA5}, N, F_O32, Q386);
    implied(Mn_cmpsb, {0xA6});
    implied(Mn_cmpsw, {0xA7});
    add(Mn_cmpsd, {}, {0xA7}, N, F_O32, Q386);
    implied(Mn_scasb, {0xAE});
    implied(Mn_scasw, {0xAF});
    add(Mn_scasd, {}, {0xAF}, N, F_O32, Q386);
    implied(Mn_lodsb, {0xAC});
    implied(Mn_lodsw, {0xAD});
    add(Mn_lodsd, {}, {0xAD}, N, F_O32, Q386);
    implied(Mn_stosb, {0xAA});
    implied(Mn_stosw, {0xAB});
    add(Mn_stosd, {}, {0xAB}, N, F_O32, Q386);
    implied(Mn_insb, {0x6C}, Q186);
    implied(Mn_insw, {0x6D}, Q186);
    add(Mn_insd, {}, {0x6D}, N, F_O32, Q386);
    implied(Mn_outsb, {0x6E}, Q186);
    implied(Mn_outsw, {0x6F}, Q186);
    add(Mn_outsd, {}, {0x6F}, N, F_O32, Q386);

    // Protected mode (80286).
    add(Mn_arpl, {O_RM16, O_R16}, {0x63}, R, 0, Q286P);
    add(Mn_lar, {O_R16, O_RM16}, {0x0F, 0x02}, R, 0, Q286P);
    add(Mn_lar, {O_R32, O_R32}, {0x0F, 0x02}, R, F_O32, Q386P);
    add(Mn_lar, {O_R32, O_M16}, {0x0F, 0x02}, R, F_O32, Q386P);
    add(Mn_lsl, {O_R16, O_RM16}, {0x0F, 0x03}, R, 0, Q286P);
    add(Mn_lsl, {O_R32, O_R32}, {0x0F, 0x03}, R, F_O32, Q386P);
    add(Mn_lsl, {O_R32, O_M16}, {0x0F, 0x03}, R, F_O32, Q386P);
    add(Mn_sldt, {O_RM16}, {0x0F, 0x00}, 0, 0, Q286P);
    add(Mn_str, {O_RM16}, {0x0F, 0x00}, 1, 0, Q286P);
    add(Mn_lldt, {O_RM16}, {0x0F, 0x00}, 2, 0, Q286P);
    add(Mn_ltr, {O_RM16}, {0x0F, 0x00}, 3, 0, Q286P);
    add(Mn_verr, {O_RM16}, {0x0F, 0x00}, 4, 0, Q286P);
    add(Mn_verw, {O_RM16}, {0x0F, 0x00}, 5, 0, Q286P);
    add(Mn_sgdt, {O_M}, {0x0F, 0x01}, 0, 0, Q286P);
    add(Mn_sidt, {O_M}, {0x0F, 0x01}, 1, 0, Q286P);
    add(Mn_lgdt, {O_M}, {0x0F, 0x01}, 2, 0, Q286P);
    add(Mn_lidt, {O_M}, {0x0F, 0x01}, 3, 0, Q286P);
    add(Mn_smsw, {O_RM16}, {0x0F, 0x01}, 4, 0, Q286P);
    add(Mn_lmsw, {O_RM16}, {0x0F, 0x01}, 6, 0, Q286P);
    add(Mn_invlpg, {O_M}, {0x0F, 0x01}, 7, 0, Q486);
    add(Mn_clts, {}, {0x0F, 0x06}, N, 0, Q286P);

    // 80386 and later.
    add(Mn_movsx, {O_R16, O_RM8}, {0x0F, 0xBE}, R, 0, Q386);
    add(Mn_movsx, {O_R32, O_RM8}, {0x0F, 0xBE}, R, F_O32, Q386);
    add(Mn_movsx, {O_R32, O_RM16}, {0x0F, 0xBF}, R, F_O32, Q386);
    add(Mn_movzx, {O_R16, O_RM8}, {0x0F, 0xB6}, R, 0, Q386);
    add(Mn_movzx, {O_R32, O_RM8}, {0x0F, 0xB6}, R, F_O32, Q386);
    add(Mn_movzx, {O_R32, O_RM16}, {0x0F, 0xB7}, R, F_O32, Q386);
    add(Mn_bsf, {O_R16, O_RM16}, {0x0F, 0xBC}, R, 0, Q386);
    add(Mn_bsf, {O_R32, O_RM32}, {0x0F, 0xBC}, R, F_O32, Q386);
    add(Mn_bsr, {O_R16, O_RM16}, {0x0F, 0xBD}, R, 0, Q386);
    add(Mn_bsr, {O_R32, O_RM32}, {0x0F, 0xBD}, R, F_O32, Q386);
    bitTest(Mn_bt, 0xA3, 4);
    bitTest(Mn_bts, 0xAB, 5);
    bitTest(Mn_btr, 0xB3, 6);
    bitTest(Mn_btc, 0xBB, 7);
    add(Mn_shld, {O_RM16, O_R16, O_I8}, {0x0F, 0xA4}, R, 0, Q386);
    add(Mn_shld, {O_RM32, O_R32, O_I8}, {0x0F, 0xA4}, R, F_O32, Q386);
    add(Mn_shld, {O_RM16, O_R16, O_CL}, {0x0F, 0xA5}, R, 0, Q386);
    add(Mn_shld, {O_RM32, O_R32, O_CL}, {0x0F, 0xA5}, R, F_O32, Q386);
    add(Mn_shrd, {O_RM16, O_R16, O_I8}, {0x0F, 0xAC}, R, 0, Q386);
    add(Mn_shrd, {O_RM32, O_R32, O_I8}, {0x0F, 0xAC}, R, F_O32, Q386);
    add(Mn_shrd, {O_RM16, O_R16, O_CL}, {0x0F, 0xAD}, R, 0, Q386);
    add(Mn_shrd, {O_RM32, O_R32, O_CL}, {0x0F, 0xAD}, R, F_O32, Q386);
    add(Mn_setcc, {O_RM8}, {0x0F, 0x90}, 0, F_COND, Q386);
    add(Mn_umov, {O_RM8, O_R8}, {0x0F, 0x10}, R, 0, Q386to486);
    add(Mn_umov, {O_RM16, O_R16}, {0x0F, 0x11}, R, 0, Q386to486);
    add(Mn_umov, {O_RM32, O_R32}, {0x0F, 0x11}, R, F_O32, Q386to486);
    add(Mn_umov, {O_R8, O_RM8}, {0x0F, 0x12}, R, 0, Q386to486);
    add(Mn_umov, {O_R16, O_RM16}, {0x0F, 0x13}, R, 0, Q386to486);
    add(Mn_umov, {O_R32, O_RM32}, {0x0F, 0x13}, R, F_O32, Q386to486);

    // 80486.
    add(Mn_bswap, {O_R32}, {0x0F, 0xC8}, N, F_PLUS | F_O32, Q486);
    add(Mn_xadd, {O_RM8, O_R8}, {0x0F, 0xC0}, R, 0, Q486);
    add(Mn_xadd, {O_RM16, O_R16}, {0x0F, 0xC1}, R, 0, Q486);
    add(Mn_xadd, {O_RM32, O_R32}, {0x0F, 0xC1}, R, F_O32, Q486);
    add(Mn_cmpxchg, {O_RM8, O_R8}, {0x0F, 0xB0}, R, 0, Q486);
    add(Mn_cmpxchg, {O_RM16, O_R16}, {0x0F, 0xB1}, R, 0, Q486);
    add(Mn_cmpxchg, {O_RM32, O_R32}, {0x0F, 0xB1}, R, F_O32, Q486);
    implied(Mn_invd, {0x0F, 0x08}, Q486);
    implied(Mn_wbinvd, {0x0F, 0x09}, Q486);

    // Pentium and later.
    add(Mn_cmov, {O_R16, O_RM16}, {0x0F, 0x40}, R, F_COND, Q586);
    add(Mn_cmov, {O_R32, O_RM32}, {0x0F, 0x40}, R, F_COND | F_O32, Q586);
    add(Mn_cmpx8bq, {O_M64}, {0x0F, 0xC7}, 1, 0, Q586);
    implied(Mn_cpuid, {0x0F, 0xA2}, Q586);
    implied(Mn_rdtsc, {0x0F, 0x31}, Q586);
    implied(Mn_rdmsr, {0x0F, 0x32}, Q586);
    implied(Mn_wrmsr, {0x0F, 0x30}, Q586);
    implied(Mn_rdpmc, {0x0F, 0x33}, Q586);
    implied(Mn_rsm, {0x0F, 0xAA}, Q586);
    implied(Mn_ud2, {0x0F, 0x0B}, Q586);
    implied(Mn_sysenter, {0x0F, 0x34}, Q586);
    implied(Mn_sysexit, {0x0F, 0x35}, Q586);
    implied(Mn_emms, {0x0F, 0x77}, Q586);
    implied(Mn_lfence, {0x0F, 0xAE, 0xE8}, Q586);
    implied(Mn_mfence, {0x0F, 0xAE, 0xF0}, Q586);
    implied(Mn_sfence, {0x0F, 0xAE, 0xF8}, Q586);
    implied(Mn_pause, {0xF3, 0x90}, Q586);
    add(Mn_fxsave, {O_M}, {0x0F, 0xAE}, 0, 0, Q586);
    add(Mn_fxrstor, {O_M}, {0x0F, 0xAE}, 1, 0, Q586);
    add(Mn_ldmxcsr, {O_M32}, {0x0F, 0xAE}, 2, 0, Q586);
    add(Mn_clflush, {O_M8}, {0x0F, 0xAE}, 7, 0, Q586);

    // x87.
    add(Mn_fld, {O_M32}, {0xD9}, 0, 0, Q87);
    add(Mn_fld, {O_M64}, {0xDD}, 0, 0, Q87);
    add(Mn_fld, {O_STI}, {0xD9, 0xC0}, N, F_PLUS, Q87);
    implied(Mn_f2xm1, {0xD9, 0xF0}, Q87);
    implied(Mn_fabs, {0xD9, 0xE1}, Q87);
    implied(Mn_fchs, {0xD9, 0xE0}, Q87);
    implied(Mn_fcos, {0xD9, 0xFF}, Q387);
    implied(Mn_fdecstp, {0xD9, 0xF6}, Q87);
    implied(Mn_fincstp, {0xD9, 0xF7}, Q87);
    implied(Mn_fld1, {0xD9, 0xE8}, Q87);
    implied(Mn_fldl2e, {0xD9, 0xEA}, Q87);
    implied(Mn_fldl2t, {0xD9, 0xE9}, Q87);
    implied(Mn_fldlg2, {0xD9, 0xEC}, Q87);
    implied(Mn_fldln2, {0xD9, 0xED}, Q87);
    implied(Mn_fldpi, {0xD9, 0xEB}, Q87);
    implied(Mn_fldz, {0xD9, 0xEE}, Q87);
    implied(Mn_fnop, {0xD9, 0xD0}, Q87);
    implied(Mn_fpatan, {0xD9, 0xF3}, Q87);
    implied(Mn_fprem, {0xD9, 0xF8}, Q87);
    implied(Mn_fprem1, {0xD9, 0xF5}, Q387);
    implied(Mn_fptan, {0xD9, 0xF2}, Q87);
    implied(Mn_frndint, {0xD9, 0xFC}, Q87);
    implied(Mn_fscale, {0xD9, 0xFD}, Q87);
    implied(Mn_fsin, {0xD9, 0xFE}, Q387);
    implied(Mn_fsincos, {0xD9, 0xFB}, Q387);
    implied(Mn_fsqrt, {0xD9, 0xFA}, Q87);
    implied(Mn_ftst, {0xD9, 0xE4}, Q87);
    implied(Mn_fxam, {0xD9, 0xE5}, Q87);
    implied(Mn_fxtract, {0xD9, 0xF4}, Q87);
    implied(Mn_fyl2x, {0xD9, 0xF1}, Q87);
    implied(Mn_fyl2xp1, {0xD9, 0xF9}, Q87);

    std::stable_sort(m_forms.begin(), m_forms.end(), [](const Form &a, const Form &b) {
        return a.mn < b.mn;
    });
    m_index.assign(MnCount, {0, 0});
    for (uint32_t i = 0; i < m_forms.size(); ++i) {
        auto &slot = m_index[m_forms[i].mn];
        if (slot.second == 0)
            slot.first = i;
        ++slot.second;
    }
}

} // namespace qvasm
