#include "TestFiles.h"
#include "editor/MemberCollector.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using Kind = MemberCollector::Kind;
using Source = MemberCollector::Source;

namespace {

const QString pointStruct = "POINT struct\n"
                            "x dword ?\n"
                            "y dword ?\n"
                            "POINT ends\n";

} // namespace

class tst_MemberCollector : public QObject
{
    Q_OBJECT

private slots:
    void query_data();
    void query();
    void structure_data();
    void structure();
    void variable_data();
    void variable();
    void includeNames();
    void fromIncludes();
};

void tst_MemberCollector::query_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("name");

    QTest::newRow("variable-dot") << "        mov ax, pt." << int(Kind::Variable) << "pt";
    QTest::newRow("structure-arrow") << "  lea bx, POINT->" << int(Kind::Structure) << "POINT";
    QTest::newRow("blank-before-dot") << "mov pt ." << int(Kind::None) << "";
    QTest::newRow("in-comment") << "mov ax, 1 ; pt." << int(Kind::None) << "";
    QTest::newRow("in-single-quotes") << "db 'pt." << int(Kind::None) << "";
    QTest::newRow("in-double-quotes") << "db \"a pt." << int(Kind::None) << "";
    QTest::newRow("after-closed-string") << "db 'a', pt." << int(Kind::Variable) << "pt";
    QTest::newRow("greater-alone") << "cmp a>" << int(Kind::None) << "";
    QTest::newRow("name-capped") << QString(2000, u'a') + "." << int(Kind::Variable)
                                 << QString(1023, u'a');
}

void tst_MemberCollector::query()
{
    QFETCH(QString, line);
    QFETCH(int, kind);
    QFETCH(QString, name);
    const MemberCollector::Query q = MemberCollector::queryFor(line);
    QCOMPARE(int(q.kind), kind);
    QCOMPARE(q.name, name);
}

void tst_MemberCollector::structure_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("source");
    QTest::addColumn<QStringList>("members");

    const int doc = int(Source::Document), file = int(Source::File);
    QTest::newRow("case-blind-keywords")
        << "point STRUCT\n  a BYTE 0\n  b Dup (2)\n  c QWORD ?\n  d fword ?\n  e WORD 1\nPOINT ENDS"
        << doc << QStringList{"a", "b", "c", "d", "e"};
    QTest::newRow("tab-separated")
        << "POINT\tstruct\n\tx\tdword ?\n\ty\tword ?\nPOINT\tends" << doc << QStringList{"x", "y"};
    QTest::newRow("blank-line-ends-it-in-a-document")
        << "POINT struct\nx dword ?\n\ny dword ?\nPOINT ends" << doc << QStringList{"x"};
    QTest::newRow("blank-line-passed-over-in-a-file")
        << "POINT struct\nx dword ?\n\ny dword ?\nPOINT ends" << file << QStringList{"x", "y"};
    QTest::newRow("other-type-ends-it")
        << "POINT struct\nx dword ?\nz db ?\ny dword ?" << doc << QStringList{"x"};
    QTest::newRow("header-must-start-in-column-one")
        << "  POINT struct\nx dword ?\nPOINT ends" << doc << QStringList{};
    QTest::newRow("only-first-header-counts")
        << "POINT struct\nPOINT ends\nPOINT struct\nx dword ?\nPOINT ends" << doc << QStringList{};
}

void tst_MemberCollector::structure()
{
    QFETCH(QString, text);
    QFETCH(int, source);
    QFETCH(QStringList, members);
    QCOMPARE(MemberCollector::structureMembers(u"POINT", text, Source(source)), members);
}

void tst_MemberCollector::variable_data()
{
    QTest::addColumn<QString>("declarations");
    QTest::addColumn<QStringList>("members");

    QTest::newRow("case-blind") << "PT ST point ; comment" << QStringList{"x", "y"};
    QTest::newRow("not-declared") << "pq st POINT" << QStringList{};
    QTest::newRow("first-declaration-counts") << "pt st OTHER\npt st POINT" << QStringList{};
    QTest::newRow("other-lines-passed-over")
        << "mov ax, pt\npt dw 0\npt st POINT" << QStringList{"x", "y"};
}

