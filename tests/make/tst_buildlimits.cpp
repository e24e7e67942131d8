#include "make/AssemblerCommandLine.h"
#include "make/BuildOutput.h"
#include "make/ErrorCatalogue.h"
#include "make/NavigableLine.h"

#include <QTest>

// The readers of the assembler's output over their whole digit and letter classes, and at both
// sides of their limits.
class tst_BuildLimits : public QObject
{
    Q_OBJECT

private slots:
    void errorCodesReadEveryHexDigit_data();
    void errorCodesReadEveryHexDigit();
    void lineNumbersReadEveryDigit_data();
    void lineNumbersReadEveryDigit();
    void listEndsAtTheFirstShortLine_data();
    void listEndsAtTheFirstShortLine();
    void freshSelectionReachesTheFirstRow_data();
    void freshSelectionReachesTheFirstRow();
    void buildArgumentsLeaveOutAnEmptyTarget_data();
    void buildArgumentsLeaveOutAnEmptyTarget();
};

void tst_BuildLimits::errorCodesReadEveryHexDigit_data()
{
    QTest::addColumn<QByteArray>("code"); // the two characters before the 'h'
    QTest::addColumn<int>("shown");       // the code whose text is shown

    const QByteArray digits = "0123456789ABCDEF";
    for (int v = 0; v < 16; ++v) {
        const char d = digits.at(v);
        QTest::addRow("low-%c", d) << QByteArray("1") + d << 0x10 + v;
        if (v > 0 && v < 10)
            QTest::addRow("high-%c", d) << QByteArray(1, d) + "0" << v * 16;
    }
    // The catalogue ends at 99h (153): the next code falls back.
    QTest::newRow("last-known-99") << QByteArray("99") << 0x99;
    QTest::newRow("first-unknown-9A") << QByteArray("9A") << ErrorCatalogue::FallbackCode;
    QTest::newRow("first-known-01") << QByteArray("01") << 0x01;
    QTest::newRow("zero-unknown") << QByteArray("00") << ErrorCatalogue::FallbackCode;
    QTest::newRow("letter-G-unknown") << QByteArray("1G") << ErrorCatalogue::FallbackCode;
    QTest::newRow("letter-a-lower-unknown") << QByteArray("1a") << ErrorCatalogue::FallbackCode;
}

void tst_BuildLimits::errorCodesReadEveryHexDigit()
{
    QFETCH(QByteArray, code);
    QFETCH(int, shown);
    QCOMPARE(BuildOutput::errorCode(code.at(0), code.at(1)), shown);
    const auto info = BuildOutput::errorInfo("\tx.asm (3):  error " + code + "h text");
    QVERIFY(info);
    QVERIFY2(info->text.endsWith(ErrorCatalogue::text(shown)), qPrintable(info->text));
    QVERIFY2(info->text.contains(QString::asprintf("Error:  %2Xh\n", shown)),
             qPrintable(info->text));
}

void tst_BuildLimits::lineNumbersReadEveryDigit_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("number"); // 0: not navigable

    for (int d = 0; d < 10; ++d) {
        QTest::addRow("digit-%d-alone", d) << QString("a.asm(%1): x").arg(d) << d;
        QTest::addRow("digit-%d-after-1", d) << QString("a.asm (1%1):  error 22h").arg(d) << 10 + d;
    }
    QTest::newRow("every-digit") << "a.asm(1234567890)" << 1234567;
    QTest::newRow("at-the-limit") << "a.asm(999999)" << 999999;
    QTest::newRow("one-past-the-limit-stops") << "a.asm(99999999)" << 9999999;
    QTest::newRow("line-one") << "a.asm(1)" << 1;
    QTest::newRow("colon-after-digits") << "a.asm(9:1)" << 9;
    QTest::newRow("slash-before-zero") << "a.asm(/5)" << 0;
}

