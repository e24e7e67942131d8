#include "editor/LineMarks.h"
#include "make/BuildOutput.h"
#include "make/ErrorAnchors.h"
#include "make/ListingMap.h"
#include "make/OutputPaneText.h"

#include <QTest>

// The errors of a run as anchors: what is read from the tool's lines, where Next and Previous
// Error go (across files, wrapping), how the editors' moved lines come back, and the pane's line
// kinds and the gutter's width rule.
class tst_ErrorAnchors : public QObject
{
    Q_OBJECT

private slots:
    void readsMainLinesWithTheirContinuations();
    void step_data();
    void step();
    void severalErrorsOnOneLineAreVisitedInTurn();
    void movedAndDeletedLinesComeBackFromTheEditor();
    void paneLineKinds_data();
    void paneLineKinds();
    void gutterDigits_data();
    void gutterDigits();
    void listingMapsLinesOfEachFile();
    void codeSizeText_data();
    void codeSizeText();
};

namespace {

QByteArray capture(const QList<QByteArray> &lines)
{
    QByteArray out = "\r\n";
    for (const QByteArray &line : lines)
        out += line + "\r\n";
    return out + "\r\nSymbol space free: 100\r\nTotal errors: 2\r\nTotal diags: 1\r\n";
}

QByteArray errorLine(const QString &file, int line, const char *rest = "error 22h Syntax error")
{
    QByteArray text = "\t" + file.toUtf8() + " (" + QByteArray::number(line) + "):  " + rest;
    return text;
}

QByteArray diagLine(const QString &file, int line)
{
    return "\t" + file.toUtf8() + " (" + QByteArray::number(line)
           + "):   diag 76h Could use SHORT jump";
}

// a.asm errors on lines 20 and 5, b.inc on line 2, named in the order a, b, a.
ErrorAnchors threeAnchors()
{
    return ErrorAnchors::fromOutput(BuildOutput::parse(capture(
        {errorLine("/src/a.asm", 20), diagLine("/src/b.inc", 2), errorLine("/src/a.asm", 5)})));
}

} // namespace

void tst_ErrorAnchors::readsMainLinesWithTheirContinuations()
{
    const ErrorAnchors anchors = ErrorAnchors::fromOutput(BuildOutput::parse(capture({
        errorLine("/src/a.asm", 12, "error 21h Symbol not defined:  msg"),
        "         mov  dx,offset msg",
        diagLine("/src/b.inc", 3),
        errorLine("-", 0, "error 22h Syntax error"), // the run's own, no line of a file
    })));

    QCOMPARE(int(anchors.anchors().size()), 2);
    const ErrorAnchor &error = anchors.anchors()[0];
    QCOMPARE(error.file, QStringLiteral("/src/a.asm"));
    QCOMPARE(error.line, 12);
    QCOMPARE(error.kind, LineMark::Kind::Error);
    QCOMPARE(error.code, 0x21);
    QCOMPARE(error.message, QStringLiteral("Symbol not defined:  msg\nmov  dx,offset msg"));
    // The very text Error Info shows for the line.
    QCOMPARE(error.explanation,
             QStringLiteral(
                 "QVASM error return information:\nError:  21h\n:  Symbol not defined:  "));
    QVERIFY(error.toolTip().startsWith("error 21h: Symbol not defined:  msg\n"));
    QVERIFY(error.toolTip().endsWith(error.explanation));

    const ErrorAnchor &diag = anchors.anchors()[1];
    QCOMPARE(diag.kind, LineMark::Kind::Diagnostic);
    QCOMPARE(diag.code, 0x76);
    QVERIFY(diag.explanation.startsWith("QVASM error return information:\nDiag:  76h\n"));
    QCOMPARE(anchors.files(), (QStringList{"/src/a.asm", "/src/b.inc"}));

    const QList<LineMark> marks = anchors.marksFor("/src/a.asm");
    QCOMPARE(marks.size(), 1);
    QCOMPARE(marks[0].line, 12);
    QCOMPARE(marks[0].toolTip, error.toolTip());
}

