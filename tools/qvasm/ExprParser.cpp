#include "qvasm/ExprParser.h"

#include "qvasm/NameTable.h"

#include <utility>

namespace qvasm {

namespace {

// An operand never needs more; the cap keeps the evaluator's recursion shallow whatever
// a line holds.
constexpr size_t kMaxNodesPerOperand = 1024;
// Parentheses, brackets and prefix operators, each one level (the message says 64).
constexpr int kMaxNesting = 64;
constexpr int kMaxDupNesting = 8;

const Token kEndToken{};

bool endsItem(const Token &t)
{
    return t.kind == TokKind::Punct && (t.punct == ',' || t.punct == ')');
}

int sizeKeyword(Dir d)
{
    switch (d) {
    case Dir::Byte:
        return 1;
    case Dir::Word:
        return 2;
    case Dir::Dword:
        return 4;
    case Dir::Fword:
        return 6;
    case Dir::Qword:
        return 8;
    default:
        return 0;
    }
}

const KeywordRef *keywordOf(const Token &t)
{
    return t.keyword;
}

Dir directiveOf(const Token &t)
{
    const KeywordRef *k = keywordOf(t);
    if (k && (k->kind == KeywordKind::Directive || k->kind == KeywordKind::Operator))
        return Dir(k->id);
    return Dir::None;
}

} // namespace

ExprParser::ExprParser(const std::vector<Token> &tokens, size_t pos, Statement &st, NameTable &names)
    : m_tokens(tokens)
    , m_pos(pos)
    , m_st(st)
    , m_names(names)
{}

const Token &ExprParser::peek() const
{
    return m_pos < m_tokens.size() ? m_tokens[m_pos] : kEndToken;
}

bool ExprParser::peekPunct(char c) const
{
    const Token &t = peek();
    return t.kind == TokKind::Punct && t.punct == c;
}

bool ExprParser::wordIs(const Token &t, std::string_view lowerWord)
{
    if (t.kind != TokKind::Ident || t.text.size() != lowerWord.size())
        return false;
    for (size_t i = 0; i < lowerWord.size(); ++i) {
        char c = t.text[i];
        if (c >= 'A' && c <= 'Z')
            c = char(c + 32);
        if (c != lowerWord[i])
            return false;
    }
    return true;
}

int32_t ExprParser::fail(uint8_t code, std::string_view detail)
{
    if (!m_st.error) {
        m_st.error = code;
        m_st.detail = detail;
    }
    return -1;
}

int32_t ExprParser::add(ExprNode n)
{
    m_st.nodes.push_back(n);
    return int32_t(m_st.nodes.size() - 1);
}

uint32_t ExprParser::storeString(std::string_view raw, char quote)
{
    const uint32_t off = uint32_t(m_st.strings.size());
    for (size_t i = 0; i < raw.size(); ++i) {
        m_st.strings.push_back(raw[i]);
        if (raw[i] == quote && i + 1 < raw.size() && raw[i + 1] == quote)
            ++i;
    }
    return off;
}

int32_t ExprParser::parseOperand()
{
    const size_t firstNode = m_st.nodes.size();
    int32_t root = parseExpr();
    if (root >= 0 && peekPunct(':')) {
        // "seg:off": a far pointer (a segment register before ':' was taken by the primary).
        skip();
        const int32_t off = parseExpr();
        if (off < 0)
            return -1;
        root = add({ExprOp::FarPtr, uint32_t(root), uint32_t(off), 0});
    }
    if (m_st.nodes.size() - firstNode > kMaxNodesPerOperand)
        return fail(0x90);
    return root;
}

int32_t ExprParser::parseDataItem()
{
    const size_t firstNode = m_st.nodes.size();
    const Token &t = peek();
    int32_t item;
    if (t.kind == TokKind::String
        && (m_pos + 1 >= m_tokens.size() || endsItem(m_tokens[m_pos + 1]))) {
        // A string standing alone is a run of characters; inside an expression it is a number.
        if (t.error)
            return fail(t.error);
        const uint32_t off = storeString(t.text, t.punct);
        skip();
        return add({ExprOp::Str, off, uint32_t(m_st.strings.size() - off), 0});
    }
    if (t.kind == TokKind::Float) {
        if (t.error)
            return fail(t.error, t.text);
        const uint32_t off = uint32_t(m_st.strings.size());
        m_st.strings.append(t.text);
        skip();
        item = add({ExprOp::Float, off, uint32_t(t.text.size()), 0});
    } else if (t.kind == TokKind::Punct && t.punct == '-' && m_pos + 1 < m_tokens.size()
               && m_tokens[m_pos + 1].kind == TokKind::Float) {
        const Token &f = m_tokens[m_pos + 1];
        if (f.error)
            return fail(f.error, f.text);
        const uint32_t off = uint32_t(m_st.strings.size());
        m_st.strings.push_back('-');
        m_st.strings.append(f.text);
        m_pos += 2;
        item = add({ExprOp::Float, off, uint32_t(f.text.size() + 1), 0});
    } else {
        item = parseOperand();
        if (item < 0)
            return -1;
    }
    if (directiveOf(peek()) == Dir::Dup) {
        skip();
        if (++m_dupDepth > kMaxDupNesting)
            return fail(0x57);
        if (!peekPunct('('))
            return fail(0x22, peek().text);
        skip();
        uint32_t first = 0, count = 0;
        if (parseItemList(first, count) < 0)
            return -1;
        if (!peekPunct(')'))
            return fail(0x22, peek().text);
        skip();
        --m_dupDepth;
        item = add({ExprOp::Dup, uint32_t(item), first, int64_t(count)});
    }
    if (m_st.nodes.size() - firstNode > kMaxNodesPerOperand)
        return fail(0x90);
    return item;
}

int32_t ExprParser::parseItemList(uint32_t &first, uint32_t &count)
{
    std::vector<uint32_t> items;
    for (;;) {
        const int32_t it = parseDataItem();
        if (it < 0)
            return -1;
        items.push_back(uint32_t(it));
        if (!peekPunct(','))
            break;
        skip();
    }
    first = uint32_t(m_st.lists.size());
    count = uint32_t(items.size());
    m_st.lists.insert(m_st.lists.end(), items.begin(), items.end());
    return 0;
}

int32_t ExprParser::parseExpr()
{
    // short/near/far bind loosest: "short label+2" jumps to label+2.
    const Dir d = directiveOf(peek());
    if (d == Dir::Short || d == Dir::Near || d == Dir::Far) {
        skip();
        if (directiveOf(peek()) == Dir::Ptr)
            skip();
        if (!enter())
            return -1;
        const int32_t child = parseExpr();
        --m_depth;
        if (child < 0)
            return -1;
        const ExprOp op = d == Dir::Short ? ExprOp::Short
                                          : (d == Dir::Near ? ExprOp::Near : ExprOp::Far);
        return add({op, uint32_t(child), 0, 0});
    }
    return parseOr();
}

int32_t ExprParser::parseOr()
{
    int32_t left = parseAnd();
    while (left >= 0) {
        ExprOp op;
        if (wordIs(peek(), "or"))
            op = ExprOp::Or;
        else if (wordIs(peek(), "xor"))
            op = ExprOp::Xor;
        else
            break;
        skip();
        const int32_t right = parseAnd();
        if (right < 0)
            return -1;
        left = add({op, uint32_t(left), uint32_t(right), 0});
    }
    return left;
}

int32_t ExprParser::parseAnd()
{
    int32_t left = parseNot();
    while (left >= 0 && wordIs(peek(), "and")) {
        skip();
        const int32_t right = parseNot();
        if (right < 0)
            return -1;
        left = add({ExprOp::And, uint32_t(left), uint32_t(right), 0});
    }
    return left;
}

int32_t ExprParser::parseNot()
{
    if (wordIs(peek(), "not")) {
        skip();
        if (!enter())
            return -1;
        const int32_t child = parseNot();
        --m_depth;
        if (child < 0)
            return -1;
        return add({ExprOp::Not, uint32_t(child), 0, 0});
    }
    return parseAdd();
}

int32_t ExprParser::parseAdd()
{
    int32_t left = parseMul();
    while (left >= 0 && (peekPunct('+') || peekPunct('-'))) {
        const ExprOp op = peekPunct('+') ? ExprOp::Add : ExprOp::Sub;
        skip();
        const int32_t right = parseMul();
        if (right < 0)
            return -1;
        left = add({op, uint32_t(left), uint32_t(right), 0});
    }
    return left;
}

int32_t ExprParser::parseMul()
{
    int32_t left = parseUnary();
    while (left >= 0) {
        ExprOp op;
        const Token &t = peek();
        if (t.kind == TokKind::Punct && t.punct == '*')
            op = ExprOp::Mul;
        else if (t.kind == TokKind::Punct && t.punct == '/')
            op = ExprOp::Div;
        else if (directiveOf(t) == Dir::Mod)
            op = ExprOp::Mod;
        else if (wordIs(t, "shl"))
            op = ExprOp::Shl;
        else if (wordIs(t, "shr"))
            op = ExprOp::Shr;
        else if (t.kind == TokKind::Punct && (t.punct == '<' || t.punct == '>'))
            return fail(0x47, t.text); // a comparison where a shift was probably meant
        else
            break;
        skip();
        const int32_t right = parseUnary();
        if (right < 0)
            return -1;
        left = add({op, uint32_t(left), uint32_t(right), 0});
    }
    return left;
}

int32_t ExprParser::parseUnary()
{
    const Token &t = peek();
    const Dir d = directiveOf(t);
    const bool sign = t.kind == TokKind::Punct && (t.punct == '-' || t.punct == '+');
    const bool prefix = sign || d == Dir::Offset || d == Dir::Sizeof || d == Dir::SegOf
                        || sizeKeyword(d);
    if (!prefix)
        return parseNamedPtrOrPostfix();
    if (!enter())
        return -1;
    int32_t result;
    if (sign) {
        // "-2[bp]" is [bp-2]: the sign takes the number, the brackets add to the result.
        const ExprOp op = t.punct == '-' ? ExprOp::Neg : ExprOp::Pos;
        skip();
        const bool outer = !m_signed;
        m_signed = true;
        const int32_t child = parseUnary();
        m_signed = !outer;
        result = child < 0 ? -1 : add({op, uint32_t(child), 0, 0});
        if (outer && result >= 0)
            result = parseIndexes(result);
    } else if (d == Dir::Offset || d == Dir::Sizeof || d == Dir::SegOf) {
        skip();
        const int32_t child = parseUnary();
        const ExprOp op = d == Dir::Offset   ? ExprOp::Offset
                          : d == Dir::Sizeof ? ExprOp::Sizeof
                                             : ExprOp::SegOf;
        result = child < 0 ? -1 : add({op, uint32_t(child), 0, 0});
    } else {
        const int size = sizeKeyword(d);
        skip();
        if (directiveOf(peek()) == Dir::Ptr)
            skip();
        const int32_t child = parseUnary();
        result = child < 0 ? -1 : add({ExprOp::Ptr, uint32_t(child), uint32_t(size), 0});
    }
    --m_depth;
    return result;
}

int32_t ExprParser::parseNamedPtrOrPostfix()
{
    const Token &t = peek();
    if (t.kind == TokKind::Ident && !keywordOf(t) && m_pos + 1 < m_tokens.size()
        && directiveOf(m_tokens[m_pos + 1]) == Dir::Ptr)
        return fail(0x1D, t.text); // "foo ptr": not a size this dialect knows
    return parsePostfix();
}

bool ExprParser::enter()
{
    if (++m_depth <= kMaxNesting)
        return true;
    fail(0x22, "nested more than 64 levels deep");
    return false;
}

// The expression between an opening bracket or parenthesis (the next token) and its closing one,
// which is taken too. A sign written before it does not reach inside.
int32_t ExprParser::parseEnclosed(char close)
{
    skip();
    if (!enter())
        return -1;
    const bool wasSigned = std::exchange(m_signed, false);
    const int32_t inner = parseExpr();
    m_signed = wasSigned;
    --m_depth;
    if (inner < 0)
        return -1;
    if (!peekPunct(close))
        return fail(0x22, peek().text);
    skip();
    return inner;
}

int32_t ExprParser::parseIndexes(int32_t left)
{
    // "var[bx]" and "[bx][si]": juxtaposition adds.
    while (left >= 0 && peekPunct('[')) {
        const int32_t inner = parseEnclosed(']');
        if (inner < 0)
            return -1;
        const int32_t br = add({ExprOp::Bracket, uint32_t(inner), 0, 0});
        left = add({ExprOp::Add, uint32_t(left), uint32_t(br), 0});
    }
    return left;
}

int32_t ExprParser::parsePostfix()
{
    int32_t left = parsePrimary();
    while (left >= 0) {
        const Token &t = peek();
        if (t.kind == TokKind::Punct && t.punct == '[') {
            if (m_signed)
                break;
            left = parseIndexes(left);
        } else if (t.kind == TokKind::Punct && t.punct == '.') {
            skip();
            const Token &m = peek();
            if (m.kind != TokKind::Ident)
                return fail(0x22, m.text);
            const uint32_t id = m_names.intern(m.text);
            skip();
            left = add({ExprOp::Member, uint32_t(left), id, 0});
        } else if (t.kind == TokKind::Ident && t.text.size() > 1 && t.text[0] == '.'
                   && !keywordOf(t)) {
            const uint32_t id = m_names.intern(t.text.substr(1));
            skip();
            left = add({ExprOp::Member, uint32_t(left), id, 0});
        } else {
            break;
        }
    }
    return left;
}

int32_t ExprParser::parsePrimary()
{
    const Token &t = peek();
    switch (t.kind) {
    case TokKind::End:
        return fail(0x2E);
    case TokKind::Number:
        if (t.error)
            return fail(t.error, t.text);
        skip();
        return add({ExprOp::Num, 0, 0, int64_t(t.value)});
    case TokKind::Float:
        return fail(t.error ? t.error : 0x38, t.text);
    case TokKind::String: {
        if (t.error)
            return fail(t.error);
        // A character constant: the first character is the most significant.
        uint64_t v = 0;
        int chars = 0;
        for (size_t i = 0; i < t.text.size(); ++i) {
            if (t.text[i] == t.punct && i + 1 < t.text.size() && t.text[i + 1] == t.punct)
                ++i;
            v = (v << 8) | uint8_t(t.text[i]);
            if (++chars > 8)
                return fail(0x30, t.text);
        }
        skip();
        return add({ExprOp::Num, 0, 0, int64_t(v)});
    }
    case TokKind::Punct:
        if (t.punct == '(')
            return parseEnclosed(')');
        if (t.punct == '[') {
            const int32_t inner = parseEnclosed(']');
            return inner < 0 ? -1 : add({ExprOp::Bracket, uint32_t(inner), 0, 0});
        }
        return fail(0x2E, t.text);
    case TokKind::Ident:
        break;
    }

    const KeywordRef *k = keywordOf(t);
    if (k && k->kind == KeywordKind::Register) {
        const Reg r = Reg(k->id);
        skip();
        if (regClass(r) == RegClass::Seg && peekPunct(':')) {
            // A segment override: "es:[di]", "es:var".
            skip();
            const int32_t child = parseUnary();
            if (child < 0)
                return -1;
            return add({ExprOp::Seg, uint32_t(child), uint32_t(r), 0});
        }
        return add({ExprOp::Reg, uint32_t(r), 0, 0});
    }
    if (k && (k->kind == KeywordKind::Directive || k->kind == KeywordKind::Operator)) {
        const Dir d = Dir(k->id);
        if (d == Dir::St && m_pos + 3 < m_tokens.size()
            && m_tokens[m_pos + 1].kind == TokKind::Punct && m_tokens[m_pos + 1].punct == '('
            && m_tokens[m_pos + 2].kind == TokKind::Number && m_tokens[m_pos + 2].value < 8
            && m_tokens[m_pos + 3].kind == TokKind::Punct && m_tokens[m_pos + 3].punct == ')') {
            const Reg r = Reg(RegST0 + m_tokens[m_pos + 2].value);
            m_pos += 4;
            return add({ExprOp::Reg, uint32_t(r), 0, 0});
        }
        if (d == Dir::Ver || d == Dir::Line || d == Dir::Year || d == Dir::Month || d == Dir::Day) {
            skip();
            return add({ExprOp::Builtin, uint32_t(d), 0, 0});
        }
        return fail(0x22, t.text);
    }
    if (k && k->kind == KeywordKind::Instruction)
        return fail(0x22, t.text);

    skip();
    if (t.text == "$")
        return add({ExprOp::Dollar, 0, 0, 0});
    if (t.text == "?")
        return add({ExprOp::Question, 0, 0, 0});
    if (t.text == "@@")
        return add({ExprOp::AnonBare, 0, 0, 0});
    if (wordIs(t, "@f"))
        return add({ExprOp::AnonF, 0, 0, 0});
    if (wordIs(t, "@b"))
        return add({ExprOp::AnonB, 0, 0, 0});
    if (t.text[0] == '%' || t.text[0] == '.')
        return fail(0x22, t.text);
    return add({ExprOp::Sym, m_names.intern(t.text), 0, 0});
}

} // namespace qvasm
