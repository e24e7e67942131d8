#include "editor/KeywordIndex.h"
#include "editor/SyntaxScanner.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTest>

#include <vector>

namespace {

constexpr int Black = -1;

// The formats of the characters, Black where no span lies; spans must be in order, apart and
// inside the text.
std::vector<int> paint(const QList<SyntaxSpan> &spans, qsizetype size, QString *error = nullptr)
{
    std::vector<int> colours(size_t(size), Black);
    int end = 0;
    for (const SyntaxSpan &s : spans) {
        if (s.length <= 0 || s.start < end || s.start + s.length > size) {
            if (error)
                *error = QString("bad span %1+%2 after %3 in %4")
                             .arg(s.start)
                             .arg(s.length)
                             .arg(end)
                             .arg(size);
            return {};
        }
        for (int k = s.start; k < s.start + s.length; ++k)
            colours[size_t(k)] = int(s.format);
        end = s.start + s.length;
    }
    return colours;
}

// One letter per character: . black, D directive, I instruction, R register, Y symbol,
// c comment, s string.
QString marks(const std::vector<int> &colours)
{
    static const char letters[] = "DIRYcs";
    QString out;
    for (int c : colours)
        out += c == Black ? u'.' : QChar(letters[c]);
    return out;
}

// The colouring rules read literally: a keyword list in ascending order walked entry by entry
// at every candidate, and a colour per character painted in scan order, later over earlier.
// Slow and plain on purpose, to check the indexed scanner against.
struct ReferenceColorer
{
    struct Node
    {
        QString text;
        int category;
    };
    QList<Node> list; // ascending

    void add(const QString &commaSeparated, int category)
    {
        for (const QString &entry : commaSeparated.split(u',')) {
            if (entry.isEmpty() || entry.contains(u'\r'))
                continue;
            qsizetype at = 0;
            while (at < list.size() && list[at].text < entry)
                ++at;
            if (at < list.size() && list[at].text == entry)
                list[at] = Node{entry, category};
            else
                list.insert(at, Node{entry, category});
        }
    }

    static bool delimiter(QChar c)
    {
        return QStringView(u"\x01\t\n\r ;(){}[]*,<>+-").contains(c) || c.unicode() == 0;
    }
    static QChar lower(QChar c) { return (c >= u'A' && c <= u'Z') ? QChar(c.unicode() + 32) : c; }

    int normalCode(QChar c) const
    {
        if (c == u'"')
            return 1;
        if (c == u'\'')
            return 3;
        if (c == u';')
            return 5;
        for (const Node &n : list) {
            if (n.text.at(0) == c)
                return 9;
        }
        return 0;
    }

