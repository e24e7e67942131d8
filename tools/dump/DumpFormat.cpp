#include "DumpFormat.h"

#include <limits>

namespace {

constexpr char16_t HexDigits[] = u"0123456789ABCDEF";

QChar printable(uchar byte)
{
    return byte >= 0x20 && byte < 0x7F ? QChar(byte) : QChar(u'.');
}

} // namespace

int DumpFormat::offsetDigits(qint64 size)
{
    int digits = 8;
    // The largest offset shown is size - 1.
    for (quint64 last = size > 0 ? quint64(size - 1) : 0;
         digits < 16 && (last >> (4 * digits)) != 0;)
        ++digits;
    return digits;
}

DumpFormat::DumpFormat(int offsetDigits)
    : m_digits(offsetDigits)
{}

int DumpFormat::hexColumn(int byteInRow) const
{
    return m_digits + 2 + 3 * byteInRow + (byteInRow >= 8 ? 1 : 0);
}

int DumpFormat::charColumn(int byteInRow) const
{
    return hexColumn(BytesPerRow - 1) + 2 + 2 + byteInRow;
}

std::optional<DumpFormat::Hit> DumpFormat::byteAtColumn(int column) const
{
    if (column >= charColumn(0)) {
        const int byte = column - charColumn(0);
        if (byte < BytesPerRow)
            return Hit{byte, true};
        return std::nullopt;
    }
    if (column < hexColumn(0))
        return std::nullopt;
    // A byte owns its two digits and the blank after them, so a click between bytes still hits.
    for (int byte = BytesPerRow - 1; byte >= 0; --byte) {
        if (column >= hexColumn(byte))
            return Hit{byte, false};
    }
    return std::nullopt;
}

QString DumpFormat::row(qint64 offset, const uchar *bytes, int count) const
{
    QString out;
    row(offset, bytes, count, out);
    return out;
}

void DumpFormat::row(qint64 offset, const uchar *bytes, int count, QString &out) const
{
    out.resize(rowLength());
    out.fill(u' ');
    QChar *cells = out.data();
    quint64 value = quint64(offset);
    for (int i = m_digits - 1; i >= 0; --i) {
        cells[i] = QChar(HexDigits[value & 15]);
        value >>= 4;
    }
    count = qBound(0, count, int(BytesPerRow));
    for (int i = 0; i < count; ++i) {
        const int at = hexColumn(i);
        cells[at] = QChar(HexDigits[bytes[i] >> 4]);
        cells[at + 1] = QChar(HexDigits[bytes[i] & 15]);
        cells[charColumn(i)] = printable(bytes[i]);
    }
}

QString DumpFormat::hexText(const uchar *bytes, qint64 count)
{
    QString out;
    if (count <= 0)
        return out;
    out.resize(count * 3 - 1);
    QChar *cells = out.data();
    for (qint64 i = 0; i < count; ++i) {
        cells[3 * i] = QChar(HexDigits[bytes[i] >> 4]);
        cells[3 * i + 1] = QChar(HexDigits[bytes[i] & 15]);
        if (i + 1 < count)
            cells[3 * i + 2] = (i + 1) % BytesPerRow == 0 ? QChar(u'\n') : QChar(u' ');
    }
    return out;
}

std::optional<qint64> DumpFormat::parseOffset(const QString &text)
{
    QString digits = text.trimmed();
    if (digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        digits.remove(0, 2);
    else if (digits.endsWith(u'h', Qt::CaseInsensitive))
        digits.chop(1);
    if (digits.isEmpty() || digits.size() > 16)
        return std::nullopt;
    bool ok = false;
    const qulonglong value = digits.toULongLong(&ok, 16);
    if (!ok || value > quint64(std::numeric_limits<qint64>::max()))
        return std::nullopt;
    return qint64(value);
}
