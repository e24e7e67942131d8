#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

// The Disassemble File command without its dialog: the remembered options (section "Make"), the
// tool's switches, the number conversions of the origin and skip fields, the banner cut and the
// kind of document the result opens as.
struct DisassemblerOptions
{
    bool showBinary = false;
    bool showOffset = false;
    bool bits32 = false; // false: 16-bit code
    quint32 origin = 0x100;
    quint32 skip = 0;

    static inline const QString BinaryKey = QStringLiteral("dis_binary");
    static inline const QString OffsetKey = QStringLiteral("dis_offset");
    static inline const QString OriginKey = QStringLiteral("dis_origin");
    static inline const QString SkipKey = QStringLiteral("dis_skip");
    static inline const QString BitModeKey = QStringLiteral("dis_bits"); // 0 16-bit, 1 32-bit

    static DisassemblerOptions load();
    void save() const;

    // " /o0x%08X /e0x%08X", then " /n" without the bytes column, " /N" without the offset
    // column, and " /b" (16-bit) or " /B" (32-bit).
    QString optionString() const;
    // The tool's arguments: the file, then the switches above, each one entry.
    QStringList arguments(const QString &file) const;

    // Kind of the untitled document the result opens as: 2 (.txt) when either column is shown,
    // else 0 (.asm, a source that assembles back).
    int requestedKind() const { return showBinary || showOffset ? 2 : 0; }

    // The origin and skip fields: base 16 after an exact "0x", else base 10; conversion stops at
    // the first character that does not fit, nothing converts to 0, and values past 32 bits
    // stop at 0xFFFFFFFF. So "7C00" is 7, "0x7C00" 31744 and "0X7C00" 0.
    static quint32 parseNumber(QStringView text);
    // How the fields show a value: "0x%08X".
    static QString formatNumber(quint32 value);

    // The tool's closing banner and everything after it are dropped, unless the output starts
    // with it.
    static QByteArray cutBanner(const QByteArray &output);
    static inline const QByteArray Banner = QByteArrayLiteral(
        "QVDISASM   The Quillvane Disassembler   Version  ");

    static inline const QString FileFilter = QStringLiteral("All files (*.*)|*.*||");

    bool operator==(const DisassemblerOptions &) const = default;
};