void tst_ErrorAnchors::step_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("line");
    QTest::addColumn<bool>("forward");
    QTest::addColumn<QString>("toFile");
    QTest::addColumn<int>("toLine");

    const QString a = "/src/a.asm";
    const QString b = "/src/b.inc";
    QTest::newRow("next from a file the run did not name: the first")
        << "/src/c.asm" << 1 << true << a << 5;
    QTest::newRow("previous from a file the run did not name: the last")
        << "/src/c.asm" << 1 << false << b << 2;
    QTest::newRow("next from an untitled document") << QString() << 0 << true << a << 5;
    QTest::newRow("next before the first error of the file") << a << 1 << true << a << 5;
    QTest::newRow("next from an error line goes past it") << a << 5 << true << a << 20;
    QTest::newRow("next between two errors") << a << 6 << true << a << 20;
    QTest::newRow("next after the file's last error: the next file") << a << 20 << true << b << 2;
    QTest::newRow("next from the last error wraps to the first") << b << 2 << true << a << 5;
    QTest::newRow("next below the last error wraps") << b << 90 << true << a << 5;
    QTest::newRow("previous from the first error wraps to the last") << a << 5 << false << b << 2;
    QTest::newRow("previous above the first error wraps") << a << 1 << false << b << 2;
    QTest::newRow("previous between two errors") << a << 19 << false << a << 5;
    QTest::newRow("previous from the next file's error") << b << 2 << false << a << 20;
}

void tst_ErrorAnchors::step()
{
    QFETCH(QString, file);
    QFETCH(int, line);
    QFETCH(bool, forward);
    QFETCH(QString, toFile);
    QFETCH(int, toLine);

    ErrorAnchors anchors = threeAnchors();
    const int index = anchors.step(file, line, forward);
    QVERIFY(index >= 0);
    QCOMPARE(anchors.anchors()[size_t(index)].file, toFile);
    QCOMPARE(anchors.anchors()[size_t(index)].line, toLine);
}

void tst_ErrorAnchors::severalErrorsOnOneLineAreVisitedInTurn()
{
    ErrorAnchors anchors = ErrorAnchors::fromOutput(BuildOutput::parse(capture(
        {errorLine("/src/a.asm", 7), diagLine("/src/a.asm", 7), errorLine("/src/a.asm", 9)})));
    const int first = anchors.step("/src/a.asm", 1, true);
    QCOMPARE(first, 0);
    QCOMPARE(anchors.positionOf(first), 1);
    // The caret stayed on line 7: the second error of that line, then line 9, then round.
    QCOMPARE(anchors.step("/src/a.asm", 7, true), 1);
    QCOMPARE(anchors.step("/src/a.asm", 7, true), 2);
    QCOMPARE(anchors.step("/src/a.asm", 9, true), 0);
    QCOMPARE(anchors.step("/src/a.asm", 7, false), 2);
    QCOMPARE(ErrorAnchors().step("/src/a.asm", 1, true), -1);
}

void tst_ErrorAnchors::movedAndDeletedLinesComeBackFromTheEditor()
{
    ErrorAnchors anchors = threeAnchors();
    QList<LineMark> marks = anchors.marksFor("/src/a.asm");
    QCOMPARE(marks.size(), 2);
    // Two lines went in above line 5 and the line that was 20 was deleted.
    marks[1].line += 2; // marks are in output order: 20 first, then 5
    marks.removeFirst();
    anchors.takeMarks("/src/a.asm", marks);

    QCOMPARE(anchors.count(), 2);
    QCOMPARE(anchors.marksFor("/src/a.asm").size(), 1);
    QCOMPARE(anchors.marksFor("/src/a.asm")[0].line, 7);
    const int next = anchors.step("/src/a.asm", 7, true);
    QCOMPARE(anchors.anchors()[size_t(next)].file, QStringLiteral("/src/b.inc"));
    QCOMPARE(anchors.positionOf(next), 2);
    QCOMPARE(anchors.positionOf(0), 0); // gone
    // Another file's marks leave these alone.
    anchors.takeMarks("/src/c.asm", {});
    QCOMPARE(anchors.count(), 2);
}

void tst_ErrorAnchors::paneLineKinds_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("kind");

    using K = OutputPaneText::LineKind;
    QTest::newRow("first line") << "anything" << 0 << int(K::Banner);
    QTest::newRow("banner below") << "-=-=-=-=-=-=-=-=-= Building: x.com -=-=" << 7
                                  << int(K::Banner);
    QTest::newRow("search heading") << "Searching for 'mov'" << 3 << int(K::Banner);
    QTest::newRow("error") << "\t/s/a.asm (3):  error 22h Syntax error" << 1 << int(K::Error);
    QTest::newRow("diagnostic") << "\t/s/a.asm (3):   diag 76h Could use" << 1
                                << int(K::Diagnostic);
    QTest::newRow("search hit") << "/s/a.asm(3): mov ax,bx" << 1 << int(K::Hit);
    QTest::newRow("continuation") << "   mov ax,bx" << 2 << int(K::Plain);
    QTest::newRow("trailer") << "Total errors: 1" << 4 << int(K::Plain);
    QTest::newRow("parenthesis first") << "(12) text" << 4 << int(K::Plain);
}

void tst_ErrorAnchors::paneLineKinds()
{
    QFETCH(QString, line);
    QFETCH(int, row);
    QFETCH(int, kind);
    QCOMPARE(int(OutputPaneText::lineKind(line, row)), kind);
}

