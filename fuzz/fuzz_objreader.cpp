// The object reader on any bytes, and the linker on whatever it reads: never a crash, and every
// program made has a header that agrees with its size and relocations that point into it.

#include "qvlink/Linker.h"
#include "qvlink/ObjectReader.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace {

// Stops the run with a message: libFuzzer keeps the input as a finding.
[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "fuzz oracle failed: %s\n", what);
    std::abort();
}

uint32_t word(const std::vector<uint8_t> &b, size_t at)
{
    return uint32_t(b[at] | (b[at + 1] << 8));
}

void checkExe(const qvlink::LinkResult &r)
{
    const std::vector<uint8_t> &exe = r.exe;
    if (exe.empty())
        return;
    if (exe.size() < 0x1C || exe[0] != 'M' || exe[1] != 'Z')
        fail("no MZ header");
    const uint32_t pages = word(exe, 4);
    const uint32_t last = word(exe, 2);
    if (pages * 512 - (last ? 512 - last : 0) != exe.size())
        fail("page counts disagree with the size");
    const uint32_t header = word(exe, 8) * 16;
    const uint32_t count = word(exe, 6);
    if (header < 0x1C + 4 * count || header > exe.size())
        fail("relocation table outside the header");
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t at = word(exe, 0x1C + 4 * i + 2) * 16 + word(exe, 0x1C + 4 * i);
        if (at + 2 > exe.size() - header)
            fail("relocation outside the load image");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte: link the module once, or twice (duplicates, combining).
    const bool twice = data[0] & 1;
    const std::string_view bytes(reinterpret_cast<const char *>(data + 1), size - 1);
    std::vector<qvlink::ObjectModule> modules(twice ? 2 : 1);
    for (qvlink::ObjectModule &m : modules) {
        m.path = "/fuzz.obj";
        if (!qvlink::ObjectReader::read(bytes, m).ok)
            return 0;
    }
    const qvlink::LinkResult r = qvlink::Linker::link(modules);
    checkExe(r);
    (void) qvlink::Linker::mapText(r);
    return 0;
}
