#pragma once

#include "qvasm/ExprParser.h"
#include "qvasm/Lexer.h"
#include "qvasm/Statement.h"

namespace qvasm {

class NameTable;

// Turns one source line into a Statement: an optional label, prefixes, then an instruction,
// a directive or a named definition (db, equ, =, proc, struct, st, dup ...).
class StatementParser
{
public:
    explicit StatementParser(NameTable &names);

    void parse(std::string_view line, Statement &st);

    // The word right after "comment" and its position, for comment blocks.
    static bool isCommentStart(std::string_view line, size_t &delimiterPos);

private:
    void parseAfterLabel(std::string_view line, size_t i, Statement &st);
    void parseDirective(std::string_view line, size_t i, Dir d, Statement &st);
    void parseNamed(std::string_view line, size_t i, Dir d, Statement &st);
    void parseOperands(size_t i, Statement &st);
    void parseDataItems(size_t i, Statement &st);
    // Comma-separated items up to the end of the line, each read by parseItem.
    void parseList(size_t i, Statement &st, int32_t (ExprParser::*parseItem)());
    void parseDupBytes(size_t i, Statement &st);
    void parseProc(size_t i, Statement &st);
    bool expectEnd(size_t i, Statement &st);
    static std::string_view restOf(std::string_view line, size_t pos);

    NameTable &m_names;
    std::vector<Token> m_tokens;
};

} // namespace qvasm
