// The assembler's keyword table against the editor's colouring lists: both describe the one
// dialect, so every word the editor colours as a directive, instruction or register is a word
// qvasm accepts as such, and qvasm accepts nothing else beyond its two operators.

#include "editor/KeywordIndex.h"
#include "qvasm/Keywords.h"

#include <QTest>

using namespace qvasm;

class tst_QvasmKeywords : public QObject
{
    Q_OBJECT

private slots:
    void sameWordsAsTheColouringLists_data();
    void sameWordsAsTheColouringLists();
    void lookupIgnoresCase();
};

namespace {

QStringList acceptedOf(KeywordKind kind)
{
    QStringList out;
    for (const Keyword &k : acceptedKeywords()) {
        if (k.kind == kind)
            out << QString::fromLatin1(k.name.data(), qsizetype(k.name.size()));
    }
    return out;
}

} // namespace

void tst_QvasmKeywords::sameWordsAsTheColouringLists_data()
{
    QTest::addColumn<QStringList>("colouring");
    QTest::addColumn<QStringList>("accepted");
    QTest::newRow("directives") << KeywordIndex::builtInDirectives()
                                << acceptedOf(KeywordKind::Directive);
    QTest::newRow("instructions") << KeywordIndex::builtInInstructions()
                                  << acceptedOf(KeywordKind::Instruction);
    QTest::newRow("registers") << KeywordIndex::builtInRegisters()
                               << acceptedOf(KeywordKind::Register);
    QTest::newRow("operators") << QStringList{"ptr", "mod"} << acceptedOf(KeywordKind::Operator);
}

void tst_QvasmKeywords::sameWordsAsTheColouringLists()
{
    QFETCH(QStringList, colouring);
    QFETCH(QStringList, accepted);
    QStringList a = colouring, b = accepted;
    a.sort();
    b.sort();
    QCOMPARE(b.removeDuplicates(), 0);
    QCOMPARE(b, a);
}

void tst_QvasmKeywords::lookupIgnoresCase()
{
    for (const Keyword &k : acceptedKeywords()) {
        const QByteArray upper = QByteArray(k.name.data(), qsizetype(k.name.size())).toUpper();
        const KeywordRef *ref = lookupKeyword(std::string_view(upper.constData(), upper.size()));
        QVERIFY2(ref && ref->kind == k.kind, upper.constData());
    }
    QVERIFY(!lookupKeyword("movx"));
    QVERIFY(!lookupKeyword(""));
}

QTEST_GUILESS_MAIN(tst_QvasmKeywords)
#include "tst_qvasmkeywords.moc"
