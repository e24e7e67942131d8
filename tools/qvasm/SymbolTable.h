#pragma once

#include "qvasm/Operand.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace qvasm {

enum class SymKind : uint8_t {
    None,     // mentioned but never defined
    Label,    // "name:" or "@@:"-style code address
    Data,     // a typed variable: "name db ..." or "name st type"
    Equ,      // "name equ expr": fixed
    Assign,   // "name = expr": may be redefined
    Proc,     // "name proc"
    Struct,   // a structure type
    External, // named by .external and not defined here: the linker supplies it
};

struct Symbol
{
    SymKind kind = SymKind::None;
    uint8_t size = 0;      // Data: element size in bytes; Equ/Assign: size of a memory alias
    bool far = false;      // Proc: far
    bool memory = false;   // Equ/Assign: stands for a memory operand
    bool relative = false; // Equ/Assign: stands for an address, not a number
    bool inData = false;   // defined in the .data section
    uint16_t codeSeg = 0;  // code: 0 for _TEXT, k for the k-th named code segment of the pass
    bool declared = false; // named by .external: public when this module defines it
    // Equ/Assign standing for an address: which segment or external it lies in; External: the
    // size of data (0 for code) given in .external.
    RelocTarget relocTarget = RelocTarget::None;
    uint32_t relocExt = 0;
    bool relocExtData = false;
    RelocTarget base = RelocTarget::None;
    uint16_t definedPass = 0;
    uint16_t pendingPass = 0; // pass in which it was used while it had no value
    int64_t value = 0;
    uint32_t length = 0;     // sizeof: bytes of a variable's line, size of a structure
    uint32_t structType = 0; // Data: name id of its structure type; Struct: index of its info
    uint32_t file = 0;       // where it was defined, for the listing
    uint32_t line = 0;
};

struct MemberInfo
{
    uint32_t name = 0;
    uint32_t offset = 0;
    uint32_t size = 0;       // bytes of the member
    uint8_t elementSize = 0; // size the member gives a memory operand
    uint32_t structType = 0; // name id of a nested structure type, 0 for plain members
};

struct StructInfo
{
    uint32_t name = 0;
    uint32_t size = 0;
    std::vector<MemberInfo> members;
    std::vector<uint8_t> image;      // initial bytes of an instance
    std::vector<uint32_t> published; // member names entered in the member index
};

// Every symbol by name id, plus the structure types and their members. Values survive from pass
// to pass so that forward references see the previous pass's value.
class SymbolTable
{
public:
    void clear()
    {
        if (m_symbols.capacity() > 4096)
            std::vector<Symbol>().swap(m_symbols);
        else
            m_symbols.clear();
        m_structs.clear();
        m_members.clear();
        m_defined = 0;
    }

    Symbol &operator[](uint32_t id)
    {
        if (id >= m_symbols.size())
            m_symbols.resize(size_t(id) + 1 + m_symbols.size() / 2);
        return m_symbols[id];
    }
    const Symbol *find(uint32_t id) const
    {
        return id < m_symbols.size() ? &m_symbols[id] : nullptr;
    }
    size_t capacity() const { return m_symbols.size(); }

    // Structure types.
    StructInfo &structInfo(uint32_t index) { return m_structs[index]; }
    const StructInfo &structInfo(uint32_t index) const { return m_structs[index]; }
    uint32_t newStruct(uint32_t name);
    // Replaces the member index of one structure (after it was defined again in a pass).
    void publishMembers(uint32_t structIndex);
    // Members named so: (structure index, member position) pairs.
    const std::vector<std::pair<uint32_t, uint32_t>> *membersNamed(uint32_t name) const;
    // Member of a given structure type by name; nullptr if it has none so named.
    const MemberInfo *member(uint32_t structIndex, uint32_t name) const;

    // Counts definitions for the symbol-space account.
    size_t definedCount() const { return m_defined; }
    void countDefinition() { ++m_defined; }

private:
    std::vector<Symbol> m_symbols;
    std::vector<StructInfo> m_structs;
    std::unordered_map<uint32_t, std::vector<std::pair<uint32_t, uint32_t>>> m_members;
    size_t m_defined = 0;
};

} // namespace qvasm
