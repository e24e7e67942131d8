#include "Tool.h"

#include "Disassembler.h"
#include "EncodingOracle.h"
#include "InputFile.h"
#include "Options.h"
#include "OutputBuffer.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace qvdisasm {

namespace {

constexpr size_t ChunkSize = 1 << 20;

int fail(int errFd, const std::string &message)
{
    OutputBuffer err(errFd);
    err.put("qvdisasm: ");
    err.put(message);
    err.lineEnd();
    return 1;
}

} // namespace

int run(std::span<const std::string_view> args, int outFd, int errFd)
{
    const CommandLine commandLine = parseCommandLine(args);
    if (!commandLine.options)
        return fail(errFd, commandLine.error);
    const Options &options = *commandLine.options;

    std::string error;
    std::optional<InputFile> file = InputFile::open(options.file, options.skip, error);
    if (!file)
        return fail(errFd, error);

    const std::unique_ptr<EncodingOracle> oracle = options.sourceMode() ? createAssemblerOracle()
                                                                        : nullptr;
    OutputBuffer out(outFd);
    Disassembler disassembler(options, out, oracle.get());
    if (!disassembler.isValid())
        return fail(errFd, disassembler.error());

    disassembler.writeHeader();
    std::vector<uint8_t> buffer(ChunkSize);
    size_t held = 0;
    bool atEnd = false;
    while (!out.failed()) {
        if (!atEnd) {
            const long long n = file->read(buffer.data() + held, buffer.size() - held, error);
            if (n < 0) {
                out.flush();
                return fail(errFd, error);
            }
            atEnd = n == 0;
            held += size_t(n);
        }
        const size_t used = disassembler.feed(buffer.data(), held, atEnd);
        std::memmove(buffer.data(), buffer.data() + used, held - used);
        held -= used;
        if (atEnd && held == 0)
            break;
    }
    disassembler.writeFooter();
    // For bench/qvdisasm: how often the assembler was asked and how often a shape answered.
    if (const RoundTrip *roundTrip = disassembler.roundTrip();
        roundTrip && std::getenv("QVDISASM_STATS")) {
        OutputBuffer err(errFd);
        err.put("assembler calls " + std::to_string(roundTrip->assemblerCalls())
                + ", answered by shape " + std::to_string(roundTrip->cacheHits()));
        err.lineEnd();
    }
    if (!out.flush())
        return fail(errFd, std::string("cannot write the listing: ") + std::strerror(out.error()));
    return 0;
}

} // namespace qvdisasm