    std::vector<int> colour(const QString &text) const
    {
        enum State { Normal, String, LineComment, CommentBlock } state = Normal;
        enum Kind { None, Double, Single } kind = None;
        const qsizetype n = text.size();
        std::vector<int> colours(size_t(n), Black);
        auto paintRange = [&](qsizetype from, qsizetype to, int format) {
            for (qsizetype k = from; k < std::min(to, n); ++k)
                colours[size_t(k)] = format;
        };
        const int comment = int(SyntaxFormat::Comment), string = int(SyntaxFormat::String);
        qsizetype spanStart = 0;
        QChar closer;
        bool hasCloser = false;
        qsizetype i = 0;
        while (i < n) {
            if (text.mid(i, 8) == QLatin1String("comment ") && state != LineComment
                && state != CommentBlock) {
                if (state == String)
                    paintRange(spanStart, i, string);
                if (!list.isEmpty())
                    paintRange(i, i + 7, list.first().category);
                hasCloser = i + 8 < n;
                if (hasCloser)
                    closer = text.at(i + 8);
                state = CommentBlock;
                spanStart = i + 8;
                i += 9;
                continue;
            }
            if (state == CommentBlock && hasCloser && text.at(i) == closer) {
                paintRange(spanStart, i, comment);
                state = LineComment;
                ++i;
                continue;
            }
            const QChar c = lower(text.at(i));
            if (state == Normal) {
                switch (normalCode(c)) {
                case 1:
                case 3:
                    state = String;
                    kind = c == u'"' ? Double : Single;
                    spanStart = i;
                    break;
                case 5:
                    state = LineComment;
                    spanStart = i;
                    break;
                case 9:
                    for (const Node &node : list) {
                        const qsizetype len = node.text.size();
                        bool match = i + len <= n && (i == 0 || delimiter(text.at(i - 1)))
                                     && (i + len == n || delimiter(text.at(i + len)));
                        for (qsizetype k = 0; match && k < len; ++k)
                            match = lower(text.at(i + k)) == node.text.at(k);
                        if (match) {
                            paintRange(i, i + len, node.category);
                            i += len;
                            goto next;
                        }
                    }
                    break;
                }
            } else if (state == String) {
                if (c == u'"' && kind == Double) {
                    paintRange(spanStart, i + 1, string);
                    state = Normal;
                    kind = None;
                } else if (c == u'\'') {
                    const bool escaped = i > 0 && text.at(i - 1) == u'\\' && i + 1 < n
                                         && text.at(i + 1) == u'\'';
                    if (!escaped && kind == Single) {
                        paintRange(spanStart, i + 1, string);
                        state = Normal;
                        kind = None;
                    }
                }
            } else if (state == LineComment && c == u'\r') {
                if (!(i >= 2 && text.at(i - 2) == u'\\')) {
                    paintRange(spanStart, i + 1, comment);
                    state = Normal;
                }
            }
            ++i;
        next:;
        }
        if (state == String)
            paintRange(spanStart, n, string);
        else if (state != Normal)
            paintRange(spanStart, n, comment);
        return colours;
    }
};

// Colours the text line by line, carrying the state through its int form, and paints the lines'
// spans back into whole-text positions; line ends stay unpainted.
std::vector<int> paintByLines(const SyntaxScanner &scanner, const QString &text, QString *error)
{
    std::vector<int> colours(size_t(text.size()), Black);
    const QStringList lines = text.split(u'\r');
    int state = -1;
    qsizetype offset = 0;
    for (qsizetype l = 0; l < lines.size(); ++l) {
        QList<SyntaxSpan> spans;
        const bool lineEnd = l + 1 < lines.size();
        state = scanner.scanLine(lines[l], SyntaxLineState::fromUserState(state), lineEnd, spans)
                    .toUserState();
        if (state < 0) {
            *error = "negative user state";
            return {};
        }
        const std::vector<int> lineColours = paint(spans, lines[l].size(), error);
        if (lineColours.size() != size_t(lines[l].size()))
            return {};
        std::copy(lineColours.begin(), lineColours.end(), colours.begin() + offset);
        offset += lines[l].size() + 1;
    }
    return colours;
}

std::vector<int> withoutLineEnds(std::vector<int> colours, const QString &text)
{
    for (qsizetype k = 0; k < text.size(); ++k) {
        if (text.at(k) == u'\r')
            colours[size_t(k)] = Black;
    }
    return colours;
}

// Text built from pieces that exercise every rule, in random order.
QString randomSource(QRandomGenerator &rng, int pieces)
{
    static const QStringList parts = {
        "mov",       "ax",       "st(0)",
        "st(",       "st",       "comment ",
        "comment\t", "COMMENT ", "comment",
        "cs:",       "%day",     " ",
        "  ",        "\t",       ",",
        "(",         ")",        "[",
        "]",         "+",        "-",
        "\r",        "\r",       ";",
        "\"",        "'",        "\\",
        "\\'",       "'\\''",    "~",
        "x",         "AL",       "alld",
        ".model",    "db",       "5",
        "ä",         "\u20AC",   QString(QChar(0)),
        "\x01",      "abc ",     "two words",
        "'q",        "Upper",    "tab\tin",
    };
    QString text;
    for (int k = 0; k < pieces; ++k)
        text += parts[rng.bounded(int(parts.size()))];
    return text;
}

QString sourceText(const QByteArray &bytes)
{
    QString text = QString::fromUtf8(bytes);
    text.replace("\r\n", "\r");
    text.replace(u'\n', u'\r');
    return text;
}

QString dataPath(const QString &name)
{
    return qEnvironmentVariable("QVASMIDE_SOURCE_DIR") + "/tests/data/colouring/" + name;
}

const char *formatName(int format)
{
    static const char *names[]
        = {"directive", "instruction", "register", "symbol", "comment", "string"};
    return names[format];
}

// The golden form: one row per coloured run within a line: line, column, length, format, text.
QStringList goldenRows(const QString &text, const std::vector<int> &colours)
{
    QStringList rows;
    int line = 1;
    qsizetype column = 0;
    for (qsizetype k = 0; k < text.size();) {
        if (text.at(k) == u'\r') {
            ++line;
            column = 0;
            ++k;
            continue;
        }
        qsizetype end = k;
        while (end < text.size() && text.at(end) != u'\r'
               && colours[size_t(end)] == colours[size_t(k)])
            ++end;
        if (colours[size_t(k)] != Black) {
            rows << QString("%1:%2 %3 %4 |%5|")
                        .arg(line)
                        .arg(column + 1)
                        .arg(end - k)
                        .arg(formatName(colours[size_t(k)]))
                        .arg(text.mid(k, end - k));
        }
        column += end - k;
        k = end;
    }
    return rows;
}

} // namespace

