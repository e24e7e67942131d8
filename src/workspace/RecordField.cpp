#include "workspace/RecordField.h"

#include <cstring>

QString RecordField::decodeText(const char *field, int fieldSize)
{
    const void *end = std::memchr(field, 0, size_t(fieldSize));
    const qsizetype length = end ? static_cast<const char *>(end) - field : fieldSize;
    return QString::fromUtf8(field, length);
}

bool RecordField::fitsField(const QString &text, int fieldSize)
{
    const QByteArray bytes = text.toUtf8();
    return bytes.size() < fieldSize && !bytes.contains('\0');
}

bool RecordField::encodeText(const QString &text, char *field, int fieldSize)
{
    const QByteArray bytes = text.toUtf8();
    // An embedded NUL would cut the text short on the next read: refuse it like an overlong one.
    if (bytes.size() >= fieldSize || bytes.contains('\0'))
        return false;
    std::memcpy(field, bytes.constData(), size_t(bytes.size()));
    std::memset(field + bytes.size(), 0, size_t(fieldSize - bytes.size()));
    return true;
}

QString RecordField::fitToField(const QString &text, int fieldSize)
{
    QString cut = text.left(text.indexOf(QChar(0)) < 0 ? text.size() : text.indexOf(QChar(0)));
    qsizetype bytes = cut.toUtf8().size();
    while (bytes >= fieldSize && !cut.isEmpty()) {
        // Drop one whole character (a surrogate pair counts as one).
        const qsizetype drop = cut.size() >= 2 && cut.back().isLowSurrogate() ? 2 : 1;
        cut.chop(drop);
        bytes = cut.toUtf8().size();
    }
    return cut;
}
