#include "qvasm/Lexer.h"

#include "qvasm/Keywords.h"

namespace qvasm {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isAlnum(char c)
{
    return isDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

int digitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 99;
}

// Accumulates digits of one radix; false with code 32h (a stray digit) or 30h (overflow).
bool accumulate(std::string_view digits, unsigned radix, uint64_t &value, uint8_t &error)
{
    if (digits.empty()) {
        error = 0x32;
        return false;
    }
    uint64_t v = 0;
    for (char c : digits) {
        if (c == '_')
            continue;
        const int d = digitValue(c);
        if (d >= int(radix)) {
            error = 0x32;
            return false;
        }
        if (v > (UINT64_MAX - uint64_t(d)) / radix) {
            error = 0x30;
            return false;
        }
        v = v * radix + uint64_t(d);
    }
    value = v;
    return true;
}

} // namespace

bool Lexer::isIdentStart(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '@' || c == '?'
           || c == '$' || c == '%';
}

bool Lexer::isIdentChar(char c)
{
    return isAlnum(c) || c == '@' || c == '?' || c == '$';
}

void Lexer::lexNumber(std::string_view line, size_t &i, Token &t)
{
    const size_t start = i;
    while (i < line.size() && isAlnum(line[i]))
        ++i;
    // A period right after the digits makes a floating-point constant (for dd, dq, df).
    if (i < line.size() && line[i] == '.'
        && (i + 1 >= line.size() || isDigit(line[i + 1]) || line[i + 1] == 'e' || line[i + 1] == 'E'
            || !isAlnum(line[i + 1]))) {
        bool sawDigitsOnly = true;
        for (size_t k = start; k < i; ++k)
            sawDigitsOnly = sawDigitsOnly && isDigit(line[k]);
        if (sawDigitsOnly) {
            t.kind = TokKind::Float;
            int periods = 0;
            while (i < line.size()) {
                const char c = line[i];
                if (c == '.') {
                    ++periods;
                } else if ((c == 'e' || c == 'E') && i + 1 < line.size()
                           && (line[i + 1] == '+' || line[i + 1] == '-')) {
                    ++i; // the exponent's sign belongs to the constant
                } else if (!isAlnum(c)) {
                    break;
                }
                ++i;
            }
            t.text = line.substr(start, i - start);
            if (periods > 1)
                t.error = 0x44;
            return;
        }
    }
    t.kind = TokKind::Number;
    t.text = line.substr(start, i - start);
    std::string_view s = t.text;
    const char last = s.back();
    bool ok;
    if (s.size() > 1 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X'))
        ok = accumulate(s.substr(2), 16, t.value, t.error);
    else if (last == 'h' || last == 'H')
        ok = accumulate(s.substr(0, s.size() - 1), 16, t.value, t.error);
    else if (last == 'b' || last == 'B' || last == 'y' || last == 'Y')
        ok = accumulate(s.substr(0, s.size() - 1), 2, t.value, t.error);
    else if (last == 'd' || last == 'D' || last == 't' || last == 'T')
        ok = accumulate(s.substr(0, s.size() - 1), 10, t.value, t.error);
    else
        ok = accumulate(s, 10, t.value, t.error);
    if (!ok)
        t.value = 0;
}

void Lexer::lexWord(std::string_view line, size_t &i, Token &t)
{
    size_t j = i + 1;
    while (j < line.size() && isIdentChar(line[j]))
        ++j;
    t.kind = TokKind::Ident;
    t.text = line.substr(i, j - i);
    i = j;
}

void Lexer::lexPunct(std::string_view line, size_t &i, Token &t)
{
    t.kind = TokKind::Punct;
    t.punct = line[i];
    t.text = line.substr(i, 1);
    ++i;
}

bool Lexer::tokenize(std::string_view line, std::vector<Token> &out)
{
    out.clear();
    size_t i = 0;
    const size_t n = line.size();
    while (i < n) {
        const char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v' || c == '\0') {
            ++i;
            continue;
        }
        if (c == ';')
            break;
        if (out.size() >= MaxTokens)
            return false;
        Token t;
        t.pos = uint32_t(i);
        if (isDigit(c)) {
            lexNumber(line, i, t);
        } else if (c == '\'' || c == '"') {
            t.kind = TokKind::String;
            t.punct = c;
            size_t j = i + 1;
            for (;;) {
                if (j >= n) {
                    t.error = 0x12; // the quote never closes
                    break;
                }
                if (line[j] == c) {
                    if (j + 1 < n && line[j + 1] == c) {
                        j += 2; // a doubled quote stands for itself
                        continue;
                    }
                    break;
                }
                ++j;
            }
            t.text = line.substr(i + 1, (j < n ? j : n) - i - 1);
            i = j < n ? j + 1 : n;
        } else if (c == '.') {
            // ".model", ".code": a word; after an operand ("v.x", "[bx].x") the member dot.
            const bool afterOperand = i > 0
                                      && (isIdentChar(line[i - 1]) || line[i - 1] == ']'
                                          || line[i - 1] == ')');
            if (!afterOperand && i + 1 < n && isAlnum(line[i + 1]))
                lexWord(line, i, t);
            else
                lexPunct(line, i, t);
        } else if (isIdentStart(c)) {
            lexWord(line, i, t);
        } else {
            lexPunct(line, i, t);
        }
        if (t.kind == TokKind::Ident)
            t.keyword = lookupKeyword(t.text);
        out.push_back(t);
    }
    return true;
}

} // namespace qvasm
