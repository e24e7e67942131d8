#include "make/BoundedCapture.h"
#include "make/BoundedStream.h"
#include "make/BuildOutput.h"

#include <QRegularExpression>
#include <QTest>

// What is kept of a tool's output: all of it up to the bound, past it the first and last whole
// lines within the limits and a line saying how much was left out, in bounded memory.
class tst_BoundedCapture : public QObject
{
    Q_OBJECT

private slots:
    void keptWholeUpToTheBound_data();
    void keptWholeUpToTheBound();
    void longLinesAreKeptAsWritten_data();
    void longLinesAreKeptAsWritten();
    void memoryStaysBoundedAndIsGivenBack();
    void theBuildWindowReadsAroundTheDroppedLine();
    void streamedOutputIsBoundedAlike_data();
    void streamedOutputIsBoundedAlike();
    void streamedLongLinesAreKeptAsWritten_data();
    void streamedLongLinesAreKeptAsWritten();
};

namespace {

constexpr qsizetype kHead = 64;
constexpr qsizetype kTail = 48;

// Lines of 8 bytes, "0000..\r\n", "0001..\r\n", ...: every line tells where it was.
QByteArray lines(qsizetype size)
{
    QByteArray out;
    for (qsizetype i = 0; out.size() < size; ++i)
        out += QByteArray::number(i).rightJustified(4, '0') + "..\r\n";
    out.truncate(size);
    return out;
}

QByteArray feed(BoundedCapture &capture, const QByteArray &input, qsizetype chunk)
{
    for (qsizetype at = 0; at < input.size(); at += chunk)
        capture.append(input.sliced(at, qMin(chunk, input.size() - at)));
    return capture.bytes();
}

struct Split
{
    QByteArray head;
    qint64 dropped = -1;
    QByteArray tail;
};

// The kept bytes taken apart at the line that counts what was left out.
std::optional<Split> split(const QByteArray &kept)
{
    static const QRegularExpression line(
        QStringLiteral("\\[(\\d+) bytes of output left out\\]\r\n"));
    const QRegularExpressionMatch m = line.match(QString::fromLatin1(kept));
    if (!m.hasMatch())
        return std::nullopt;
    return Split{kept.left(m.capturedStart()),
                 m.captured(1).toLongLong(),
                 kept.sliced(m.capturedEnd())};
}

} // namespace

void tst_BoundedCapture::keptWholeUpToTheBound_data()
{
    QTest::addColumn<qsizetype>("size");
    QTest::addColumn<qsizetype>("chunk");
    const qsizetype bound = kHead + kTail;
    for (const qsizetype chunk : {qsizetype(1), qsizetype(5), qsizetype(64), qsizetype(100000)}) {
        const QByteArray c = "-chunk-" + QByteArray::number(chunk);
        QTest::newRow("empty" + c) << qsizetype(0) << chunk;
        QTest::newRow("one-below-the-bound" + c) << bound - 1 << chunk;
        QTest::newRow("at-the-bound" + c) << bound << chunk;
        QTest::newRow("one-over-the-bound" + c) << bound + 1 << chunk;
        QTest::newRow("a-line-over-the-bound" + c) << bound + 8 << chunk;
        QTest::newRow("far-over-the-bound" + c) << bound * 100 + 3 << chunk;
    }
}

