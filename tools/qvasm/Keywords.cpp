#include "qvasm/Keywords.h"

#include <array>
#include <cstring>

namespace qvasm {

namespace {

struct DirectiveEntry
{
    std::string_view name;
    Dir dir;
    KeywordKind kind;
};

// clang-format off
constexpr DirectiveEntry kDirectives[] = {
    {".if", Dir::If, KeywordKind::Directive}, {".else", Dir::Else, KeywordKind::Directive},
    {".endif", Dir::Endif, KeywordKind::Directive}, {".ifdef", Dir::Ifdef, KeywordKind::Directive},
    {".ifndef", Dir::Ifndef, KeywordKind::Directive}, {".ife", Dir::Ife, KeywordKind::Directive},
    {".ifne", Dir::Ifne, KeywordKind::Directive}, {"include", Dir::Include, KeywordKind::Directive},
    {"%error", Dir::Error, KeywordKind::Directive}, {"%out", Dir::Out, KeywordKind::Directive},
    {"%print", Dir::Print, KeywordKind::Directive}, {"%title", Dir::Title, KeywordKind::Directive},
    {".186", Dir::Cpu186, KeywordKind::Directive}, {".187", Dir::Fpu187, KeywordKind::Directive},
    {".286", Dir::Cpu286, KeywordKind::Directive}, {".286p", Dir::Cpu286p, KeywordKind::Directive},
    {".287", Dir::Fpu287, KeywordKind::Directive}, {".386", Dir::Cpu386, KeywordKind::Directive},
    {".386p", Dir::Cpu386p, KeywordKind::Directive}, {".387", Dir::Fpu387, KeywordKind::Directive},
    {".486", Dir::Cpu486, KeywordKind::Directive}, {".586", Dir::Cpu586, KeywordKind::Directive},
    {".8086", Dir::Cpu8086, KeywordKind::Directive}, {".87", Dir::Fpu87, KeywordKind::Directive},
    {".alpha", Dir::Alpha, KeywordKind::Directive}, {".adsize", Dir::Adsize, KeywordKind::Directive},
    {".code", Dir::Code, KeywordKind::Directive}, {".data", Dir::Data, KeywordKind::Directive},
    {".dosseg", Dir::Dosseg, KeywordKind::Directive}, {".end", Dir::End, KeywordKind::Directive},
    {".even", Dir::Even, KeywordKind::Directive}, {".exit", Dir::Exit, KeywordKind::Directive},
    {".external", Dir::External, KeywordKind::Directive}, {".jumps", Dir::Jumps, KeywordKind::Directive},
    {".list", Dir::List, KeywordKind::Directive}, {".model", Dir::Model, KeywordKind::Directive},
    {".noret", Dir::Noret, KeywordKind::Directive}, {".opsize", Dir::Opsize, KeywordKind::Directive},
    {".optoff", Dir::Optoff, KeywordKind::Directive}, {".opton", Dir::Opton, KeywordKind::Directive},
    {".page", Dir::Page, KeywordKind::Directive}, {".para", Dir::Para, KeywordKind::Directive},
    {".pmode", Dir::Pmode, KeywordKind::Directive}, {".popadbug", Dir::Popadbug, KeywordKind::Directive},
    {".rmode", Dir::Rmode, KeywordKind::Directive}, {".stack", Dir::Stack, KeywordKind::Directive},
    {".start", Dir::Start, KeywordKind::Directive}, {".x86", Dir::CpuX86, KeywordKind::Directive},
    {"%ver", Dir::Ver, KeywordKind::Directive}, {"%line", Dir::Line, KeywordKind::Directive},
    {"%year", Dir::Year, KeywordKind::Directive}, {"%month", Dir::Month, KeywordKind::Directive},
    {"%day", Dir::Day, KeywordKind::Directive}, {"byte", Dir::Byte, KeywordKind::Directive},
    {"comment", Dir::Comment, KeywordKind::Directive}, {"cs:", Dir::SegPrefix, KeywordKind::Directive},
    {"dword", Dir::Dword, KeywordKind::Directive}, {"db", Dir::Db, KeywordKind::Directive},
    {"dd", Dir::Dd, KeywordKind::Directive}, {"dq", Dir::Dq, KeywordKind::Directive},
    {"df", Dir::Df, KeywordKind::Directive}, {"ds:", Dir::SegPrefix, KeywordKind::Directive},
    {"dup", Dir::Dup, KeywordKind::Directive}, {"dw", Dir::Dw, KeywordKind::Directive},
    {"proc", Dir::Proc, KeywordKind::Directive}, {"endp", Dir::Endp, KeywordKind::Directive},
    {"ends", Dir::Ends, KeywordKind::Directive}, {"equ", Dir::Equ, KeywordKind::Directive},
    {"es:", Dir::SegPrefix, KeywordKind::Directive}, {"far", Dir::Far, KeywordKind::Directive},
    {"fs:", Dir::SegPrefix, KeywordKind::Directive}, {"fword", Dir::Fword, KeywordKind::Directive},
    {"outfile", Dir::Outfile, KeywordKind::Directive}, {"gs:", Dir::SegPrefix, KeywordKind::Directive},
    {"near", Dir::Near, KeywordKind::Directive}, {"offset", Dir::Offset, KeywordKind::Directive},
    {"qword", Dir::Qword, KeywordKind::Directive}, {"short", Dir::Short, KeywordKind::Directive},
    {"small", Dir::Small, KeywordKind::Directive}, {"ss:", Dir::SegPrefix, KeywordKind::Directive},
    {"st", Dir::St, KeywordKind::Directive}, {"struct", Dir::Struct, KeywordKind::Directive},
    {"tiny", Dir::Tiny, KeywordKind::Directive}, {"uses", Dir::Uses, KeywordKind::Directive},
    {"word", Dir::Word, KeywordKind::Directive}, {"sizeof", Dir::Sizeof, KeywordKind::Directive},
    {"seg", Dir::SegOf, KeywordKind::Directive},
    {"ptr", Dir::Ptr, KeywordKind::Operator}, {"mod", Dir::Mod, KeywordKind::Operator},
};

struct RegisterEntry
{
    std::string_view name;
    Reg reg;
};

constexpr RegisterEntry kRegisters[] = {
    {"ax", RegAX}, {"eax", RegEAX}, {"cx", RegCX}, {"ecx", RegECX}, {"dx", RegDX},
    {"edx", RegEDX}, {"bx", RegBX}, {"ebx", RegEBX}, {"sp", RegSP}, {"esp", RegESP},
    {"bp", RegBP}, {"ebp", RegEBP}, {"si", RegSI}, {"esi", RegESI}, {"di", RegDI},
    {"edi", RegEDI}, {"al", RegAL}, {"cl", RegCL}, {"dl", RegDL}, {"bl", RegBL},
    {"ah", RegAH}, {"ch", RegCH}, {"dh", RegDH}, {"bh", RegBH}, {"es", RegES}, {"cs", RegCS},
    {"ss", RegSS}, {"ds", RegDS}, {"fs", RegFS}, {"gs", RegGS}, {"st(0)", RegST0},
    {"st(1)", RegST1}, {"st(2)", RegST2}, {"st(3)", RegST3}, {"st(4)", RegST4},
    {"st(5)", RegST5}, {"st(6)", RegST6}, {"st(7)", RegST7}, {"cr0", RegCR0}, {"cr2", RegCR2},
    {"cr3", RegCR3}, {"cr4", RegCR4}, {"dr0", RegDR0}, {"dr1", RegDR1}, {"dr2", RegDR2},
    {"dr3", RegDR3}, {"dr4", RegDR4}, {"dr5", RegDR5}, {"dr6", RegDR6}, {"dr7", RegDR7},
    {"all", RegAll}, {"allf", RegAllF}, {"alld", RegAllD}, {"alldf", RegAllDF},
};

constexpr Variant V0 = Variant::None;

// Condition codes: o no b ae e ne be a s ns p np l ge le g.
constexpr MnemonicInfo kInstructions[] = {
    {"aaa", Mn_aaa}, {"aad", Mn_aad}, {"aam", Mn_aam}, {"aas", Mn_aas},
    {"adc", Mn_adc}, {"adcb", Mn_adc, 0, 1}, {"adcd", Mn_adc, 0, 4}, {"adcw", Mn_adc, 0, 2},
    {"add", Mn_add}, {"addb", Mn_add, 0, 1}, {"addd", Mn_add, 0, 4}, {"addw", Mn_add, 0, 2},
    {"and", Mn_and}, {"andb", Mn_and, 0, 1}, {"andd", Mn_and, 0, 4}, {"andw", Mn_and, 0, 2},
    {"arpl", Mn_arpl}, {"bsf", Mn_bsf}, {"bsr", Mn_bsr}, {"bound", Mn_bound},
    {"bswap", Mn_bswap}, {"bt", Mn_bt}, {"btc", Mn_btc}, {"btcw", Mn_btc, 0, 2},
    {"btr", Mn_btr}, {"btrw", Mn_btr, 0, 2}, {"bts", Mn_bts}, {"btsw", Mn_bts, 0, 2},
    {"btw", Mn_bt, 0, 2}, {"call", Mn_call}, {"callf", Mn_call, 0, 0, Variant::Far},
    {"calln", Mn_call, 0, 0, Variant::Near}, {"cbw", Mn_cbw}, {"cdq", Mn_cdq}, {"clc", Mn_clc},
    {"cld", Mn_cld}, {"clflush", Mn_clflush}, {"cli", Mn_cli}, {"clts", Mn_clts},
    {"cmc", Mn_cmc},
    {"cmova", Mn_cmov, 7}, {"cmovae", Mn_cmov, 3}, {"cmovb", Mn_cmov, 2}, {"cmovbe", Mn_cmov, 6},
    {"cmovc", Mn_cmov, 2}, {"cmove", Mn_cmov, 4}, {"cmovg", Mn_cmov, 15}, {"cmovge", Mn_cmov, 13},
    {"cmovl", Mn_cmov, 12}, {"cmovle", Mn_cmov, 14}, {"cmovna", Mn_cmov, 6},
    {"cmovnae", Mn_cmov, 2}, {"cmovnb", Mn_cmov, 3}, {"cmovnbe", Mn_cmov, 7},
    {"cmovnc", Mn_cmov, 3}, {"cmovne", Mn_cmov, 5}, {"cmovng", Mn_cmov, 14},
    {"cmovnge", Mn_cmov, 12}, {"cmovnl", Mn_cmov, 13}, {"cmovnle", Mn_cmov, 15},
    {"cmovno", Mn_cmov, 1}, {"cmovnp", Mn_cmov, 11}, {"cmovns", Mn_cmov, 9},
    {"cmovnz", Mn_cmov, 5}, {"cmovo", Mn_cmov, 0}, {"cmovp", Mn_cmov, 10},
    {"cmovpe", Mn_cmov, 10}, {"cmovpo", Mn_cmov, 11}, {"cmovs", Mn_cmov, 8},
    {"cmovz", Mn_cmov, 4},
    {"cmp", Mn_cmp}, {"cmpb", Mn_cmp, 0, 1}, {"cmpd", Mn_cmp, 0, 4}, {"cmpsb", Mn_cmpsb},
    {"cmpsd", Mn_cmpsd}, {"cmpsw", Mn_cmpsw}, {"cmpw", Mn_cmp, 0, 2}, {"cmpx8bq", Mn_cmpx8bq},
    {"cmpxchg", Mn_cmpxchg}, {"cpuid", Mn_cpuid}, {"cwd", Mn_cwd}, {"cwde", Mn_cwde},
    {"daa", Mn_daa}, {"das", Mn_das}, {"dec", Mn_dec}, {"decb", Mn_dec, 0, 1},
    {"decd", Mn_dec, 0, 4}, {"decw", Mn_dec, 0, 2}, {"div", Mn_div}, {"divb", Mn_div, 0, 1},
    {"divd", Mn_div, 0, 4}, {"divw", Mn_div, 0, 2}, {"emms", Mn_emms}, {"enter", Mn_enter},
    {"f2xm1", Mn_f2xm1}, {"fabs", Mn_fabs}, {"fchs", Mn_fchs}, {"fcos", Mn_fcos},
    {"fdecstp", Mn_fdecstp}, {"fincstp", Mn_fincstp}, {"fld", Mn_fld}, {"fld1", Mn_fld1},
    {"fldl2e", Mn_fldl2e}, {"fldl2t", Mn_fldl2t}, {"fldlg2", Mn_fldlg2}, {"fldln2", Mn_fldln2},
    {"fldpi", Mn_fldpi}, {"fldz", Mn_fldz}, {"fnop", Mn_fnop}, {"fpatan", Mn_fpatan},
    {"fprem", Mn_fprem}, {"fprem1", Mn_fprem1}, {"fptan", Mn_fptan}, {"frndint", Mn_frndint},
    {"fscale", Mn_fscale}, {"fsin", Mn_fsin}, {"fsincos", Mn_fsincos}, {"fsqrt", Mn_fsqrt},
    {"ftst", Mn_ftst}, {"fwait", Mn_fwait}, {"fxam", Mn_fxam}, {"fxrstor", Mn_fxrstor},
    {"fxsave", Mn_fxsave}, {"fxtract", Mn_fxtract}, {"fyl2x", Mn_fyl2x},
    {"fyl2xp1", Mn_fyl2xp1}, {"hlt", Mn_hlt}, {"icebp", Mn_icebp}, {"idiv", Mn_idiv},
    {"idivb", Mn_idiv, 0, 1}, {"idivd", Mn_idiv, 0, 4}, {"idivw", Mn_idiv, 0, 2},
    {"imul", Mn_imul}, {"imulb", Mn_imul, 0, 1}, {"imuld", Mn_imul, 0, 4},
    {"imulw", Mn_imul, 0, 2}, {"in", Mn_in}, {"inc", Mn_inc}, {"incb", Mn_inc, 0, 1},
    {"incd", Mn_inc, 0, 4}, {"incw", Mn_inc, 0, 2}, {"insb", Mn_insb}, {"insd", Mn_insd},
    {"insw", Mn_insw}, {"int", Mn_int}, {"int3", Mn_int3}, {"into", Mn_into}, {"invd", Mn_invd},
    {"invlpg", Mn_invlpg}, {"invlpgw", Mn_invlpg, 0, 2}, {"iret", Mn_iret}, {"iretd", Mn_iretd},
    {"ja", Mn_jcc, 7}, {"jae", Mn_jcc, 3}, {"jb", Mn_jcc, 2}, {"jbe", Mn_jcc, 6},
    {"jc", Mn_jcc, 2}, {"jcxz", Mn_jcxz}, {"je", Mn_jcc, 4}, {"jg", Mn_jcc, 15},
    {"jge", Mn_jcc, 13}, {"jl", Mn_jcc, 12}, {"jle", Mn_jcc, 14}, {"jmp", Mn_jmp},
    {"jmpf", Mn_jmp, 0, 0, Variant::Far}, {"jmpn", Mn_jmp, 0, 0, Variant::Near},
    {"jmps", Mn_jmp, 0, 0, Variant::Short}, {"jna", Mn_jcc, 6}, {"jnae", Mn_jcc, 2},
    {"jnb", Mn_jcc, 3}, {"jnbe", Mn_jcc, 7}, {"jnc", Mn_jcc, 3}, {"jne", Mn_jcc, 5},
    {"jng", Mn_jcc, 14}, {"jnge", Mn_jcc, 12}, {"jnl", Mn_jcc, 13}, {"jnle", Mn_jcc, 15},
    {"jno", Mn_jcc, 1}, {"jnp", Mn_jcc, 11}, {"jns", Mn_jcc, 9}, {"jnz", Mn_jcc, 5},
    {"jo", Mn_jcc, 0}, {"jp", Mn_jcc, 10}, {"jpe", Mn_jcc, 10}, {"jpo", Mn_jcc, 11},
    {"js", Mn_jcc, 8}, {"jz", Mn_jcc, 4}, {"lahf", Mn_lahf}, {"lar", Mn_lar}, {"lds", Mn_lds},
    {"ldmxcsr", Mn_ldmxcsr}, {"lea", Mn_lea}, {"leave", Mn_leave}, {"leaved", Mn_leaved},
    {"les", Mn_les}, {"lfence", Mn_lfence}, {"lfs", Mn_lfs}, {"lgs", Mn_lgs}, {"lgdt", Mn_lgdt},
    {"lgdtf", Mn_lgdt, 0, 0, Variant::Full32}, {"lidt", Mn_lidt},
    {"lidtf", Mn_lidt, 0, 0, Variant::Full32}, {"lldt", Mn_lldt}, {"lldtw", Mn_lldt, 0, 2},
    {"lmsw", Mn_lmsw}, {"lmsww", Mn_lmsw, 0, 2}, {"loadall", Mn_loadall}, {"lock", Mn_lock},
    {"lodsb", Mn_lodsb}, {"lodsd", Mn_lodsd}, {"lodsw", Mn_lodsw}, {"loop", Mn_loop},
    {"loope", Mn_loope}, {"loopne", Mn_loopne}, {"loopnz", Mn_loopne}, {"loopz", Mn_loope},
    {"lsl", Mn_lsl}, {"lss", Mn_lss}, {"ltr", Mn_ltr}, {"ltrw", Mn_ltr, 0, 2},
    {"mfence", Mn_mfence}, {"mov", Mn_mov}, {"movb", Mn_mov, 0, 1}, {"movd", Mn_mov, 0, 4},
    {"movsb", Mn_movsb}, {"movsd", Mn_movsd}, {"movsw", Mn_movsw}, {"movsx", Mn_movsx},
    {"movsxb", Mn_movsx, 0, 1}, {"movsxw", Mn_movsx, 0, 2}, {"movw", Mn_mov, 0, 2},
    {"movzx", Mn_movzx}, {"movzxb", Mn_movzx, 0, 1}, {"movzxw", Mn_movzx, 0, 2},
    {"mul", Mn_mul}, {"mulb", Mn_mul, 0, 1}, {"muld", Mn_mul, 0, 4}, {"mulw", Mn_mul, 0, 2},
    {"neg", Mn_neg}, {"negb", Mn_neg, 0, 1}, {"negd", Mn_neg, 0, 4}, {"negw", Mn_neg, 0, 2},
    {"nop", Mn_nop}, {"not", Mn_not}, {"notb", Mn_not, 0, 1}, {"notd", Mn_not, 0, 4},
    {"notw", Mn_not, 0, 2}, {"or", Mn_or}, {"orb", Mn_or, 0, 1}, {"ord", Mn_or, 0, 4},
    {"org", Mn_org}, {"orgnf", Mn_orgnf}, {"orw", Mn_or, 0, 2}, {"out", Mn_out},
    {"outsb", Mn_outsb}, {"outsd", Mn_outsd}, {"outsw", Mn_outsw}, {"pause", Mn_pause},
    {"pop", Mn_pop}, {"popa", Mn_popa}, {"popad", Mn_popad}, {"popb", Mn_pop, 0, 1},
    {"popd", Mn_pop, 0, 4}, {"popf", Mn_popf}, {"popfd", Mn_popfd}, {"popw", Mn_pop, 0, 2},
    {"push", Mn_push}, {"pusha", Mn_pusha}, {"pushad", Mn_pushad}, {"pushb", Mn_push, 0, 1},
    {"pushd", Mn_push, 0, 4}, {"pushf", Mn_pushf}, {"pushfd", Mn_pushfd},
    {"pushw", Mn_push, 0, 2}, {"rcl", Mn_rcl}, {"rclb", Mn_rcl, 0, 1}, {"rcld", Mn_rcl, 0, 4},
    {"rclw", Mn_rcl, 0, 2}, {"rcr", Mn_rcr}, {"rcrb", Mn_rcr, 0, 1}, {"rcrd", Mn_rcr, 0, 4},
    {"rcrw", Mn_rcr, 0, 2}, {"rdmsr", Mn_rdmsr}, {"rdpmc", Mn_rdpmc}, {"rdtsc", Mn_rdtsc},
    {"rep", Mn_rep}, {"repe", Mn_repe}, {"repne", Mn_repne}, {"repnz", Mn_repne},
    {"repz", Mn_repe}, {"ret", Mn_ret}, {"retf", Mn_retf}, {"rol", Mn_rol},
    {"rolb", Mn_rol, 0, 1}, {"rold", Mn_rol, 0, 4}, {"rolw", Mn_rol, 0, 2}, {"ror", Mn_ror},
    {"rorb", Mn_ror, 0, 1}, {"rord", Mn_ror, 0, 4}, {"rorw", Mn_ror, 0, 2}, {"rsm", Mn_rsm},
    {"sahf", Mn_sahf}, {"sal", Mn_sal}, {"salb", Mn_sal, 0, 1}, {"salc", Mn_salc},
    {"sald", Mn_sal, 0, 4}, {"salw", Mn_sal, 0, 2}, {"sar", Mn_sar}, {"sarb", Mn_sar, 0, 1},
    {"sard", Mn_sar, 0, 4}, {"sarw", Mn_sar, 0, 2}, {"sbb", Mn_sbb}, {"sbbb", Mn_sbb, 0, 1},
    {"sbbd", Mn_sbb, 0, 4}, {"sbbw", Mn_sbb, 0, 2}, {"scasb", Mn_scasb}, {"scasd", Mn_scasd},
    {"scasw", Mn_scasw},
    {"seta", Mn_setcc, 7}, {"setae", Mn_setcc, 3}, {"setb", Mn_setcc, 2},
    {"setbe", Mn_setcc, 6}, {"setc", Mn_setcc, 2}, {"sete", Mn_setcc, 4},
    {"setg", Mn_setcc, 15}, {"setge", Mn_setcc, 13}, {"setl", Mn_setcc, 12},
    {"setle", Mn_setcc, 14}, {"setna", Mn_setcc, 6}, {"setnae", Mn_setcc, 2},
    {"setnb", Mn_setcc, 3}, {"setnbe", Mn_setcc, 7}, {"setnc", Mn_setcc, 3},
    {"setne", Mn_setcc, 5}, {"setng", Mn_setcc, 14}, {"setnge", Mn_setcc, 12},
    {"setnl", Mn_setcc, 13}, {"setnle", Mn_setcc, 15}, {"setno", Mn_setcc, 1},
    {"setnp", Mn_setcc, 11}, {"setns", Mn_setcc, 9}, {"setnz", Mn_setcc, 5},
    {"seto", Mn_setcc, 0}, {"setp", Mn_setcc, 10}, {"setpo", Mn_setcc, 11},
    {"setpe", Mn_setcc, 10}, {"sets", Mn_setcc, 8}, {"setz", Mn_setcc, 4},
    {"sfence", Mn_sfence}, {"sgdt", Mn_sgdt}, {"sgdtf", Mn_sgdt, 0, 0, Variant::Full32},
    {"shl", Mn_shl}, {"shlb", Mn_shl, 0, 1}, {"shld", Mn_shld}, {"shlw", Mn_shl, 0, 2},
    {"shr", Mn_shr}, {"shrb", Mn_shr, 0, 1}, {"shrd", Mn_shrd}, {"shrw", Mn_shr, 0, 2},
    {"sidt", Mn_sidt}, {"sidtf", Mn_sidt, 0, 0, Variant::Full32}, {"sldt", Mn_sldt},
    {"sldtw", Mn_sldt, 0, 2}, {"smsw", Mn_smsw}, {"smsww", Mn_smsw, 0, 2}, {"stc", Mn_stc},
    {"std", Mn_std}, {"sti", Mn_sti}, {"stosb", Mn_stosb}, {"stosd", Mn_stosd},
    {"stosw", Mn_stosw}, {"str", Mn_str}, {"strw", Mn_str, 0, 2}, {"sub", Mn_sub},
    {"subb", Mn_sub, 0, 1}, {"subd", Mn_sub, 0, 4}, {"subw", Mn_sub, 0, 2},
    {"sysenter", Mn_sysenter}, {"sysexit", Mn_sysexit}, {"test", Mn_test},
    {"testb", Mn_test, 0, 1}, {"testd", Mn_test, 0, 4}, {"testw", Mn_test, 0, 2},
    {"ud2", Mn_ud2}, {"umov", Mn_umov}, {"verr", Mn_verr}, {"verrw", Mn_verr, 0, 2},
    {"verw", Mn_verw}, {"verww", Mn_verw, 0, 2}, {"wait", Mn_wait}, {"wbinvd", Mn_wbinvd},
    {"wrmsr", Mn_wrmsr}, {"xadd", Mn_xadd}, {"xchg", Mn_xchg}, {"xlat", Mn_xlat},
    {"xlatb", Mn_xlat}, {"xor", Mn_xor}, {"xorb", Mn_xor, 0, 1}, {"xord", Mn_xor, 0, 4},
    {"xorw", Mn_xor, 0, 2},
};
// clang-format on

constexpr std::string_view kBaseNames[] = {"",
#define QVASM_X(n) #n,
                                           QVASM_BASE_MNEMONICS(QVASM_X)
#undef QVASM_X
};

// Open addressing over lower-case names; built once, read by every line of every pass.
class KeywordIndex
{
public:
    KeywordIndex()
    {
        for (const auto &d : kDirectives)
            add(d.name, {d.kind, uint16_t(d.dir)});
        for (size_t i = 0; i < std::size(kInstructions); ++i)
            add(kInstructions[i].name, {KeywordKind::Instruction, uint16_t(i)});
        for (const auto &r : kRegisters)
            add(r.name, {KeywordKind::Register, uint16_t(r.reg)});
    }

