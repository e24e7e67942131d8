// The build-output parser and the error catalogue: every row's rules on any capture.

#include "FuzzSupport.h"
#include "make/BuildOutput.h"
#include "make/ErrorCatalogue.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray capture = fuzz::bytes(data, size);
    const BuildOutput output = BuildOutput::parse(capture);
    (void) output.length();
    const int count = output.count();
    for (int row = -1; row <= count; ++row) {
        (void) output.entryBytes(row);
        (void) output.entry(row);
        (void) output.canGoTo(row);
        (void) output.isContinuation(row);
        (void) output.goToTarget(row);
        if (const auto info = output.errorInfo(row))
            (void) info;
        (void) output.rowToSelect(row);
    }
    (void) output.rowToSelect(-1);
    (void) BuildOutput::goToTarget(QByteArrayView(capture));
    (void) BuildOutput::errorInfo(QByteArrayView(capture));
    if (size >= 2) {
        const int code = BuildOutput::errorCode(char(data[0]), char(data[1]));
        if (!ErrorCatalogue::isKnownCode(code))
            fuzz::fail("error code outside the catalogue");
        (void) ErrorCatalogue::text(code);
    }
    if (size >= 4) {
        quint32 exitCode = 0;
        for (int i = 0; i < 4; ++i)
            exitCode = exitCode << 8 | data[i];
        (void) BuildOutput::returnCodeText(exitCode);
        (void) ErrorCatalogue::text(int(exitCode));
    }
    return 0;
}