class tst_SyntaxScanner : public QObject
{
    Q_OBJECT

private slots:
    void colours_data();
    void colours();
    void lineByLineEqualsWholeText_data();
    void lineByLineEqualsWholeText();
    void indexedScanEqualsListWalk();
    void goldenFiles_data();
    void goldenFiles();
    void anyInputIsSafe();
    void caretLineStartsPlain();
};

void tst_SyntaxScanner::colours_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    // clang-format off
    QTest::newRow("instruction-register-comment")
        << "mov ax, 5 ; set ax"
        << "III.RR....cccccccc";
    QTest::newRow("upper-case-like-lower") << "MOV AX,BX" << "III.RR.RR";
    QTest::newRow("semicolon-right-after-register") << "push ax;save" << "IIII.RRccccc";
    QTest::newRow("delimiters-on-both-sides") << "xmov mov2 .mov" << "..............";
    QTest::newRow("apostrophe-in-double-quotes") << "db \"it's\",0" << "DD.ssssss..";
    QTest::newRow("quote-in-single-quotes") << "db 'say \"hi\"'" << "DD.ssssssssss";
    QTest::newRow("escaped-single-quote") << "'a\\''b'" << "sssss.s";
    QTest::newRow("comment-block-over-two-lines")
        << "comment ~ first\rlast ~ rest\rmov ax"
        << "DDDDDDD.ccccccccccccccccccccIII.RR";
    QTest::newRow("comment-then-tab-is-only-a-directive") << "comment\tx ; y" << "DDDDDDD...ccc";
    QTest::newRow("upper-case-opens-no-block") << "COMMENT ~ x" << "DDDDDDD...." ;
    QTest::newRow("comment-inside-a-word") << "xcomment ~ a~b" << ".DDDDDDD.ccccc";
    QTest::newRow("string-cut-by-comment-keeps-colour")
        << "db \"a comment xyx\", 0\rmov ax"
        << "DD.sssDDDDDDD.ccccccccIII.RR";
    QTest::newRow("st-before-st(0)") << "fld st(0)" << "III.DD...";
    QTest::newRow("segment-override") << "mov ax,cs:[bx]" << "III.RR.DDD.RR.";
    QTest::newRow("memory-operand") << "[bx+si-2]" << ".RR.RR...";
    QTest::newRow("unterminated-string-runs-on")
        << "db \"abc\rmov ax"
        << "DD.sssssssssss";
    QTest::newRow("backslash-two-before-line-end-continues")
        << "; a\\b\rmov\rax"
        << "ccccccccccRR";
    QTest::newRow("backslash-at-line-end-does-not")
        << "; end\\\rmov"
        << "cccccccIII";
    QTest::newRow("semicolon-in-string") << "db 'a;b' ; c" << "DD.sssss.ccc";
    QTest::newRow("comment-as-last-word") << "db comment" << "DD.DDDDDDD";
    QTest::newRow("comment-and-blank-at-end") << "db comment " << "DD.DDDDDDD.";
    QTest::newRow("comment-closer-is-last-character") << "comment ~" << "DDDDDDD.c";
    QTest::newRow("nul-is-a-delimiter") << QString::fromUtf16(u"mov\0ax", 6) << "III.RR";
    QTest::newRow("non-ascii-is-text") << QString("mov \u00e4x,\u0430\u0445 al") << "III.......RR";
    // clang-format on
}

