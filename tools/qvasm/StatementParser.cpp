#include "qvasm/StatementParser.h"

#include "qvasm/ExprParser.h"
#include "qvasm/NameTable.h"

namespace qvasm {

namespace {

bool isPunct(const Token &t, char c)
{
    return t.kind == TokKind::Punct && t.punct == c;
}

const KeywordRef *keywordOf(const Token &t)
{
    return t.keyword;
}

Dir directiveOf(const Token &t)
{
    const KeywordRef *k = keywordOf(t);
    return k && k->kind == KeywordKind::Directive ? Dir(k->id) : Dir::None;
}

bool isPrefixMnemonic(const KeywordRef *k)
{
    if (!k || k->kind != KeywordKind::Instruction)
        return false;
    const Mn b = mnemonicInfo(k->id).base;
    return b == Mn_rep || b == Mn_repe || b == Mn_repne || b == Mn_lock;
}

bool isDataDirective(Dir d)
{
    switch (d) {
    case Dir::Db:
    case Dir::Dw:
    case Dir::Dd:
    case Dir::Df:
    case Dir::Dq:
    case Dir::Byte:
    case Dir::Word:
    case Dir::Dword:
    case Dir::Fword:
    case Dir::Qword:
        return true;
    default:
        return false;
    }
}

// A name a label may have: not a number, not a directive-looking word.
bool validLabelName(std::string_view s)
{
    return !s.empty() && s[0] != '.' && s[0] != '%' && s != "$" && s != "?";
}

} // namespace

StatementParser::StatementParser(NameTable &names)
    : m_names(names)
{}

std::string_view StatementParser::restOf(std::string_view line, size_t pos)
{
    if (pos > line.size())
        pos = line.size();
    size_t end = pos;
    char quote = 0;
    for (; end < line.size(); ++end) {
        const char c = line[end];
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == ';') {
            break;
        }
    }
    std::string_view r = line.substr(pos, end - pos);
    while (!r.empty() && (r.front() == ' ' || r.front() == '\t'))
        r.remove_prefix(1);
    while (!r.empty() && (r.back() == ' ' || r.back() == '\t' || r.back() == '\r'))
        r.remove_suffix(1);
    return r;
}

bool StatementParser::isCommentStart(std::string_view line, size_t &delimiterPos)
{
    size_t i = 0;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
        ++i;
    static constexpr std::string_view kWord = "comment";
    if (line.size() - i <= kWord.size())
        return false;
    for (size_t k = 0; k < kWord.size(); ++k) {
        char c = line[i + k];
        if (c >= 'A' && c <= 'Z')
            c = char(c + 32);
        if (c != kWord[k])
            return false;
    }
    i += kWord.size();
    if (line[i] != ' ' && line[i] != '\t')
        return false;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
        ++i;
    delimiterPos = i < line.size() && line[i] != '\r' ? i : std::string_view::npos;
    return true;
}

void StatementParser::parse(std::string_view line, Statement &st)
{
    st.clear();
    if (!Lexer::tokenize(line, m_tokens)) {
        st.error = 0x90;
        return;
    }
    const auto &T = m_tokens;
    if (T.empty())
        return;
    const Token &t0 = T[0];
    if (t0.kind == TokKind::Ident && T.size() >= 2 && isPunct(T[1], ':')) {
        const KeywordRef *k = keywordOf(t0);
        if (!k) {
            if (!validLabelName(t0.text)) {
                st.error = 0x22;
                st.detail = t0.text;
                return;
            }
            if (t0.text == "@@")
                st.anonLabel = true;
            else
                st.label = m_names.intern(t0.text);
            st.labelColon = true;
            parseAfterLabel(line, 2, st);
            return;
        }
        if (k->kind != KeywordKind::Register || regClass(Reg(k->id)) != RegClass::Seg) {
            st.error = 0x22;
            st.detail = t0.text;
            return;
        }
    } else if (t0.kind == TokKind::Ident && T.size() >= 2 && !keywordOf(t0)
               && validLabelName(t0.text) && t0.text != "@@") {
        const Token &t1 = T[1];
        if (isPunct(t1, '=')) {
            st.kind = StmtKind::Assign;
            st.label = m_names.intern(t0.text);
            if (T.size() == 2) {
                st.error = 0x2E;
                return;
            }
            parseOperands(2, st);
            return;
        }
        const Dir d = directiveOf(t1);
        switch (d) {
        case Dir::Equ:
        case Dir::Proc:
        case Dir::Endp:
        case Dir::Struct:
        case Dir::Ends:
        case Dir::St:
        case Dir::Dup:
            st.label = m_names.intern(t0.text);
            parseNamed(line, 2, d, st);
            return;
        default:
            if (isDataDirective(d)) {
                st.label = m_names.intern(t0.text);
                parseNamed(line, 2, d, st);
                return;
            }
            break;
        }
    }
    parseAfterLabel(line, 0, st);
}

