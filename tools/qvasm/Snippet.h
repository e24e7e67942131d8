#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qvasm {

struct SnippetMessage
{
    int code = 0;            // catalogue code
    bool diagnostic = false; // a diagnostic (the bytes are still valid), not an error
    int line = 0;            // 1-based line of the snippet
    std::string text;        // the message as qvasm prints it
};

struct SnippetResult
{
    std::vector<uint8_t> bytes;
    std::vector<SnippetMessage> errors; // errors and diagnostics, in source order

    bool ok() const
    {
        for (const SnippetMessage &m : errors) {
            if (!m.diagnostic)
                return false;
        }
        return true;
    }
};

// Assembles a few lines as if they followed "org origin" in 16-bit code with every CPU and
// coprocessor directive on, the optimiser off and no file access (include fails with 0Ch).
// No .model, .code or .end is needed. Cheap enough to call once per decoded instruction.
SnippetResult assembleSnippet(std::string_view source, uint32_t origin);

} // namespace qvasm