void tst_SyntaxScanner::colours()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(expected.size(), text.size());
    const KeywordIndex keywords = KeywordIndex::withBuiltIns();
    const SyntaxScanner scanner(keywords);
    QString error;
    const std::vector<int> colours = paint(scanner.scanRange(text), text.size(), &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(marks(colours), expected);
}

void tst_SyntaxScanner::lineByLineEqualsWholeText_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("block-closer-is-the-line-end") << "comment \rabc\rdef\rmov ax";
    QTest::newRow("block-closer-is-last-on-line") << "comment ~\rab~cd\rmov";
    QTest::newRow("string-over-lines-cut-by-block") << "db \"ab\rcd comment x\rxy\rmov";
    QTest::newRow("backslash-before-empty-line") << "; a\\\\\r\r\rmov";
    QTest::newRow("backslash-one-before-line-end") << "; \\x\r\rmov";
    QTest::newRow("escaped-quote-at-line-start") << "'ab\r\\''x'\rmov";
    QTest::newRow("empty-lines") << "\r\r\r";
    QTest::newRow("last-line-ends-in-comment-word") << "mov\rcomment ";
    for (int seed = 1; seed <= 400; ++seed) {
        QRandomGenerator rng(seed);
        QTest::addRow("random-%d", seed) << randomSource(rng, 10 + int(rng.bounded(200)));
    }
}