void StatementParser::parseAfterLabel(std::string_view line, size_t i, Statement &st)
{
    const auto &T = m_tokens;
    while (i < T.size()) {
        const KeywordRef *k = keywordOf(T[i]);
        if (k && k->kind == KeywordKind::Register && regClass(Reg(k->id)) == RegClass::Seg
            && i + 1 < T.size() && isPunct(T[i + 1], ':')) {
            st.prefixes.push_back(uint16_t(0x8000 | k->id));
            i += 2;
            continue;
        }
        if (isPrefixMnemonic(k)) {
            st.prefixes.push_back(k->id);
            ++i;
            continue;
        }
        break;
    }
    if (i >= T.size()) {
        st.kind = st.prefixes.empty() ? StmtKind::Empty : StmtKind::Prefix;
        return;
    }
    const Token &t = T[i];
    const KeywordRef *k = keywordOf(t);
    if (k && k->kind == KeywordKind::Instruction) {
        st.kind = StmtKind::Instruction;
        st.mnemonic = k->id;
        parseOperands(i + 1, st);
        return;
    }
    if (k && k->kind == KeywordKind::Directive && st.prefixes.empty()) {
        parseDirective(line, i, Dir(k->id), st);
        return;
    }
    st.error = t.error ? t.error : 0x22;
    st.detail = t.text;
}

bool StatementParser::expectEnd(size_t i, Statement &st)
{
    if (i < m_tokens.size()) {
        if (!st.error) {
            st.error = 0x14;
            st.detail = m_tokens[i].text;
        }
        return false;
    }
    return true;
}

void StatementParser::parseOperands(size_t i, Statement &st)
{
    parseList(i, st, &ExprParser::parseOperand);
}

void StatementParser::parseDataItems(size_t i, Statement &st)
{
    parseList(i, st, &ExprParser::parseDataItem);
}

void StatementParser::parseList(size_t i, Statement &st, int32_t (ExprParser::*parseItem)())
{
    const auto &T = m_tokens;
    if (i >= T.size())
        return;
    for (;;) {
        ExprParser p(T, i, st, m_names);
        const int32_t root = (p.*parseItem)();
        if (root < 0)
            return;
        st.operands.push_back(uint32_t(root));
        i = p.pos();
        if (i < T.size() && isPunct(T[i], ',')) {
            ++i;
            if (i >= T.size()) {
                st.error = 0x12; // a comma with nothing after it
                return;
            }
            continue;
        }
        break;
    }
    expectEnd(i, st);
}

void StatementParser::parseDupBytes(size_t i, Statement &st)
{
    st.kind = StmtKind::DupBytes;
    const auto &T = m_tokens;
    if (i >= T.size()) {
        st.error = 0x2E;
        return;
    }
    ExprParser count(T, i, st, m_names);
    const int32_t c = count.parseOperand();
    if (c < 0)
        return;
    st.operands.push_back(uint32_t(c));
    i = count.pos();
    if (i >= T.size() || !isPunct(T[i], ',')) {
        st.error = i >= T.size() ? 0x2E : 0x22;
        st.detail = i < T.size() ? T[i].text : std::string_view();
        return;
    }
    ExprParser value(T, i + 1, st, m_names);
    const int32_t v = value.parseOperand();
    if (v < 0)
        return;
    st.operands.push_back(uint32_t(v));
    expectEnd(value.pos(), st);
}

void StatementParser::parseProc(size_t i, Statement &st)
{
    st.kind = StmtKind::Proc;
    const auto &T = m_tokens;
    if (i < T.size()) {
        const Dir d = directiveOf(T[i]);
        if (d == Dir::Near || d == Dir::Far) {
            st.distance = d;
            ++i;
        } else if (d != Dir::Uses) {
            st.error = 0x77;
            st.detail = T[i].text;
            return;
        }
    }
    if (i < T.size()) {
        if (directiveOf(T[i]) != Dir::Uses) {
            st.error = 0x77;
            st.detail = T[i].text;
            return;
        }
        ++i;
        if (i >= T.size()) {
            st.error = 0x2E;
            return;
        }
        for (; i < T.size(); ++i) {
            if (isPunct(T[i], ','))
                continue;
            const KeywordRef *k = keywordOf(T[i]);
            const RegClass c = k && k->kind == KeywordKind::Register ? regClass(Reg(k->id))
                                                                     : RegClass::None;
            if (c != RegClass::Gpr16 && c != RegClass::Gpr32 && c != RegClass::Seg
                && c != RegClass::UsesSet) {
                st.error = 0x29;
                st.detail = T[i].text;
                return;
            }
            st.uses.push_back(Reg(k->id));
        }
    }
}