void tst_MemberCollector::variable()
{
    QFETCH(QString, declarations);
    QFETCH(QStringList, members);
    QCOMPARE(MemberCollector::variableMembers(u"pt", declarations, pointStruct, Source::Document),
             members);
}

void tst_MemberCollector::includeNames()
{
    const QString text = "include 'defs.inc'\n"
                         "INCLUDE   macros.inc ; comment\n"
                         "include\tsub\\tab.inc\n"
                         "include ''\n"
                         "  include 'indented.inc'\n"
                         "includes.inc\n"
                         "include last.inc";
    QCOMPARE(MemberCollector::includeNames(text),
             (QStringList{"defs.inc", "macros.inc", "sub\\tab.inc", "last.inc"}));

    QCOMPARE(MemberCollector::resolveInclude("sub\\a.inc", "/src/prog/main.asm"),
             QString("/src/prog/sub/a.inc"));
    QCOMPARE(MemberCollector::resolveInclude("/abs/a.inc", "/src/main.asm"), QString("/abs/a.inc"));
    QCOMPARE(MemberCollector::resolveInclude("../x/./a.inc", "/src/p/main.asm"),
             QString("/src/x/a.inc"));
    QCOMPARE(MemberCollector::resolveInclude("a.inc", QString()),
             QDir::current().absoluteFilePath("a.inc"));
}

void tst_MemberCollector::fromIncludes()
{
    QTemporaryDir dir;
    QVERIFY(writeFileBytes(dir.filePath("defs.inc"),
                           "POINT struct\r\nx dword ?\r\n\r\ny dword ?\r\nPOINT ends\r\n"));
    QVERIFY(writeFileBytes(dir.filePath("other.inc"), "OTHER struct\r\na byte ?\r\nOTHER ends\r\n"));
    const QString docPath = dir.filePath("main.asm");
    const QString doc = "include 'missing.inc'\n"
                        "include 'other.inc'\n"
                        "include 'defs.inc'\n"
                        "pt st POINT\n"
                        "  mov ax, pt.";

    // From the file on disk: its blank line is passed over.
    QCOMPARE(MemberCollector::collect({Kind::Variable, "pt"}, doc, docPath),
             (QStringList{"x", "y"}));
    QCOMPARE(MemberCollector::collect({Kind::Structure, "POINT"}, doc, docPath),
             (QStringList{"x", "y"}));
    QCOMPARE(MemberCollector::collect({Kind::Structure, "OTHER"}, doc, docPath), QStringList{"a"});
    QCOMPARE(MemberCollector::collect({Kind::Structure, "NONE"}, doc, docPath), QStringList{});

    // An open include document answers with its unsaved text instead of the file.
    QStringList asked;
    auto open = [&](const QString &path) -> std::optional<QString> {
        asked << QFileInfo(path).fileName();
        if (path == dir.filePath("defs.inc"))
            return QString("POINT struct\nz word ?\nPOINT ends");
        return std::nullopt;
    };
    QCOMPARE(MemberCollector::collect({Kind::Variable, "pt"}, doc, docPath, open), QStringList{"z"});
    QCOMPARE(asked, (QStringList{"missing.inc", "other.inc", "defs.inc"}));

    // The current document comes first.
    const QString local = doc + "\nPOINT struct\nlocal byte ?\nPOINT ends";
    QCOMPARE(MemberCollector::collect({Kind::Variable, "pt"}, local, docPath, open),
             QStringList{"local"});
    QCOMPARE(MemberCollector::collect({}, local, docPath, open), QStringList{});
}

QTEST_GUILESS_MAIN(tst_MemberCollector)
#include "tst_membercollector.moc"
