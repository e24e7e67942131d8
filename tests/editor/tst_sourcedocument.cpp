#include "FileSizeLimit.h"
#include "ScriptedPrompts.h"
#include "TestFiles.h"
#include "TestSettings.h"
#include "editor/CQvasmDoc.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>

#include <optional>

// The source document on its own: no window, no view, no tree, no application. What the window,
// the tree and the recent-file list do with it they learn from its signals; these tests hold the
// signals to the moments those listeners rely on.
class tst_SourceDocument : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void unchangedFilesSaveByteForByte_data();
    void unchangedFilesSaveByteForByte();
    void editKeepsTheOtherLinesBytes();
    void characterTheEncodingLacksIsAskedAbout_data();
    void characterTheEncodingLacksIsAskedAbout();
    void failedSaveLeavesOldFileAndModifiedDocument();
    void savesAnnounceNamesOnlyOnceWritten_data();
    void savesAnnounceNamesOnlyOnceWritten();
    void closeIsRequestedOnlyWhenTheAnswerLetsItGo_data();
    void closeIsRequestedOnlyWhenTheAnswerLetsItGo();
    void closingLetsGoOfTheName_data();
    void closingLetsGoOfTheName();
    void captionFollowsNameAndModifiedFlag();
    void reloadIsAnnouncedAroundTheRead();
    void restoredTextIsAnnounced();

private:
    QString path(const QString &name) const { return QDir(m_dir->path()).filePath(name); }
    QString write(const QString &name, const QByteArray &bytes) const
    {
        const QString p = path(name);
        writeFileBytes(p, bytes);
        return p;
    }

    std::unique_ptr<TestSettings> m_settings;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedPrompts> m_prompts;
};

namespace {

QString documentText(const CQvasmDoc &doc)
{
    return SourceFileCodec::documentText(*doc.textDocument());
}

void insertAt(CQvasmDoc &doc, QTextCursor::MoveOperation where, const QString &text)
{
    QTextCursor cursor(doc.textDocument());
    cursor.movePosition(where);
    cursor.insertText(text);
}

// What a document announces about its names, in order; "released" also says whether the file
// under the new name was already written at that moment.
struct Announcements
{
    explicit Announcements(CQvasmDoc &doc, const QString &target = QString())
    {
        QObject::connect(&doc, &CQvasmDoc::nameReleased, &doc, [this, target](const QString &n) {
            log << "released " + n + (QFile::exists(target) ? " (written)" : "");
        });
        QObject::connect(&doc, &CQvasmDoc::nameRegistered, &doc, [this](const QString &n) {
            log << "registered " + n;
        });
        QObject::connect(&doc, &CQvasmDoc::saved, &doc, [this](const QString &p) {
            log << "saved " + p;
        });
        QObject::connect(&doc, &CQvasmDoc::savedAs, &doc, [this](const QString &p) {
            log << "savedAs " + p;
        });
    }
    QStringList log;
};

} // namespace

void tst_SourceDocument::init()
{
    m_settings = std::make_unique<TestSettings>();
    m_dir = std::make_unique<QTemporaryDir>();
    m_prompts = std::make_unique<ScriptedPrompts>();
}

void tst_SourceDocument::cleanup()
{
    QVERIFY2(m_prompts->allAnswered(), qPrintable(m_prompts->unexpected().join("; ")));
    m_prompts.reset();
    m_dir.reset();
    m_settings.reset();
}

void tst_SourceDocument::unchangedFilesSaveByteForByte_data()
{
    QTest::addColumn<QByteArray>("bytes");

    // The codec's own tests cover the encodings and the text document; these prove the
    // document's loader and saver keep every line end.
    QTest::newRow("utf-8, CR LF") << QByteArray("mov ax, 1\r\n\tret\r\n");
    QTest::newRow("LF with one CR LF") << QByteArray("x\ny\r\nz\n");
    QTest::newRow("carriage return inside a line") << QByteArray("a\rb\r\n\r\r\n");
    QTest::newRow("CR LF with LF lines") << QByteArray("a\r\nb\nc\r\n\n");
    QTest::newRow("CR only") << QByteArray("mov ax, 1\rret\r");
    QTest::newRow("line and paragraph separators")
        << QByteArray("db '\xe2\x80\xa8'\r\ndb '\xe2\x80\xa9'\r\n");
    QTest::newRow("frame marker noncharacters") << QByteArray("a\xef\xb7\x90\xef\xb7\x91z\r\n");
    QTest::newRow("stand-in symbol already in the file")
        << QByteArray("\xe2\x90\xa4 \xe2\x80\xa8 \xee\xa3\xb0\r\n");
    QTest::newRow("empty file stays empty") << QByteArray();
}