void StatementParser::parseNamed(std::string_view line, size_t i, Dir d, Statement &st)
{
    (void) line;
    const auto &T = m_tokens;
    st.dir = d;
    switch (d) {
    case Dir::Equ:
        st.kind = StmtKind::Equ;
        if (i >= T.size()) {
            st.error = 0x2E;
            return;
        }
        parseOperands(i, st);
        if (st.operands.size() > 1 && !st.error)
            st.error = 0x14;
        return;
    case Dir::Proc:
        parseProc(i, st);
        return;
    case Dir::Endp:
        st.kind = StmtKind::Endp;
        st.typeName = st.label;
        st.label = 0;
        expectEnd(i, st);
        return;
    case Dir::Struct:
        st.kind = StmtKind::Struct;
        expectEnd(i, st);
        return;
    case Dir::Ends:
        st.kind = StmtKind::Ends;
        st.typeName = st.label;
        st.label = 0;
        expectEnd(i, st);
        return;
    case Dir::St:
        st.kind = StmtKind::Instance;
        if (i >= T.size() || T[i].kind != TokKind::Ident || keywordOf(T[i])) {
            st.error = 0x2B;
            st.detail = i < T.size() ? T[i].text : std::string_view();
            return;
        }
        st.typeName = m_names.intern(T[i].text);
        expectEnd(i + 1, st);
        return;
    case Dir::Dup:
        parseDupBytes(i, st);
        return;
    default:
        st.kind = StmtKind::Data;
        parseDataItems(i, st);
        return;
    }
}

void StatementParser::parseDirective(std::string_view line, size_t i, Dir d, Statement &st)
{
    const auto &T = m_tokens;
    st.kind = StmtKind::Directive;
    st.dir = d;
    const size_t after = T[i].pos + T[i].text.size();
    switch (d) {
    case Dir::If:
    case Dir::Ife:
    case Dir::Ifne:
        if (i + 1 >= T.size()) {
            st.error = 0x2E;
            return;
        }
        parseOperands(i + 1, st);
        return;
    case Dir::Ifdef:
    case Dir::Ifndef:
        if (i + 1 >= T.size() || T[i + 1].kind != TokKind::Ident) {
            st.error = 0x2E;
            return;
        }
        st.typeName = m_names.intern(T[i + 1].text);
        expectEnd(i + 2, st);
        return;
    case Dir::Include:
    case Dir::Out:
    case Dir::Print:
    case Dir::Error:
    case Dir::Title:
    case Dir::Outfile:
    case Dir::External:
    case Dir::Comment:
        st.rest = restOf(line, after);
        if (d == Dir::Out || d == Dir::Print || d == Dir::Error || d == Dir::Title) {
            // Messages keep their text as written, trailing comment and all.
            std::string_view r = line.substr(after);
            while (!r.empty() && (r.front() == ' ' || r.front() == '\t'))
                r.remove_prefix(1);
            while (!r.empty() && (r.back() == '\r' || r.back() == ' ' || r.back() == '\t'))
                r.remove_suffix(1);
            st.rest = r;
        }
        return;
    case Dir::Exit:
    case Dir::Stack:
        parseOperands(i + 1, st);
        if (st.operands.size() > 1 && !st.error)
            st.error = 0x14;
        return;
    case Dir::Popadbug:
        if (i + 1 < T.size() && T[i + 1].kind == TokKind::Ident && i + 2 == T.size()) {
            const Token &w = T[i + 1];
            int v = -1;
            if (ExprParser::wordIs(w, "on") || ExprParser::wordIs(w, "true"))
                v = 1;
            else if (ExprParser::wordIs(w, "off") || ExprParser::wordIs(w, "false"))
                v = 0;
            if (v >= 0) {
                st.nodes.push_back({ExprOp::Num, 0, 0, v});
                st.operands.push_back(uint32_t(st.nodes.size() - 1));
                return;
            }
        }
        parseOperands(i + 1, st);
        return;
    case Dir::Model:
        if (i + 1 >= T.size()) {
            st.error = 0x2E;
            return;
        }
        st.rest = T[i + 1].text;
        expectEnd(i + 2, st);
        return;
    case Dir::Code:
        // ".code NAME" opens a code segment of its own.
        if (i + 1 < T.size() && T[i + 1].kind == TokKind::Ident && !keywordOf(T[i + 1])) {
            st.typeName = m_names.intern(T[i + 1].text);
            st.detail = T[i + 1].text;
            expectEnd(i + 2, st);
            return;
        }
        expectEnd(i + 1, st);
        return;
    case Dir::Dup:
        parseDupBytes(i + 1, st);
        return;
    case Dir::Endp:
        st.kind = StmtKind::Endp;
        expectEnd(i + 1, st);
        return;
    case Dir::Ends:
        st.kind = StmtKind::Ends;
        expectEnd(i + 1, st);
        return;
    case Dir::Proc:
    case Dir::Struct:
    case Dir::Equ:
    case Dir::St:
    case Dir::Far:
    case Dir::Near:
    case Dir::Short:
    case Dir::Offset:
    case Dir::Sizeof:
    case Dir::SegOf:
    case Dir::Small:
    case Dir::Tiny:
    case Dir::Uses:
    case Dir::SegPrefix:
    case Dir::Ptr:
    case Dir::Mod:
    case Dir::Ver:
    case Dir::Line:
    case Dir::Year:
    case Dir::Month:
    case Dir::Day:
    case Dir::None:
        st.error = 0x22;
        st.detail = T[i].text;
        return;
    default:
        if (isDataDirective(d)) {
            st.kind = StmtKind::Data;
            parseDataItems(i + 1, st);
            return;
        }
        expectEnd(i + 1, st);
        return;
    }
}

} // namespace qvasm