    const KeywordRef *find(std::string_view word) const
    {
        if (word.empty() || word.size() > kMaxLength)
            return nullptr;
        char lower[kMaxLength];
        for (size_t i = 0; i < word.size(); ++i) {
            const char c = word[i];
            lower[i] = (c >= 'A' && c <= 'Z') ? char(c + 32) : c;
        }
        const std::string_view key(lower, word.size());
        for (size_t h = hash(key) & kMask;; h = (h + 1) & kMask) {
            const Slot &s = m_slots[h];
            if (s.name.empty())
                return nullptr;
            if (s.name == key)
                return &s.ref;
        }
    }

private:
    static constexpr size_t kMaxLength = 10;
    static constexpr size_t kSize = 2048;
    static constexpr size_t kMask = kSize - 1;

    struct Slot
    {
        std::string_view name;
        KeywordRef ref{};
    };

    static size_t hash(std::string_view s)
    {
        size_t h = 2166136261u;
        for (char c : s)
            h = (h ^ uint8_t(c)) * 16777619u;
        return h;
    }

    void add(std::string_view name, KeywordRef ref)
    {
        for (size_t h = hash(name) & kMask;; h = (h + 1) & kMask) {
            if (m_slots[h].name.empty() || m_slots[h].name == name) {
                m_slots[h] = {name, ref};
                return;
            }
        }
    }

