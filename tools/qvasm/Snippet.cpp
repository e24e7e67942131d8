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
    AssemblerOptions options;
    options.snippet = true;
    options.origin = origin;
    NoFiles loader;
    Assembler a(options, &loader);
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
