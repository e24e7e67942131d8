#include "FileSizeLimit.h"
#include "TestFiles.h"
#include "editor/SourceFileCodec.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>

#include <unistd.h>

namespace {

QByteArray allHighBytes()
{
    QByteArray b;
    for (int i = 0x80; i <= 0xFF; ++i) {
        b.append(char(i));
        if (i % 16 == 15)
            b.append("\r\n");
    }
    return b;
}

} // namespace

Q_DECLARE_METATYPE(TextEncoding)
Q_DECLARE_METATYPE(LineEnding)

class tst_SourceFileCodec : public QObject
{
    Q_OBJECT

private slots:
    void unchangedTextEncodesToTheSameBytes_data();
    void unchangedTextEncodesToTheSameBytes();
    void decodesToTheRightCharacters_data();
    void decodesToTheRightCharacters();
    void editedLinesKeepTheirOwnBreaks();
    void charactersTheEncodingLacksAreNamed_data();
    void charactersTheEncodingLacksAreNamed();
    void encodingsAtEachLimit_data();
    void encodingsAtEachLimit();
    void lineEndingStyle_data();
    void lineEndingStyle();
    void typedCharactersAreNeverLost_data();
    void typedCharactersAreNeverLost();
    void finalLineBreak_data();
    void finalLineBreak();
    void fileRoundTripKeepsBytesAndPermissions();
    void failedWriteLeavesOldFileWhole_data();
    void failedWriteLeavesOldFileWhole();
};

void tst_SourceFileCodec::unchangedTextEncodesToTheSameBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<TextEncoding>("encoding");
    QTest::addColumn<LineEnding>("lineEnding");

    const auto utf8 = TextEncoding::Utf8;
    const auto cp = TextEncoding::Windows1252;
    QTest::newRow("empty") << QByteArray() << utf8 << LineEnding::CrLf;
    QTest::newRow("utf8-crlf") << QByteArray("; \xc3\xa9t\xc3\xa9 \xe2\x82\xac\r\nret\r\n") << utf8
                               << LineEnding::CrLf;
    QTest::newRow("utf8-lf") << QByteArray("a\nb\n\n") << utf8 << LineEnding::Lf;
    QTest::newRow("utf8-bom") << QByteArray("\xef\xbb\xbf; x\r\n") << utf8 << LineEnding::CrLf;
    QTest::newRow("utf8-second-bom-kept")
        << QByteArray("\xef\xbb\xbf\xef\xbb\xbfx\n") << utf8 << LineEnding::Lf;
    QTest::newRow("astral-plane") << QByteArray("db '\xf0\x9f\x98\x80'\n") << utf8
                                  << LineEnding::Lf;
    QTest::newRow("nul-bytes") << QByteArray("a\0b\r\n\0\0\r\n", 9) << utf8 << LineEnding::CrLf;
    QTest::newRow("lf-first-keeps-a-cr-lf") << QByteArray("a\nb\r\nc\n") << utf8 << LineEnding::Lf;
    QTest::newRow("crlf-first-keeps-an-lf")
        << QByteArray("a\r\nb\nc\r\n") << utf8 << LineEnding::CrLf;
    QTest::newRow("cr-only") << QByteArray("a\rb\r\rc\r") << utf8 << LineEnding::Cr;
    QTest::newRow("lone-cr-kept") << QByteArray("a\rb\r\nc\r\r\n") << utf8 << LineEnding::Cr;
    QTest::newRow("majority-not-first") << QByteArray("a\nb\r\nc\r\n") << utf8 << LineEnding::CrLf;
    QTest::newRow("cp1252-mixed") << QByteArray("\xe9\r\n\xe9\n\xe9\r\xe9\r\n") << cp
                                  << LineEnding::CrLf;
    QTest::newRow("cr-then-lf-is-two-breaks") << QByteArray("a\n\rb\n") << utf8 << LineEnding::Lf;
    QTest::newRow("cp1252-80h-ffh") << allHighBytes() << cp << LineEnding::CrLf;
    QTest::newRow("cp1252-no-break-space") << QByteArray("db 'a\xa0"
                                                         "b'\r\n\xa0\r\n")
                                           << cp << LineEnding::CrLf;
    QTest::newRow("empty-last-lines") << QByteArray("ret\r\n\r\n\r\n") << utf8 << LineEnding::CrLf;
    QTest::newRow("cp1252-with-nul") << QByteArray("\xe9\0\xff\r\n", 5) << cp << LineEnding::CrLf;
    QTest::newRow("overlong-nul") << QByteArray("\xc0\x80\r\n") << cp << LineEnding::CrLf;
    QTest::newRow("overlong-slash") << QByteArray("\xe0\x80\xaf") << cp << LineEnding::CrLf;
    QTest::newRow("surrogate") << QByteArray("\xed\xa0\x80\n") << cp << LineEnding::Lf;
    QTest::newRow("above-10ffff") << QByteArray("\xf4\x90\x80\x80") << cp << LineEnding::CrLf;
    QTest::newRow("truncated-at-end") << QByteArray("ok \xe2\x82") << cp << LineEnding::CrLf;
}

