#include "DumpFormat.h"

#include <QTest>

#include <limits>

class tst_DumpFormat : public QObject
{
    Q_OBJECT

private slots:
    void rowsAreLaidOut_data();
    void rowsAreLaidOut();
    void offsetWidthGrowsPast4GB_data();
    void offsetWidthGrowsPast4GB();
    void columnsHitTheirByte_data();
    void columnsHitTheirByte();
    void typedOffsetsAreHex_data();
    void typedOffsetsAreHex();
    void copiedHexBreaksEverySixteenBytes_data();
    void copiedHexBreaksEverySixteenBytes();
};

void tst_DumpFormat::rowsAreLaidOut_data()
{
    QTest::addColumn<qint64>("offset");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("digits");
    QTest::addColumn<QString>("row");

    QTest::newRow("full-row") << qint64(0x100) << QByteArray("Hello, dump!\r\n\0\xff", 16) << 8
                              << "00000100  48 65 6C 6C 6F 2C 20 64  75 6D 70 21 0D 0A 00 FF  "
                                 "Hello, dump!....";
    // The last row of a file keeps its columns where the full rows have them.
    QTest::newRow("short-last-row") << qint64(0x7FFFFFF0) << QByteArray("\x7f~ ", 3) << 8
                                    << "7FFFFFF0  7F 7E 20                                         "
                                       " .~              ";
    QTest::newRow("wide-offset") << qint64(0x123456789A) << QByteArray("A") << 10
                                 << "123456789A  41                        "
                                    "                        A               ";
}

void tst_DumpFormat::rowsAreLaidOut()
{
    QFETCH(qint64, offset);
    QFETCH(QByteArray, bytes);
    QFETCH(int, digits);
    QFETCH(QString, row);
    const DumpFormat format(digits);
    const QString text = format.row(offset,
                                    reinterpret_cast<const uchar *>(bytes.constData()),
                                    int(bytes.size()));
    QCOMPARE(text, row);
    QCOMPARE(text.size(), format.rowLength());
}

void tst_DumpFormat::offsetWidthGrowsPast4GB_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<int>("digits");
    QTest::newRow("exactly-4GB") << (qint64(1) << 32) << 8;
    QTest::newRow("4GB-and-one") << (qint64(1) << 32) + 1 << 9;
    QTest::newRow("largest") << std::numeric_limits<qint64>::max() << 16;
}

void tst_DumpFormat::offsetWidthGrowsPast4GB()
{
    QFETCH(qint64, size);
    QFETCH(int, digits);
    QCOMPARE(DumpFormat::offsetDigits(size), digits);
}

void tst_DumpFormat::columnsHitTheirByte_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("byte"); // -1: nothing
    QTest::addColumn<bool>("inCharacters");
    // "00000000  00 01 02 03 04 05 06 07  08 ..."
    QTest::newRow("offset-column") << 3 << -1 << false;
    QTest::newRow("first-hex-digit") << 10 << 0 << false;
    QTest::newRow("gap-after-eighth-byte") << 34 << 7 << false;
    QTest::newRow("ninth-byte") << 35 << 8 << false;
    QTest::newRow("last-hex-byte") << 56 << 15 << false;
    QTest::newRow("last-character") << 75 << 15 << true;
    QTest::newRow("past-the-row") << 76 << -1 << false;
}

void tst_DumpFormat::columnsHitTheirByte()
{
    QFETCH(int, column);
    QFETCH(int, byte);
    QFETCH(bool, inCharacters);
    const DumpFormat format(8);
    const auto hit = format.byteAtColumn(column);
    QCOMPARE(hit.has_value(), byte >= 0);
    if (hit) {
        QCOMPARE(hit->byteInRow, byte);
        QCOMPARE(hit->inCharacters, inCharacters);
        // Painting puts the byte where the hit test finds it.
        const int painted = inCharacters ? format.charColumn(byte) : format.hexColumn(byte);
        QCOMPARE(format.byteAtColumn(painted)->byteInRow, byte);
    }
}

void tst_DumpFormat::typedOffsetsAreHex_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<qint64>("offset"); // -1: refused
    QTest::newRow("plain-hex") << "7C00" << qint64(0x7C00);
    QTest::newRow("c-prefix") << "0x7c00" << qint64(0x7C00);
    QTest::newRow("h-suffix") << "1Fh" << qint64(0x1F);
    QTest::newRow("blanks-around") << "  40  " << qint64(0x40);
    QTest::newRow("beyond-4GB") << "123456789" << qint64(0x123456789);
    QTest::newRow("every-digit-upper") << "0123456789ABCDEF" << qint64(0x0123456789ABCDEF);
    QTest::newRow("every-digit-lower") << "0x0123456789abcdef" << qint64(0x0123456789ABCDEF);
    QTest::newRow("sixteen-digits-largest")
        << "7FFFFFFFFFFFFFFF" << std::numeric_limits<qint64>::max();
    QTest::newRow("seventeen-digits-refused") << "00000000000000001" << qint64(-1);
    QTest::newRow("not-hex") << "12G" << qint64(-1);
    QTest::newRow("negative") << "-1" << qint64(-1);
    QTest::newRow("past-qint64") << "8000000000000000" << qint64(-1);
}

void tst_DumpFormat::typedOffsetsAreHex()
{
    QFETCH(QString, typed);
    QFETCH(qint64, offset);
    const std::optional<qint64> parsed = DumpFormat::parseOffset(typed);
    QCOMPARE(parsed.value_or(-1), offset);
}

void tst_DumpFormat::copiedHexBreaksEverySixteenBytes_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("text");
    const QString row0 = "00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F";
    const QString row1 = "10 11 12 13 14 15 16 17 18 19 1A 1B 1C 1D 1E 1F";
    QTest::newRow("none") << 0 << QString();
    QTest::newRow("one") << 1 << "00";
    QTest::newRow("fifteen") << 15 << row0.left(44);
    QTest::newRow("sixteen-no-break") << 16 << row0;
    QTest::newRow("seventeen-breaks-once") << 17 << row0 + "\n10";
    QTest::newRow("thirty-two") << 32 << row0 + "\n" + row1;
    QTest::newRow("thirty-three") << 33 << row0 + "\n" + row1 + "\n20";
}

void tst_DumpFormat::copiedHexBreaksEverySixteenBytes()
{
    QFETCH(int, count);
    QFETCH(QString, text);
    QByteArray bytes;
    for (int i = 0; i < count; ++i)
        bytes.append(char(i));
    QCOMPARE(DumpFormat::hexText(reinterpret_cast<const uchar *>(bytes.constData()), count), text);
}

QTEST_APPLESS_MAIN(tst_DumpFormat)
#include "tst_dumpformat.moc"
