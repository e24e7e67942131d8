#include "editor/HelpFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class tst_HelpFile : public QObject
{
    Q_OBJECT

private slots:
    void entries_data();
    void entries();
    void wordAtCaret_data();
    void wordAtCaret();
};

void tst_HelpFile::entries_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("shown");

    const QString notFound = "Could not find \"%1\" in help file...";
    QTest::newRow("case-blind") << QByteArray("[>MOV<]\r\n{Moves.}") << "mov"
                                << "Moves.";
    QTest::newRow("text-over-lines-tabs-as-two-blanks")
        << QByteArray("layout\r\n[>add<] {\r\n\tadd ax, 1\r\n}\r\n") << "add"
        << "\n  add ax, 1\n";
    QTest::newRow("every-capital-folds")
        << QByteArray("[>ABCDEFGHIJKLMNOPQRSTUVWXYZ<]{all}") << "abcdefghijklmnopqrstuvwxyz"
        << "all";
    QTest::newRow("every-small-letter-folds")
        << QByteArray("[>abcdefghijklmnopqrstuvwxyz<]{all}") << "ABCDEFGHIJKLMNOPQRSTUVWXYZ"
        << "all";
    // The characters next to A and Z are not letters: they stay as they are.
    QTest::newRow("neighbours-of-the-capitals-kept")
        << QByteArray("[>@[<]{sym}") << "`{" << notFound.arg("`{");
    QTest::newRow("first-entry-wins") << QByteArray("[>inc<]{one}[>inc<]{two}") << "inc"
                                      << "one";
    QTest::newRow("marker-inside-text-is-a-keyword")
        << QByteArray("[>a<]{see [>b<]}{inner}[>b<]{late}") << "b"
        << "inner";
    QTest::newRow("no-braces-takes-the-next") << QByteArray("[>a<] nothing [>b<] {b text}") << "a"
                                              << "b text";
    QTest::newRow("no-braces-before-end") << QByteArray("[>a<] {open") << "a" << notFound.arg("a");
    QTest::newRow("unclosed-marker") << QByteArray("[>mov {x}") << "mov" << notFound.arg("mov");
    QTest::newRow("keyword-of-255-passed-over")
        << QByteArray("[>" + QByteArray(255, 'k') + "<]{long}") << QString(255, u'k')
        << notFound.arg(QString(255, u'k'));
    QTest::newRow("keyword-of-254")
        << QByteArray("[>" + QByteArray(254, 'k') + "<]{long}") << QString(254, u'k') << "long";
    QTest::newRow("windows-1252") << QByteArray("[>x<]{\x93quoted\x94}") << "x"
                                  << QString("\u201cquoted\u201d");
    // A huge entry is cut for the pop-up, at the character and at the line limit.
    const qsizetype chars = HelpFile::MaxEntryChars;
    const qsizetype lines = HelpFile::MaxEntryLines;
    QTest::newRow("chars-at-the-limit") << "[>big<]{" + QByteArray(chars, 'x') + "}"
                                        << "big" << QString(chars, u'x');
    QTest::newRow("chars-past-the-limit") << "[>big<]{" + QByteArray(chars + 1, 'x') + "}"
                                          << "big" << QString(chars, u'x') + "\n...";
    QByteArray manyLines;
    for (qsizetype i = 0; i < lines; ++i)
        manyLines += "l\n";
    QTest::newRow("lines-at-the-limit") << "[>big<]{" + manyLines.chopped(1) + "}"
                                        << "big" << QString(manyLines.chopped(1));
    QTest::newRow("lines-past-the-limit") << "[>big<]{" + manyLines + "l}"
                                          << "big" << QString(manyLines.chopped(1)) + "\n...";
}

void tst_HelpFile::entries()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, word);
    QFETCH(QString, shown);
    const HelpFile help = HelpFile::fromContent(content);
    QCOMPARE(help.popupText(word), shown);
}

void tst_HelpFile::wordAtCaret_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("word");

    // clang-format off
    QTest::newRow("on-first-character") << "mov ax,bx" << 0 << "mov";
    QTest::newRow("on-blank-after") << "mov ax,bx" << 3 << "";
    QTest::newRow("end-of-line") << "mov ax,bx" << 9 << "";
    QTest::newRow("brackets-and-plus") << "[bx+si]" << 4 << "si";
    // The help file has entries for what these pick out, which is not always a listed keyword.
    QTest::newRow("segment-override-keeps-its-colon") << "mov ax, es:[di]" << 8 << "es:";
    QTest::newRow("x87-register-before-parenthesis") << "fld st(1)" << 4 << "st";
    QTest::newRow("location-counter-before-minus") << "len equ $-msg" << 8 << "$";
    QTest::newRow("lone-operator") << "count = count+1" << 6 << "=";
    QTest::newRow("nul-ends-word") << QString::fromUtf16(u"ab\0cd", 5) << 1 << "ab";
    QTest::newRow("capped-at-250") << QString(300, u'w') << 10 << QString(250, u'w');
    // clang-format on
}

void tst_HelpFile::wordAtCaret()
{
    QFETCH(QString, line);
    QFETCH(int, column);
    QFETCH(QString, word);
    QCOMPARE(HelpFile::wordAt(line, column), word);
}

QTEST_GUILESS_MAIN(tst_HelpFile)
#include "tst_helpfile.moc"
