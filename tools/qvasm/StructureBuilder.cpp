#include "qvasm/StructureBuilder.h"

namespace qvasm {

namespace {

uint8_t operandSize(uint32_t size)
{
    return (size == 1 || size == 2 || size == 4 || size == 6 || size == 8) ? uint8_t(size) : 0;
}

} // namespace

StructureBuilder::StructureBuilder(SymbolTable &symbols)
    : m_symbols(symbols)
{}

bool StructureBuilder::begin(uint32_t name, uint16_t pass, uint32_t &index)
{
    const Symbol &s = m_symbols[name];
    if (s.kind == SymKind::Struct && s.definedPass == pass)
        return false;
    index = (s.kind == SymKind::Struct && s.definedPass > 0) ? s.structType
                                                             : m_symbols.newStruct(name);
    StructInfo &si = m_symbols.structInfo(index);
    si.members.clear();
    si.image.clear();
    si.size = 0;
    m_open = true;
    m_name = name;
    m_index = index;
    return true;
}

uint8_t StructureBuilder::addData(uint32_t label, int elementSize, BuiltData data)
{
    StructInfo &si = m_symbols.structInfo(m_index);
    if (data.length > MaxSize || si.size + data.length > MaxSize)
        return 0x59;
    if (label)
        si.members.push_back({label, si.size, uint32_t(data.length), uint8_t(elementSize), 0});
    DataBuilder::padTo(data.bytes, data.length);
    si.image.insert(si.image.end(), data.bytes.begin(), data.bytes.end());
    si.size += uint32_t(data.length);
    return 0;
}

uint8_t StructureBuilder::addInstance(uint32_t label, uint32_t typeName)
{
    const Symbol *type = m_symbols.find(typeName);
    if (!type || type->kind != SymKind::Struct || type->definedPass == 0 || typeName == m_name)
        return 0x59;
    const StructInfo inner = m_symbols.structInfo(type->structType);
    StructInfo &si = m_symbols.structInfo(m_index);
    if (si.size + inner.size > MaxSize)
        return 0x59;
    if (label)
        si.members.push_back({label, si.size, inner.size, operandSize(inner.size), typeName});
    si.image.insert(si.image.end(), inner.image.begin(), inner.image.end());
    si.image.resize(si.size + inner.size, 0);
    si.size += inner.size;
    return 0;
}

uint32_t StructureBuilder::end(bool &sizeChanged)
{
    StructInfo &si = m_symbols.structInfo(m_index);
    Symbol &s = m_symbols[m_name];
    sizeChanged = s.length != si.size;
    s.length = si.size;
    m_symbols.publishMembers(m_index);
    m_open = false;
    return si.size;
}

} // namespace qvasm