void tst_SourceDocument::unchangedFilesSaveByteForByte()
{
    QFETCH(QByteArray, bytes);
    const QString file = write("a.asm", bytes);
    CQvasmDoc doc;
    QVERIFY(doc.OnOpenDocument(file));
    QVERIFY(!doc.IsModified());
    QVERIFY(doc.OnSaveDocument(file));
    QCOMPARE(readFileBytes(file), bytes);
    QVERIFY(!doc.IsModified());
}

// One edit changes one line's bytes: the other lines keep their own breaks and the characters
// the text document would have turned into breaks.
void tst_SourceDocument::editKeepsTheOtherLinesBytes()
{
    const QString file = write("a.asm", "a\r\nb \xe2\x80\xa8\nc\rd\r\n");
    CQvasmDoc doc;
    QVERIFY(doc.OnOpenDocument(file));
    QCOMPARE(doc.textDocument()->blockCount(), 5);
    insertAt(doc, QTextCursor::Start, "x");
    QVERIFY(doc.OnSaveDocument(file));
    QCOMPARE(readFileBytes(file), QByteArray("xa\r\nb \xe2\x80\xa8\nc\rd\r\n"));
}

void tst_SourceDocument::characterTheEncodingLacksIsAskedAbout_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QByteArray>("saved");

    const QByteArray old = "mov al,'\x80'\r\n";
    QTest::newRow("held: saved as it was, nothing asked")
        << QString::fromUtf8("é") << 0 << QByteArray("mov al,'\x80'\r\n\xe9\r\n");
    QTest::newRow("lacking, no: file untouched, still modified")
        << QString::fromUtf8("ő") << int(PromptAnswer::No) << old;
    QTest::newRow("lacking, yes: saved as UTF-8")
        << QString::fromUtf8("ő") << int(PromptAnswer::Yes)
        << QByteArray("mov al,'\xe2\x82\xac'\r\n\xc5\x91\r\n");
}

void tst_SourceDocument::characterTheEncodingLacksIsAskedAbout()
{
    QFETCH(QString, typed);
    QFETCH(int, answer);
    QFETCH(QByteArray, saved);
    const QString file = write("w.asm", "mov al,'\x80'\r\n"); // 80h: the euro sign
    CQvasmDoc doc;
    QVERIFY(doc.OnOpenDocument(file));
    insertAt(doc, QTextCursor::End, typed);
    if (answer)
        m_prompts->answerMessage(PromptAnswer(answer));
    QCOMPARE(doc.OnSaveDocument(file), answer != int(PromptAnswer::No));
    QCOMPARE(readFileBytes(file), saved);
    QCOMPARE(doc.IsModified(), answer == int(PromptAnswer::No));
    if (answer)
        QVERIFY(m_prompts->messagesAsked().value(0).contains(typed));
}

void tst_SourceDocument::failedSaveLeavesOldFileAndModifiedDocument()
{
    const QByteArray old = "; the old text\r\n";
    const QString file = write("a.asm", old);
    CQvasmDoc doc;
    QVERIFY(doc.OnOpenDocument(file));
    insertAt(doc, QTextCursor::End, QString(200, QLatin1Char('x')));
    m_prompts->answerMessage(PromptAnswer::Ok);
    {
        FileSizeLimit limit(64);
        QVERIFY(limit.isActive());
        QVERIFY(!doc.DoFileSave());
    }
    QCOMPARE(readFileBytes(file), old);
    QVERIFY(doc.IsModified());
    QVERIFY(m_prompts->messagesAsked().value(0).startsWith(QString("Could not save ") + file));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{"a.asm"});
}

