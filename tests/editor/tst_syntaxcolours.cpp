#include "TestSettings.h"
#include "editor/SyntaxColours.h"

#include <QTest>

class tst_SyntaxColours : public QObject
{
    Q_OBJECT

private slots:
    void colorRefIsBlueGreenRed();
    void standardTableOrder();
    void readRule_data();
    void readRule();
    void saveThenLoadKeepsEveryColour();
    void spansBecomeForegroundFormats();
};

void tst_SyntaxColours::colorRefIsBlueGreenRed()
{
    QCOMPARE(SyntaxColours::fromColorRef(0x1DC918), QColor(24, 201, 29));
    QCOMPARE(SyntaxColours::toColorRef(QColor(128, 0, 255)), 0xFF0080u);
    // Bits above the 24 colour bits are no colour.
    QCOMPARE(SyntaxColours::fromColorRef(0xFF000088), QColor(136, 0, 0));
    QCOMPARE(SyntaxColours::toColorRef(QColor::fromHsv(120, 255, 255)), 0x00FF00u);
}

void tst_SyntaxColours::standardTableOrder()
{
    QCOMPARE(SyntaxColours::standardName(0), QString("black"));
    QCOMPARE(SyntaxColours::standardName(15), QString("custom color"));
    // "gray" is the lighter grey, "light gray" the darker.
    QCOMPARE(SyntaxColours::standardName(7), QString("gray"));
    QCOMPARE(SyntaxColours::standardColorRef(7), 0xC0C0C0u);
    QCOMPARE(SyntaxColours::standardName(8), QString("light gray"));
    QCOMPARE(SyntaxColours::standardColorRef(8), 0x545454u);
    QCOMPARE(SyntaxColours::standardName(16), QString());
    QCOMPARE(SyntaxColours::standardName(-1), QString());
}

void tst_SyntaxColours::readRule_data()
{
    QTest::addColumn<int>("colour");
    QTest::addColumn<QVariant>("index");
    QTest::addColumn<QVariant>("rgb");
    QTest::addColumn<int>("expectedIndex");
    QTest::addColumn<QColor>("expected");

    const QVariant none;
    QTest::newRow("fresh-store-comments")
        << int(SyntaxColours::Comments) << none << none << 2 << QColor(0, 255, 0);
    QTest::newRow("fresh-store-instructions")
        << int(SyntaxColours::Instructions) << none << none << 12 << QColor(0, 0, 136);
    QTest::newRow("index-without-rgb-takes-table-entry")
        << int(SyntaxColours::Strings) << QVariant(9) << none << 9 << QColor(136, 0, 0);
    QTest::newRow("other-index-without-rgb")
        << int(SyntaxColours::Registers) << QVariant(6) << none << 6 << QColor(0, 255, 255);
    QTest::newRow("rgb-wins-over-index") << int(SyntaxColours::Directives) << QVariant(4)
                                         << QVariant(0x123456) << 4 << QColor(0x56, 0x34, 0x12);
    QTest::newRow("first-run-custom-colour") << int(SyntaxColours::Comments) << QVariant(15)
                                             << QVariant(0x1DC918) << 15 << QColor(24, 201, 29);
    QTest::newRow("index-outside-table-uses-default")
        << int(SyntaxColours::Symbols) << QVariant(99) << none << 3 << QColor(166, 42, 42);
    QTest::newRow("negative-index-uses-default")
        << int(SyntaxColours::Symbols) << QVariant(-5) << none << 3 << QColor(166, 42, 42);
}

void tst_SyntaxColours::readRule()
{
    QFETCH(int, colour);
    QFETCH(QVariant, index);
    QFETCH(QVariant, rgb);
    QFETCH(int, expectedIndex);
    QFETCH(QColor, expected);
    TestSettings settings;
    const auto c = SyntaxColours::Colour(colour);
    if (index.isValid())
        settings.store().writeInt("Settings", SyntaxColours::indexKey(c), index.toInt());
    if (rgb.isValid())
        settings.store().writeInt("Settings", SyntaxColours::rgbKey(c), rgb.toInt());

    SyntaxColours colours;
    colours.load(settings.store());
    QCOMPARE(colours.index(c), expectedIndex);
    QCOMPARE(colours.colour(c), expected);
}

void tst_SyntaxColours::saveThenLoadKeepsEveryColour()
{
    TestSettings settings;
    SyntaxColours colours;
    colours.set(SyntaxColours::Strings, 15, QColor(1, 2, 3));
    colours.set(SyntaxColours::Registers, 5, QColor(255, 0, 255));
    colours.save(settings.store());
    QCOMPARE(settings.store().readInt("Settings", "CRStrings_indx", 0), 15);
    QCOMPARE(settings.store().readInt("Settings", "CRStrings_rgb", 0), 0x030201);

    SyntaxColours again;
    again.load(settings.store());
    for (int c = 0; c < SyntaxColours::ColourCount; ++c) {
        QCOMPARE(again.index(SyntaxColours::Colour(c)), colours.index(SyntaxColours::Colour(c)));
        QCOMPARE(again.colour(SyntaxColours::Colour(c)), colours.colour(SyntaxColours::Colour(c)));
    }
    QCOMPARE(again.colour(SyntaxFormat::String), QColor(1, 2, 3));
    QCOMPARE(again.colour(SyntaxFormat::Register), QColor(255, 0, 255));
}

void tst_SyntaxColours::spansBecomeForegroundFormats()
{
    SyntaxColours colours;
    colours.set(SyntaxColours::Comments, 15, QColor(24, 201, 29));
    const QList<QTextLayout::FormatRange> ranges = colours.formatRanges(
        {{0, 3, SyntaxFormat::Instruction},
         {4, 2, SyntaxFormat::Register},
         {8, 5, SyntaxFormat::Comment}});
    QCOMPARE(ranges.size(), 3);
    QCOMPARE(ranges[1].start, 4);
    QCOMPARE(ranges[1].length, 2);
    QCOMPARE(ranges[0].format.foreground().color(), QColor(0, 0, 136));
    QCOMPARE(ranges[2].format.foreground().color(), QColor(24, 201, 29));
    // Colour only: nothing else of the font changes.
    QCOMPARE(ranges[2].format.properties().size(), 1);
}

QTEST_GUILESS_MAIN(tst_SyntaxColours)
#include "tst_syntaxcolours.moc"
