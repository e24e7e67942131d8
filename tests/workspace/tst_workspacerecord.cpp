#include "FileSizeLimit.h"
#include "TestFiles.h"
#include "workspace/WorkspaceRecord.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <unistd.h>

namespace {

QByteArray zstring(const QByteArray &text, int fieldSize)
{
    QByteArray field = text;
    field.append(QByteArray(fieldSize - text.size(), '\0'));
    return field;
}

QByteArray le32(qint32 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian<qint32>(v, b.data());
    return b;
}

// Root can write into read-only folders, which would make the failing-write tests meaningless.
bool canMakeReadOnly()
{
    return ::geteuid() != 0;
}

} // namespace

class tst_WorkspaceRecord : public QObject
{
    Q_OBJECT

private slots:
    void fieldsLandAtTheirOffsets_data();
    void fieldsLandAtTheirOffsets();
    void loadReadsShortLongAndForeignFiles_data();
    void loadReadsShortLongAndForeignFiles();
    void loadClampsCountsAndUnterminatedText_data();
    void loadClampsCountsAndUnterminatedText();
    void refusesWhatDoesNotFit_data();
    void refusesWhatDoesNotFit();
    void fitsFieldAgreesWithWhatIsStored_data();
    void fitsFieldAgreesWithWhatIsStored();
    void removeEntryKeepsOrder();
    void saveWalkStoresWindowState_data();
    void saveWalkStoresWindowState();
    void unchangedRecordSavesByteForByte();
    void failedSaveLeavesOldFileWhole_data();
    void failedSaveLeavesOldFileWhole();
};

void tst_WorkspaceRecord::fieldsLandAtTheirOffsets_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("open-marker") << 0 << QByteArray("\xDE", 1);
    QTest::newRow("can-execute") << 1 << QByteArray("\x01", 1);
    QTest::newRow("count-little-endian") << 2 << le32(2);
    QTest::newRow("beep") << 7 << QByteArray("\x01", 1);
    QTest::newRow("boot-drive-b") << 9 << QByteArray("\x01", 1);
    QTest::newRow("no-diagnostics") << 16 << QByteArray("\x01", 1);
    QTest::newRow("include-path") << 17 << zstring("/usr/include/qv", 260);
    QTest::newRow("post-build") << 277 << zstring("cp a b\r\nls", 1025);
    QTest::newRow("reserved-zero") << 1302 << QByteArray(4506, '\0');
    QTest::newRow("workspace-file") << 5808 << zstring("/home/u/p/main.qvw", 260);
    QTest::newRow("main-file") << 6328 << zstring("/home/u/p/main.asm", 260);
    QTest::newRow("target-file") << 6588 << zstring("/home/u/p/main.com", 260);
    QByteArray entry0 = zstring("/home/u/p/main.asm", 260);
    entry0 += QByteArray("\x01\x01", 2) + le32(5) + le32(9) + le32(-3) + le32(640);
    entry0 += QByteArray(46, '\0');
    QTest::newRow("entry-0") << 6848 << entry0;
    QTest::newRow("entry-1-path") << 6848 + 324 << zstring("/home/u/p/\xc3\xa9t\xc3\xa9.inc", 260);
    QTest::newRow("slot-79-zero") << 6848 + 79 * 324 << QByteArray(324, '\0');
}