void tst_BoundedCapture::keptWholeUpToTheBound()
{
    QFETCH(qsizetype, size);
    QFETCH(qsizetype, chunk);
    const QByteArray input = lines(size);
    BoundedCapture capture(kHead, kTail);
    const QByteArray kept = feed(capture, input, chunk);
    QCOMPARE(capture.totalBytes(), qint64(size));

    if (size <= kHead + kTail) {
        QCOMPARE(kept, input);
        QCOMPARE(capture.droppedBytes(), 0);
        return;
    }
    const std::optional<Split> parts = split(kept);
    QVERIFY2(parts, kept.constData());
    // Whole lines from the start and to the end, each as close to its limit as lines allow.
    QVERIFY(input.startsWith(parts->head));
    QVERIFY(parts->head.endsWith("\r\n"));
    QVERIFY(parts->head.size() <= kHead && parts->head.size() > kHead - 8);
    QVERIFY(input.endsWith(parts->tail));
    QVERIFY(parts->tail.size() <= kTail && parts->tail.size() > kTail - 8);
    QCOMPARE(input.at(input.size() - parts->tail.size() - 1), '\n');
    // The count is every byte in between.
    QCOMPARE(parts->dropped, qint64(size - parts->head.size() - parts->tail.size()));
    QCOMPARE(capture.droppedBytes(), parts->dropped);
}

void tst_BoundedCapture::longLinesAreKeptAsWritten_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("expected");
    const QByteArray a(kHead, 'a');
    const QByteArray b(kTail, 'b');
    // No line break to cut at: the bytes stay as they came, the count goes on a line of its own.
    QTest::newRow("one-endless-line")
        << a + "xx" + b << a + "\r\n" + BoundedCapture::droppedLine(2) + b;
    // The tail's first line break is its last byte: keeping only whole lines would keep nothing.
    QTest::newRow("tail-ends-its-only-line")
        << "h\r\n" + a + b.chopped(1) + "\n"
        << "h\r\n" + BoundedCapture::droppedLine(kHead) + b.chopped(1) + "\n";
    // A break just before the tail: the tail is whole as it is.
    QTest::newRow("break-just-before-the-tail")
        << a.chopped(1) + "\n" + "zz" + "\n" + b
        << a.chopped(1) + "\n" + BoundedCapture::droppedLine(3) + b;
}

void tst_BoundedCapture::longLinesAreKeptAsWritten()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, expected);
    BoundedCapture capture(kHead, kTail);
    QCOMPARE(feed(capture, input, 7), expected);
}

void tst_BoundedCapture::memoryStaysBoundedAndIsGivenBack()
{
    const qsizetype head = 4096;
    const qsizetype tail = 4096;
    BoundedCapture capture(head, tail);
    const QByteArray chunk = lines(1000);
    for (int i = 0; i < 2000; ++i) {
        capture.append(chunk);
        if (capture.overflowed())
            QVERIFY2(capture.heldBytes() <= 2 * (head + tail), qPrintable(QString::number(i)));
    }
    const QByteArray kept = capture.take();
    QVERIFY(kept.size() <= head + tail + 64);
    const std::optional<Split> parts = split(kept);
    QVERIFY(parts);
    QCOMPARE(parts->dropped, qint64(2000) * chunk.size() - parts->head.size() - parts->tail.size());
    QCOMPARE(capture.heldBytes(), 0);
    QCOMPARE(capture.totalBytes(), 0);
}

void tst_BoundedCapture::theBuildWindowReadsAroundTheDroppedLine()
{
    // An assembler's report of 500 errors, cut: the list goes on past the line that counts what
    // was left out, and the totals still come from the end.
    QByteArray report = "\r\n";
    for (int i = 1; i <= 500; ++i)
        report += "\t/p/a.asm (" + QByteArray::number(i) + "):  error 21h Symbol not defined\r\n";
    report += "\r\nSymbol space free:   65000\r\nTotal errors:        500\r\nTotal diags: 0\r\n";
    BoundedCapture capture(1000, 1000);
    const BuildOutput out = BuildOutput::parse(feed(capture, report, 4096));

    QVERIFY(capture.droppedBytes() > 0);
    QCOMPARE(out.totalErrors(), 500u);
    QCOMPARE(out.symbolSpaceFree(), 65000u);
    QCOMPARE(out.entry(0), QStringLiteral("\t/p/a.asm (1):  error 21h Symbol not defined"));
    QCOMPARE(out.goToTarget(out.count() - 1)->line, 500);
    int droppedRow = -1;
    for (int row = 0; row < out.count(); ++row) {
        if (out.entry(row).endsWith(QStringLiteral(" bytes of output left out]")))
            droppedRow = row;
    }
    QVERIFY(droppedRow > 0 && droppedRow < out.count() - 1);
    QVERIFY(!out.canGoTo(droppedRow));
    QVERIFY(out.goToTarget(droppedRow - 1)->line + 1 < out.goToTarget(droppedRow + 1)->line);
}

