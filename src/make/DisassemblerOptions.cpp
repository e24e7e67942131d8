#include "make/DisassemblerOptions.h"

#include "base/SettingsStore.h"
#include "make/MakeSettings.h"

#include <limits>

DisassemblerOptions DisassemblerOptions::load()
{
    const SettingsStore &store = SettingsStore::instance();
    const QString &section = MakeSettings::Section;
    DisassemblerOptions o;
    o.showBinary = store.readInt(section, BinaryKey, 0) != 0;
    o.showOffset = store.readInt(section, OffsetKey, 0) != 0;
    o.origin = quint32(store.readInt(section, OriginKey, 256));
    o.skip = quint32(store.readInt(section, SkipKey, 0));
    o.bits32 = store.readInt(section, BitModeKey, 0) == 1;
    return o;
}

void DisassemblerOptions::save() const
{
    SettingsStore &store = SettingsStore::instance();
    const QString &section = MakeSettings::Section;
    store.writeInt(section, BinaryKey, showBinary ? 1 : 0);
    store.writeInt(section, OffsetKey, showOffset ? 1 : 0);
    // Integers in the store are signed 32-bit; the bits come back unchanged.
    store.writeInt(section, OriginKey, int(origin));
    store.writeInt(section, SkipKey, int(skip));
    store.writeInt(section, BitModeKey, bits32 ? 1 : 0);
}

QString DisassemblerOptions::optionString() const
{
    QString out;
    for (const QString &a : arguments(QString()).mid(1))
        out += QLatin1Char(' ') + a;
    return out;
}

QStringList DisassemblerOptions::arguments(const QString &file) const
{
    QStringList out{file,
                    QStringLiteral("/o") + formatNumber(origin),
                    QStringLiteral("/e") + formatNumber(skip)};
    if (!showBinary)
        out << QStringLiteral("/n");
    if (!showOffset)
        out << QStringLiteral("/N");
    out << (bits32 ? QStringLiteral("/B") : QStringLiteral("/b"));
    return out;
}

quint32 DisassemblerOptions::parseNumber(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    int base = 10;
    if (text.sliced(i).startsWith(QLatin1String("0x"))) {
        base = 16;
        i += 2;
    }
    quint64 value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0)
            break;
        value = value * quint64(base) + quint64(digit);
        if (value > std::numeric_limits<quint32>::max())
            value = std::numeric_limits<quint32>::max();
    }
    return quint32(value);
}

QString DisassemblerOptions::formatNumber(quint32 value)
{
    return QString::asprintf("0x%08X", value);
}

QByteArray DisassemblerOptions::cutBanner(const QByteArray &output)
{
    const qsizetype at = output.indexOf(Banner);
    return at > 0 ? output.left(at) : output;
}