void tst_ErrorAnchors::gutterDigits_data()
{
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("digits");

    QTest::newRow("empty text") << 0 << 1;
    QTest::newRow("9 lines") << 9 << 1;
    QTest::newRow("10 lines") << 10 << 2;
    QTest::newRow("99,999 lines") << 99999 << 5;
    QTest::newRow("100,000 lines") << 100000 << 6;
}

void tst_ErrorAnchors::gutterDigits()
{
    QFETCH(int, lines);
    QFETCH(int, digits);
    QCOMPARE(LineGutterMetrics::digits(lines), digits);
    QCOMPARE(LineGutterMetrics::width(lines, 7, true),
             7 * (LineGutterMetrics::MarkColumnDigits + digits + LineGutterMetrics::PaddingDigits));
    QCOMPARE(LineGutterMetrics::width(lines, 7, false), 7 * LineGutterMetrics::MarkColumnDigits);
}

void tst_ErrorAnchors::listingMapsLinesOfEachFile()
{
    // As the assembler writes it for a source that includes a file, with a page break.
    const QByteArray listing
        = "QVASM listing of /s/main.asm\r\n"
          "\r\n"
          "  Line  Addr  Bytes                     Source\r\n"
          "\r\n"
          "     1  0100                            .model tiny\r\n"
          "     5  0100  B4 09                       mov ah,9\r\n"
          "     6  0102                              include inc.inc\r\n"
          "        ---- /s/inc.inc\r\n"
          "     1  0102  BA 08 01                    mov dx,offset msg\r\n"
          "     2  0105  E9 03 00                    jmp over\r\n"
          "*****  diag 76h Diagnostic: Could use SHORT jump\r\n"
          "     3  0108  68 69 24                  msg db \"hi$\"\r\n"
          "        ---- /s/main.asm\r\n"
          "\f     8  010D  01 02 03 04 05 06 07 08     db 1,2,3,4,5,6,7,8,9,10\r\n"
          "              09 0A\r\n"
          "     9  0117  C3                          ret\r\n"
          "\r\n"
          "        ---- /s/main.asm (10)\r\n"
          "*****  error 18h End of file before .END\r\n"
          "\r\n"
          "Symbols:\r\n"
          "\r\n"
          "msg                             data    0108      3\r\n";
    const ListingMap map = ListingMap::parse(listing);
    QCOMPARE(map.mainFile(), QStringLiteral("/s/main.asm"));

    const QHash<int, ListingMap::Entry> main = map.linesOf("/s/main.asm");
    QCOMPARE(main.size(), 5);
    QCOMPARE(ListingMap::gutterText(main[5]), QStringLiteral("0100  B4 09"));
    QCOMPARE(ListingMap::gutterText(main[1]), QStringLiteral("0100"));
    QCOMPARE(ListingMap::gutterText(main[8]), QStringLiteral("010D  01 02 03 04 05 06 07 08 09 0A"));
    QVERIFY(!main.contains(2));

    // The include file's lines are its own, not the main file's lines 1 to 3.
    const QHash<int, ListingMap::Entry> inc = map.linesOf("/s/inc.inc");
    QCOMPARE(inc.size(), 3);
    QCOMPARE(ListingMap::gutterText(inc[1]), QStringLiteral("0102  BA 08 01"));
    QCOMPARE(ListingMap::gutterText(inc[3]), QStringLiteral("0108  68 69 24"));
    QVERIFY(map.linesOf("/s/other.asm").isEmpty());

    // From the first byte at 0100h to the end of the ret at 0117h.
    QCOMPARE(map.codeSize(), 0x18);
    QCOMPARE(map.codeEnd(), 0x118);
    QCOMPARE(ListingMap::parse("").codeEnd(), -1);
}

void tst_ErrorAnchors::codeSizeText_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<int>("end");
    QTest::addColumn<QString>("text");

    QTest::newRow("from the listing")
        << qint64(24) << 0x118 << "Code: 24 bytes, up to 0118h of the 64 KiB segment (0% used)";
    QTest::newRow("the whole segment")
        << qint64(65280) << 0x10000
        << "Code: 65280 bytes, up to 10000h of the 64 KiB segment (100% used)";
    QTest::newRow("from the program's size")
        << qint64(32768) << -1 << "Code: 32768 bytes of the 64 KiB segment (50% used)";
}

void tst_ErrorAnchors::codeSizeText()
{
    QFETCH(qint64, size);
    QFETCH(int, end);
    QFETCH(QString, text);
    QCOMPARE(ListingMap::codeSizeText(size, end), text);
}

QTEST_GUILESS_MAIN(tst_ErrorAnchors)
#include "tst_erroranchors.moc"
