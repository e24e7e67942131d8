#include "qvasm/FormMatcher.h"

#include "qvasm/Messages.h"

#include <algorithm>

namespace qvasm {

namespace {

enum class Fit { No, Yes, Wild };

bool isGpr(Reg r)
{
    const RegClass c = regClass(r);
    return c == RegClass::Gpr8 || c == RegClass::Gpr16 || c == RegClass::Gpr32;
}

bool fitsS8(int64_t v, int opSize)
{
    if (v >= -128 && v <= 127)
        return true;
    if (opSize == 2)
        return v >= 0xFF80 && v <= 0xFFFF;
    return v >= 0xFFFFFF80LL && v <= 0xFFFFFFFFLL;
}

Fit memFit(const Operand &o, int size)
{
    if (o.kind != OpKind::Mem)
        return Fit::No;
    if (o.size == size)
        return Fit::Yes;
    return o.size == 0 ? Fit::Wild : Fit::No;
}

Fit regFit(const Operand &o, RegClass c)
{
    return o.kind == OpKind::Reg && regClass(o.reg) == c ? Fit::Yes : Fit::No;
}

Fit exactReg(const Operand &o, Reg r)
{
    return o.kind == OpKind::Reg && o.reg == r ? Fit::Yes : Fit::No;
}

bool immSize(const Operand &o, int size)
{
    return o.kind == OpKind::Imm && (!o.sizeGiven || o.size == size);
}

// explicitSize: the form needs the operand's size written out (push dword 5).
Fit match(OT t, const Operand &o, int opSize, bool explicitSize, const EncodeRequest &req)
{
    switch (t) {
    case O_None:
        return o.kind == OpKind::None ? Fit::Yes : Fit::No;
    case O_R8:
        return regFit(o, RegClass::Gpr8);
    case O_R16:
        return regFit(o, RegClass::Gpr16);
    case O_R32:
        return regFit(o, RegClass::Gpr32);
    case O_RM8:
        return o.kind == OpKind::Reg ? regFit(o, RegClass::Gpr8) : memFit(o, 1);
    case O_RM16:
        return o.kind == OpKind::Reg ? regFit(o, RegClass::Gpr16) : memFit(o, 2);
    case O_RM32:
        return o.kind == OpKind::Reg ? regFit(o, RegClass::Gpr32) : memFit(o, 4);
    case O_M:
        return o.kind == OpKind::Mem ? Fit::Yes : Fit::No;
    case O_M8:
        return memFit(o, 1);
    case O_M16:
        return memFit(o, 2);
    case O_M32:
        return memFit(o, 4);
    case O_M48:
        return memFit(o, 6);
    case O_M64:
        return memFit(o, 8);
    case O_MOFFS8:
    case O_MOFFS16:
    case O_MOFFS32:
        if (!o.isDirect() || o.addr32)
            return Fit::No;
        return memFit(o, t == O_MOFFS8 ? 1 : (t == O_MOFFS16 ? 2 : 4));
    case O_AL:
        return exactReg(o, RegAL);
    case O_AX:
        return exactReg(o, RegAX);
    case O_EAX:
        return exactReg(o, RegEAX);
    case O_CL:
        return exactReg(o, RegCL);
    case O_DX:
        return exactReg(o, RegDX);
    case O_SREG:
        return regFit(o, RegClass::Seg);
    case O_SREGW:
        return o.kind == OpKind::Reg && regClass(o.reg) == RegClass::Seg && o.reg != RegCS
                   ? Fit::Yes
                   : Fit::No;
    case O_ES:
        return exactReg(o, RegES);
    case O_CS:
        return exactReg(o, RegCS);
    case O_SS:
        return exactReg(o, RegSS);
    case O_DS:
        return exactReg(o, RegDS);
    case O_FS:
        return exactReg(o, RegFS);
    case O_GS:
        return exactReg(o, RegGS);
    case O_CR:
        return regFit(o, RegClass::Cr);
    case O_DR:
        return regFit(o, RegClass::Dr);
    case O_I8:
        return immSize(o, 1) && (o.undefined || (o.value >= -128 && o.value <= 255)) ? Fit::Yes
                                                                                     : Fit::No;
    case O_I16:
        return immSize(o, 2) && (o.undefined || (o.value >= -32768 && o.value <= 65535)) ? Fit::Yes
                                                                                         : Fit::No;
    case O_I32:
        return immSize(o, 4)
                       && (o.undefined || (o.value >= INT32_MIN && o.value <= int64_t(UINT32_MAX)))
                   ? Fit::Yes
                   : Fit::No;
    case O_S8: {
        // An address the linker completes needs the full word.
        if (o.kind != OpKind::Imm || o.reloc.any())
            return Fit::No;
        const bool fits = o.undefined || fitsS8(o.value, opSize);
        if (o.sizeGiven && o.size == 1)
            return fits ? Fit::Yes : Fit::No; // "byte 5" asks for this form
        if (o.sizeGiven ? o.size != opSize : explicitSize)
            return Fit::No;
        // The optimiser's choice: the same value in fewer bytes.
        return req.optimize && !(req.site & SiteImmLong) && fits ? Fit::Yes : Fit::No;
    }
    case O_ONE:
        return immSize(o, 1) && (o.undefined || o.value == 1) ? Fit::Yes : Fit::No;
    case O_STI:
        return regFit(o, RegClass::Fpu);
    }
    return Fit::No;
}

int memPatternSize(OT t)
{
    switch (t) {
    case O_RM8:
    case O_M8:
    case O_MOFFS8:
        return 1;
    case O_RM16:
    case O_M16:
    case O_MOFFS16:
        return 2;
    case O_RM32:
    case O_M32:
    case O_MOFFS32:
        return 4;
    case O_M48:
        return 6;
    case O_M64:
        return 8;
    default:
        return 0;
    }
}

// Only a form with a word or dword immediate may have a shorter twin (the sign-extended byte).
bool hasWideImmediate(const Form &f)
{
    for (int i = 0; i < f.nops; ++i) {
        if (f.op[i] == O_I16 || f.op[i] == O_I32)
            return true;
    }
    return false;
}

// Bytes a form takes beyond what every form of the same operands shares.
int formLength(const Form &f, const EncodeRequest &req)
{
    int n = f.opcLen + ((f.flags & F_O32) ? 1 : 0);
    if (f.ext != kNoModRM) {
        const Operand &rm = req.ops[f.rmIdx];
        n += 1 + (rm.isDirect() && !rm.addr32 ? 2 : 0);
    }
    for (int i = 0; i < f.nops; ++i) {
        switch (f.op[i]) {
        case O_I8:
        case O_S8:
            n += 1;
            break;
        case O_I16:
        case O_MOFFS8:
        case O_MOFFS16:
        case O_MOFFS32:
            n += 2;
            break;
        case O_I32:
            n += 4;
            break;
        default:
            break;
        }
    }
    return n;
}

} // namespace

FormChoice FormMatcher::choose(const EncodeRequest &req, Mn mn)
{
    const auto forms = InstructionTable::instance().forms(mn);
    const Form *chosen = nullptr;
    bool chosenWild = false;
    const Form *blocked = nullptr;
    for (const Form &f : forms) {
        if (f.nops != req.nops)
            continue;
        bool ok = true, wild = false;
        const int opSize = f.flags & F_O32 ? 4 : 2;
        for (int i = 0; i < f.nops && ok; ++i) {
            const Fit fit = match(f.op[i], req.ops[i], opSize, f.flags & F_EXPLICIT, req);
            if (fit == Fit::No || (fit == Fit::Wild && (f.flags & F_EXPLICIT)))
                ok = false;
            wild = wild || fit == Fit::Wild;
        }
        if (!ok)
            continue;
        if (Encoder::cpuError(f.req, req.cpu)) {
            if (!blocked)
                blocked = &f;
            continue;
        }
        if (!chosen) {
            chosen = &f;
            chosenWild = wild;
            if (!wild && !(req.optimize && hasWideImmediate(f)))
                break;
            continue;
        }
        if (!chosenWild) {
            // The optimiser takes a shorter form where one fits as well ("add eax,5": 83, not
            // the accumulator form with four bytes of immediate); ties keep the table's order.
            if (!wild && formLength(f, req) < formLength(*chosen, req))
                chosen = &f;
            continue;
        }
        if (wild && chosenWild) {
            int a = 0, b = 0;
            for (int i = 0; i < f.nops; ++i) {
                if (req.ops[i].kind == OpKind::Mem) {
                    a = memPatternSize(chosen->op[i]);
                    b = memPatternSize(f.op[i]);
                }
            }
            if (a != b)
                return {nullptr, 0x34, {}};
        }
    }
    if (chosen)
        return {chosen, 0, {}};
    if (blocked)
        return {nullptr, Encoder::cpuError(blocked->req, req.cpu), {}};
    return diagnose(req);
}

FormChoice FormMatcher::diagnose(const EncodeRequest &req)
{
    const auto forms = InstructionTable::instance().forms(req.mi->base);
    bool countFits = false;
    int minOps = 3;
    for (const Form &f : forms) {
        countFits = countFits || f.nops == req.nops;
        minOps = std::min<int>(minOps, f.nops);
    }
    if (!countFits) {
        if (req.nops < minOps)
            return {nullptr, uint8_t(req.nops == 0 ? 0x65 : 0x2E), {}};
        return {nullptr, 0x14, {}};
    }
    int gprSize = 0;
    for (int i = 0; i < req.nops; ++i) {
        const Operand &o = req.ops[i];
        if (o.kind == OpKind::Reg && isGpr(o.reg)) {
            if (gprSize && gprSize != regSize(o.reg) && req.mi->base != Mn_movsx
                && req.mi->base != Mn_movzx && !isShift(req.mi->base))
                return {nullptr, 0x16, {}};
            gprSize = regSize(o.reg);
        }
    }
    for (int i = 0; i < req.nops; ++i) {
        const Operand &o = req.ops[i];
        if (o.kind == OpKind::Mem && o.size && gprSize && o.size != gprSize)
            return {nullptr, 0x31, {}};
    }
    for (int i = 0; i < req.nops; ++i) {
        if (req.ops[i].kind != OpKind::Imm || req.ops[i].undefined)
            continue;
        // Would it fit if the value were smaller? Then the value is the problem.
        EncodeRequest probe = req;
        probe.ops[i].undefined = true;
        for (const Form &f : forms) {
            if (f.nops != req.nops)
                continue;
            bool ok = true;
            for (int k = 0; k < f.nops && ok; ++k)
                ok = match(f.op[k],
                           probe.ops[k],
                           f.flags & F_O32 ? 4 : 2,
                           f.flags & F_EXPLICIT,
                           probe)
                     != Fit::No;
            if (ok)
                return {nullptr, 0x17, Messages::hexText(req.ops[i].value)};
        }
    }
    return {nullptr, 0x23, {}};
}

} // namespace qvasm