void tst_BuildLimits::lineNumbersReadEveryDigit()
{
    QFETCH(QString, line);
    QFETCH(int, number);
    const auto location = NavigableLine::parse(line);
    QCOMPARE(location.has_value(), number > 0);
    if (location) {
        QCOMPARE(location->file, QString("a.asm"));
        QCOMPARE(location->line, number);
        // The caret goes to that line in a document long enough, to the last line otherwise.
        QCOMPARE(NavigableLine::clampLine(location->line, number), number);
        QCOMPARE(NavigableLine::clampLine(location->line, number - 1), qMax(1, number - 1));
    }
}

void tst_BuildLimits::listEndsAtTheFirstShortLine_data()
{
    QTest::addColumn<QByteArray>("shortLine");
    QTest::addColumn<bool>("listed");
    QTest::newRow("empty-ends") << QByteArray() << false;
    QTest::newRow("one-character-ends") << QByteArray("x") << false;
    QTest::newRow("two-characters-end") << QByteArray("xy") << false;
    QTest::newRow("three-characters-listed") << QByteArray("xyz") << true;
}

// The list of messages runs up to the first line of two characters or fewer; the three trailer
// lines follow it.
void tst_BuildLimits::listEndsAtTheFirstShortLine()
{
    QFETCH(QByteArray, shortLine);
    QFETCH(bool, listed);
    const QByteArray trailer = "Free: 7\r\nErrors: 1\r\nDiags: 2\r\n";
    QByteArray capture = "\r\nab (1):  error 01h\r\n" + shortLine + "\r\n";
    if (listed)
        capture += "\r\n";
    const BuildOutput out = BuildOutput::parse(capture + trailer);
    QCOMPARE(out.count(), listed ? 2 : 1);
    QCOMPARE(out.entry(0), QString("ab (1):  error 01h"));
    if (listed)
        QCOMPARE(out.entry(1), QString::fromLatin1(shortLine));
    QCOMPARE(out.symbolSpaceFree(), 7u);
    QCOMPARE(out.totalErrors(), 1u);
    QCOMPARE(out.totalDiagnostics(), 2u);
}

void tst_BuildLimits::freshSelectionReachesTheFirstRow_data()
{
    QTest::addColumn<QByteArray>("rows");
    QTest::addColumn<int>("selected");
    QTest::newRow("main-line-first-then-continuations")
        << QByteArray("a (1):  error 22h\r\n   mov ax,,\r\n   ^\r\n") << 0;
    QTest::newRow("main-line-second") << QByteArray("   x\r\na (1):  error 22h\r\n   y\r\n") << 1;
    QTest::newRow("continuations-only-last") << QByteArray("   x\r\n   y\r\n") << 1;
    QTest::newRow("single-main-line") << QByteArray("a (1):  error 22h\r\n") << 0;
}

void tst_BuildLimits::freshSelectionReachesTheFirstRow()
{
    QFETCH(QByteArray, rows);
    QFETCH(int, selected);
    const BuildOutput out = BuildOutput::parse("\r\n" + rows + "\r\nA: 0\r\nB: 1\r\nC: 0");
    QCOMPARE(out.rowToSelect(-1), selected);
}

void tst_BuildLimits::buildArgumentsLeaveOutAnEmptyTarget_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("empty-target-left-out") << QString() << QStringList{"main.asm", "/x"};
    QTest::newRow("target-after-source") << "out.com" << QStringList{"main.asm", "out.com", "/x"};
    QTest::newRow("one-character-target") << "a" << QStringList{"main.asm", "a", "/x"};
}

// An empty argument would reach the assembler as a file name of its own.
void tst_BuildLimits::buildArgumentsLeaveOutAnEmptyTarget()
{
    QFETCH(QString, target);
    QFETCH(QStringList, arguments);
    QCOMPARE(AssemblerCommandLine::buildArguments("main.asm", target, {"/x"}), arguments);
}

QTEST_GUILESS_MAIN(tst_BuildLimits)
#include "tst_buildlimits.moc"
