#include "qvasm/Snippet.h"

#include "qvasm/Assembler.h"

namespace qvasm {

namespace {

// Snippets never touch the disk.
class NoFiles : public SourceLoader
{
public:
    ReadResult read(const std::string &, std::string &) override { return ReadResult::NotFound; }
    std::string find(const std::string &) override { return {}; }
};

} // namespace

SnippetResult assembleSnippet(std::string_view source, uint32_t origin)
{
    // One assembler per thread, reused: a snippet is a few microseconds of work, and building
    // an assembler's tables for each would cost more than assembling.
    static thread_local NoFiles loader;
    static thread_local Assembler a(
        [] {
            AssemblerOptions options;
            options.snippet = true;
            return options;
        }(),
        &loader);
    a.reset();
    a.setOrigin(origin);
    a.assembleText(source, "snippet");
    SnippetResult r;
    r.bytes = a.image();
    for (const Message &m : a.messages().items()) {
        if (m.kind == MsgKind::Print)
            continue;
        r.errors.push_back(
            {m.code, m.kind == MsgKind::Diag, int(m.line), Messages::text(m.code, m.detail)});
    }
    return r;
}

} // namespace qvasm
