// The navigable-line parser on any line, with files that exist and files that do not.

#include "FuzzSupport.h"
#include "make/NavigableLine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const bool exists = data[0] & 1;
    const QString line = QString::fromUtf8(fuzz::bytes(data + 1, size - 1));
    (void) NavigableLine::parse(line);
    const auto location = NavigableLine::parse(line, [exists](const QString &) { return exists; });
    if (location)
        (void) NavigableLine::clampLine(location->line, int(size));
    return 0;
}
