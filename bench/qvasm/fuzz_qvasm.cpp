// libFuzzer target over the assembler's entry points. The first input byte picks the options;
// the rest is the source, which is also what every include names (so inclusion of itself,
// nesting and repetition are all reachable). Built and run by fuzz.sh, never by the tests.

#include "qvasm/Assembler.h"
#include "qvasm/CommandLine.h"
#include "qvasm/Listing.h"
#include "qvasm/Snippet.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

class SameText : public qvasm::SourceLoader
{
public:
    explicit SameText(std::string text)
        : m_text(std::move(text))
    {}
    ReadResult read(const std::string &, std::string &text) override
    {
        text = m_text;
        return ReadResult::Ok;
    }
    std::string find(const std::string &path) override { return path; }

private:
    std::string m_text;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const uint8_t flags = data[0];
    const std::string text(reinterpret_cast<const char *>(data + 1), size - 1);

    qvasm::AssemblerOptions o;
    o.optimize = flags & 1;
    o.jumps = flags & 2;
    o.snippet = flags & 4;
    o.listing = flags & 8;
    o.diagnostics = !(flags & 16);
    o.origin = (flags & 32) ? 0x7C00 : 0x100;
    o.includeDirs = {"/inc"};
    SameText loader(text);
    qvasm::Assembler a(o, &loader);
    a.assembleFile("/src/main.asm");
    const std::vector<uint8_t> image = a.image();
    (void) image;
    std::string out = a.messages().format(a.files(), a.symbolSpaceFree(), {});
    if (o.listing)
        out += qvasm::Listing::render(a, "/src/main.asm", flags & 64);

    if (flags & 128) {
        const qvasm::SnippetResult r = qvasm::assembleSnippet(text, 0x100);
        (void) r;
        // The command line too: the text's words as arguments.
        std::vector<std::string> args;
        std::string word;
        for (char c : text.substr(0, 256)) {
            if (c == ' ' || c == '\n') {
                args.push_back(word);
                word.clear();
            } else {
                word.push_back(c);
            }
        }
        args.push_back(word);
        qvasm::CommandLine::parse(args, [](const std::string &) { return false; });
    }
    return 0;
}