void tst_BoundedCapture::streamedOutputIsBoundedAlike_data()
{
    keptWholeUpToTheBound_data();
}

void tst_BoundedCapture::streamedOutputIsBoundedAlike()
{
    QFETCH(qsizetype, size);
    QFETCH(qsizetype, chunk);
    const QByteArray input = lines(size);
    BoundedStream stream(kHead, kTail);
    QByteArray passed;
    for (qsizetype at = 0; at < input.size(); at += chunk) {
        passed += stream.append(QByteArrayView(input).sliced(at, qMin(chunk, input.size() - at)));
        // What goes on as it comes is the head, never more.
        QVERIFY(passed.size() <= kHead);
    }
    QVERIFY(input.startsWith(passed));
    const QByteArray kept = passed + stream.finish();
    QCOMPARE(stream.totalBytes(), qint64(size));

    if (size <= kHead + kTail) {
        QCOMPARE(kept, input);
        QCOMPARE(stream.droppedBytes(), 0);
        return;
    }
    const std::optional<Split> parts = split(kept);
    QVERIFY2(parts, kept.constData());
    QVERIFY(input.startsWith(parts->head));
    QVERIFY(parts->head.endsWith("\r\n"));
    QVERIFY(parts->head.size() <= kHead && parts->head.size() > kHead - 8);
    QVERIFY(input.endsWith(parts->tail));
    QCOMPARE(input.at(input.size() - parts->tail.size() - 1), '\n');
    // Together within the bound: the tail may have what the head gave back to end on a line.
    QVERIFY(parts->head.size() + parts->tail.size() <= kHead + kTail);
    QVERIFY(parts->tail.size() > kTail - 8);
    QCOMPARE(parts->dropped, qint64(size - parts->head.size() - parts->tail.size()));
    QCOMPARE(stream.droppedBytes(), parts->dropped);
}

void tst_BoundedCapture::streamedLongLinesAreKeptAsWritten_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("passed"); // before the end
    QTest::addColumn<QByteArray>("expected");
    const QByteArray a(kHead, 'a');
    const QByteArray b(kTail, 'b');
    // No line break to cut at: the head goes on as it came, the count on a line of its own.
    QTest::newRow("one-endless-line")
        << a + "xx" + b << a << a + "\r\n" + BoundedCapture::droppedLine(2) + b;
    // The head ends its line where it fills: nothing to add before the count.
    QTest::newRow("head-ends-on-a-break")
        << a.chopped(1) + "\n" + "zz\n" + b << a.chopped(1) + "\n"
        << a.chopped(1) + "\n" + BoundedCapture::droppedLine(3) + b;
    // A line that runs over the head's end is finished at the end, nothing left out.
    const QByteArray across = "h\n" + a + "\n";
    QTest::newRow("line-across-the-head-within-the-bound")
        << across << across.first(kHead) << across;
}

void tst_BoundedCapture::streamedLongLinesAreKeptAsWritten()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, passed);
    QFETCH(QByteArray, expected);
    BoundedStream stream(kHead, kTail);
    QByteArray out;
    for (qsizetype at = 0; at < input.size(); at += 7)
        out += stream.append(
            QByteArrayView(input).sliced(at, qMin<qsizetype>(7, input.size() - at)));
    QCOMPARE(out, passed);
    QCOMPARE(out + stream.finish(), expected);
}

QTEST_GUILESS_MAIN(tst_BoundedCapture)
#include "tst_boundedcapture.moc"
