#pragma once

#include <cstddef>
#include <vector>

namespace qvasm {

// The nesting of .if/.else/.endif blocks and whether the current line assembles.
class Conditionals
{
public:
    static constexpr size_t MaxDepth = 1024;

    void clear() { m_stack.clear(); }
    bool active() const { return m_stack.empty() || m_stack.back().active; }
    bool open() const { return !m_stack.empty(); }

    // Each returns false on a nesting error (an .else or .endif without its .if, a second
    // .else, or blocks nested beyond MaxDepth).
    bool begin(bool condition);
    // A block whose condition could not be decided: neither branch assembles.
    bool beginUndecided();
    bool otherwise();
    bool end();

private:
    struct Block
    {
        bool active = true; // this branch assembles
        bool taken = false; // some branch of the block assembled
        bool elseSeen = false;
        bool parentActive = true;
    };
    std::vector<Block> m_stack;
};

} // namespace qvasm