void tst_SourceFileCodec::unchangedTextEncodesToTheSameBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(TextEncoding, encoding);
    QFETCH(LineEnding, lineEnding);

    const SourceFileCodec::Decoded d = SourceFileCodec::decode(bytes);
    QCOMPARE(d.format.encoding, encoding);
    QCOMPARE(d.format.lineEnding, lineEnding);
    QVERIFY(SourceFileCodec::canEncode(d.text, encoding));
    QCOMPARE(SourceFileCodec::formatForSaving(d.text, d.format), d.format);
    QVERIFY(!d.text.contains(u'\r'));
    QCOMPARE(SourceFileCodec::encode(d.text, d.format, d.otherBreaks), bytes);
    // The same through a text document, which has its own idea of blanks and carries each
    // line's own break with the line.
    QTextDocument document;
    document.setPlainText(d.text);
    SourceFileCodec::attachLineBreaks(document, d.otherBreaks);
    QCOMPARE(SourceFileCodec::attachedLineBreaks(document), d.otherBreaks);
    QCOMPARE(SourceFileCodec::encode(SourceFileCodec::documentText(document),
                                     d.format,
                                     SourceFileCodec::attachedLineBreaks(document)),
             bytes);
}

void tst_SourceFileCodec::decodesToTheRightCharacters_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("utf8") << QByteArray("\xc3\xa9\r\n\xe2\x82\xac") << QString::fromUtf8("é\n€");
    QTest::newRow("utf8-bom-not-in-text") << QByteArray("\xef\xbb\xbfx") << QString("x");
    QTest::newRow("utf8-second-bom-is-text")
        << QByteArray("\xef\xbb\xbf\xef\xbb\xbfx") << QString(QChar(0xFEFF)) + u'x';
    QTest::newRow("cp1252-euro-and-quotes")
        << QByteArray("\x80\x93\x94\xe9") << QString::fromUtf8("€“”é");
    QTest::newRow("cp1252-undefined-as-latin1")
        << QByteArray("\x81\x8d\x8f\x90\x9d")
        << QString(QChar(0x81)) + QChar(0x8d) + QChar(0x8f) + QChar(0x90) + QChar(0x9d);
}

void tst_SourceFileCodec::decodesToTheRightCharacters()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(SourceFileCodec::decode(bytes).text, text);
}

void tst_SourceFileCodec::encodingsAtEachLimit_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<TextEncoding>("encoding");
    QTest::addColumn<QString>("text");

    const auto utf8 = TextEncoding::Utf8;
    const auto cp = TextEncoding::Windows1252;
    const auto ch = [](char32_t c) { return QString::fromUcs4(&c, 1); };
    // UTF-8: the first and last value of each lead-byte range.
    QTest::newRow("utf8-c2-first-two-byte") << QByteArray("\xc2\x80") << utf8 << ch(0x80);
    QTest::newRow("utf8-df-last-two-byte") << QByteArray("\xdf\xbf") << utf8 << ch(0x7FF);
    QTest::newRow("utf8-e0-first-three-byte") << QByteArray("\xe0\xa0\x80") << utf8 << ch(0x800);
    QTest::newRow("utf8-below-surrogates") << QByteArray("\xed\x9f\xbf") << utf8 << ch(0xD7FF);
    QTest::newRow("utf8-above-surrogates") << QByteArray("\xee\x80\x80") << utf8 << ch(0xE000);
    QTest::newRow("utf8-f0-first-four-byte")
        << QByteArray("\xf0\x90\x80\x80") << utf8 << ch(0x10000);
    QTest::newRow("utf8-f4-last-four-byte")
        << QByteArray("\xf4\x8f\xbf\xbf") << utf8 << ch(0x10FFFF);
    // Not UTF-8, so read as 1252 byte by byte.
    QTest::newRow("cp-first-surrogate")
        << QByteArray("\xed\xa0\x80") << cp << QString::fromUtf8("\xc3\xad\xc2\xa0\xe2\x82\xac");
    QTest::newRow("cp-last-surrogate")
        << QByteArray("\xed\xbf\xbf") << cp << QString::fromUtf8("\xc3\xad\xc2\xbf\xc2\xbf");
    QTest::newRow("cp-f5-lead") << QByteArray("\xf5\x80\x80\x80") << cp
                                << QString::fromUtf8(
                                       "\xc3\xb5\xe2\x82\xac\xe2\x82\xac\xe2\x82\xac");
    // 1252: both ends of the 80h-9Fh table and the Latin-1 range after it.
    QTest::newRow("cp-80-euro") << QByteArray("\x80") << cp << ch(0x20AC);
    QTest::newRow("cp-9f-y-diaeresis") << QByteArray("\x9f") << cp << ch(0x0178);
    QTest::newRow("cp-a0-no-break-space") << QByteArray("\xa0") << cp << ch(0xA0);
    QTest::newRow("cp-ff-y-diaeresis") << QByteArray("\xff") << cp << ch(0xFF);
}

