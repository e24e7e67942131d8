#include "make/BuildOutput.h"
#include "make/ErrorCatalogue.h"
#include "make/NavigableLine.h"

#include <QTest>

#include <vector>

// The assembler's capture as the Build Window reads it, and the file(line) lines of the output
// pane.
class tst_BuildOutput : public QObject
{
    Q_OBJECT

private slots:
    void listsLinesAndReadsTrailer_data();
    void listsLinesAndReadsTrailer();
    void selectionRules_data();
    void selectionRules();
    void goToFindsFileAndLine_data();
    void goToFindsFileAndLine();
    void errorInfoExplainsTheCode_data();
    void errorInfoExplainsTheCode();
    void rowToSelectFollowsKeptSelection_data();
    void rowToSelectFollowsKeptSelection();
    void catalogueFallsBackOutsideItsRange();
    void readsFileAndLine_data();
    void readsFileAndLine();
    void existingFileDecidesAmongParentheses();
    void caretLineStaysInTheDocument();
};

void tst_BuildOutput::listsLinesAndReadsTrailer_data()
{
    QTest::addColumn<QByteArray>("capture");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<quint32>("symbols");
    QTest::addColumn<quint32>("errors");
    QTest::addColumn<quint32>("diags");

    QTest::newRow("tool-output-with-continuations")
        << QByteArray("\r\n\t/home/u/a.asm (3):  error 21h Symbol not defined:  msg\r\n"
                      "        mov dx, offset msg\r\n"
                      "\t/home/u/a.asm (9):   diag 76h Could use SHORT jump\r\n"
                      "\r\n"
                      "Symbol space free:   65000\r\n"
                      "Total errors:        1\r\n"
                      "Total diags:         1\r\n"
                      "Bytes written: 0\r\n")
        << QStringList{"\t/home/u/a.asm (3):  error 21h Symbol not defined:  msg",
                       "        mov dx, offset msg",
                       "\t/home/u/a.asm (9):   diag 76h Could use SHORT jump"}
        << 65000u << 1u << 1u;
    QTest::newRow("empty-first-line-still-reads-trailer")
        << QByteArray("\r\n\r\nSymbols: 7\r\nErrors: 0\r\nDiags: 2\r\n") << QStringList{} << 7u
        << 0u << 2u;
    QTest::newRow("no-line-break-at-all") << QByteArray("\r\nno line break here: 5")
                                          << QStringList{"no line break here: 5"} << 0u << 0u << 0u;
    QTest::newRow("missing-third-colon")
        << QByteArray("\r\n\r\nSymbols: 10\r\nErrors: 3\r\nDiags 4\r\n") << QStringList{} << 10u
        << 3u << 0u;
    QTest::newRow("nul-ends-the-capture")
        << QByteArray("\r\nfirst line\r\nsecond\0line\r\n\r\nA: 1\r\nB: 2\r\nC: 3\r\n", 47)
        << QStringList{"first line", "second"} << 0u << 0u << 0u;
    QTest::newRow("lf-only-line-ends") << QByteArray("\nline one\nline two\n\nA: 4\nB: 5\nC: 6\n")
                                       << QStringList{"line one", "line two"} << 4u << 5u << 6u;
    QTest::newRow("lone-cr-keeps-next-byte")
        << QByteArray("\r\nab (1):  error 01h\rcd (2):  error 02h\r\n\r\nA: 1\r\nB: 2\r\nC: 0")
        << QStringList{"ab (1):  error 01h", "cd (2):  error 02h"} << 1u << 2u << 0u;
    QTest::newRow("huge-number-saturates")
        << QByteArray("\r\n\r\nA: 99999999999999\r\nB: 1\r\nC: 1\r\n") << QStringList{}
        << 4294967295u << 1u << 1u;
    QTest::newRow("empty-capture") << QByteArray() << QStringList{} << 0u << 0u << 0u;
    const QByteArray longLine(100000, 'L');
    QTest::newRow("hundred-thousand-byte-line")
        << QByteArray("\r\n" + longLine + "\r\n\r\nA: 1\r\nB: 1\r\nC: 1\r\n")
        << QStringList{QString::fromLatin1(longLine)} << 1u << 1u << 1u;
    QTest::newRow("windows-1252-byte-in-path")
        << QByteArray("\r\n\tC:\\caf\xE9.asm (2):  error 22h\r\n\r\n")
        << QStringList{QString::fromUtf8("\tC:\\café.asm (2):  error 22h")} << 0u << 0u << 0u;
}

