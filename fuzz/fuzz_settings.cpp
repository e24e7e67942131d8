// The settings file's value conversions: the input is the value of one key (and, after a line
// break, more of the file); reading it as an integer, a string and binary must be safe, and an
// integer written must read back as itself.

#include "FuzzSupport.h"
#include "base/SettingsStore.h"

#include <QFile>

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString path = fuzz::scratchFile("fuzz_settings.ini");
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write("[Section]\nKey=");
        file.write(fuzz::bytes(data, size));
        file.write("\n");
    }
    int written = 0;
    std::memcpy(&written, data, std::min(size, sizeof written));
    {
        SettingsStore store(path);
        (void) store.readInt(QStringLiteral("Section"), QStringLiteral("Key"), -7);
        (void) store.readString(QStringLiteral("Section"), QStringLiteral("Key"), QString());
        (void) store.readBinary(QStringLiteral("Section"), QStringLiteral("Key"));
        (void) store.contains(QStringLiteral("Section"), QStringLiteral("Key"));
        store.writeInt(QStringLiteral("Section"), QStringLiteral("Number"), written);
        if (store.readInt(QStringLiteral("Section"), QStringLiteral("Number"), ~written) != written)
            fuzz::fail("an integer written does not read back");
        const QString text = QString::fromUtf8(fuzz::bytes(data, size));
        store.writeString(QStringLiteral("Section"), QStringLiteral("Text"), text);
        (void) store.readString(QStringLiteral("Section"), QStringLiteral("Text"), QString());
    }
    QFile::remove(path);
    return 0;
}