void tst_WorkspaceRecord::fieldsLandAtTheirOffsets()
{
    QFETCH(int, offset);
    QFETCH(QByteArray, expected);

    WorkspaceRecord r;
    r.setOpen(true);
    r.setCanExecute(true);
    r.setOption(WorkspaceRecord::Option::BeepOnError, true);
    r.setOption(WorkspaceRecord::Option::BootDriveB, true);
    r.setOption(WorkspaceRecord::Option::NoDiagnostics, true);
    QCOMPARE(r.setIncludePath("/usr/include/qv"), WorkspaceRecord::Change::Ok);
    QCOMPARE(r.setPostBuildCommands("cp a b\r\nls"), WorkspaceRecord::Change::Ok);
    QCOMPARE(r.setWorkspaceFilePath("/home/u/p/main.qvw"), WorkspaceRecord::Change::Ok);
    QCOMPARE(r.setMainFile("/home/u/p/main.asm"), WorkspaceRecord::Change::Ok);
    QCOMPARE(r.setTargetFile("/home/u/p/main.com"), WorkspaceRecord::Change::Ok);
    WorkspaceEntry e("/home/u/p/main.asm");
    e.wasOpened = e.active = true;
    e.selectionStart = 5;
    e.selectionEnd = 9;
    e.scrollX = -3;
    e.scrollY = 640;
    QCOMPARE(r.appendEntry(e), WorkspaceRecord::Change::Ok);
    QCOMPARE(r.appendEntry(WorkspaceEntry(QString::fromUtf8("/home/u/p/été.inc"))),
             WorkspaceRecord::Change::Ok);

    const QByteArray bytes = r.toByteArray();
    QCOMPARE(bytes.size(), 32768);
    QCOMPARE(bytes.mid(offset, expected.size()), expected);

    // And the fields read back through their accessors.
    WorkspaceRecord back;
    QTemporaryDir dir;
    QVERIFY(r.saveTo(dir.filePath("w.qvw")));
    QCOMPARE(back.load(dir.filePath("w.qvw")), WorkspaceRecord::LoadResult::Opened);
    QVERIFY(back.option(WorkspaceRecord::Option::BootDriveB));
    QCOMPARE(back.entry(0), e);
    QCOMPARE(back.entryPaths().value(1), QString::fromUtf8("/home/u/p/été.inc"));
}

void tst_WorkspaceRecord::loadReadsShortLongAndForeignFiles_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("isDirectory");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("expectedCount");

    const int opened = int(WorkspaceRecord::LoadResult::Opened);
    const int notWs = int(WorkspaceRecord::LoadResult::NotAWorkspace);
    const int notOpenable = int(WorkspaceRecord::LoadResult::NotOpenable);
    QByteArray shortFile = QByteArray("\xDE\x00", 2) + le32(3);
    QTest::newRow("short-file-with-marker") << shortFile << false << opened << 3;
    QTest::newRow("zeros-are-not-a-workspace") << QByteArray(32768, '\0') << false << notWs << 0;
    QByteArray longFile = QByteArray("\xDE\x00", 2) + le32(1);
    longFile.append(QByteArray(40000 - longFile.size(), 'x'));
    QTest::newRow("longer-than-record") << longFile << false << opened << 1;
    QTest::newRow("directory") << QByteArray() << true << notOpenable << 0;
    QTest::newRow("missing") << QByteArray("<missing>") << false << notOpenable << 0;
}

void tst_WorkspaceRecord::loadReadsShortLongAndForeignFiles()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, isDirectory);
    QFETCH(int, result);
    QFETCH(int, expectedCount);

    QTemporaryDir dir;
    QString path = dir.filePath("w.qvw");
    if (isDirectory)
        path = dir.path();
    else if (content != "<missing>")
        QVERIFY(writeFileBytes(path, content));

    WorkspaceRecord r;
    QVERIFY(r.setMainFile("/stale/main.asm") == WorkspaceRecord::Change::Ok);
    QCOMPARE(int(r.load(path)), result);
    QCOMPARE(r.entryCount(), expectedCount);
    QCOMPARE(r.isOpen(), result == int(WorkspaceRecord::LoadResult::Opened));
    const QByteArray bytes = r.toByteArray();
    QCOMPARE(bytes.size(), 32768);
    if (result == int(WorkspaceRecord::LoadResult::Opened)) {
        // What the file held comes first, the rest stays zero.
        const QByteArray read = content.left(32768);
        QCOMPARE(bytes.left(read.size()), read);
        QCOMPARE(bytes.mid(read.size()), QByteArray(32768 - read.size(), '\0'));
    } else {
        // Nothing of an earlier workspace or of the foreign file survives.
        QCOMPARE(bytes, QByteArray(32768, '\0'));
    }
}

void tst_WorkspaceRecord::loadClampsCountsAndUnterminatedText_data()
{
    QTest::addColumn<qint32>("storedCount");
    QTest::addColumn<int>("expectedCount");

    QTest::newRow("negative") << qint32(-1) << 0;
    QTest::newRow("eighty-one") << qint32(81) << 80;
    QTest::newRow("huge") << qint32(0x7fffffff) << 80;
}

