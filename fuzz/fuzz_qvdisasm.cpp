// The disassembler on any bytes: the first byte picks the options, the rest is the file. In
// the source form the assembler checks every instruction's text, and the whole source must
// assemble back to the very bytes it came from, past the 64 KB line from its org too.

#include "Disassembler.h"
#include "EncodingOracle.h"
#include "OutputBuffer.h"
#include "qvasm/Assembler.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    static const std::unique_ptr<qvdisasm::EncodingOracle> oracle = qvdisasm::createAssemblerOracle();
    const uint8_t flags = data[0];
    ++data;
    --size;

    qvdisasm::Options options;
    options.showBytes = flags & 1;
    options.showOffset = flags & 2;
    options.bits32 = flags & 4;
    options.origin = (flags & 8) ? 0x7C00 : (flags & 16) ? 0xFFF0 : 0x100;
    qvdisasm::OutputBuffer out;
    qvdisasm::Disassembler disassembler(options, out, options.sourceMode() ? oracle.get() : nullptr);
    if (!disassembler.isValid())
        return 0;
    disassembler.writeHeader();
    // Fed through a small window when asked, the way the tool reads a file in chunks: each
    // feed short of the end must use something and never more than it was given.
    const size_t window = (flags & 32) ? 64 : size;
    size_t held = 0;
    do {
        const size_t take = std::min(window, size - held);
        const bool last = held + take == size;
        const size_t used = disassembler.feed(data + held, take, last);
        if (used > take || (last && used != take) || (!last && used == 0)) {
            std::fprintf(stderr, "fuzz oracle failed: feed used %zu of %zu\n", used, take);
            std::abort();
        }
        held += used;
    } while (held < size);
    disassembler.writeFooter();
    out.flush();
    // 32-bit code is all data lines in the source form, which must come back just the same.
    if (!options.sourceMode())
        return 0;
    // The banner is no source; the IDE cuts it before the text is assembled.
    std::string source = out.text();
    const std::string banner = qvdisasm::bannerLine() + "\r\n";
    if (source.size() < banner.size()
        || source.compare(source.size() - banner.size(), banner.size(), banner) != 0) {
        std::fprintf(stderr, "fuzz oracle failed: the source form does not end in the banner\n");
        std::abort();
    }
    source.resize(source.size() - banner.size());
    qvasm::Assembler assembler(qvasm::AssemblerOptions{});
    assembler.assembleText(source, "back.asm");
    const std::vector<uint8_t> back = assembler.image();
    if (assembler.messages().errors() != 0 || back.size() != size
        || !std::equal(back.begin(), back.end(), data)) {
        std::fprintf(stderr,
                     "fuzz oracle failed: the source form assembles to other bytes (%zu errors, "
                     "%zu of %zu bytes)\n",
                     assembler.messages().errors(),
                     back.size(),
                     size);
        std::abort();
    }
    return 0;
}
