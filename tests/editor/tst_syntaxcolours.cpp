#include "TestSettings.h"
#include "editor/SyntaxColours.h"

#include <QTest>

class tst_SyntaxColours : public QObject
{
    Q_OBJECT

private slots:
    void colorRefIsBlueGreenRedAndHighBitsAreNoColour();
    void readRule_data();
    void readRule();
};

void tst_SyntaxColours::colorRefIsBlueGreenRedAndHighBitsAreNoColour()
{
    QCOMPARE(SyntaxColours::toColorRef(QColor(128, 0, 255)), 0xFF0080u);
    // Bits above the 24 colour bits are no colour.
    QCOMPARE(SyntaxColours::fromColorRef(0xFF000088), QColor(136, 0, 0));
}

void tst_SyntaxColours::readRule_data()
{
    QTest::addColumn<int>("colour");
    QTest::addColumn<QVariant>("index");
    QTest::addColumn<QVariant>("rgb");
    QTest::addColumn<int>("expectedIndex");
    QTest::addColumn<QColor>("expected");

    const QVariant none;
    const int comments = SyntaxColours::Comments, symbols = SyntaxColours::Symbols;
    QTest::newRow("fresh-store") << comments << none << none << 2 << QColor(0, 255, 0);
    QTest::newRow("index-without-rgb-takes-table-entry")
        << int(SyntaxColours::Strings) << QVariant(9) << none << 9 << QColor(136, 0, 0);
    QTest::newRow("rgb-wins-over-index") << int(SyntaxColours::Directives) << QVariant(4)
                                         << QVariant(0x123456) << 4 << QColor(0x56, 0x34, 0x12);
    QTest::newRow("index-outside-table-uses-default")
        << symbols << QVariant(99) << none << 3 << QColor(166, 42, 42);
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

QTEST_GUILESS_MAIN(tst_SyntaxColours)
#include "tst_syntaxcolours.moc"
