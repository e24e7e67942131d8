#pragma once

#include "qvasm/DataBuilder.h"
#include "qvasm/SymbolTable.h"

namespace qvasm {

// Builds the structure type between "name struct" and "name ends": its members, offsets and
// the initial bytes of an instance. A type is rebuilt in every pass, in place, so instances and
// member references written before it keep seeing the previous pass's layout.
class StructureBuilder
{
public:
    static constexpr uint32_t MaxSize = 0xFFFF;

    explicit StructureBuilder(SymbolTable &symbols);

    void clear() { m_open = false; }
    bool open() const { return m_open; }
    uint32_t name() const { return m_name; }

    // The type's index for "name struct" in pass `pass`; false when it was already defined in
    // this pass (error 1Fh).
    bool begin(uint32_t name, uint16_t pass, uint32_t &index);
    // Members; each returns the catalogue's error code, or 0.
    uint8_t addData(uint32_t label, int elementSize, BuiltData data);
    uint8_t addInstance(uint32_t label, uint32_t typeName);
    // "ends": publishes the members; returns the size, and whether it changed since the last
    // pass.
    uint32_t end(bool &sizeChanged);

private:
    SymbolTable &m_symbols;
    bool m_open = false;
    uint32_t m_name = 0;
    uint32_t m_index = 0;
};

} // namespace qvasm