void tst_BuildOutput::listsLinesAndReadsTrailer()
{
    QFETCH(QByteArray, capture);
    QFETCH(QStringList, entries);
    QFETCH(quint32, symbols);
    QFETCH(quint32, errors);
    QFETCH(quint32, diags);

    // An exact heap copy without the NUL a QByteArray keeps, so reading past the end shows
    // under the address sanitizer.
    std::vector<char> exact(capture.cbegin(), capture.cend());
    const BuildOutput out = BuildOutput::parse(
        exact.empty() ? QByteArray()
                      : QByteArray::fromRawData(exact.data(), qsizetype(exact.size())));
    QStringList listed;
    for (int row = 0; row < out.count(); ++row) {
        listed << out.entry(row);
        // The per-row rules stay inside the row too (checked by the sanitizer).
        out.canGoTo(row);
        out.goToTarget(row);
        out.errorInfo(row);
    }
    QCOMPARE(listed, entries);
    QCOMPARE(out.symbolSpaceFree(), symbols);
    QCOMPARE(out.totalErrors(), errors);
    QCOMPARE(out.totalDiagnostics(), diags);
    const qsizetype nul = capture.indexOf('\0');
    QCOMPARE(out.length(), nul < 0 ? capture.size() : nul);
}

void tst_BuildOutput::selectionRules_data()
{
    QTest::addColumn<QByteArray>("entry");
    QTest::addColumn<bool>("canGoTo");
    QTest::addColumn<bool>("continuation");
    QTest::newRow("one-blank-after-paren-enables")
        << QByteArray("\tx.asm (1): text") << true << false;
    QTest::newRow("continuation-line") << QByteArray("   mov ax, bx") << false << true;
    QTest::newRow("continuation-with-marker") << QByteArray(" (1):  error 22h") << true << true;
    QTest::newRow("plain-text") << QByteArray("Bytes written: 0") << false << false;
}

void tst_BuildOutput::selectionRules()
{
    QFETCH(QByteArray, entry);
    QFETCH(bool, canGoTo);
    QFETCH(bool, continuation);
    QCOMPARE(BuildOutput::canGoTo(entry), canGoTo);
    QCOMPARE(BuildOutput::isContinuation(entry), continuation);
}

void tst_BuildOutput::goToFindsFileAndLine_data()
{
    QTest::addColumn<QByteArray>("entry");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("line");
    QTest::newRow("parentheses-in-path") << QByteArray("\t/home/u/old (2019)/a.asm (7):  error 22h")
                                         << true << "/home/u/old (2019)/a.asm" << 7;
    QTest::newRow("first-character-is-kept-when-not-a-tab")
        << QByteArray("foo.asm (12):  error 0Ch  x") << true << "foo.asm" << 12;
    QTest::newRow("unknown-switch-line")
        << QByteArray("\t- (0):  error 22h Syntax error") << true << "-" << 0;
    QTest::newRow("one-blank-is-not-enough")
        << QByteArray("\tx.asm (1): text") << false << QString() << 0;
    QTest::newRow("no-file-before-paren")
        << QByteArray("\t(5):  error 22h") << false << QString() << 0;
}

void tst_BuildOutput::goToFindsFileAndLine()
{
    QFETCH(QByteArray, entry);
    QFETCH(bool, found);
    QFETCH(QString, file);
    QFETCH(int, line);
    const auto location = BuildOutput::goToTarget(entry);
    QCOMPARE(location.has_value(), found);
    if (found) {
        QCOMPARE(location->file, file);
        QCOMPARE(location->line, line);
    }
}

void tst_BuildOutput::errorInfoExplainsTheCode_data()
{
    QTest::addColumn<QByteArray>("entry");
    QTest::addColumn<QString>("text"); // empty: no message
    const QString head = "QVASM error return information:\n";
    const QString internal = head + "Error:  99h\n:  Internal Asembler Error";
    QTest::newRow("include-file-not-found") << QByteArray("foo.asm (12):  error 0Ch  x")
                                            << head + "Error:   Ch\n:  Include file not found";
    QTest::newRow("diagnostic") << QByteArray("\tx.asm (3):   diag 76h Could use")
                                << head + "Diag:  76h\n" + ErrorCatalogue::text(0x76);
    QTest::newRow("code-above-range") << QByteArray("\tx.asm (3):  error 9Ah") << internal;
    QTest::newRow("code-zero") << QByteArray("\tx.asm (3):  error 00h") << internal;
    QTest::newRow("lower-case-hex") << QByteArray("\tx.asm (3):  error 0ch") << internal;
    QTest::newRow("highest-code") << QByteArray("\tx.asm (3):  error 93h")
                                  << head + "Error:  93h\n:  ENDP Label does not match PROC label";
    QTest::newRow("no-marker") << QByteArray("   mov ax, bx") << "**** -1 [   mov ax, bx]";
    QTest::newRow("no-h-after-code") << QByteArray("\tx.asm (3):  error 0C") << QString();
    QTest::newRow("cut-short") << QByteArray("\tx.asm (3):  error ") << QString();
}

void tst_BuildOutput::errorInfoExplainsTheCode()
{
    QFETCH(QByteArray, entry);
    QFETCH(QString, text);
    const auto message = BuildOutput::errorInfo(entry);
    QCOMPARE(message.has_value(), !text.isEmpty());
    if (message) {
        QCOMPARE(message->text, text);
        // Only a line with an error marker is explained as information.
        QCOMPARE(message->icon,
                 text.startsWith("QVASM") ? PromptIcon::Information : PromptIcon::None);
    }
}

