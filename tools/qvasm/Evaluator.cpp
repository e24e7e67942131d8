#include "qvasm/Evaluator.h"

#include "qvasm/NameTable.h"
#include "qvasm/SymbolTable.h"

#include <limits>
#include <utility>

namespace qvasm {

namespace {

bool isMathNode(ExprOp op)
{
    switch (op) {
    case ExprOp::Mul:
    case ExprOp::Div:
    case ExprOp::Mod:
    case ExprOp::Shl:
    case ExprOp::Shr:
    case ExprOp::And:
    case ExprOp::Or:
    case ExprOp::Xor:
    case ExprOp::Not:
        return true;
    default:
        return false;
    }
}

constexpr int64_t kVersion = 2435; // %ver: 00.24.35

// Anything a linker would have to supply: arithmetic on it beyond + and - has no meaning in an
// object file.
bool relocatable(const Value &v)
{
    return v.relative || v.relData || v.relExt || v.base != RelocTarget::None || v.relocMath;
}

} // namespace

Evaluator::Evaluator(const Statement &st, const EvalEnv &env, const Reporter &report)
    : m_st(st)
    , m_env(env)
    , m_report(report)
{}

std::string Evaluator::spelling(uint32_t id) const
{
    return std::string(m_env.names->spelling(id));
}

bool Evaluator::looksLikeHex(std::string_view name)
{
    if (name.size() < 2 || (name.back() != 'h' && name.back() != 'H'))
        return false;
    for (size_t i = 0; i + 1 < name.size(); ++i) {
        const char c = name[i];
        const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (!hex)
            return false;
    }
    return true;
}

// @data and @code name the paragraphs of the data group and the code segment in an object
// file; in a .COM file there is nothing for them to name.
bool Evaluator::segmentBase(uint32_t id, Value &out)
{
    const std::string_view name = m_env.names->spelling(id);
    const auto is = [&](std::string_view word) {
        if (name.size() != word.size())
            return false;
        for (size_t i = 0; i < name.size(); ++i) {
            const char c = name[i] >= 'A' && name[i] <= 'Z' ? char(name[i] + 32) : name[i];
            if (c != word[i])
                return false;
        }
        return true;
    };
    const bool data = is("@data");
    if (!data && !is("@code"))
        return false;
    if (!m_env.object) {
        m_report(0x54, std::string(name));
        out.undefined = true;
        return true;
    }
    out.base = data ? RelocTarget::Group : RelocTarget::Code;
    return true;
}

// An address in a named code segment counts apart from _TEXT's: a difference across the two
// is nothing the linker can make, and a jump needs to know which segment it lands in.
void Evaluator::inCodeSegment(const Symbol &s, Value &out)
{
    if (!s.inData && s.codeSeg) {
        out.relNamed = 1;
        out.codeSeg = s.codeSeg;
    }
}

void Evaluator::hereInCodeSegment(Value &out) const
{
    if (!m_env.dollarInData && m_env.dollarSeg) {
        out.relNamed = 1;
        out.codeSeg = m_env.dollarSeg;
    }
}

bool Evaluator::evalSym(uint32_t id, Value &out)
{
    if (m_refs)
        m_refs->push_back(id);
    Symbol &s = (*m_env.symbols)[id];
    const bool definedNow = s.definedPass == m_env.pass;
    if ((s.kind == SymKind::None || s.definedPass == 0) && segmentBase(id, out))
        return true;
    if (s.kind == SymKind::None || s.definedPass == 0) {
        out.undefined = true;
        out.forward = true;
        s.pendingPass = m_env.pass;
        const std::string name = spelling(id);
        if (m_noForward)
            m_report(0x28, name);
        else if (looksLikeHex(name))
            m_report(0x33, name);
        else
            m_report(0x21, name);
        return !m_noForward;
    }
    if (!definedNow) {
        out.forward = true;
        if (m_noForward) {
            m_report(0x28, spelling(id));
            return false;
        }
    }
    out.num = s.value;
    switch (s.kind) {
    case SymKind::Label:
        out.relative = 1;
        out.relData = s.inData ? 1 : 0;
        inCodeSegment(s, out);
        break;
    case SymKind::Proc:
        out.relative = 1;
        out.relData = s.inData ? 1 : 0;
        out.procFar = s.far;
        inCodeSegment(s, out);
        break;
    case SymKind::External:
        // The linker supplies the address: no number of its own.
        out.num = 0;
        out.relative = 1;
        out.relExt = 1;
        out.ext = id;
        out.extData = s.size != 0;
        out.procFar = s.far;
        out.variable = s.size != 0;
        out.size = s.size;
        break;
    case SymKind::Data:
        out.relative = 1;
        out.relData = s.inData ? 1 : 0;
        inCodeSegment(s, out);
        out.variable = true;
        out.size = s.size;
        out.structType = s.structType;
        out.length = s.length;
        out.hasLength = true;
        break;
    case SymKind::Equ:
    case SymKind::Assign:
        out.relative = s.relative ? 1 : 0;
        out.relData = s.relative && s.relocTarget == RelocTarget::Data ? 1 : 0;
        if (s.relative && s.relocTarget == RelocTarget::Code && s.codeSeg) {
            out.relNamed = 1;
            out.codeSeg = s.codeSeg;
        }
        if (s.relative && s.relocTarget == RelocTarget::External) {
            out.relExt = 1;
            out.ext = s.relocExt;
            out.extData = s.relocExtData;
        }
        out.base = s.base;
        if (s.base == RelocTarget::Code)
            out.baseSeg = s.codeSeg;
        if (s.base == RelocTarget::External) {
            out.baseExt = s.relocExt;
            out.baseExtData = s.relocExtData;
        }
        // An alias of a variable stays one only while it stays an address.
        out.variable = s.memory && s.relative;
        out.mem = s.memory && !s.relative;
        out.size = s.size;
        out.length = s.length;
        out.hasLength = s.memory;
        out.structType = s.structType;
        break;
    case SymKind::Struct:
        out.typeOnly = true;
        out.structType = id;
        out.num = s.length;
        out.length = s.length;
        out.hasLength = true;
        break;
    case SymKind::None:
        break;
    }
    return true;
}

// "seg x": the paragraph the linker gives x's segment. A variable's is DGROUP's, as DS sees
// it, a label's that of its own code segment, an external's that of its definition.
bool Evaluator::evalSegOf(const ExprNode &n, Value &out)
{
    Value v;
    if (!eval(n.a, v))
        return false;
    out = Value{};
    out.undefined = v.undefined;
    out.forward = v.forward;
    if (!m_env.object) {
        m_report(0x54, "seg");
        out.undefined = true;
        return true;
    }
    if (v.nregs || v.mem || v.farPtr) {
        m_report(0x22, "seg");
        return false;
    }
    out.base = RelocTarget::Code;
    if (v.undefined)
        return true; // a word for now; the next pass knows which segment
    Reloc r;
    if (!relocation(v, r))
        return false;
    if (r.kind != Reloc::Kind::Offset) {
        m_report(0x22, "seg needs a label, a variable or an external");
        return false;
    }
    switch (r.target) {
    case RelocTarget::Data:
        out.base = RelocTarget::Group;
        break;
    case RelocTarget::External:
        out.base = RelocTarget::External;
        out.baseExt = r.ext;
        out.baseExtData = r.extData;
        break;
    default:
        out.baseSeg = r.section;
        break;
    }
    return true;
}

bool Evaluator::evalMember(const ExprNode &n, Value &out)
{
    if (!eval(n.a, out))
        return false;
    const SymbolTable &syms = *m_env.symbols;
    const MemberInfo *m = nullptr;
    if (out.structType) {
        const Symbol *type = syms.find(out.structType);
        if (type && type->kind == SymKind::Struct)
            m = syms.member(type->structType, n.b);
    }
    if (!m) {
        // Member names are global when they are unique, as in "[bx].field".
        const auto *list = syms.membersNamed(n.b);
        if (list && !list->empty()) {
            const auto &[si, mi] = list->front();
            m = &syms.structInfo(si).members[mi];
            for (const auto &[si2, mi2] : *list) {
                const MemberInfo &other = syms.structInfo(si2).members[mi2];
                if (other.offset != m->offset || other.elementSize != m->elementSize) {
                    m_report(0x59, spelling(n.b));
                    return false;
                }
            }
        }
    }
    if (!m) {
        if (out.undefined)
            return true; // the structure itself is not known yet
        out.undefined = true;
        m_report(0x21, spelling(n.b));
        return true;
    }
    if (out.typeOnly) {
        // "type.member" is the member's offset, with the member's size.
        out.typeOnly = false;
        out.num = m->offset;
    } else {
        out.num += m->offset;
    }
    out.size = m->elementSize;
    out.sizeGiven = false;
    out.structType = m->structType;
    out.length = m->size;
    out.hasLength = true;
    return true;
}

bool Evaluator::combineAdd(Value &a, const Value &b, bool subtract)
{
    const int32_t namedBefore = a.relNamed;
    if (subtract) {
        if (b.nregs) {
            m_report(0x3E, {});
            return false;
        }
        a.num = int64_t(uint64_t(a.num) - uint64_t(b.num));
        a.relative -= b.relative;
        a.relData -= b.relData;
        a.relExt -= b.relExt;
        a.relNamed -= b.relNamed;
    } else {
        a.num = int64_t(uint64_t(a.num) + uint64_t(b.num));
        for (int i = 0; i < b.nregs; ++i) {
            if (a.nregs >= 3) {
                m_report(0x22, {});
                return false;
            }
            a.regs[a.nregs] = b.regs[i];
            a.scales[a.nregs] = b.scales[i];
            ++a.nregs;
        }
        a.relative += b.relative;
        a.relData += b.relData;
        a.relExt += b.relExt;
        a.relNamed += b.relNamed;
        a.variable = a.variable || b.variable;
    }
    if (b.relNamed) {
        if (namedBefore && a.codeSeg != b.codeSeg)
            a.relocMath = true; // two named code segments: no one base for both
        a.codeSeg = b.codeSeg;
    }
    if (b.ext) {
        if (a.ext && a.ext != b.ext)
            a.relocMath = true; // two externals: nothing the linker can add
        a.ext = b.ext;
        a.extData = b.extData;
    }
    if (b.base != RelocTarget::None) {
        if (a.base != RelocTarget::None || subtract)
            a.relocMath = true;
        a.base = b.base;
        a.baseSeg = b.baseSeg;
        a.baseExt = b.baseExt;
        a.baseExtData = b.baseExtData;
    }
    a.relocMath = a.relocMath || b.relocMath;
    if (b.seg != RegNone) {
        if (a.seg != RegNone) {
            m_report(0x22, {});
            return false;
        }
        a.seg = b.seg;
    }
    a.mem = a.mem || b.mem;
    if (!a.size) {
        a.size = b.size;
        a.sizeGiven = b.sizeGiven;
    }
    if (!a.structType)
        a.structType = b.structType;
    if (!a.hasLength) {
        a.hasLength = b.hasLength;
        a.length = b.length;
    }
    a.undefined = a.undefined || b.undefined;
    a.forward = a.forward || b.forward;
    a.procFar = a.procFar || b.procFar;
    a.anon = a.anon || b.anon;
    a.typeOnly = false;
    if (a.dist == Distance::None)
        a.dist = b.dist;
    if (a.relative == 0 && (a.variable || b.variable)) {
        // The distance between two variables is a number: no memory, no type.
        a.variable = false;
        if (!a.sizeGiven)
            a.size = 0;
        a.structType = 0;
        a.hasLength = false;
        a.length = 0;
    }
    return true;
}

bool Evaluator::checkAddresses(const Value &v)
{
    if (v.relative > 1 || v.relative < -1) {
        m_report(0x22, "addresses added: only their difference is a number");
        return false;
    }
    return true;
}

bool Evaluator::eval(uint32_t node, Value &out)
{
    out = Value{};
    const ExprNode &n = m_st.nodes[node];
    switch (n.op) {
    case ExprOp::Num:
        out.num = n.value;
        return true;
    case ExprOp::Sym:
        return evalSym(n.a, out);
    case ExprOp::Dollar:
        out.num = m_env.dollar;
        out.relative = 1;
        out.relData = m_env.dollarInData ? 1 : 0;
        hereInCodeSegment(out);
        return true;
    case ExprOp::Reg:
        out.regs[0] = Reg(n.a);
        out.nregs = 1;
        return true;
    case ExprOp::Builtin:
        switch (Dir(n.a)) {
        case Dir::Ver:
            out.num = kVersion;
            break;
        case Dir::Line:
            out.num = m_env.line;
            break;
        case Dir::Year:
            out.num = m_env.year;
            break;
        case Dir::Month:
            out.num = m_env.month;
            break;
        default:
            out.num = m_env.day;
            break;
        }
        return true;
    case ExprOp::AnonF: {
        const size_t k = m_env.anonCur->size();
        out.relative = 1;
        out.anon = true;
        hereInCodeSegment(out); // an @@ label is taken to lie in the segment that uses it
        if (m_env.anonForwardUsed)
            *m_env.anonForwardUsed = true;
        if (k < m_env.anonPrev->size()) {
            out.num = (*m_env.anonPrev)[k];
            out.forward = true;
        } else {
            out.undefined = true;
            m_report(0x64, {});
        }
        return true;
    }
    case ExprOp::AnonB:
        out.relative = 1;
        out.anon = true;
        hereInCodeSegment(out);
        if (m_env.anonCur->empty()) {
            out.undefined = true;
            m_report(0x63, {});
        } else {
            out.num = m_env.anonCur->back();
        }
        return true;
    case ExprOp::AnonBare:
        m_report(0x62, {});
        return false;
    case ExprOp::Str:
    case ExprOp::Float:
    case ExprOp::Question:
    case ExprOp::Dup:
        m_report(0x22, {});
        return false;
    case ExprOp::Neg:
    case ExprOp::Pos:
    case ExprOp::Not: {
        if (!eval(n.a, out))
            return false;
        if (out.nregs) {
            m_report(0x22, {});
            return false;
        }
        if (n.op == ExprOp::Neg)
            out.num = int64_t(0 - uint64_t(out.num));
        else if (n.op == ExprOp::Not)
            out.num = ~out.num;
        if (n.op == ExprOp::Not || (n.op == ExprOp::Neg && out.base != RelocTarget::None))
            out.relocMath = out.relocMath || relocatable(out);
        if (n.op == ExprOp::Neg) {
            out.relData = -out.relData;
            out.relExt = -out.relExt;
            out.relNamed = -out.relNamed;
        } else if (n.op == ExprOp::Not) {
            out.relData = out.relExt = out.relNamed = 0;
        }
        if (n.op != ExprOp::Pos) {
            out.mem = false;
            out.variable = false;
            // -label counts against a later +label; the complement of an address is a number
            out.relative = n.op == ExprOp::Neg ? -out.relative : 0;
        }
        return true;
    }
    case ExprOp::Offset: {
        if (isMathNode(m_st.nodes[n.a].op)) {
            m_report(0x39, {});
            return false;
        }
        if (!eval(n.a, out))
            return false;
        if (out.nregs) {
            m_report(0x23, {});
            return false;
        }
        out.mem = false;
        out.variable = false;
        out.size = 0;
        out.sizeGiven = false;
        out.seg = RegNone;
        out.hasLength = false;
        out.typeOnly = false;
        return true;
    }
    case ExprOp::Sizeof: {
        Value v;
        if (!eval(n.a, v))
            return false;
        out.undefined = v.undefined;
        out.forward = v.forward;
        if (!v.hasLength) {
            if (v.undefined)
                return true;
            m_report(0x2B, {});
            return false;
        }
        out.num = v.length;
        return true;
    }
    case ExprOp::SegOf:
        return evalSegOf(n, out);
    case ExprOp::Ptr:
        if (!eval(n.a, out))
            return false;
        out.size = uint8_t(n.b);
        out.sizeGiven = true;
        return true;
    case ExprOp::Short:
    case ExprOp::Near:
    case ExprOp::Far:
        if (!eval(n.a, out))
            return false;
        out.dist = n.op == ExprOp::Short ? Distance::Short
                                         : (n.op == ExprOp::Near ? Distance::Near : Distance::Far);
        return true;
    case ExprOp::Add:
    case ExprOp::Sub: {
        Value b;
        if (!eval(n.a, out) || !eval(n.b, b))
            return false;
        return combineAdd(out, b, n.op == ExprOp::Sub);
    }
    case ExprOp::Mul: {
        Value b;
        if (!eval(n.a, out) || !eval(n.b, b))
            return false;
        // "esi*4" makes a scaled index; anything else with registers is meaningless.
        Value *regSide = out.nregs ? &out : (b.nregs ? &b : nullptr);
        if (regSide) {
            const Value &numSide = regSide == &out ? b : out;
            if (regSide->nregs != 1 || regSide->scales[0] || regSide->num || numSide.nregs
                || regSide->mem) {
                m_report(0x22, {});
                return false;
            }
            Value r = *regSide;
            r.scales[0] = uint8_t(numSide.num > 0 && numSide.num <= 255 ? numSide.num : 255);
            r.undefined = out.undefined || b.undefined;
            out = r;
            return true;
        }
        const int64_t product = int64_t(uint64_t(out.num) * uint64_t(b.num));
        const bool undef = out.undefined || b.undefined;
        const bool fwd = out.forward || b.forward;
        const bool math = relocatable(out) || relocatable(b);
        out = Value{};
        out.relocMath = math;
        out.num = product;
        out.undefined = undef;
        out.forward = fwd;
        return true;
    }
    case ExprOp::Div:
    case ExprOp::Mod:
    case ExprOp::Shl:
    case ExprOp::Shr:
    case ExprOp::And:
    case ExprOp::Or:
    case ExprOp::Xor: {
        Value a, b;
        if (!eval(n.a, a) || !eval(n.b, b))
            return false;
        if (a.nregs || b.nregs) {
            m_report(0x22, {});
            return false;
        }
        out.undefined = a.undefined || b.undefined;
        out.forward = a.forward || b.forward;
        out.relocMath = relocatable(a) || relocatable(b);
        const int64_t x = a.num, y = b.num;
        switch (n.op) {
        case ExprOp::Div:
        case ExprOp::Mod:
            if (y == 0 || (x == std::numeric_limits<int64_t>::min() && y == -1)) {
                if (out.undefined) {
                    out.num = 0; // a forward value may be zero for now
                    return true;
                }
                m_report(0x2F, {});
                return false;
            }
            out.num = n.op == ExprOp::Div ? x / y : x % y;
            break;
        case ExprOp::Shl:
            out.num = (y < 0 || y > 63) ? 0 : int64_t(uint64_t(x) << y);
            break;
        case ExprOp::Shr:
            out.num = (y < 0 || y > 63) ? 0 : int64_t(uint64_t(x) >> y);
            break;
        case ExprOp::And:
            out.num = x & y;
            break;
        case ExprOp::Or:
            out.num = x | y;
            break;
        default:
            out.num = x ^ y;
            break;
        }
        return true;
    }
    case ExprOp::Bracket:
        if (!eval(n.a, out))
            return false;
        out.mem = true;
        out.typeOnly = false;
        return true;
    case ExprOp::Member:
        return evalMember(n, out);
    case ExprOp::Seg:
        if (!eval(n.a, out))
            return false;
        if (out.seg != RegNone) {
            m_report(0x22, {});
            return false;
        }
        out.seg = Reg(n.b);
        out.mem = true;
        return true;
    case ExprOp::FarPtr: {
        Value seg;
        if (!eval(n.a, seg) || !eval(n.b, out))
            return false;
        if (seg.nregs || seg.memory() || out.nregs || out.memory()) {
            m_report(0x22, {});
            return false;
        }
        out.farPtr = true;
        out.farSeg = seg.num;
        out.relocMath = out.relocMath || relocatable(seg);
        out.undefined = out.undefined || seg.undefined;
        return true;
    }
    }
    return false;
}

bool Evaluator::toOperand(const Value &v, Operand &out)
{
    out = Operand{};
    out.dist = v.dist;
    out.undefined = v.undefined;
    out.forward = v.forward;
    out.procFar = v.procFar;
    out.anon = v.anon;
    out.size = v.size;
    out.sizeGiven = v.sizeGiven;
    if (!checkAddresses(v) || !relocation(v, out.reloc))
        return false;
    if (v.farPtr) {
        out.kind = OpKind::FarPtr;
        out.value = v.num;
        out.farSeg = v.farSeg;
        return true;
    }
    if (!v.memory()) {
        if (v.nregs == 1 && !v.scales[0] && v.num == 0 && v.seg == RegNone) {
            out.kind = OpKind::Reg;
            out.reg = v.regs[0];
            const int rs = regSize(out.reg);
            if (v.sizeGiven && rs && v.size != rs) {
                m_report(0x60, {});
                return false;
            }
            out.size = uint8_t(rs);
            return true;
        }
        if (v.nregs) {
            m_report(0x22, {});
            return false;
        }
        out.kind = OpKind::Imm;
        out.value = v.num;
        return true;
    }
    out.kind = OpKind::Mem;
    out.seg = v.seg;
    out.value = v.num;
    if (v.nregs == 0)
        return true;
    const RegClass cls = regClass(v.regs[0]);
    for (int i = 0; i < v.nregs; ++i) {
        const RegClass c = regClass(v.regs[i]);
        if ((c != RegClass::Gpr16 && c != RegClass::Gpr32) || c != cls) {
            m_report(0x3E, {});
            return false;
        }
    }
    if (v.nregs > 2) {
        m_report(0x22, {});
        return false;
    }
    if (cls == RegClass::Gpr16) {
        Reg base = RegNone, index = RegNone;
        for (int i = 0; i < v.nregs; ++i) {
            const Reg r = v.regs[i];
            if (v.scales[i] && v.scales[i] != 1) {
                m_report(0x3E, {});
                return false;
            }
            if (r == RegBX || r == RegBP) {
                if (base != RegNone) {
                    m_report(0x3C, {});
                    return false;
                }
                base = r;
            } else if (r == RegSI || r == RegDI) {
                if (index != RegNone) {
                    m_report(0x3D, {});
                    return false;
                }
                index = r;
            } else {
                m_report(0x3E, {});
                return false;
            }
        }
        out.base = base;
        out.index = index;
        return true;
    }
    // 32-bit addressing: a scaled register is the index; else the first is the base.
    out.addr32 = true;
    Reg base = RegNone, index = RegNone;
    uint8_t scale = 1;
    for (int i = 0; i < v.nregs; ++i) {
        if (v.scales[i]) {
            if (index != RegNone) {
                m_report(0x3D, {});
                return false;
            }
            const uint8_t s = v.scales[i];
            if (s != 1 && s != 2 && s != 4 && s != 8) {
                m_report(0x22, {});
                return false;
            }
            index = v.regs[i];
            scale = s;
        }
    }
    for (int i = 0; i < v.nregs; ++i) {
        if (v.scales[i])
            continue;
        if (base == RegNone) {
            base = v.regs[i];
        } else if (index == RegNone) {
            index = v.regs[i];
        } else {
            m_report(0x3D, {});
            return false;
        }
    }
    if (index == RegESP) {
        if (scale != 1 || base == RegESP) {
            m_report(0x3D, {});
            return false;
        }
        std::swap(base, index);
    }
    out.base = base;
    out.index = index;
    out.scale = scale;
    return true;
}

bool Evaluator::relocation(const Value &v, Reloc &out)
{
    out = Reloc{};
    if (!m_env.object || v.undefined)
        return true;
    const int32_t code = v.relative - v.relData - v.relExt - v.relNamed;
    const bool fault = v.relocMath || v.relData < 0 || v.relData > 1 || v.relExt < 0 || v.relExt > 1
                       || v.relNamed < 0 || v.relNamed > 1 || code < 0 || code > 1 || v.relative < 0
                       || v.relative > 1 || (v.base != RelocTarget::None && v.relative != 0);
    if (fault) {
        m_report(0x37, {});
        return false;
    }
    if (v.base != RelocTarget::None) {
        out.kind = Reloc::Kind::Base;
        out.target = v.base;
        out.section = v.base == RelocTarget::Code ? v.baseSeg : 0;
        if (v.base == RelocTarget::External) {
            out.ext = v.baseExt;
            out.extData = v.baseExtData;
        }
        return true;
    }
    if (v.relative == 0)
        return true;
    out.kind = Reloc::Kind::Offset;
    if (v.relExt) {
        out.target = RelocTarget::External;
        out.ext = v.ext;
        out.extData = v.extData;
    } else {
        out.target = v.relData ? RelocTarget::Data : RelocTarget::Code;
        if (v.relNamed)
            out.section = v.codeSeg;
    }
    return true;
}

bool Evaluator::constant(uint32_t node, int64_t &out)
{
    Value v;
    if (!eval(node, v))
        return false;
    if (v.nregs || v.farPtr) {
        m_report(0x38, {});
        return false;
    }
    if (!checkAddresses(v))
        return false;
    out = v.num;
    return !v.undefined;
}

bool Evaluator::constantNoForward(uint32_t node, int64_t &out)
{
    m_noForward = true;
    const bool ok = constant(node, out);
    m_noForward = false;
    return ok;
}

} // namespace qvasm
