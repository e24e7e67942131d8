// Equates defined in terms of themselves, directly or through others: an error on each line of
// the cycle, in bounded time and stack, while chains without a cycle still assemble.

#include "QvasmTestSupport.h"

#include <QTest>

class tst_QvasmEquCycles : public QObject
{
    Q_OBJECT

private slots:
    void cyclesAreErrorsOnTheirLines_data();
    void cyclesAreErrorsOnTheirLines();
    void chainsOfAHundredThousand_data();
    void chainsOfAHundredThousand();
};

namespace {

QByteArray program(const QByteArray &body)
{
    return ".model tiny\n.code\norg 100h\n" + body + "mov ax, 1\n.end\n";
}

} // namespace

void tst_QvasmEquCycles::cyclesAreErrorsOnTheirLines_data()
{
    // Lines of the body start at 4.
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QList<int>>("circularLines");
    QTest::newRow("self-reference") << QByteArray("a equ a\n") << QList<int>{4};
    QTest::newRow("self-reference-plus-one") << QByteArray("a equ a+1\n") << QList<int>{4};
    QTest::newRow("pair") << QByteArray("a equ b\nb equ a\n") << QList<int>{4, 5};
    QTest::newRow("three-apart") << QByteArray("a equ b+1\nx equ 7\nb equ c*2\nc equ a-1\n")
                                 << QList<int>{4, 6, 7};
    QTest::newRow("cycle-reached-only-across")
        << QByteArray("a equ b\nb equ a+c\nc equ b\n") << QList<int>{4, 5, 6};
    QTest::newRow("user-of-a-cycle-is-not-on-it")
        << QByteArray("u equ a\na equ b\nb equ a\n") << QList<int>{5, 6};
    // The other side: forward and backward uses without a cycle are no error at all.
    QTest::newRow("no-cycle-forward") << QByteArray("a equ b\nb equ 5\n") << QList<int>{};
    QTest::newRow("no-cycle-diamond")
        << QByteArray("a equ 1\nb equ a\nc equ a\nd equ b+c\n") << QList<int>{};
    QTest::newRow("no-cycle-assignment-reuses-itself")
        << QByteArray("x = 1\nx = x+1\n") << QList<int>{};
}

void tst_QvasmEquCycles::cyclesAreErrorsOnTheirLines()
{
    QFETCH(QByteArray, body);
    QFETCH(QList<int>, circularLines);
    const Assembled r = assembleMemory(program(body));
    QList<int> found;
    for (int line = 1; line <= 12; ++line) {
        if (r.hasMessage(line, 0x28))
            found << line;
    }
    QCOMPARE(found, circularLines);
    QVERIFY2(circularLines.isEmpty() == (r.errors == 0), qPrintable(r.describe()));
    // Settled at once: never the "labels still move" of a pass limit.
    QVERIFY2(r.messages.filter(" 20 error").isEmpty(), qPrintable(r.describe()));
}

void tst_QvasmEquCycles::chainsOfAHundredThousand_data()
{
    constexpr int Count = 100000;
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("errors");
    QByteArray backward = "e0 equ 1\n";
    for (int i = 1; i < Count; ++i)
        backward += "e" + QByteArray::number(i) + " equ e" + QByteArray::number(i - 1) + "\n";
    QTest::newRow("chain-without-cycle") << backward << 0;
    QByteArray ring;
    for (int i = 0; i < Count; ++i)
        ring += "e" + QByteArray::number(i) + " equ e" + QByteArray::number((i + 1) % Count) + "\n";
    QTest::newRow("ring") << ring << Count;
}

void tst_QvasmEquCycles::chainsOfAHundredThousand()
{
    QFETCH(QByteArray, body);
    QFETCH(int, errors);
    const Assembled r = assembleMemory(program(body));
    QCOMPARE(r.errors, errors);
}

QTEST_GUILESS_MAIN(tst_QvasmEquCycles)
#include "tst_qvasmequcycles.moc"
