#pragma once

#include "qvasm/Expr.h"
#include "qvasm/Keywords.h"

#include <string>
#include <string_view>
#include <vector>

namespace qvasm {

enum class StmtKind : uint8_t {
    Empty,       // nothing but perhaps a label
    Instruction, // mnemonic with operands
    Prefix,      // prefixes alone (rep, lock, es:)
    Directive,   // a directive without a name in front
    Data,        // [name] db/dw/dd/df/dq or byte/word/... items
    DupBytes,    // [name] dup count,value
    Equ,         // name equ expr
    Assign,      // name = expr
    Proc,        // name proc [near|far] [uses ...]
    Endp,        // [name] endp
    Struct,      // name struct
    Ends,        // [name] ends
    Instance,    // name st type
};

// One parsed source line. The parser refills the same object line after line.
struct Statement
{
    StmtKind kind = StmtKind::Empty;
    uint8_t error = 0;       // parse error code, 0 when the line parsed
    std::string_view detail; // text for the error message (the offending word)

    uint32_t label = 0; // name id defined by this line, 0 for none
    bool labelColon = false;
    bool anonLabel = false; // "@@:"

    uint16_t mnemonic = 0;    // Instruction: index for mnemonicInfo()
    Dir dir = Dir::None;      // Directive, Data: which one
    Dir distance = Dir::None; // Proc: Near or Far when given
    uint32_t typeName = 0;    // Instance: name id of the structure type; Endp/Ends: name id

    std::vector<uint16_t> prefixes; // mnemonic indices of rep/lock, or 0x8000 | segment Reg
    std::vector<uint32_t> operands; // node indices of the operand or item roots
    std::vector<Reg> uses;          // Proc: registers saved by "uses"
    std::vector<ExprNode> nodes;
    std::vector<uint32_t> lists; // items of dup lists
    std::string strings;         // unescaped string constants and float texts
    std::string_view rest;       // raw text after the directive (include, %out, comment, ...)

    void clear()
    {
        kind = StmtKind::Empty;
        error = 0;
        detail = {};
        label = 0;
        labelColon = false;
        anonLabel = false;
        mnemonic = 0;
        dir = Dir::None;
        distance = Dir::None;
        typeName = 0;
        prefixes.clear();
        operands.clear();
        uses.clear();
        nodes.clear();
        lists.clear();
        strings.clear();
        rest = {};
    }
};

} // namespace qvasm