    std::array<Slot, kSize> m_slots{};
};

const KeywordIndex &index()
{
    static const KeywordIndex idx;
    return idx;
}

} // namespace

const std::vector<Keyword> &acceptedKeywords()
{
    static const std::vector<Keyword> all = [] {
        std::vector<Keyword> v;
        for (const auto &d : kDirectives)
            v.push_back({d.name, d.kind});
        for (const auto &m : kInstructions)
            v.push_back({m.name, KeywordKind::Instruction});
        for (const auto &r : kRegisters)
            v.push_back({r.name, KeywordKind::Register});
        return v;
    }();
    return all;
}

RegClass regClass(Reg r)
{
    if (r >= RegAL && r <= RegBH)
        return RegClass::Gpr8;
    if (r >= RegAX && r <= RegDI)
        return RegClass::Gpr16;
    if (r >= RegEAX && r <= RegEDI)
        return RegClass::Gpr32;
    if (r >= RegES && r <= RegGS)
        return RegClass::Seg;
    if (r >= RegCR0 && r <= RegCR4)
        return RegClass::Cr;
    if (r >= RegDR0 && r <= RegDR7)
        return RegClass::Dr;
    if (r >= RegST0 && r <= RegST7)
        return RegClass::Fpu;
    if (r >= RegAll && r <= RegAllDF)
        return RegClass::UsesSet;
    return RegClass::None;
}

int regNum(Reg r)
{
    switch (regClass(r)) {
    case RegClass::Gpr8:
        return r - RegAL;
    case RegClass::Gpr16:
        return r - RegAX;
    case RegClass::Gpr32:
        return r - RegEAX;
    case RegClass::Seg:
        return r - RegES;
    case RegClass::Cr:
        return r == RegCR0 ? 0 : r - RegCR2 + 2;
    case RegClass::Dr:
        return r - RegDR0;
    case RegClass::Fpu:
        return r - RegST0;
    default:
        return 0;
    }
}

int regSize(Reg r)
{
    switch (regClass(r)) {
    case RegClass::Gpr8:
        return 1;
    case RegClass::Gpr16:
    case RegClass::Seg:
        return 2;
    case RegClass::Gpr32:
    case RegClass::Cr:
    case RegClass::Dr:
        return 4;
    default:
        return 0;
    }
}

const KeywordRef *lookupKeyword(std::string_view word)
{
    return index().find(word);
}

const MnemonicInfo &mnemonicInfo(uint16_t i)
{
    return kInstructions[i];
}

std::string_view baseMnemonicName(Mn m)
{
    return m < MnCount ? kBaseNames[m] : std::string_view();
}

} // namespace qvasm