void tst_WorkspaceRecord::loadClampsCountsAndUnterminatedText()
{
    QFETCH(qint32, storedCount);
    QFETCH(int, expectedCount);

    // A hostile file: no terminator anywhere, every byte 'A'.
    QByteArray content(32768, 'A');
    content[0] = char(0xDE);
    qToLittleEndian<qint32>(storedCount, content.data() + 2);
    QTemporaryDir dir;
    QVERIFY(writeFileBytes(dir.filePath("w.qvw"), content));

    WorkspaceRecord r;
    QCOMPARE(r.load(dir.filePath("w.qvw")), WorkspaceRecord::LoadResult::Opened);
    QCOMPARE(r.entryCount(), expectedCount);
    QCOMPARE(r.entryPaths().size(), expectedCount);
    // The count is repaired so a save writes a record that any reader can walk.
    QCOMPARE(r.storedEntryCount(), qint32(expectedCount));
    QCOMPARE(r.postBuildCommands(), QString(1025, 'A'));
    QCOMPARE(r.targetFile(), QString(260, 'A'));
    if (expectedCount > 0)
        QCOMPARE(r.entry(expectedCount - 1).path, QString(260, 'A'));
    QCOMPARE(r.entry(80), WorkspaceEntry());
    QCOMPARE(r.entry(-1), WorkspaceEntry());
}

void tst_WorkspaceRecord::refusesWhatDoesNotFit_data()
{
    QTest::addColumn<int>("members");
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("change");

    const QString p259 = "/" + QString(258, 'p');
    QTest::newRow("259-bytes-fit") << 0 << p259 << int(WorkspaceRecord::Change::Ok);
    QTest::newRow("260-bytes-refused") << 0 << p259 + "x" << int(WorkspaceRecord::Change::TooLong);
    // 258 ASCII bytes and one two-byte character: 260 bytes in 259 characters.
    QTest::newRow("multibyte-counts-bytes")
        << 0 << QString(258, 'p') + QChar(0xE9) << int(WorkspaceRecord::Change::TooLong);
    QTest::newRow("embedded-nul-refused")
        << 0 << QString("/a") + QChar(0) + "b" << int(WorkspaceRecord::Change::TooLong);
    QTest::newRow("79-members-take-one-more") << 79 << "/x.asm" << int(WorkspaceRecord::Change::Ok);
    QTest::newRow("81st-refused") << 80 << "/x.asm" << int(WorkspaceRecord::Change::Full);
}

void tst_WorkspaceRecord::refusesWhatDoesNotFit()
{
    QFETCH(int, members);
    QFETCH(QString, path);
    QFETCH(int, change);

    WorkspaceRecord r;
    r.setOpen(true);
    for (int i = 0; i < members; ++i)
        QCOMPARE(r.appendEntry(WorkspaceEntry(QString("/m%1.asm").arg(i))),
                 WorkspaceRecord::Change::Ok);
    QVERIFY(r.setMainFile("/keep.asm") == WorkspaceRecord::Change::Ok);
    const QByteArray before = r.toByteArray();

    QCOMPARE(int(r.appendEntry(WorkspaceEntry(path))), change);
    QCOMPARE(int(r.setMainFile(path)),
             change == int(WorkspaceRecord::Change::Full) ? int(WorkspaceRecord::Change::Ok)
                                                          : change);
    if (change == int(WorkspaceRecord::Change::Ok)) {
        QCOMPARE(r.entryCount(), members + 1);
        QCOMPARE(r.entry(members).path, path);
        QCOMPARE(r.mainFile(), path);
    } else if (change == int(WorkspaceRecord::Change::TooLong)) {
        QCOMPARE(r.toByteArray(), before);
        QVERIFY(!WorkspaceRecord::refusalMessage(WorkspaceRecord::Change::TooLong, path).isEmpty());
        // fitToField is the explicit way to cut, for fields where the user asked for a cut.
        const QString cut = RecordField::fitToField(path, WorkspaceRecord::PathFieldSize);
        QVERIFY(path.startsWith(cut));
        QCOMPARE(r.setMainFile(cut), WorkspaceRecord::Change::Ok);
    } else {
        QCOMPARE(r.entryCount(), 80);
        QCOMPARE(r.entry(80), WorkspaceEntry());
    }
}

