#include "qvasm/SymbolTable.h"

#include <algorithm>

namespace qvasm {

uint32_t SymbolTable::newStruct(uint32_t name)
{
    m_structs.push_back({});
    m_structs.back().name = name;
    return uint32_t(m_structs.size() - 1);
}

void SymbolTable::publishMembers(uint32_t structIndex)
{
    StructInfo &s = m_structs[structIndex];
    for (uint32_t name : s.published) {
        const auto it = m_members.find(name);
        if (it == m_members.end())
            continue;
        auto &v = it->second;
        v.erase(std::remove_if(v.begin(),
                               v.end(),
                               [structIndex](const auto &p) { return p.first == structIndex; }),
                v.end());
        if (v.empty())
            m_members.erase(it);
    }
    s.published.clear();
    for (uint32_t i = 0; i < s.members.size(); ++i) {
        m_members[s.members[i].name].emplace_back(structIndex, i);
        s.published.push_back(s.members[i].name);
    }
}

const std::vector<std::pair<uint32_t, uint32_t>> *SymbolTable::membersNamed(uint32_t name) const
{
    const auto it = m_members.find(name);
    return it == m_members.end() ? nullptr : &it->second;
}

const MemberInfo *SymbolTable::member(uint32_t structIndex, uint32_t name) const
{
    if (structIndex >= m_structs.size())
        return nullptr;
    for (const MemberInfo &m : m_structs[structIndex].members) {
        if (m.name == name)
            return &m;
    }
    return nullptr;
}

} // namespace qvasm