void tst_SourceFileCodec::encodingsAtEachLimit()
{
    QFETCH(QByteArray, bytes);
    QFETCH(TextEncoding, encoding);
    QFETCH(QString, text);
    const SourceFileCodec::Decoded d = SourceFileCodec::decode(bytes);
    QCOMPARE(d.format.encoding, encoding);
    QCOMPARE(d.text, text);
    QVERIFY(SourceFileCodec::canEncode(text, encoding));
    QCOMPARE(SourceFileCodec::encode(text, d.format), bytes);
}

void tst_SourceFileCodec::lineEndingStyle_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<LineEnding>("lineEnding");
    QTest::newRow("no-line-feed-is-cr-lf") << QByteArray("ret") << LineEnding::CrLf;
    QTest::newRow("empty-is-cr-lf") << QByteArray() << LineEnding::CrLf;
    QTest::newRow("lone-cr-only-is-cr") << QByteArray("a\rb") << LineEnding::Cr;
    QTest::newRow("lf-at-start") << QByteArray("\nx") << LineEnding::Lf;
    QTest::newRow("cr-lf-at-start") << QByteArray("\r\nx") << LineEnding::CrLf;
    QTest::newRow("tie-first-decides-lf") << QByteArray("a\nb\r\n") << LineEnding::Lf;
    QTest::newRow("tie-first-decides-cr-lf") << QByteArray("a\r\nb\n") << LineEnding::CrLf;
    QTest::newRow("tie-first-decides-cr") << QByteArray("a\rb\n") << LineEnding::Cr;
    QTest::newRow("most-lines-decide-over-first")
        << QByteArray("a\nb\r\nc\r\n") << LineEnding::CrLf;
    QTest::newRow("most-lines-decide-cr") << QByteArray("a\r\nb\rc\r") << LineEnding::Cr;
}

void tst_SourceFileCodec::lineEndingStyle()
{
    QFETCH(QByteArray, bytes);
    QFETCH(LineEnding, lineEnding);
    QCOMPARE(SourceFileCodec::decode(bytes).format.lineEnding, lineEnding);
}

// Lines the user adds take the file's style; the lines that had another break keep it, also
// when lines above them come and go.
void tst_SourceFileCodec::editedLinesKeepTheirOwnBreaks()
{
    const auto d = SourceFileCodec::decode("a\r\nb\nc\r\nd\re\r\n");
    QCOMPARE(d.text, QString("a\nb\nc\nd\ne\n"));
    const LineBreaks others = {{1, LineEnding::Lf}, {3, LineEnding::Cr}};
    QCOMPARE(d.otherBreaks, others);

    QTextDocument document;
    document.setPlainText(d.text);
    SourceFileCodec::attachLineBreaks(document, d.otherBreaks);
    QTextCursor cursor(&document);
    cursor.insertText("new\n");
    cursor.movePosition(QTextCursor::NextBlock, QTextCursor::MoveAnchor, 2);
    cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor);
    cursor.removeSelectedText(); // line "c" goes
    QCOMPARE(SourceFileCodec::encode(SourceFileCodec::documentText(document),
                                     d.format,
                                     SourceFileCodec::attachedLineBreaks(document)),
             QByteArray("new\r\na\r\nb\nd\re\r\n"));
}

void tst_SourceFileCodec::typedCharactersAreNeverLost_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<TextEncoding>("savedAs");

    QTest::newRow("cp1252-has-euro") << QString::fromUtf8("€") << TextEncoding::Windows1252;
    QTest::newRow("cp1252-lacks-o-double-acute") << QString::fromUtf8("ő") << TextEncoding::Utf8;
    QTest::newRow("cp1252-lacks-c1-80h") << QString(QChar(0x80)) << TextEncoding::Utf8;
}

void tst_SourceFileCodec::typedCharactersAreNeverLost()
{
    QFETCH(QString, typed);
    QFETCH(TextEncoding, savedAs);

    // A Windows-1252 file (E9h is no UTF-8) the user types into.
    const auto d = SourceFileCodec::decode("caf\xe9\r\n");
    const QString edited = d.text + typed;
    const SourceFileFormat format = SourceFileCodec::formatForSaving(edited, d.format);
    QCOMPARE(format.encoding, savedAs);
    QCOMPARE(format.lineEnding, LineEnding::CrLf);
    const QByteArray bytes = SourceFileCodec::encode(edited, format);
    QCOMPARE(SourceFileCodec::decode(bytes).text, edited);
}

