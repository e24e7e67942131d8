#include "build/NavigableLine.h"

#include <QTest>

class tst_NavigableLine : public QObject
{
    Q_OBJECT

private slots:
    void readsFileAndLine_data();
    void readsFileAndLine();
    void existingFileDecidesAmongParentheses();
    void caretLineStaysInTheDocument();
};

void tst_NavigableLine::readsFileAndLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("navigable");
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("number");
    QTest::newRow("find-in-files")
        << "/src/hello.asm(12): mov ax, 1" << true << "/src/hello.asm" << 12;
    QTest::newRow("assembler-line") << "  hello.asm (12):  error 22h" << true << "hello.asm" << 12;
    QTest::newRow("tab-led-assembler-line")
        << "\t/home/u/a b.asm (7):  error 22h" << true << "/home/u/a b.asm" << 7;
    QTest::newRow("blanks-between-digits") << "x.inc( 1 2 )" << true << "x.inc" << 12;
    QTest::newRow("no-closing-paren") << "x.inc(34" << true << "x.inc" << 34;
    QTest::newRow("line-zero") << "prog.asm(0): x" << false << QString() << 0;
    QTest::newRow("paren-first") << "(12) hello.asm" << false << QString() << 0;
    QTest::newRow("not-a-number") << "hello.asm(x)" << false << QString() << 0;
    QTest::newRow("blank-file-name") << "   (5)" << false << QString() << 0;
    QTest::newRow("no-paren") << "Searching for 'mov'" << false << QString() << 0;
    QTest::newRow("number-stops-past-999999") << "a.asm(123456789)" << true << "a.asm" << 1234567;
    QTest::newRow("beyond-the-end-kept-for-clamping") << "p.asm(9999)" << true << "p.asm" << 9999;
    // The whole line counts: a long path keeps its real line number.
    const QString longPath = "/" + QString(300, 'd') + "/x.asm";
    QTest::newRow("line-longer-than-256") << longPath + "(12): x" << true << longPath << 12;
}

void tst_NavigableLine::readsFileAndLine()
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

void tst_NavigableLine::existingFileDecidesAmongParentheses()
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

void tst_NavigableLine::caretLineStaysInTheDocument()
{
    QCOMPARE(NavigableLine::clampLine(9999, 120), 120);
    QCOMPARE(NavigableLine::clampLine(5, 120), 5);
    QCOMPARE(NavigableLine::clampLine(0, 120), 1);
    QCOMPARE(NavigableLine::clampLine(3, 0), 1);
    QVERIFY(!NavigableLine::isNavigableRow(0));
    QVERIFY(NavigableLine::isNavigableRow(1));
}

QTEST_GUILESS_MAIN(tst_NavigableLine)
#include "tst_navigableline.moc"
