// The source codec: any bytes decode, and encoding the text in the decoded format with the
// decoded line breaks gives the same bytes back.

#include "FuzzSupport.h"
#include "editor/SourceFileCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzz::bytes(data, size);
    const SourceFileCodec::Decoded decoded = SourceFileCodec::decode(bytes);
    if (!SourceFileCodec::canEncode(decoded.text, decoded.format.encoding))
        fuzz::fail("decoded text the decoded encoding cannot hold");
    const QByteArray again = SourceFileCodec::encode(decoded.text,
                                                     decoded.format,
                                                     decoded.otherBreaks);
    if (again != bytes)
        fuzz::fail("decode then encode changed the bytes");
    if (SourceFileCodec::formatForSaving(decoded.text, decoded.format) != decoded.format)
        fuzz::fail("an unedited text would be saved in another format");
    return 0;
}
