#pragma once

#include "qvasm/Operand.h"
#include "qvasm/Statement.h"

#include <functional>
#include <string>
#include <vector>

namespace qvasm {

class NameTable;
class SymbolTable;
struct Symbol;

// What an expression can see: the symbols, the pass, the location counter and the @@ labels.
struct EvalEnv
{
    SymbolTable *symbols = nullptr;
    const NameTable *names = nullptr;
    uint16_t pass = 1;
    int64_t dollar = 0;
    uint32_t line = 0;
    const std::vector<int64_t> *anonPrev = nullptr; // @@ addresses of the previous pass
    const std::vector<int64_t> *anonCur = nullptr;  // @@ addresses so far in this pass
    bool *anonForwardUsed = nullptr;
    int64_t year = 0, month = 0, day = 0;
    bool object = false;       // the output is an object file: addresses are relocatable
    bool dollarInData = false; // $ lies in .data
    uint16_t dollarSeg = 0;    // else the code segment $ lies in (0: _TEXT)
};

// Evaluates the nodes of one statement. Errors go to the reporter with the catalogue code and
// the detail for the message; evaluation goes on where it can so one line reports each fault.
class Evaluator
{
public:
    using Reporter = std::function<void(uint8_t code, const std::string &detail)>;

    Evaluator(const Statement &st, const EvalEnv &env, const Reporter &report);

    bool eval(uint32_t node, Value &out);
    // Classifies a value as register, memory, immediate or far pointer.
    bool toOperand(const Value &v, Operand &out);
    // A plain number: no registers, no memory.
    bool constant(uint32_t node, int64_t &out);
    // Like constant(), but every symbol must already be defined in this pass (error 28h).
    bool constantNoForward(uint32_t node, int64_t &out);

    // An address plus an address is no value at all: reported, false.
    bool checkAddresses(const Value &v);
    // What the linker must add to the value in an object file (nothing otherwise). A value the
    // linker cannot make (a product of an address, the difference of two segments) is 37h.
    bool relocation(const Value &v, Reloc &out);

    static bool looksLikeHex(std::string_view name);

    // Every symbol an evaluation looks at is added to refs (an equ's dependencies).
    void recordSymbols(std::vector<uint32_t> *refs) { m_refs = refs; }

private:
    bool evalSym(uint32_t id, Value &out);
    static void inCodeSegment(const Symbol &s, Value &out);
    void hereInCodeSegment(Value &out) const;
    bool segmentBase(uint32_t id, Value &out);
    bool evalMember(const ExprNode &n, Value &out);
    bool evalSegOf(const ExprNode &n, Value &out);
    bool combineAdd(Value &a, const Value &b, bool subtract);
    std::string spelling(uint32_t id) const;

    const Statement &m_st;
    const EvalEnv &m_env;
    const Reporter &m_report;
    bool m_noForward = false;
    std::vector<uint32_t> *m_refs = nullptr;
};

} // namespace qvasm
