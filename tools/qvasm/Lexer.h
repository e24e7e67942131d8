#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace qvasm {

struct KeywordRef;

enum class TokKind : uint8_t { End, Ident, Number, Float, String, Punct };

struct Token
{
    TokKind kind = TokKind::End;
    char punct = 0;        // the character of a Punct token; the quote of a String token
    uint8_t error = 0;     // lexical error code, 0 when the token is sound
    uint32_t pos = 0;      // offset of the token in its line
    std::string_view text; // the token as written (a string's text between its quotes)
    uint64_t value = 0;    // a number's value
    const KeywordRef *keyword = nullptr; // an identifier that is a keyword, looked up once
};

// Splits one source line into tokens, stopping at a ';' comment. Linear in the line's length
// and bounded in tokens, so a megabyte line of junk costs no more than reading it.
class Lexer
{
public:
    static constexpr size_t MaxTokens = 65536;

    // Returns false when the line holds more than MaxTokens tokens (the rest is dropped).
    static bool tokenize(std::string_view line, std::vector<Token> &out);

    static bool isIdentStart(char c);
    static bool isIdentChar(char c);

private:
    static void lexNumber(std::string_view line, size_t &i, Token &t);
    // A word from i (a letter, "_" or "." first) and a single punctuation character.
    static void lexWord(std::string_view line, size_t &i, Token &t);
    static void lexPunct(std::string_view line, size_t &i, Token &t);
};

} // namespace qvasm