// The tree moves an entry on nameReleased and nameRegistered, the recent-file list takes
// savedAs: each only once the file is written, none after a save that failed or was cancelled.
void tst_SourceDocument::savesAnnounceNamesOnlyOnceWritten_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("target"); // under the test folder; "-" for a folder that is missing
    QTest::addColumn<QStringList>("expected");

    const QString T = QStringLiteral("<target>");
    QTest::newRow("untitled, Save As") << "saveAs"
                                       << "prog.asm"
                                       << QStringList{"released untitled0.asm (written)",
                                                      "registered " + T,
                                                      "saved " + T,
                                                      "savedAs " + T};
    QTest::newRow("untitled, Save asks for a name")
        << "save"
        << "prog.asm"
        << QStringList{"released untitled0.asm (written)",
                       "registered " + T,
                       "saved " + T,
                       "savedAs " + T};
    QTest::newRow("untitled, Save dialog cancelled") << "save"
                                                     << "" << QStringList{};
    QTest::newRow("untitled, Save As cancelled") << "saveAs"
                                                 << "" << QStringList{};
    QTest::newRow("untitled, write fails") << "saveAs"
                                           << "-" << QStringList{};
    QTest::newRow("named, Save keeps its name")
        << "saveNamed"
        << "a.asm" << QStringList{"registered " + T, "saved " + T};
    QTest::newRow("named, Save As under its own name")
        << "saveAsNamed"
        << "a.asm" << QStringList{"registered " + T, "saved " + T, "savedAs " + T};
}

void tst_SourceDocument::savesAnnounceNamesOnlyOnceWritten()
{
    QFETCH(QString, how);
    QFETCH(QString, target);
    QFETCH(QStringList, expected);
    const QString full = target == "-"      ? path("missing/prog.asm")
                         : target.isEmpty() ? QString()
                                            : path(target);
    CQvasmDoc doc;
    if (how.endsWith("Named")) {
        QVERIFY(doc.OnOpenDocument(write("a.asm", "nop\r\n")));
        insertAt(doc, QTextCursor::End, "ret");
    } else {
        doc.initNew("untitled0.asm");
        insertAt(doc, QTextCursor::End, "nop");
    }
    Announcements said(doc, full);
    if (how != "saveNamed")
        m_prompts->answerSaveFile(full);
    if (target == "-")
        m_prompts->answerMessage(PromptAnswer::Ok); // "Could not save ..."
    bool ok = false;
    if (how.startsWith("saveAs"))
        ok = doc.SaveAs();
    else
        ok = doc.DoFileSave();
    const bool written = !expected.isEmpty();
    QCOMPARE(ok, written);
    expected.replaceInStrings("<target>", full);
    QCOMPARE(said.log, expected);
    QCOMPARE(doc.name(), written ? full : how.endsWith("Named") ? path("a.asm") : "untitled0.asm");
    QCOMPARE(doc.IsModified(), !written);
}

void tst_SourceDocument::closeIsRequestedOnlyWhenTheAnswerLetsItGo_data()
{
    QTest::addColumn<bool>("modified");
    QTest::addColumn<int>("answer"); // 0: nothing asked
    QTest::addColumn<bool>("saveFails");
    QTest::addColumn<bool>("requested");

    QTest::newRow("unmodified: no question") << false << 0 << false << true;
    QTest::newRow("yes saves, then closes") << true << int(PromptAnswer::Yes) << false << true;
    QTest::newRow("no closes without saving") << true << int(PromptAnswer::No) << false << true;
    QTest::newRow("cancel stays") << true << int(PromptAnswer::Cancel) << false << false;
    QTest::newRow("yes but the save fails: stays")
        << true << int(PromptAnswer::Yes) << true << false;
}