void tst_SyntaxScanner::lineByLineEqualsWholeText()
{
    QFETCH(QString, text);
    KeywordIndex keywords = KeywordIndex::withBuiltIns();
    keywords.addKeywords(u"two words,'q,Upper,tab\tin,-x", KeywordIndex::Directives);
    const SyntaxScanner scanner(keywords);
    QString error;
    const std::vector<int> whole = paint(scanner.scanRange(text), text.size(), &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    const std::vector<int> byLines = paintByLines(scanner, text, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(marks(byLines), marks(withoutLineEnds(whole, text)));
}

void tst_SyntaxScanner::indexedScanEqualsListWalk()
{
    // Random keyword sets, including redefinitions across categories, entries with delimiters
    // inside, upper case and quote-initial ones, against the plain list walk.
    static const QStringList extras = {"mov",    "ax",  "st(0)", "st",      "a b",        "x(1)",
                                       "-x",     "Foo", "'q",    ";z",      "\"w",        "x",
                                       "xy",     "xyz", "%day",  "!low",    "cs:",        "ä",
                                       "\u20AC", "all", "(",     "tab\tin", "line\nbreak"};
    for (int seed = 1; seed <= 150; ++seed) {
        QRandomGenerator rng(seed);
        KeywordIndex keywords = KeywordIndex::withBuiltIns();
        ReferenceColorer reference;
        reference.add(KeywordIndex::builtInInstructions().join(u','), 1);
        reference.add(KeywordIndex::builtInDirectives().join(u','), 0);
        reference.add(KeywordIndex::builtInRegisters().join(u','), 2);
        for (int k = int(rng.bounded(6)); k > 0; --k) {
            QStringList picked;
            for (int m = int(rng.bounded(5)) + 1; m > 0; --m)
                picked << extras[rng.bounded(int(extras.size()))];
            const int category = int(rng.bounded(4));
            keywords.addKeywords(picked.join(u','), category);
            reference.add(picked.join(u','), category);
        }
        QCOMPARE(keywords.size(), int(reference.list.size()));
        const SyntaxScanner scanner(keywords);
        for (int t = 0; t < 8; ++t) {
            const QString text = randomSource(rng, 5 + int(rng.bounded(150)));
            QString error;
            const std::vector<int> ours = paint(scanner.scanRange(text), text.size(), &error);
            QVERIFY2(error.isEmpty(), qPrintable(error));
            if (marks(ours) != marks(reference.colour(text))) {
                qWarning() << "seed" << seed << "text" << text;
                QCOMPARE(marks(ours), marks(reference.colour(text)));
            }
        }
    }
}

void tst_SyntaxScanner::goldenFiles_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("program") << "program.asm";
    QTest::newRow("tricky") << "tricky.asm";
}

void tst_SyntaxScanner::goldenFiles()
{
    // QVASMIDE_UPDATE_GOLDEN=1 rewrites the expected files after a deliberate change.
    QFETCH(QString, name);
    QFile source(dataPath(name));
    QVERIFY2(source.open(QIODevice::ReadOnly), qPrintable(source.fileName()));
    const QString text = sourceText(source.readAll());
    const KeywordIndex keywords = KeywordIndex::withBuiltIns();
    const SyntaxScanner scanner(keywords);
    QString error;
    const std::vector<int> whole = paint(scanner.scanRange(text), text.size(), &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    const QStringList rows = goldenRows(text, whole);

    QFile golden(dataPath(QString(name).replace(".asm", ".spans")));
    if (qEnvironmentVariableIntValue("QVASMIDE_UPDATE_GOLDEN")) {
        QVERIFY(golden.open(QIODevice::WriteOnly | QIODevice::Truncate));
        golden.write((rows.join('\n') + '\n').toUtf8());
        golden.close();
    }
    QVERIFY2(golden.open(QIODevice::ReadOnly), qPrintable(golden.fileName()));
    const QStringList expected = QString::fromUtf8(golden.readAll()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(rows, expected);
    // The editor's block-by-block colouring sees the same.
    QCOMPARE(goldenRows(text, paintByLines(scanner, text, &error)), expected);
}

void tst_SyntaxScanner::anyInputIsSafe()
{
    const KeywordIndex keywords = KeywordIndex::withBuiltIns();
    const SyntaxScanner scanner(keywords);
    QList<QString> texts = {
        QString(100000, u'a'),
        "; " + QString(100000, u'x'),
        "\"" + QString(100000, u'\''),
        "comment ~" + QString(100000, u'-'),
        QString(100000, u'\r'),
        QString(100000, QChar(0)),
        "comment",
        "comment ",
        "c",
        "'",
        QString(),
    };
    QString longWords;
    for (int k = 0; k < 20000; ++k)
        longWords += "mov ";
    texts << longWords;
    // Random UTF-16 units, lone surrogates included.
    QRandomGenerator rng(7);
    for (int k = 0; k < 200; ++k) {
        QString t(int(rng.bounded(2000)), Qt::Uninitialized);
        for (QChar &c : t)
            c = QChar(char16_t(rng.bounded(k % 2 ? 0x10000 : 0x100)));
        texts << t;
    }
    for (const QString &text : std::as_const(texts)) {
        QString error;
        paint(scanner.scanRange(text), text.size(), &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        paintByLines(scanner, text, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
    }
}

void tst_SyntaxScanner::caretLineStartsPlain()
{
    // A lone line scanned from the plain state, as recolouring the caret's line does, doesn't
    // see a block opened above it.
    const KeywordIndex keywords = KeywordIndex::withBuiltIns();
    const SyntaxScanner scanner(keywords);
    QList<SyntaxSpan> spans;
    const SyntaxLineState open = scanner.scanLine(u"comment ~", {}, true, spans);
    QCOMPARE(open.mode, SyntaxLineState::CommentBlock);
    QCOMPARE(open.closer, u'~');

    spans.clear();
    scanner.scanLine(u"mov ax", open, true, spans);
    QCOMPARE(marks(paint(spans, 6)), QString("cccccc"));
    QCOMPARE(marks(paint(scanner.scanRange(u"mov ax"), 6)), QString("III.RR"));
}

QTEST_GUILESS_MAIN(tst_SyntaxScanner)
#include "tst_syntaxscanner.moc"
