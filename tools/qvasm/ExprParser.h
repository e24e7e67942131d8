#pragma once

#include "qvasm/Lexer.h"
#include "qvasm/Statement.h"

namespace qvasm {

class NameTable;

// Recursive-descent parser for operands and data items, with the usual precedence of this
// dialect: unary operators (offset, sizeof, ptr) bind tighter than * / mod shl shr, which bind
// tighter than + -, then not, and, or/xor. Registers are leaves, so "[bx+si+2]" and
// "var[bx]" are ordinary expressions that the evaluator flattens into an address.
class ExprParser
{
public:
    ExprParser(const std::vector<Token> &tokens, size_t pos, Statement &st, NameTable &names);

    // An operand: an expression, or "seg:off" for a far pointer. Returns the root node or -1.
    int32_t parseOperand();
    // A data item: an expression, a string, ?, a float, or "count dup (items)".
    int32_t parseDataItem();

    size_t pos() const { return m_pos; }
    bool atEnd() const { return m_pos >= m_tokens.size(); }
    const Token &peek() const;
    bool peekPunct(char c) const;
    void skip() { ++m_pos; }
    // Records an error on the statement (the first one wins) and returns -1.
    int32_t fail(uint8_t code, std::string_view detail = {});

    static bool wordIs(const Token &t, std::string_view lowerWord);

private:
    int32_t add(ExprNode n);
    int32_t parseExpr();
    int32_t parseOr();
    int32_t parseAnd();
    int32_t parseNot();
    int32_t parseAdd();
    int32_t parseMul();
    int32_t parseUnary();
    int32_t parsePostfix();
    int32_t parseEnclosed(char close);
    int32_t parseIndexes(int32_t left);
    int32_t parseNamedPtrOrPostfix();
    // One more level of nesting; false (and the error recorded) beyond the limit.
    bool enter();
    int32_t parsePrimary();
    int32_t parseItemList(uint32_t &first, uint32_t &count);
    uint32_t storeString(std::string_view raw, char quote);

    const std::vector<Token> &m_tokens;
    size_t m_pos;
    Statement &m_st;
    NameTable &m_names;
    int m_depth = 0;
    bool m_signed = false; // inside "-2[bp]": the brackets belong to the signed term's caller
    int m_dupDepth = 0;
};

} // namespace qvasm