void tst_SourceDocument::closeIsRequestedOnlyWhenTheAnswerLetsItGo()
{
    QFETCH(bool, modified);
    QFETCH(int, answer);
    QFETCH(bool, saveFails);
    QFETCH(bool, requested);
    const QString file = write("a.asm", "nop\r\n");
    CQvasmDoc doc;
    QVERIFY(doc.OnOpenDocument(file));
    if (modified)
        insertAt(doc, QTextCursor::End, QString(200, QLatin1Char('x')));
    QSignalSpy closing(&doc, &CQvasmDoc::closeRequested);
    if (answer)
        m_prompts->answerMessage(PromptAnswer(answer));
    if (saveFails)
        m_prompts->answerMessage(PromptAnswer::Ok); // "Could not save ..."
    {
        std::optional<FileSizeLimit> limit;
        if (saveFails)
            limit.emplace(64);
        QCOMPARE(doc.CloseWithPrompt(), requested);
    }
    QCOMPARE(closing.count(), requested ? 1 : 0);
    if (answer)
        QCOMPARE(m_prompts->messagesAsked().value(0), QString("Save changes to: ") + file);
}

void tst_SourceDocument::closingLetsGoOfTheName_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("fromFile");
    QTest::addColumn<QStringList>("released");

    QTest::newRow("a file: its path") << QString() << true << QStringList{"<file>"};
    QTest::newRow("untitled: its title")
        << "untitled3.inc" << false << QStringList{"untitled3.inc"};
    QTest::newRow("no name at all: nothing") << QString() << false << QStringList{};
}

void tst_SourceDocument::closingLetsGoOfTheName()
{
    QFETCH(QString, title);
    QFETCH(bool, fromFile);
    QFETCH(QStringList, released);
    const QString file = write("a.asm", "nop\r\n");
    CQvasmDoc doc;
    if (fromFile)
        QVERIFY(doc.OnOpenDocument(file));
    else if (!title.isEmpty())
        doc.initNew(title);
    QSignalSpy spy(&doc, &CQvasmDoc::nameReleased);
    doc.OnCloseDocument();
    QStringList names;
    for (const QList<QVariant> &args : spy)
        names << args.at(0).toString();
    released.replaceInStrings("<file>", file);
    QCOMPARE(names, released);
}

void tst_SourceDocument::captionFollowsNameAndModifiedFlag()
{
    CQvasmDoc doc;
    QSignalSpy captions(&doc, &CQvasmDoc::captionChanged);
    doc.initNew("untitled0.asm");
    QCOMPARE(captions.takeLast().at(0).toString(), "untitled0.asm");
    insertAt(doc, QTextCursor::End, "x");
    QCOMPARE(captions.takeLast().at(0).toString(), "untitled0.asm*");
    const QString target = path("prog.asm");
    m_prompts->answerSaveFile(target);
    QVERIFY(doc.SaveAs());
    QCOMPARE(captions.takeLast().at(0).toString(), target);
    QCOMPARE(doc.caption(), target);
}

void tst_SourceDocument::reloadIsAnnouncedAroundTheRead()
{
    const QString file = write("a.asm", "nop\r\n");
    CQvasmDoc doc;
    QVERIFY(doc.OnOpenDocument(file));
    QStringList order;
    connect(&doc, &CQvasmDoc::aboutToReload, this, [&] { order << "about " + documentText(doc); });
    connect(&doc, &CQvasmDoc::reloaded, this, [&] { order << "reloaded " + documentText(doc); });
    writeFileBytes(file, "ret\r\n");
    QVERIFY(doc.reloadFromDisk());
    QCOMPARE(order, QStringList({"about nop\n", "reloaded ret\n"}));

    // A file that is gone can't be read: the text stays and no reload is announced.
    order.clear();
    QVERIFY(QFile::remove(file));
    m_prompts->answerMessage(PromptAnswer::Ok);
    QVERIFY(!doc.reloadFromDisk());
    QCOMPARE(order, QStringList{"about ret\n"});
    QCOMPARE(documentText(doc), "ret\n");
}

void tst_SourceDocument::restoredTextIsAnnounced()
{
    CQvasmDoc doc;
    doc.initNew("untitled0.asm");
    QSignalSpy restored(&doc, &CQvasmDoc::textRestored);
    doc.restoreText("mov ax, 1\nret", SourceFileFormat(), {});
    QCOMPARE(restored.count(), 1);
    QVERIFY(doc.IsModified());
    QCOMPARE(documentText(doc), "mov ax, 1\nret");
}

QTEST_MAIN(tst_SourceDocument)
#include "tst_sourcedocument.moc"
