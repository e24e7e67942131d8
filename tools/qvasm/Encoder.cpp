#include "qvasm/Encoder.h"

#include "qvasm/FormMatcher.h"
#include "qvasm/Messages.h"

#include <algorithm>

namespace qvasm {

namespace {

bool isGpr(Reg r)
{
    const RegClass c = regClass(r);
    return c == RegClass::Gpr8 || c == RegClass::Gpr16 || c == RegClass::Gpr32;
}

uint8_t segPrefix(Reg r)
{
    static constexpr uint8_t kPrefix[] = {0x26, 0x2E, 0x36, 0x3E, 0x64, 0x65};
    return kPrefix[r - RegES];
}

// Distances in 16-bit code wrap around the 64 KiB segment, as IP does.
int64_t wrap16(int64_t d)
{
    const int64_t w = d & 0xFFFF;
    return w >= 0x8000 ? w - 0x10000 : w;
}

// Displacement size code of a memory operand: 0 none, 1 a signed byte, 2 the full width. A
// base whose mod-0 form means something else needs at least a byte; an unknown (forward)
// value gets the smallest size; a size chosen in an earlier pass never shrinks.
int displacementSize(bool undefined, int64_t disp, bool zeroFormTaken, int earlier)
{
    int needed;
    if (undefined)
        needed = zeroFormTaken ? 1 : 0;
    else if (disp == 0 && !zeroFormTaken)
        needed = 0;
    else if (disp >= -128 && disp <= 127)
        needed = 1;
    else
        needed = 2;
    return std::max(needed, earlier);
}

uint8_t scaleBits(int scale)
{
    return scale == 8 ? 3 : (scale == 4 ? 2 : (scale == 2 ? 1 : 0));
}

} // namespace

Encoder::Encoder(const Reporter &report)
    : m_report(report)
{}

uint8_t Encoder::cpuError(Req req, const CpuState &c)
{
    if (c.all)
        return 0;
    const bool priv = c.priv || c.level >= 4;
    switch (req) {
    case Q86:
        return 0;
    case Q186:
        return c.level >= 1 ? 0 : 0x7D;
    case Q286:
        return c.level >= 2 ? 0 : 0x7E;
    case Q286P:
        return c.level >= 2 && priv ? 0 : 0x7F;
    case Q386:
        return c.level >= 3 ? 0 : 0x80;
    case Q386P:
        return c.level >= 3 && priv ? 0 : 0x81;
    case Q486:
        return c.level >= 4 ? 0 : 0x82;
    case Q586:
        return c.level >= 5 ? 0 : 0x83;
    case Q87:
        return c.fpu >= 1 ? 0 : 0x84;
    case Q387:
        return c.fpu >= 3 ? 0 : 0x87;
    case Q286to486:
        return c.level >= 2 && c.level <= 4 ? 0 : 0x70;
    case Q386to486:
        return c.level >= 3 && c.level <= 4 ? 0 : 0x70;
    }
    return 0;
}

bool Encoder::note(const Bytes &b, const Reloc &r, FixupLoc loc)
{
    if (!r.any())
        return true;
    if (r.kind == Reloc::Kind::Base) {
        // A segment base is a paragraph number: it fits an immediate word and nothing else.
        if (loc != FixupLoc::Offset16) {
            error(0x37);
            return false;
        }
        loc = FixupLoc::Base16;
    }
    m_fixups.push_back({uint32_t(b.n), loc, r});
    return true;
}

int Encoder::prefixCount(const EncodeRequest &req) const
{
    return req.prefixes ? int(req.prefixes->size()) : 0;
}

bool Encoder::applyForcedSize(EncodeRequest &req)
{
    const uint8_t size = req.mi->size;
    if (!size)
        return true;
    const Mn base = req.mi->base;
    if (base == Mn_push || base == Mn_pop) {
        if (req.nops != 1)
            return true;
        Operand &o = req.ops[0];
        if (size == 1 && (base == Mn_pop || o.kind != OpKind::Imm)) {
            error(0x17);
            return false;
        }
        if (o.kind == OpKind::Reg && regSize(o.reg) != size) {
            error(0x16);
            return false;
        }
        if ((o.kind == OpKind::Imm || o.kind == OpKind::Mem) && !o.sizeGiven) {
            o.size = size;
            o.sizeGiven = o.kind == OpKind::Imm;
        }
        return true;
    }
    const int target = (base == Mn_movsx || base == Mn_movzx) ? 1 : 0;
    for (int i = 0; i < req.nops; ++i) {
        Operand &o = req.ops[i];
        if (o.kind == OpKind::Reg && i == target && isGpr(o.reg) && regSize(o.reg) != size) {
            error(0x16);
            return false;
        }
        if (o.kind == OpKind::Mem && (i == target || target == 0)) {
            if (o.size && o.size != size && i == target) {
                error(0x31);
                return false;
            }
            if (!o.size)
                o.size = size;
        }
    }
    return true;
}

bool Encoder::checkRegisters(const EncodeRequest &req)
{
    for (int i = 0; i < req.nops; ++i) {
        const Operand &o = req.ops[i];
        Req need = Q86;
        if (o.kind == OpKind::Reg) {
            const RegClass c = regClass(o.reg);
            if (c == RegClass::Gpr32 || o.reg == RegFS || o.reg == RegGS)
                need = Q386;
            else if (c == RegClass::Cr || c == RegClass::Dr)
                need = Q386P;
            else if (c == RegClass::UsesSet) {
                error(0x23);
                return false;
            }
        } else if (o.kind == OpKind::Mem) {
            if (o.addr32 || o.seg == RegFS || o.seg == RegGS)
                need = Q386;
        }
        if (const uint8_t e = cpuError(need, req.cpu)) {
            error(e);
            return false;
        }
    }
    for (uint16_t p : *req.prefixes) {
        if ((p & 0x8000) && (Reg(p & 0xFF) == RegFS || Reg(p & 0xFF) == RegGS)) {
            if (const uint8_t e = cpuError(Q386, req.cpu)) {
                error(e);
                return false;
            }
        }
    }
    return true;
}

void Encoder::putPrefixes(const EncodeRequest &req, Bytes &b, Reg memSeg, bool addr32, bool o32)
{
    for (uint16_t p : *req.prefixes) {
        if (p & 0x8000) {
            b.put(segPrefix(Reg(p & 0xFF)));
            continue;
        }
        switch (mnemonicInfo(p).base) {
        case Mn_lock:
            b.put(0xF0);
            break;
        case Mn_repne:
            b.put(0xF2);
            break;
        default:
            b.put(0xF3);
            break;
        }
    }
    if (memSeg != RegNone)
        b.put(segPrefix(memSeg));
    if (addr32)
        b.put(0x67);
    if (o32)
        b.put(0x66);
}

bool Encoder::putModRM(Bytes &b, const Operand &rm, int regField, EncodeRequest &req)
{
    const uint8_t reg = uint8_t((regField & 7) << 3);
    if (rm.kind == OpKind::Reg) {
        b.put(uint8_t(0xC0 | reg | regNum(rm.reg)));
        return true;
    }
    const int64_t disp = rm.value;
    bool ok = true;
    int state = req.site & SiteDispMask;
    if (!rm.addr32) {
        if (!rm.undefined && (disp < -32768 || disp > 65535)) {
            error(0x17, Messages::hexText(disp));
            ok = false;
        }
        if (rm.isDirect()) {
            b.put(uint8_t(reg | 6));
            if (rm.reloc.kind == Reloc::Kind::Base) {
                error(0x37);
                ok = false;
            } else {
                note(b, rm.reloc, FixupLoc::Offset16);
            }
            b.put16(uint64_t(disp));
            return ok;
        }
        int code;
        const Reg base = rm.base, index = rm.index;
        if (base == RegBX)
            code = index == RegSI ? 0 : (index == RegDI ? 1 : 7);
        else if (base == RegBP)
            code = index == RegSI ? 2 : (index == RegDI ? 3 : 6);
        else
            code = index == RegSI ? 4 : 5;
        // Mod 0 with r/m 6 is the direct address, so [bp] always takes a displacement.
        // An address the linker completes takes a full word whatever its value here.
        const int size = rm.reloc.any() ? 2
                                        : displacementSize(rm.undefined, disp, code == 6, state);
        req.site = uint8_t((req.site & ~SiteDispMask) | size);
        b.put(uint8_t((size << 6) | reg | code));
        if (size == 2 && rm.reloc.kind == Reloc::Kind::Base) {
            error(0x37);
            ok = false;
        } else if (size == 2) {
            note(b, rm.reloc, FixupLoc::Offset16);
        }
        if (size == 1)
            b.put(uint8_t(disp));
        else if (size == 2)
            b.put16(uint64_t(disp));
        return ok;
    }
    if (!rm.undefined && (disp < INT32_MIN || disp > int64_t(UINT32_MAX))) {
        error(0x17, Messages::hexText(disp));
        ok = false;
    }
    if (rm.reloc.any()) {
        // Only 16-bit offsets are completed by the linker.
        error(0x37);
        ok = false;
    }
    const Reg base = rm.base, index = rm.index;
    if (base == RegNone) {
        if (index == RegNone) {
            b.put(uint8_t(reg | 5));
        } else {
            const uint8_t sb = scaleBits(rm.scale);
            b.put(uint8_t(reg | 4));
            b.put(uint8_t((sb << 6) | (regNum(index) << 3) | 5));
        }
        b.put32(uint64_t(disp));
        return ok;
    }
    const int bnum = regNum(base);
    // Mod 0 with base 5 is the direct address, so [ebp] always takes a displacement.
    const int size = displacementSize(rm.undefined, disp, bnum == 5, state);
    req.site = uint8_t((req.site & ~SiteDispMask) | size);
    if (index == RegNone && bnum != 4) {
        b.put(uint8_t((size << 6) | reg | bnum));
    } else {
        const uint8_t sb = scaleBits(rm.scale);
        b.put(uint8_t((size << 6) | reg | 4));
        b.put(uint8_t((sb << 6) | ((index == RegNone ? 4 : regNum(index)) << 3) | bnum));
    }
    if (size == 1)
        b.put(uint8_t(disp));
    else if (size == 2)
        b.put32(uint64_t(disp));
    return ok;
}

bool Encoder::encodeTable(EncodeRequest &req, Mn mn, std::vector<uint8_t> &out)
{
    const FormChoice choice = FormMatcher::choose(req, mn);
    if (!choice.form) {
        error(choice.error, choice.detail);
        out.insert(out.end(), 2, 0x90);
        return false;
    }
    const Form &f = *choice.form;
    Reg memSeg = RegNone;
    bool addr32 = false;
    for (int i = 0; i < req.nops; ++i) {
        const Operand &o = req.ops[i];
        if (o.kind == OpKind::Mem) {
            memSeg = o.seg;
            addr32 = o.addr32;
            if (o.seg == RegDS) {
                const bool bpBased = o.base == RegBP || o.base == RegEBP || o.base == RegESP;
                if (!bpBased)
                    diag(0x13);
            }
        }
    }
    Bytes b;
    putPrefixes(req, b, memSeg, addr32, (f.flags & F_O32) || req.mi->variant == Variant::Full32);
    for (int i = 0; i < f.opcLen; ++i) {
        uint8_t op = f.opc[i];
        if (i == f.opcLen - 1) {
            if (f.plusIdx >= 0)
                op = uint8_t(op + regNum(req.ops[f.plusIdx].reg));
            if (f.flags & F_COND)
                op = uint8_t(op + req.mi->cond);
        }
        b.put(op);
    }
    bool ok = true;
    if (f.ext != kNoModRM) {
        const int regField = f.ext >= 0 ? f.ext : regNum(req.ops[f.regIdx].reg);
        ok = putModRM(b, req.ops[f.rmIdx], regField, req);
    }
    for (int i = 0; i < f.nops; ++i) {
        const Operand &o = req.ops[i];
        switch (f.op[i]) {
        case O_I8:
        case O_S8:
        case O_I32:
            if (o.reloc.any()) {
                // The linker completes words only.
                error(0x37);
                ok = false;
            }
            if (f.op[i] == O_I32)
                b.put32(uint64_t(o.value));
            else
                b.put(uint8_t(o.value));
            break;
        case O_I16:
            ok = note(b, o.reloc, FixupLoc::Offset16) && ok;
            b.put16(uint64_t(o.value));
            break;
        case O_MOFFS8:
        case O_MOFFS16:
        case O_MOFFS32:
            if (!o.undefined && (o.value < -32768 || o.value > 65535)) {
                error(0x17, Messages::hexText(o.value));
                ok = false;
            }
            if (o.reloc.kind == Reloc::Kind::Base) {
                error(0x37);
                ok = false;
            } else {
                note(b, o.reloc, FixupLoc::Offset16);
            }
            b.put16(uint64_t(o.value));
            break;
        default:
            break;
        }
    }
    // Remember when an immediate needed its full size, so later passes keep it.
    if (req.optimize) {
        for (int i = 0; i < f.nops; ++i) {
            if ((f.op[i] == O_I16 || f.op[i] == O_I32) && req.ops[i].kind == OpKind::Imm)
                req.site |= SiteImmLong;
        }
    }
    if (isShift(mn) && req.nops == 2 && req.ops[1].kind == OpKind::Imm && !req.ops[1].undefined
        && req.ops[1].value == 0)
        diag(0x35);
    if (mn == Mn_xor && req.nops == 2 && req.ops[1].kind == OpKind::Imm && !req.ops[1].undefined
        && req.ops[1].value == 0)
        diag(0x36);
    out.insert(out.end(), b.b, b.b + b.n);
    return ok;
}

void Encoder::jumpRange(int64_t rel, bool anon)
{
    const int64_t by = rel > 127 ? rel - 127 : -128 - rel;
    if (anon)
        error(0x66);
    else
        error(0x43, std::to_string(by) + " bytes");
}

bool Encoder::encodeIndirect(EncodeRequest &req,
                             bool far,
                             uint8_t nearDigit,
                             std::vector<uint8_t> &out)
{
    Operand o = req.ops[0];
    if (o.kind == OpKind::Reg) {
        const RegClass c = regClass(o.reg);
        if (far || (c != RegClass::Gpr16 && c != RegClass::Gpr32)) {
            error(0x23);
            out.insert(out.end(), 2, 0x90);
            return false;
        }
    }
    bool o32 = o.kind == OpKind::Reg && regClass(o.reg) == RegClass::Gpr32;
    if (o.kind == OpKind::Mem && o.size == 6) {
        far = true;
        o32 = true;
    } else if (o.kind == OpKind::Mem && o.size == 4) {
        far = true;
    } else if (o.kind == OpKind::Mem && o.size && o.size != 2) {
        error(0x31);
        out.insert(out.end(), 2, 0x90);
        return false;
    }
    Bytes b;
    putPrefixes(req, b, o.kind == OpKind::Mem ? o.seg : RegNone, o.addr32, o32);
    b.put(0xFF);
    const bool ok = putModRM(b, o, far ? nearDigit + 1 : nearDigit, req);
    out.insert(out.end(), b.b, b.b + b.n);
    return ok;
}

bool Encoder::encodeBranch(EncodeRequest &req, std::vector<uint8_t> &out)
{
    const Mn base = req.mi->base;
    if (req.nops == 0) {
        error(0x65);
        out.insert(out.end(), 2, 0x90);
        return false;
    }
    if (req.nops > 1) {
        error(0x14);
        out.insert(out.end(), 2, 0x90);
        return false;
    }
    const Operand &o = req.ops[0];
    Distance dist = o.dist;
    switch (req.mi->variant) {
    case Variant::Short:
        dist = Distance::Short;
        break;
    case Variant::Near:
        dist = Distance::Near;
        break;
    case Variant::Far:
        dist = Distance::Far;
        break;
    default:
        break;
    }
    const int pre = prefixCount(req);
    const bool isJmp = base == Mn_jmp, isCall = base == Mn_call;
    const bool otherSegment = o.reloc.kind == Reloc::Kind::Offset
                              && o.reloc.target == RelocTarget::Code
                              && o.reloc.section != req.section;
    if (isJmp || isCall) {
        if (o.kind == OpKind::FarPtr) {
            if (dist == Distance::Short || dist == Distance::Near) {
                error(0x23);
                out.insert(out.end(), 5, 0x90);
                return false;
            }
            Bytes b;
            putPrefixes(req, b, RegNone, false, false);
            b.put(isJmp ? 0xEA : 0x9A);
            b.put16(uint64_t(o.value));
            b.put16(uint64_t(o.farSeg));
            bool ok = true;
            if (!o.undefined
                && (o.value < 0 || o.value > 0xFFFF || o.farSeg < 0 || o.farSeg > 0xFFFF)) {
                error(0x17, Messages::hexText(o.value < 0 || o.value > 0xFFFF ? o.value : o.farSeg));
                ok = false;
            }
            out.insert(out.end(), b.b, b.b + b.n);
            return ok;
        }
        if (o.kind == OpKind::Reg || o.kind == OpKind::Mem)
            return encodeIndirect(req, dist == Distance::Far, isJmp ? 4 : 2, out);
        if (o.kind != OpKind::Imm) {
            error(0x23);
            out.insert(out.end(), 3, 0x90);
            return false;
        }
        if (dist == Distance::Far || (isCall && o.procFar)) {
            if (req.object && o.reloc.kind == Reloc::Kind::Offset) {
                // Segment and offset both come from the linker: a far pointer fixup.
                Bytes b;
                putPrefixes(req, b, RegNone, false, false);
                b.put(isJmp ? 0xEA : 0x9A);
                note(b, o.reloc, FixupLoc::Pointer32);
                b.put16(uint64_t(o.value));
                b.put16(0);
                out.insert(out.end(), b.b, b.b + b.n);
                return true;
            }
            // A far transfer to a label needs its segment, which a .COM file cannot hold.
            error(req.object ? 0x37 : 0x7A);
            out.insert(out.end(), 5, 0x90);
            return false;
        }
        if (o.reloc.target == RelocTarget::External || o.reloc.target == RelocTarget::Data
            || o.reloc.kind == Reloc::Kind::Base || otherSegment) {
            // Only a near jump or call to an external can be completed by the linker, as a
            // displacement from the next instruction. A label in another code segment has
            // another CS: only a far transfer reaches it.
            if (o.reloc.target != RelocTarget::External || dist == Distance::Short) {
                error(0x37);
                out.insert(out.end(), 3, 0x90);
                return false;
            }
            Bytes b;
            putPrefixes(req, b, RegNone, false, false);
            b.put(isJmp ? 0xE9 : 0xE8);
            note(b, o.reloc, FixupLoc::SelfRel16);
            b.put16(uint64_t(o.value));
            out.insert(out.end(), b.b, b.b + b.n);
            return true;
        }
    } else if (o.kind != OpKind::Imm) {
        error(0x23);
        out.insert(out.end(), 2, 0x90);
        return false;
    } else if (o.reloc.target == RelocTarget::External || o.reloc.target == RelocTarget::Data
               || o.reloc.kind == Reloc::Kind::Base || otherSegment) {
        // A short or conditional jump cannot reach into another module or segment.
        error(0x37);
        out.insert(out.end(), 2, 0x90);
        return false;
    }

    const int64_t target = o.value;
    const int64_t relShort = wrap16(target - (req.address + pre + 2));
    // Whether the short form reaches, measured on this pass's layout: a forward target moves
    // with this instruction. Underestimating keeps a jump short one more pass; overestimating
    // would make it long for good, since sizes only grow.
    const int64_t estimate = o.forward ? target + req.moved : target;
    const int64_t relEstimate = wrap16(estimate - (req.address + pre + 2));
    const bool fits = o.undefined || (relEstimate >= -128 && relEstimate <= 127);
    Bytes b;
    putPrefixes(req, b, RegNone, false, false);
    auto putShort = [&](uint8_t opc) {
        b.put(opc);
        b.put(uint8_t(relShort));
        out.insert(out.end(), b.b, b.b + b.n);
    };
    auto putNear = [&](std::initializer_list<uint8_t> opc) {
        for (uint8_t c : opc)
            b.put(c);
        const int64_t rel = target - (req.address + b.n + 2);
        b.put16(uint64_t(rel));
        out.insert(out.end(), b.b, b.b + b.n);
    };

    if (isCall) {
        if (dist == Distance::Short) {
            error(0x23);
            putNear({0xE8});
            return false;
        }
        putNear({0xE8});
        return true;
    }
    if (isJmp) {
        if (dist == Distance::Short) {
            putShort(0xEB);
            if (!fits) {
                jumpRange(relShort, o.anon);
                return false;
            }
            return true;
        }
        if (dist == Distance::None && req.optimize && fits && !(req.site & SiteJmpLong)) {
            putShort(0xEB);
            return true;
        }
        if (dist == Distance::None && req.optimize)
            req.site |= SiteJmpLong;
        if (dist == Distance::None && !req.optimize && !o.undefined) {
            // The short form is a byte shorter, so a target after this jump comes a byte closer.
            const int64_t nearEnd = req.address + pre + 3;
            const int64_t rel = wrap16(target - (req.address + pre + 2));
            const int64_t reach = wrap16(target - nearEnd) >= 0 ? rel - 1 : rel;
            if (reach >= -128 && reach <= 127)
                diag(0x76);
        }
        putNear({0xE9});
        return true;
    }
    if (base == Mn_jcc) {
        const uint8_t cc = req.mi->cond;
        if (dist == Distance::Far) {
            error(0x23);
            putShort(uint8_t(0x70 + cc));
            return false;
        }
        if (dist == Distance::Short
            || (dist == Distance::None && fits && !(req.site & SiteJmpLong))) {
            putShort(uint8_t(0x70 + cc));
            if (!fits) {
                jumpRange(relShort, o.anon);
                return false;
            }
            return true;
        }
        const bool near386 = !cpuError(Q386, req.cpu);
        if (dist == Distance::Near) {
            if (!near386) {
                error(cpuError(Q386, req.cpu));
                putShort(uint8_t(0x70 + cc));
                return false;
            }
            putNear({0x0F, uint8_t(0x80 + cc)});
            return true;
        }
        if (near386) {
            req.site |= SiteJmpLong;
            putNear({0x0F, uint8_t(0x80 + cc)});
            return true;
        }
        if (req.jumps) {
            // The inverse condition skips a near jump to the target.
            req.site |= SiteJmpLong;
            b.put(uint8_t(0x70 + (cc ^ 1)));
            b.put(3);
            putNear({0xE9});
            return true;
        }
        putShort(uint8_t(0x70 + cc));
        jumpRange(relShort, o.anon);
        return false;
    }
    // loop, loope, loopne, jcxz: short only.
    uint8_t opc = 0xE2;
    if (base == Mn_loope)
        opc = 0xE1;
    else if (base == Mn_loopne)
        opc = 0xE0;
    else if (base == Mn_jcxz)
        opc = 0xE3;
    if (dist == Distance::Near || dist == Distance::Far) {
        error(0x23);
        putShort(opc);
        return false;
    }
    putShort(opc);
    if (!fits) {
        jumpRange(relShort, o.anon);
        return false;
    }
    return true;
}

bool Encoder::encodeString(EncodeRequest &req, std::vector<uint8_t> &out)
{
    // Optional operands name the implied registers; a segment on the source becomes a prefix.
    const Mn m = req.mi->base;
    struct Shape
    {
        Mn mn;
        int size;
        int8_t si, di, dx, bx; // operand positions, -1 when absent
    };
    static constexpr Shape kShapes[] = {
        {Mn_movsb, 1, 1, 0, -1, -1},  {Mn_movsw, 2, 1, 0, -1, -1},  {Mn_movsd, 4, 1, 0, -1, -1},
        {Mn_cmpsb, 1, 0, 1, -1, -1},  {Mn_cmpsw, 2, 0, 1, -1, -1},  {Mn_cmpsd, 4, 0, 1, -1, -1},
        {Mn_scasb, 1, -1, 0, -1, -1}, {Mn_scasw, 2, -1, 0, -1, -1}, {Mn_scasd, 4, -1, 0, -1, -1},
        {Mn_lodsb, 1, 0, -1, -1, -1}, {Mn_lodsw, 2, 0, -1, -1, -1}, {Mn_lodsd, 4, 0, -1, -1, -1},
        {Mn_stosb, 1, -1, 0, -1, -1}, {Mn_stosw, 2, -1, 0, -1, -1}, {Mn_stosd, 4, -1, 0, -1, -1},
        {Mn_insb, 1, -1, 0, 1, -1},   {Mn_insw, 2, -1, 0, 1, -1},   {Mn_insd, 4, -1, 0, 1, -1},
        {Mn_outsb, 1, 1, -1, 0, -1},  {Mn_outsw, 2, 1, -1, 0, -1},  {Mn_outsd, 4, 1, -1, 0, -1},
        {Mn_xlat, 1, -1, -1, -1, 0},
    };
    const Shape *shape = nullptr;
    for (const Shape &s : kShapes) {
        if (s.mn == m)
            shape = &s;
    }
    // Some write the accumulator out ("lodsb al, [si]", "stosb [di], al", "scasb al, es:[di]"):
    // it must be the right one, and then it is dropped.
    static constexpr Reg kAcc[] = {RegNone, RegAL, RegAX, RegNone, RegEAX};
    const bool loadsAcc = m == Mn_lodsb || m == Mn_lodsw || m == Mn_lodsd || m == Mn_scasb
                          || m == Mn_scasw || m == Mn_scasd;
    const bool storesAcc = m == Mn_stosb || m == Mn_stosw || m == Mn_stosd;
    if ((loadsAcc || storesAcc) && req.nops == 2) {
        const int at = loadsAcc ? 0 : 1;
        const Operand &a = req.ops[at];
        if (a.kind != OpKind::Reg || a.reg != kAcc[shape->size]) {
            error(0x23);
            out.push_back(0x90);
            return false;
        }
        if (at == 0)
            req.ops[0] = req.ops[1];
        req.nops = 1;
    }
    const int expected = (shape->si >= 0) + (shape->di >= 0) + (shape->dx >= 0) + (shape->bx >= 0);
    if (req.nops != expected) {
        error(req.nops < expected ? 0x2E : 0x14);
        out.push_back(0x90);
        return false;
    }
    Reg seg = RegNone;
    int addrSize = 0;
    auto bad = [&]() {
        error(0x23);
        out.push_back(0x90);
        return false;
    };
    auto checkMem = [&](const Operand &o, Reg r16, Reg r32, bool destination) {
        // "xlat table" names the table bx points at: only its segment counts.
        const bool table = m == Mn_xlat && o.kind == OpKind::Mem && o.isDirect();
        if (!table
            && (o.kind != OpKind::Mem || o.index != RegNone || o.value != 0
                || (o.base != r16 && o.base != r32)))
            return false;
        if (o.size && o.size != shape->size && m != Mn_xlat)
            return false;
        const int a = o.addr32 ? 4 : 2;
        if (addrSize && addrSize != a)
            return false;
        addrSize = a;
        if (destination)
            return o.seg == RegNone || o.seg == RegES;
        seg = o.seg;
        return true;
    };
    // [si] and [di] have no base register of their own: the evaluator filed them as index.
    auto normalise = [](Operand o) {
        if (o.kind == OpKind::Mem && o.base == RegNone && o.index != RegNone && o.scale == 1) {
            o.base = o.index;
            o.index = RegNone;
        }
        return o;
    };
    if (shape->si >= 0 && !checkMem(normalise(req.ops[shape->si]), RegSI, RegESI, false))
        return bad();
    if (shape->di >= 0 && !checkMem(normalise(req.ops[shape->di]), RegDI, RegEDI, true))
        return bad();
    if (shape->bx >= 0 && !checkMem(normalise(req.ops[shape->bx]), RegBX, RegEBX, false))
        return bad();
    if (shape->dx >= 0
        && (req.ops[shape->dx].kind != OpKind::Reg || req.ops[shape->dx].reg != RegDX))
        return bad();
    if (addrSize == 4) {
        if (const uint8_t e = cpuError(Q386, req.cpu)) {
            error(e);
            out.push_back(0x90);
            return false;
        }
    }
    if (seg == RegFS || seg == RegGS) {
        if (const uint8_t e = cpuError(Q386, req.cpu)) {
            error(e);
            out.push_back(0x90);
            return false;
        }
    }
    const Form &f = InstructionTable::instance().forms(m).front();
    if (const uint8_t e = cpuError(f.req, req.cpu)) {
        error(e);
        out.push_back(0x90);
        return false;
    }
    Bytes b;
    putPrefixes(req, b, seg, addrSize == 4, f.flags & F_O32);
    for (int i = 0; i < f.opcLen; ++i)
        b.put(f.opc[i]);
    out.insert(out.end(), b.b, b.b + b.n);
    return true;
}

bool Encoder::encode(EncodeRequest &req, std::vector<uint8_t> &out)
{
    m_fixups.clear();
    if (!applyForcedSize(req) || !checkRegisters(req)) {
        out.insert(out.end(), 2, 0x90);
        return false;
    }
    const Mn base = req.mi->base;
    switch (base) {
    case Mn_jmp:
    case Mn_call:
    case Mn_jcc:
    case Mn_loop:
    case Mn_loope:
    case Mn_loopne:
    case Mn_jcxz:
        return encodeBranch(req, out);
    case Mn_movsb:
    case Mn_movsw:
    case Mn_movsd:
    case Mn_cmpsb:
    case Mn_cmpsw:
    case Mn_cmpsd:
    case Mn_scasb:
    case Mn_scasw:
    case Mn_scasd:
    case Mn_lodsb:
    case Mn_lodsw:
    case Mn_lodsd:
    case Mn_stosb:
    case Mn_stosw:
    case Mn_stosd:
    case Mn_insb:
    case Mn_insw:
    case Mn_insd:
    case Mn_outsb:
    case Mn_outsw:
    case Mn_outsd:
    case Mn_xlat:
        if (req.nops == 0)
            return encodeTable(req, base, out);
        return encodeString(req, out);
    case Mn_loadall: {
        if (req.nops) {
            error(0x14);
            return false;
        }
        const bool is286 = !req.cpu.all && req.cpu.level == 2;
        if (const uint8_t e = cpuError(Q286to486, req.cpu)) {
            error(e);
            out.insert(out.end(), 2, 0x90);
            return false;
        }
        Bytes b;
        putPrefixes(req, b, RegNone, false, false);
        b.put(0x0F);
        b.put(is286 ? 0x05 : 0x07);
        out.insert(out.end(), b.b, b.b + b.n);
        return true;
    }
    case Mn_imul:
        if (req.nops == 2 && req.ops[1].kind == OpKind::Imm) {
            req.ops[2] = req.ops[1];
            req.ops[1] = req.ops[0];
            req.nops = 3;
        }
        return encodeTable(req, base, out);
    default:
        return encodeTable(req, base, out);
    }
}

} // namespace qvasm