void tst_SourceFileCodec::charactersTheEncodingLacksAreNamed_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("encoding");
    QTest::addColumn<QString>("missing");

    const int cp = int(TextEncoding::Windows1252);
    QTest::newRow("all-held") << QString::fromUtf8("€ é ÿ \u0081") << cp << QString();
    QTest::newRow("each-once-in-order")
        << QString::fromUtf8("ő € ő ž ŭ") << cp << QString::fromUtf8("ő ŭ");
    QTest::newRow("beyond-the-bmp-is-one")
        << QString::fromUtf8("a😀b") << cp << QString::fromUtf8("😀");
    QTest::newRow("c1-80h-lacking") << QString(QChar(0x80)) << cp << QString(QChar(0x80));
    QTest::newRow("utf8-holds-everything")
        << QString::fromUtf8("ő😀") << int(TextEncoding::Utf8) << QString();
}

void tst_SourceFileCodec::charactersTheEncodingLacksAreNamed()
{
    QFETCH(QString, text);
    QFETCH(int, encoding);
    QFETCH(QString, missing);
    QCOMPARE(SourceFileCodec::charactersNotIn(text, TextEncoding(encoding)), missing);
    // At most the limit, counted in characters.
    QString many;
    for (char16_t c = 0x100; c < 0x100 + 30; ++c)
        many += QChar(c);
    QCOMPARE(SourceFileCodec::charactersNotIn(many, TextEncoding::Windows1252, 20).size(), 39);
}

void tst_SourceFileCodec::finalLineBreak_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("needed");

    QTest::newRow("last-line-ret") << "mov ax,1\nret" << true;
    QTest::newRow("ends-with-break") << "ret\n" << false;
    QTest::newRow("blank-last-line") << "ret\n  \t" << false;
    QTest::newRow("lone-cr-is-blank") << "ret\n\r" << false;
    QTest::newRow("indented-last-line") << "ret\n    .exit  " << true;
    QTest::newRow("empty-text") << "" << false;
}

void tst_SourceFileCodec::finalLineBreak()
{
    QFETCH(QString, text);
    QFETCH(bool, needed);
    QCOMPARE(SourceFileCodec::needsFinalLineBreak(text), needed);
}

void tst_SourceFileCodec::fileRoundTripKeepsBytesAndPermissions()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("high.asm");
    const QByteArray bytes = allHighBytes();
    QVERIFY(writeFileBytes(path, bytes));
    const auto perms = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                       | QFileDevice::ReadGroup;
    QVERIFY(QFile::setPermissions(path, perms));

    const auto r = SourceFileCodec::readFile(path);
    QVERIFY(r.ok);
    SourceFileFormat used;
    QVERIFY(SourceFileCodec::writeFile(path, r.text, r.format, nullptr, &used));
    QCOMPARE(used, r.format);
    QCOMPARE(readFileBytes(path), bytes);
    const auto mask = QFileDevice::Permissions(0x7077); // owner, group and other bits
    QCOMPARE(QFile::permissions(path) & mask, perms & mask);
}

void tst_SourceFileCodec::failedWriteLeavesOldFileWhole_data()
{
    QTest::addColumn<bool>("readOnlyFolder");
    QTest::newRow("disk-full") << false;
    QTest::newRow("read-only-folder") << true;
}

void tst_SourceFileCodec::failedWriteLeavesOldFileWhole()
{
    QFETCH(bool, readOnlyFolder);
    if (readOnlyFolder && ::geteuid() == 0)
        QSKIP("running as root: read-only permissions are not enforced");

    QTemporaryDir dir;
    const QString path = dir.filePath("main.asm");
    const QByteArray old = "; old\r\nret\r\n";
    QVERIFY(writeFileBytes(path, old));
    const QString bigger = QString(4000, 'x') + "\n";

    QString error;
    bool written = true;
    if (readOnlyFolder) {
        const auto perms = QFile::permissions(dir.path());
        QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        written = SourceFileCodec::writeFile(path, bigger, SourceFileFormat(), &error);
        QFile::setPermissions(dir.path(), perms);
    } else {
        FileSizeLimit full(1000);
        QVERIFY(full.isActive());
        written = SourceFileCodec::writeFile(path, bigger, SourceFileFormat(), &error);
    }
    QVERIFY(!written);
    QVERIFY(!error.isEmpty());
    QCOMPARE(readFileBytes(path), old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList("main.asm"));
}

QTEST_MAIN(tst_SourceFileCodec)
#include "tst_sourcefilecodec.moc"
