#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

// The one table of words qvasm understands: directives, instructions, registers and operators.
// The help file, the colouring lists and the assembler itself must agree on it, so everything
// that dispatches on a word looks it up here.

namespace qvasm {

enum class KeywordKind : uint8_t { Directive, Instruction, Register, Operator };

struct Keyword
{
    std::string_view name; // lower case, as written in sources (case does not matter there)
    KeywordKind kind;
};

// Every keyword qvasm accepts, in a stable order (directives, instructions, registers,
// operators). "cs:" and its siblings are listed as the segment-prefix directives they are.
const std::vector<Keyword> &acceptedKeywords();

// Registers. The order inside each group is the hardware numbering.
enum Reg : uint8_t {
    RegNone = 0,
    RegAL,
    RegCL,
    RegDL,
    RegBL,
    RegAH,
    RegCH,
    RegDH,
    RegBH,
    RegAX,
    RegCX,
    RegDX,
    RegBX,
    RegSP,
    RegBP,
    RegSI,
    RegDI,
    RegEAX,
    RegECX,
    RegEDX,
    RegEBX,
    RegESP,
    RegEBP,
    RegESI,
    RegEDI,
    RegES,
    RegCS,
    RegSS,
    RegDS,
    RegFS,
    RegGS,
    RegCR0,
    RegCR2,
    RegCR3,
    RegCR4,
    RegDR0,
    RegDR1,
    RegDR2,
    RegDR3,
    RegDR4,
    RegDR5,
    RegDR6,
    RegDR7,
    RegST0,
    RegST1,
    RegST2,
    RegST3,
    RegST4,
    RegST5,
    RegST6,
    RegST7,
    RegAll,
    RegAllF,
    RegAllD,
    RegAllDF, // register sets for "uses"
    RegCount
};

enum class RegClass : uint8_t { None, Gpr8, Gpr16, Gpr32, Seg, Cr, Dr, Fpu, UsesSet };

RegClass regClass(Reg r);
int regNum(Reg r);  // encoding number (0..7)
int regSize(Reg r); // bytes: 1, 2, 4; 0 for non-general registers

// Directives and operators (the words of the directive list plus "ptr" and "mod").
enum class Dir : uint8_t {
    None,
    If,
    Else,
    Endif,
    Ifdef,
    Ifndef,
    Ife,
    Ifne,
    Include,
    Error,
    Out,
    Print,
    Title,
    Cpu8086,
    Cpu186,
    Cpu286,
    Cpu286p,
    Cpu386,
    Cpu386p,
    Cpu486,
    Cpu586,
    CpuX86,
    Fpu87,
    Fpu187,
    Fpu287,
    Fpu387,
    Alpha,
    Adsize,
    Code,
    Data,
    Dosseg,
    End,
    Even,
    Exit,
    External,
    Jumps,
    List,
    Model,
    Noret,
    Opsize,
    Optoff,
    Opton,
    Page,
    Para,
    Pmode,
    Popadbug,
    Rmode,
    Stack,
    Start,
    Ver,
    Line,
    Year,
    Month,
    Day,
    Byte,
    Word,
    Dword,
    Fword,
    Qword,
    Comment,
    Db,
    Dw,
    Dd,
    Df,
    Dq,
    Dup,
    Proc,
    Endp,
    Struct,
    Ends,
    Equ,
    St,
    Uses,
    Far,
    Near,
    Short,
    Offset,
    Sizeof,
    SegOf, // "seg x": the segment of an address
    Small,
    Tiny,
    Outfile,
    SegPrefix,
    Ptr,
    Mod,
};

// Base instructions: one entry per distinct operation. The sized and conditional keywords
// (addb, jne, cmovz, ...) map onto these with a size or a condition code.
// clang-format off
#define QVASM_BASE_MNEMONICS(X) \
    X(aaa) X(aad) X(aam) X(aas) X(adc) X(add) X(and) X(arpl) X(bound) X(bsf) X(bsr) X(bswap) \
    X(bt) X(btc) X(btr) X(bts) X(call) X(cbw) X(cdq) X(clc) X(cld) X(clflush) X(cli) X(clts) \
    X(cmc) X(cmov) X(cmp) X(cmpsb) X(cmpsd) X(cmpsw) X(cmpxchg) X(cmpx8bq) X(cpuid) X(cwd) \
    X(cwde) X(daa) X(das) X(dec) X(div) X(emms) X(enter) X(f2xm1) X(fabs) X(fchs) X(fcos) \
    X(fdecstp) X(fincstp) X(fld) X(fld1) X(fldl2e) X(fldl2t) X(fldlg2) X(fldln2) X(fldpi) \
    X(fldz) X(fnop) X(fpatan) X(fprem) X(fprem1) X(fptan) X(frndint) X(fscale) X(fsin) \
    X(fsincos) X(fsqrt) X(ftst) X(fwait) X(fxam) X(fxrstor) X(fxsave) X(fxtract) X(fyl2x) \
    X(fyl2xp1) X(hlt) X(icebp) X(idiv) X(imul) X(in) X(inc) X(insb) X(insd) X(insw) X(int) \
    X(int3) X(into) X(invd) X(invlpg) X(iret) X(iretd) X(jcc) X(jcxz) X(jmp) X(lahf) X(lar) \
    X(lds) X(ldmxcsr) X(lea) X(leave) X(leaved) X(les) X(lfence) X(lfs) X(lgs) X(lgdt) X(lidt) \
    X(lldt) X(lmsw) X(loadall) X(lock) X(lodsb) X(lodsd) X(lodsw) X(loop) X(loope) X(loopne) \
    X(lsl) X(lss) X(ltr) X(mfence) X(mov) X(movsb) X(movsd) X(movsw) X(movsx) X(movzx) X(mul) \
    X(neg) X(nop) X(not) X(or) X(org) X(orgnf) X(out) X(outsb) X(outsd) X(outsw) X(pause) \
    X(pop) X(popa) X(popad) X(popf) X(popfd) X(push) X(pusha) X(pushad) X(pushf) X(pushfd) \
    X(rcl) X(rcr) X(rdmsr) X(rdpmc) X(rdtsc) X(rep) X(repe) X(repne) X(ret) X(retf) X(rol) \
    X(ror) X(rsm) X(sahf) X(sal) X(salc) X(sar) X(sbb) X(scasb) X(scasd) X(scasw) X(setcc) \
    X(sfence) X(sgdt) X(shl) X(shld) X(shr) X(shrd) X(sidt) X(sldt) X(smsw) X(stc) X(std) \
    X(sti) X(stosb) X(stosd) X(stosw) X(str) X(sub) X(sysenter) X(sysexit) X(test) X(ud2) \
    X(umov) X(verr) X(verw) X(wait) X(wbinvd) X(wrmsr) X(xadd) X(xchg) X(xlat) X(xor)
// clang-format on

enum Mn : uint16_t {
    MnNone,
#define QVASM_X(n) Mn_##n,
    QVASM_BASE_MNEMONICS(QVASM_X)
#undef QVASM_X
        MnCount
};

// How a keyword modifies its base instruction.
enum class Variant : uint8_t { None, Short, Near, Far, Full32 };

struct MnemonicInfo
{
    std::string_view name;
    Mn base = MnNone;
    uint8_t cond = 0; // condition code for jcc/setcc/cmov
    uint8_t size = 0; // forced operand size in bytes (addb: 1), 0 when none
    Variant variant = Variant::None;
};

struct KeywordRef
{
    KeywordKind kind;
    uint16_t id; // Dir, Reg or an index for mnemonicInfo()
};

// Looks up a word (any case); nullptr when it is not a keyword.
const KeywordRef *lookupKeyword(std::string_view word);
const MnemonicInfo &mnemonicInfo(uint16_t index);
std::string_view baseMnemonicName(Mn m);

} // namespace qvasm