void tst_WorkspaceRecord::fitsFieldAgreesWithWhatIsStored_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("fieldSize");
    QTest::addColumn<bool>("fits");

    const int path = WorkspaceRecord::PathFieldSize;
    const int post = WorkspaceRecord::PostBuildFieldSize;
    QTest::newRow("path-259-bytes") << QString(259, 'p') << path << true;
    QTest::newRow("path-260-bytes") << QString(260, 'p') << path << false;
    QTest::newRow("path-258-and-two-byte-char") << QString(257, 'p') + QChar(0xE9) << path << true;
    QTest::newRow("path-259-and-two-byte-char") << QString(258, 'p') + QChar(0xE9) << path << false;
    QTest::newRow("path-empty") << QString() << path << true;
    QTest::newRow("path-nul") << QString(QChar(0)) << path << false;
    QTest::newRow("post-build-1024-bytes") << QString(1024, 'c') << post << true;
    QTest::newRow("post-build-1025-bytes") << QString(1025, 'c') << post << false;
}

// The dialogs ask fitsField before they store; it must say yes exactly when the store succeeds.
void tst_WorkspaceRecord::fitsFieldAgreesWithWhatIsStored()
{
    QFETCH(QString, text);
    QFETCH(int, fieldSize);
    QFETCH(bool, fits);

    QCOMPARE(RecordField::fitsField(text, fieldSize), fits);
    QByteArray field(fieldSize + 1, '\x55'); // one guard byte past the field
    QCOMPARE(RecordField::encodeText(text, field.data(), fieldSize), fits);
    QCOMPARE(field.back(), '\x55');
    if (fits) {
        QCOMPARE(field.at(fieldSize - 1), '\0');
        QCOMPARE(RecordField::decodeText(field.constData(), fieldSize), text);
    }
    if (fieldSize == WorkspaceRecord::PathFieldSize)
        QCOMPARE(WorkspaceEntry(text).fits(), fits);
}

void tst_WorkspaceRecord::removeEntryKeepsOrder()
{
    WorkspaceRecord r;
    r.setOpen(true);
    for (const char *p : {"/a.asm", "/b.inc", "/c.txt"})
        QCOMPARE(r.appendEntry(WorkspaceEntry(p)), WorkspaceRecord::Change::Ok);
    QVERIFY(r.removeEntry(1));
    QCOMPARE(r.entryPaths(), QStringList({"/a.asm", "/c.txt"}));
    QVERIFY(!r.removeEntry(2));
    QVERIFY(!r.removeEntry(-1));
    QVERIFY(r.removeEntry(1) && r.removeEntry(0));
    QVERIFY(r.isOpen());
    // A later append overwrites the stale slot whole.
    QCOMPARE(r.appendEntry(WorkspaceEntry("/e.asm")), WorkspaceRecord::Change::Ok);
    QCOMPARE(r.entry(0), WorkspaceEntry("/e.asm"));
}

void tst_WorkspaceRecord::saveWalkStoresWindowState_data()
{
    QTest::addColumn<QList<WorkspaceWindowState>>("windows");
    // Per member: was-opened, active, selection start, scroll y.
    QTest::addColumn<QList<QList<int>>>("expected");

    const QList<int> untouched = {0, 0, 77, 99};
    QTest::newRow("no-windows-clear-every-flag")
        << QList<WorkspaceWindowState>() << QList<QList<int>>{untouched, untouched, untouched};
    QTest::newRow("two-windows-on-one-member-last-wins")
        << QList<WorkspaceWindowState>{{"/p/a.asm", 1, 2, 0, 10, true},
                                       {"/p/a.asm", 3, 4, 0, 20, false}}
        << QList<QList<int>>{{1, 1, 3, 20}, untouched, untouched};
    QTest::newRow("untitled-and-strangers-match-nothing")
        << QList<WorkspaceWindowState>{{"", 1, 1, 0, 5, true}, {"/p/other.asm", 1, 1, 0, 5, false}}
        << QList<QList<int>>{untouched, untouched, untouched};
    QTest::newRow("case-matters") << QList<WorkspaceWindowState>{{"/p/A.asm", 1, 1, 0, 5, true}}
                                  << QList<QList<int>>{untouched, untouched, untouched};
    QTest::newRow("duplicate-member-first-slot-only")
        << QList<WorkspaceWindowState>{{"/p/b.inc", 6, 6, 0, 7, false}}
        << QList<QList<int>>{untouched, {1, 0, 6, 7}, untouched};
}