void tst_BuildOutput::rowToSelectFollowsKeptSelection_data()
{
    QTest::addColumn<int>("lines");
    QTest::addColumn<QByteArray>("after"); // rows after each main line
    QTest::addColumn<int>("kept");
    QTest::addColumn<int>("row");
    QTest::newRow("fresh-selects-last") << 5 << QByteArray() << -1 << 4;
    QTest::newRow("kept-row-gone") << 2 << QByteArray() << 3 << -1;
    QTest::newRow("empty-list") << 0 << QByteArray() << -1 << -1;
    QTest::newRow("fresh-after-source-lines-selects-last-main-line")
        << 3 << QByteArray("   mov ax,,\r\n   ^\r\n") << -1 << 6;
    QTest::newRow("kept-continuation-row-stays") << 3 << QByteArray("   mov ax,,\r\n") << 1 << 1;
}

void tst_BuildOutput::rowToSelectFollowsKeptSelection()
{
    QFETCH(int, lines);
    QFETCH(QByteArray, after);
    QFETCH(int, kept);
    QFETCH(int, row);
    QByteArray capture = "\r\n";
    for (int i = 0; i < lines; ++i)
        capture += "\tx.asm (" + QByteArray::number(i + 1) + "):  error 22h\r\n" + after;
    QCOMPARE(BuildOutput::parse(capture).rowToSelect(kept), row);
}

void tst_BuildOutput::catalogueFallsBackOutsideItsRange()
{
    // 0 and 9Ah are the error-info rows'.
    QCOMPARE(ErrorCatalogue::text(-1), ErrorCatalogue::text(153));
    QVERIFY(ErrorCatalogue::text(6).startsWith("  Target File can not be Source File\n"));
}

void tst_BuildOutput::readsFileAndLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("navigable");
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("number");
    QTest::newRow("find-in-files")
        << "/src/hello.asm(12): mov ax, 1" << true << "/src/hello.asm" << 12;
    QTest::newRow("assembler-line") << "  hello.asm (12):  error 22h" << true << "hello.asm" << 12;
    QTest::newRow("blanks-between-digits") << "x.inc( 1 2 )" << true << "x.inc" << 12;
    QTest::newRow("no-closing-paren") << "x.inc(34" << true << "x.inc" << 34;
    QTest::newRow("line-zero") << "prog.asm(0): x" << false << QString() << 0;
    QTest::newRow("blank-file-name") << "   (5)" << false << QString() << 0;
    QTest::newRow("no-paren") << "Searching for 'mov'" << false << QString() << 0;
    QTest::newRow("number-stops-past-999999") << "a.asm(123456789)" << true << "a.asm" << 1234567;
    // The whole line counts: a long path keeps its real line number.
    const QString longPath = "/" + QString(300, 'd') + "/x.asm";
    QTest::newRow("line-longer-than-256") << longPath + "(12): x" << true << longPath << 12;
}

void tst_BuildOutput::readsFileAndLine()
{
    QFETCH(QString, line);
    QFETCH(bool, navigable);
    QFETCH(QString, file);
    QFETCH(int, number);
    const auto location = NavigableLine::parse(line);
    QCOMPARE(location.has_value(), navigable);
    if (navigable) {
        QCOMPARE(location->file, file);
        QCOMPARE(location->line, number);
    }
}

void tst_BuildOutput::existingFileDecidesAmongParentheses()
{
    const QString line = "\t/home/u/old (2019)/a.asm (7):  error 22h";
    // Without a way to check, the first "(" is read, as the form says.
    QCOMPARE(NavigableLine::parse(line)->file, QString("/home/u/old"));
    const auto exists = [](const QString &path) { return path == "/home/u/old (2019)/a.asm"; };
    const auto location = NavigableLine::parse(line, exists);
    QVERIFY(location);
    QCOMPARE(location->file, QString("/home/u/old (2019)/a.asm"));
    QCOMPARE(location->line, 7);
    QVERIFY(!NavigableLine::parse(line, [](const QString &) { return false; }));
    QVERIFY(!NavigableLine::parse(u"(1) a.asm(2)", [](const QString &) { return true; }));
}

void tst_BuildOutput::caretLineStaysInTheDocument()
{
    QCOMPARE(NavigableLine::clampLine(9999, 120), 120);
    QCOMPARE(NavigableLine::clampLine(5, 120), 5);
    QCOMPARE(NavigableLine::clampLine(0, 120), 1);
    QCOMPARE(NavigableLine::clampLine(3, 0), 1);
    QVERIFY(!NavigableLine::isNavigableRow(0));
    QVERIFY(NavigableLine::isNavigableRow(1));
}

QTEST_GUILESS_MAIN(tst_BuildOutput)
#include "tst_buildoutput.moc"
