#include "qvasm/Directives.h"

#include "qvasm/Assembler.h"
#include "qvasm/ExprParser.h"
#include "qvasm/Keywords.h"
#include "qvasm/SourceReader.h"
#include "qvasm/SymbolTable.h"

namespace qvasm {

namespace {

constexpr uint32_t kMaxIncludesPerPass = 8192;

} // namespace

Directives::Directives(Host &host, SourceReader &reader, const AssemblerOptions &options)
    : m_host(host)
    , m_reader(reader)
    , m_options(options)
{}

bool Directives::isConditional(Dir d)
{
    return d == Dir::If || d == Dir::Ife || d == Dir::Ifne || d == Dir::Ifdef || d == Dir::Ifndef
           || d == Dir::Else || d == Dir::Endif;
}

void Directives::beginPass()
{
    m_model = m_options.snippet ? Model::Tiny : Model::None;
    m_flat = false;
    m_segmentSeen = m_options.snippet;
    m_ended = false;
    m_startUsed = false;
    m_stackSize = 0;
    m_popadBug = false;
    m_jumps = m_options.jumps;
    m_optimize = m_options.optimize;
    m_pendingNoret = false;
    m_cpu = CpuState{};
    if (m_options.snippet)
        m_cpu = CpuState{5, true, 4, true};
    m_conds.clear();
    m_includesThisPass = 0;
    m_outfile.clear();
    m_title.clear();
}

void Directives::beginFlatSource()
{
    m_flat = true;
    m_model = Model::Tiny;
    m_segmentSeen = true;
}

bool Directives::takePendingNoret()
{
    const bool pending = m_pendingNoret;
    m_pendingNoret = false;
    return pending;
}

bool Directives::optionalValue(const Statement &st, int64_t &v)
{
    if (st.operands.empty())
        return false;
    const EvalEnv e = m_host.env();
    Evaluator ev(st, e, m_host.reporter());
    return ev.constant(st.operands[0], v);
}

void Directives::executeConditional(const Statement &st)
{
    bool ok = true;
    if (st.dir == Dir::Else) {
        ok = m_conds.otherwise();
    } else if (st.dir == Dir::Endif) {
        ok = m_conds.end();
    } else {
        // Only an assembling branch evaluates its conditions. A faulty condition (reported
        // by the caller or the evaluator) still opens its block, so that its .else and .endif
        // pair up; neither branch assembles.
        bool cond = false;
        bool decided = !st.error;
        if (decided && m_conds.active()) {
            const EvalEnv e = m_host.env();
            if (st.dir == Dir::Ifdef || st.dir == Dir::Ifndef) {
                const Symbol *s = e.symbols->find(st.typeName);
                const bool defined = s && s->kind != SymKind::None && s->definedPass == e.pass;
                cond = (st.dir == Dir::Ifdef) == defined;
            } else {
                Evaluator ev(st, e, m_host.reporter());
                int64_t v = 0;
                decided = st.operands.size() == 1 && ev.constantNoForward(st.operands[0], v);
                cond = decided && (st.dir == Dir::Ife ? v == 0 : v != 0);
            }
        }
        ok = decided ? m_conds.begin(cond) : m_conds.beginUndecided();
    }
    if (!ok)
        m_host.error(0x1B);
}

void Directives::execute(const Statement &st)
{
    const Dir d = st.dir;
    switch (d) {
    case Dir::If:
    case Dir::Ife:
    case Dir::Ifne:
    case Dir::Ifdef:
    case Dir::Ifndef:
    case Dir::Else:
    case Dir::Endif:
        executeConditional(st);
        return;
    case Dir::Code:
        m_host.selectData(false);
        m_segmentSeen = true;
        if (st.typeName && m_model != Model::Small)
            m_host.error(0x54, ".code " + std::string(st.detail)); // .COM files have one
        else
            m_host.selectCodeSegment(st.typeName);
        return;
    case Dir::Data:
        m_host.selectData(true);
        m_segmentSeen = true;
        return;
    case Dir::Model: {
        const Token t{TokKind::Ident, 0, 0, 0, st.rest, 0};
        if (ExprParser::wordIs(t, "tiny")) {
            m_model = Model::Tiny;
        } else if (ExprParser::wordIs(t, "small")) {
            m_model = Model::Small;
            m_host.smallModelChosen();
        } else {
            m_model = Model::Tiny;
            m_host.error(0x8E, std::string(st.rest));
        }
        return;
    }
    case Dir::End:
        m_ended = true;
        return;
    case Dir::Start:
        if (m_model != Model::Small && !m_options.snippet && m_host.here() != 0x100)
            m_host.error(0x5A);
        m_startUsed = true;
        if (m_model == Model::Small)
            m_host.markStart();
        return;
    case Dir::Exit: {
        m_host.requireCode();
        int64_t code = 0;
        if (!st.operands.empty() && optionalValue(st, code) && (code < 0 || code > 255)) {
            m_host.error(0x78, std::to_string(code));
            code = 0;
        }
        m_host.emitBytes({0xB8, uint8_t(code), 0x4C, 0xCD, 0x21});
        m_host.markProcReturned();
        return;
    }
    case Dir::Stack: {
        int64_t size = 0;
        const bool given = optionalValue(st, size);
        if (m_model != Model::Small)
            m_host.error(0x7A, ".stack");
        else if (given && (size < 64 || size > 0xFFFE))
            m_host.error(0x79, std::to_string(size));
        else
            m_stackSize = given ? uint32_t(size) : DefaultStack;
        return;
    }
    case Dir::Even:
    case Dir::Para: {
        m_host.requireCode();
        const int64_t align = d == Dir::Even ? 2 : 16;
        const int64_t here = m_host.here();
        const int64_t pad = (align - (here % align + align) % align) % align;
        m_host.emitBytes(std::vector<uint8_t>(size_t(pad), m_host.inData() ? 0x00 : 0x90));
        return;
    }
    case Dir::Jumps:
        m_jumps = true;
        return;
    case Dir::Noret:
        if (!m_host.markProcNoret())
            m_pendingNoret = true;
        return;
    case Dir::Optoff:
        m_optimize = false;
        return;
    case Dir::Opton:
        m_optimize = true;
        return;
    case Dir::Popadbug: {
        int64_t v = 1;
        if (st.operands.empty())
            m_host.diag(0x88);
        else
            optionalValue(st, v);
        m_popadBug = v != 0;
        return;
    }
    case Dir::Adsize:
    case Dir::Opsize:
        m_host.requireCode();
        if (const uint8_t e = Encoder::cpuError(Q386, m_cpu)) {
            m_host.error(e);
            return;
        }
        m_host.emitBytes({d == Dir::Adsize ? uint8_t(0x67) : uint8_t(0x66)});
        return;
    case Dir::Pmode:
        m_cpu.priv = true;
        return;
    case Dir::Rmode:
        m_cpu.priv = false;
        return;
    case Dir::Cpu8086:
    case Dir::Cpu186:
    case Dir::Cpu286:
    case Dir::Cpu286p:
    case Dir::Cpu386:
    case Dir::Cpu386p:
    case Dir::Cpu486:
    case Dir::Cpu586: {
        static constexpr uint8_t kLevel[] = {0, 1, 2, 2, 3, 3, 4, 5};
        const int i = int(d) - int(Dir::Cpu8086);
        m_cpu.level = kLevel[i];
        m_cpu.priv = d == Dir::Cpu286p || d == Dir::Cpu386p;
        m_cpu.all = false;
        if (m_cpu.level >= 4)
            m_cpu.fpu = 4; // the 486 and the Pentium carry their coprocessor
        return;
    }
    case Dir::CpuX86:
        m_cpu = CpuState{5, true, 4, true};
        return;
    case Dir::Fpu87:
        m_cpu.fpu = 1;
        return;
    case Dir::Fpu287:
        m_cpu.fpu = 2;
        return;
    case Dir::Fpu187:
        m_cpu.fpu = 3;
        return;
    case Dir::Fpu387:
        m_cpu.fpu = 4;
        return;
    case Dir::Include:
        executeInclude(st);
        return;
    case Dir::Out:
    case Dir::Print:
        m_host.print(std::string(st.rest));
        return;
    case Dir::Error:
        m_host.error(0x94, std::string(st.rest));
        return;
    case Dir::Title:
        m_title = std::string(st.rest);
        return;
    case Dir::Outfile:
        m_outfile = std::string(SourceReader::unquote(st.rest));
        return;
    case Dir::External:
        if (m_model != Model::Small)
            m_host.error(0x54, ".external");
        else
            executeExternal(st);
        return;
    case Dir::Alpha:
    case Dir::Dosseg:
    case Dir::List:
    case Dir::Page:
        return;
    default:
        m_host.error(0x22, std::string(st.detail));
        return;
    }
}

// ".external name[:type], ...": a name defined in this module becomes public, any other comes
// from another module. The type says what the name is: byte, word, dword, fword or qword data,
// or a near (also proc, the default) or far code address.
void Directives::executeExternal(const Statement &st)
{
    std::string_view rest = st.rest;
    const auto trim = [](std::string_view v) {
        while (!v.empty() && (v.front() == ' ' || v.front() == '\t'))
            v.remove_prefix(1);
        while (!v.empty() && (v.back() == ' ' || v.back() == '\t' || v.back() == '\r'))
            v.remove_suffix(1);
        return v;
    };
    const auto isNameChar = [](char c, bool first) {
        const bool alpha = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '@'
                           || c == '?' || c == '$';
        return alpha || (!first && c >= '0' && c <= '9');
    };
    if (trim(rest).empty()) {
        m_host.error(0x2E);
        return;
    }
    for (;;) {
        const size_t comma = rest.find(',');
        const std::string_view item = trim(rest.substr(0, comma));
        const size_t colon = item.find(':');
        const std::string_view name = trim(item.substr(0, colon));
        const std::string_view type = colon == std::string_view::npos
                                          ? std::string_view()
                                          : trim(item.substr(colon + 1));
        bool valid = !name.empty();
        for (size_t i = 0; i < name.size() && valid; ++i)
            valid = isNameChar(name[i], i == 0);
        uint8_t size = 0;
        bool far = false, known = true;
        const Token t{TokKind::Ident, 0, 0, 0, type, 0};
        if (type.empty() || ExprParser::wordIs(t, "near") || ExprParser::wordIs(t, "proc"))
            size = 0;
        else if (ExprParser::wordIs(t, "far"))
            far = true;
        else if (ExprParser::wordIs(t, "byte"))
            size = 1;
        else if (ExprParser::wordIs(t, "word"))
            size = 2;
        else if (ExprParser::wordIs(t, "dword"))
            size = 4;
        else if (ExprParser::wordIs(t, "fword"))
            size = 6;
        else if (ExprParser::wordIs(t, "qword"))
            size = 8;
        else
            known = false;
        if (!valid || lookupKeyword(name))
            m_host.error(0x22, std::string(item));
        else if (!known)
            m_host.error(0x2B, std::string(type));
        else if (name.size() > MaxPublicName)
            m_host.error(0x6F, std::string(name));
        else
            m_host.declareExternal(name, size, far);
        if (comma == std::string_view::npos)
            return;
        rest.remove_prefix(comma + 1);
    }
}

void Directives::executeInclude(const Statement &st)
{
    const std::string_view name = SourceReader::unquote(st.rest);
    if (name.empty()) {
        m_host.error(0x0D);
        return;
    }
    const std::string path = m_reader.resolveInclude(name, m_host.lineFile(), m_options.includeDirs);
    if (path.empty()) {
        m_host.error(0x0C, std::string(name));
        return;
    }
    if (++m_includesThisPass > kMaxIncludesPerPass || m_reader.depth() >= SourceReader::MaxDepth) {
        m_host.error(0x0F, std::string(name) + " (too many nested or repeated includes)");
        return;
    }
    uint32_t id = 0;
    uint8_t failure = 0;
    std::string detail;
    if (!m_reader.load(path, id, failure, detail)) {
        m_host.error(failure == 0x03 ? 0x0C : 0x05, path + (detail.empty() ? "" : ": " + detail));
        return;
    }
    if (m_reader.reading(id)) {
        m_host.error(0x0F, std::string(name));
        return;
    }
    m_reader.push(id);
}

} // namespace qvasm