void tst_WorkspaceRecord::saveWalkStoresWindowState()
{
    QFETCH(QList<WorkspaceWindowState>, windows);
    QFETCH(QList<QList<int>>, expected);

    WorkspaceRecord r;
    r.setOpen(true);
    for (const char *p : {"/p/a.asm", "/p/b.inc", "/p/b.inc"}) {
        WorkspaceEntry e(p);
        e.wasOpened = e.active = true;
        e.selectionStart = 77;
        e.scrollY = 99;
        QCOMPARE(r.appendEntry(e), WorkspaceRecord::Change::Ok);
    }
    // A stale slot past the count is not a member and keeps its bytes.
    QCOMPARE(r.setEntry(3, r.entry(0)), WorkspaceRecord::Change::Ok);

    r.applyWindowStates(windows);
    for (int i = 0; i < expected.size(); ++i) {
        const WorkspaceEntry e = r.entry(i);
        const QList<int> got = {e.wasOpened, e.active, e.selectionStart, e.scrollY};
        QCOMPARE(got, expected.at(i));
    }
    QVERIFY(r.entry(3).wasOpened);
}

void tst_WorkspaceRecord::unchangedRecordSavesByteForByte()
{
    // Garbage in the reserved areas, stale slots and odd flag values must all survive a
    // load and save that change nothing.
    QByteArray content(32768, '\0');
    for (int i = 0; i < content.size(); ++i)
        content[i] = char((i * 7 + 3) & 0xff);
    content[0] = char(0xDE);
    qToLittleEndian<qint32>(2, content.data() + 2);
    QTemporaryDir dir;
    const QString path = dir.filePath("w.qvw");
    QVERIFY(writeFileBytes(path, content));

    WorkspaceRecord r;
    QCOMPARE(r.load(path), WorkspaceRecord::LoadResult::Opened);
    QVERIFY(r.saveTo(dir.filePath("again.qvw")));
    QCOMPARE(readFileBytes(dir.filePath("again.qvw")), content);
}

void tst_WorkspaceRecord::failedSaveLeavesOldFileWhole_data()
{
    QTest::addColumn<QString>("failure");
    QTest::newRow("disk-full") << "disk-full";
    QTest::newRow("read-only-folder") << "read-only-folder";
    QTest::newRow("read-only-file") << "read-only-file";
}

void tst_WorkspaceRecord::failedSaveLeavesOldFileWhole()
{
    QFETCH(QString, failure);
    if (failure != "disk-full" && !canMakeReadOnly())
        QSKIP("running as root: read-only permissions are not enforced");

    QTemporaryDir dir;
    const QString path = dir.filePath("w.qvw");
    WorkspaceRecord old;
    old.setOpen(true);
    QVERIFY(old.setWorkspaceFilePath(path) == WorkspaceRecord::Change::Ok);
    QVERIFY(old.save());
    const QByteArray before = readFileBytes(path);

    WorkspaceRecord r = old;
    QCOMPARE(r.appendEntry(WorkspaceEntry("/new.asm")), WorkspaceRecord::Change::Ok);
    const QByteArray inMemory = r.toByteArray();
    QString error;
    bool saved = true;
    if (failure == "disk-full") {
        FileSizeLimit full(1000);
        QVERIFY(full.isActive());
        saved = r.save(&error);
    } else {
        const QString locked = failure == "read-only-folder" ? dir.path() : path;
        const auto perms = QFile::permissions(locked);
        QVERIFY(QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        saved = r.save(&error);
        QFile::setPermissions(locked, perms);
    }

    QVERIFY(!saved && !error.isEmpty());
    QCOMPARE(readFileBytes(path), before);
    QCOMPARE(r.toByteArray(), inMemory);
    // No temporary file is left behind either.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList("w.qvw"));
}

QTEST_GUILESS_MAIN(tst_WorkspaceRecord)
#include "tst_workspacerecord.moc"
