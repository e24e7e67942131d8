#include "qvasm/Conditionals.h"

namespace qvasm {

bool Conditionals::begin(bool condition)
{
    if (m_stack.size() >= MaxDepth)
        return false;
    const bool parentActive = active();
    m_stack.push_back({parentActive && condition, condition, false, parentActive});
    return true;
}

bool Conditionals::beginUndecided()
{
    if (m_stack.size() >= MaxDepth)
        return false;
    m_stack.push_back({false, true, false, active()});
    return true;
}

bool Conditionals::otherwise()
{
    if (m_stack.empty() || m_stack.back().elseSeen)
        return false;
    Block &b = m_stack.back();
    b.elseSeen = true;
    b.active = b.parentActive && !b.taken;
    b.taken = true;
    return true;
}

bool Conditionals::end()
{
    if (m_stack.empty())
        return false;
    m_stack.pop_back();
    return true;
}

} // namespace qvasm
