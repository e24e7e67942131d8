#include "DocumentFixture.h"
#include "ScriptedPrompts.h"
#include "TestFiles.h"
#include "editor/RecoveryStore.h"
#include "editor/ui/DocumentRecovery.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstdio>
#include <memory>
#include <sys/stat.h>

// The program ended without saving (killed, terminated, its session gone): the edits come back
// exactly, byte for byte, at the next start.
class tst_Recovery : public QObject
{
    Q_OBJECT

private slots:
    void editsComeBackAfterTheProgramEnded_data();
    void editsComeBackAfterTheProgramEnded();
    void answersToTheOffer_data();
    void answersToTheOffer();
    void savedOrClosedDocumentsLeaveNoCopy();
    void leftOverCopiesAreNeverReplaced();
    void twoCopiesOfOneFileBothComeBack();
    void aCopyThatCannotBeWrittenIsSaid();
};

namespace {

const QByteArray kFileBytes = "mov al,'\x80'\r\nret\n"; // Windows-1252, one CR LF, one LF
const QByteArray kEditedBytes = "; added\r\nmov al,'\x80'\r\nret\n";

void makeTheEdit(CQvasmDoc *doc)
{
    CChildFrame::viewOf(doc)->moveCursor(QTextCursor::Start);
    CChildFrame::viewOf(doc)->insertPlainText("; added\n");
}

QStringList copies(const QString &folder)
{
    return QDir(folder).entryList({"*.recovery"}, QDir::Files);
}

// The program as a user runs it, in a process of its own: open the file, edit it, and say
// "ready" once the edit is made (and, with a short idle delay, once its copy is on disk).
int runChild(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString folder = qEnvironmentVariable("QVASMIDE_RECOVERY_CHILD");
    const int idle = qEnvironmentVariableIntValue("QVASMIDE_RECOVERY_IDLE");
    DocumentFixture f;
    DocumentRecovery recovery(f.documents.get(), folder);
    recovery.setIdleDelay(idle);
    recovery.handleTerminationSignals();
    CQvasmDoc *doc = f.documents->openDocument(QString::fromLocal8Bit(argv[argc - 1]));
    if (!doc)
        return 2;
    makeTheEdit(doc);
    if (idle < 1000) {
        QDeadlineTimer deadline(10000);
        while (copies(folder).isEmpty() && !deadline.hasExpired())
            QTest::qWait(10);
        recovery.waitForWrites();
    }
    std::printf("ready\n");
    std::fflush(stdout);
    if (qEnvironmentVariableIsSet("QVASMIDE_RECOVERY_MODAL")) {
        QDialog dialog; // as a start-up box would be, before the main loop runs
        dialog.exec();
    }
    return app.exec();
}

} // namespace

void tst_Recovery::editsComeBackAfterTheProgramEnded_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<int>("idle");
    QTest::addColumn<bool>("modal");
    // Killed: only what was written in the idle time is left.
    QTest::newRow("SIGKILL after the idle copy") << int(SIGKILL) << 50 << false;
    // Terminated or hung up: the copies are written then, with no idle time gone by.
    QTest::newRow("SIGTERM before any copy") << int(SIGTERM) << 600000 << false;
    QTest::newRow("SIGHUP before any copy") << int(SIGHUP) << 600000 << false;
    QTest::newRow("SIGINT before any copy") << int(SIGINT) << 600000 << false;
    // A dialog's own loop ends, and so does the main loop that starts after it.
    QTest::newRow("SIGTERM while a dialog is up") << int(SIGTERM) << 600000 << true;
}

void tst_Recovery::editsComeBackAfterTheProgramEnded()
{
    QFETCH(int, signal);
    QFETCH(int, idle);
    QFETCH(bool, modal);
    QTemporaryDir dir;
    const QString folder = dir.filePath("recovery");
    const QString file = dir.filePath("main.asm");
    QVERIFY(writeFileBytes(file, kFileBytes));

    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QVASMIDE_RECOVERY_CHILD", folder);
    env.insert("QVASMIDE_RECOVERY_IDLE", QString::number(idle));
    if (modal)
        env.insert("QVASMIDE_RECOVERY_MODAL", "1");
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {file});
    QVERIFY(child.waitForStarted());
    QByteArray said;
    QTRY_VERIFY_WITH_TIMEOUT((said += child.readAllStandardOutput()).contains("ready")
                                 || child.state() == QProcess::NotRunning,
                             20000);
    QCOMPARE(child.state(), QProcess::Running);
    ::kill(pid_t(child.processId()), signal);
    QVERIFY(child.waitForFinished(20000));
    if (signal != SIGKILL) {
        QCOMPARE(child.exitStatus(), QProcess::NormalExit); // ended cleanly, not by the signal
        QCOMPARE(child.exitCode(), 0);
    }
    QCOMPARE(copies(folder).size(), 1);
    QCOMPARE(int(QFileInfo(folder).permissions() & 0x0077), 0); // nobody else reads it

    // The next start.
    DocumentFixture f;
    ScriptedPrompts prompts;
    DocumentRecovery recovery(f.documents.get(), folder);
    prompts.answerMessage(PromptAnswer::Yes);
    recovery.offerLeftOver();
    QVERIFY(prompts.allAnswered());
    QVERIFY(prompts.messagesAsked().value(0).startsWith(file));
    QVERIFY(!prompts.messagesAsked().value(0).contains("changed"));
    CQvasmDoc *doc = f.documents->findDocument(file);
    QVERIFY(doc);
    QVERIFY(doc->IsModified());
    QCOMPARE(doc->fileFormat().encoding, TextEncoding::Windows1252);
    QCOMPARE(readFileBytes(file), kFileBytes); // nothing written behind the user's back
    QVERIFY(doc->OnSaveDocument(file));
    QCOMPARE(readFileBytes(file), kEditedBytes);
    recovery.waitForWrites();
    QVERIFY(copies(folder).isEmpty());
}

void tst_Recovery::answersToTheOffer_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("fileChanged");
    QTest::addColumn<int>("copiesAfter");
    QTest::newRow("no discards the copy") << int(PromptAnswer::No) << false << 0;
    QTest::newRow("cancel keeps it for the next start") << int(PromptAnswer::Cancel) << false << 1;
    QTest::newRow("file changed since: said so") << int(PromptAnswer::Cancel) << true << 1;
}

void tst_Recovery::answersToTheOffer()
{
    QFETCH(int, answer);
    QFETCH(bool, fileChanged);
    QFETCH(int, copiesAfter);
    DocumentFixture f;
    const QString file = f.write("a.asm", "nop\r\n");
    RecoveryRecord r;
    r.path = file;
    r.text = "nop\nret\n";
    r.diskStamp = FileStamp::of(file);
    r.pid = 0; // no program of that number runs
    RecoveryStore store(f.path("recovery"));
    QVERIFY(store.write("left", r));
    if (fileChanged)
        QVERIFY(writeFileBytes(file, "theirs, longer\r\n"));

    ScriptedPrompts prompts;
    prompts.answerMessage(PromptAnswer(answer));
    DocumentRecovery recovery(f.documents.get(), store.folder());
    recovery.offerLeftOver();
    QVERIFY(prompts.allAnswered());
    QCOMPARE(prompts.messagesAsked().value(0).contains("changed since"), fileChanged);
    QCOMPARE(copies(store.folder()).size(), copiesAfter);
    QCOMPARE(f.windowCount(), 0);
}

void tst_Recovery::savedOrClosedDocumentsLeaveNoCopy()
{
    DocumentFixture f;
    ScriptedPrompts prompts;
    DocumentRecovery recovery(f.documents.get(), f.path("recovery"));
    recovery.setIdleDelay(0);
    const QString folder = recovery.store().folder();
    CQvasmDoc *a = f.documents->openDocument(f.write("a.asm", "a\r\n"));
    CQvasmDoc *b = f.documents->openDocument(f.write("b.asm", "b\r\n"));
    makeTheEdit(a);
    makeTheEdit(b);
    QTRY_COMPARE(copies(folder).size(), 2);
    recovery.waitForWrites();

    QVERIFY(a->DoFileSave()); // saved: its copy goes
    recovery.waitForWrites();
    QCOMPARE(copies(folder).size(), 1);
    prompts.answerMessage(PromptAnswer::No); // "Save changes?" No: the edits are given up
    QVERIFY(b->CloseWithPrompt());
    DocumentFixture::settle();
    recovery.waitForWrites();
    QVERIFY(copies(folder).isEmpty());
    QVERIFY(prompts.allAnswered());
}

void tst_Recovery::leftOverCopiesAreNeverReplaced()
{
    // Kept by an earlier program that had this program's number (Cancel at the last start),
    // under every name a copy of ours could take: it is still there, unchanged, afterwards.
    DocumentFixture f;
    ScriptedPrompts prompts;
    const QString folder = f.path("recovery");
    RecoveryStore store(folder);
    RecoveryRecord earlier;
    earlier.path = f.path("earlier.asm");
    earlier.text = "the earlier program's edits\n";
    earlier.pid = QCoreApplication::applicationPid();
    earlier.started = 1;
    QStringList names;
    for (int serial = 1; serial <= 3; ++serial)
        names << QStringLiteral("%1-%2").arg(earlier.pid).arg(serial);
    for (const QString &name : names)
        QVERIFY(store.write(name, earlier));
    const QByteArray kept = readFileBytes(folder + "/" + names[0] + ".recovery");

    DocumentRecovery recovery(f.documents.get(), folder);
    recovery.setIdleDelay(0);
    CQvasmDoc *a = f.documents->openDocument(f.write("a.asm", "a\r\n"));
    CQvasmDoc *b = f.documents->openDocument(f.write("b.asm", "b\r\n"));
    makeTheEdit(a);
    makeTheEdit(b);
    QTRY_COMPARE(copies(folder).size(), names.size() + 2);
    recovery.waitForWrites();
    QVERIFY(a->DoFileSave());
    recovery.waitForWrites();
    QCOMPARE(copies(folder).size(), names.size() + 1);
    for (const QString &name : names)
        QCOMPARE(readFileBytes(folder + "/" + name + ".recovery"), kept);
    QCOMPARE(store.leftOver().size(), names.size());
}

void tst_Recovery::twoCopiesOfOneFileBothComeBack()
{
    // The program ended twice before the file was saved; both copies are restored.
    DocumentFixture f;
    const QString file = f.write("a.asm", "nop\r\n");
    RecoveryStore store(f.path("recovery"));
    RecoveryRecord r;
    r.path = file;
    r.diskStamp = FileStamp::of(file);
    r.written = QDateTime::fromMSecsSinceEpoch(1000);
    r.text = "first\n";
    QVERIFY(store.write("first", r));
    r.written = QDateTime::fromMSecsSinceEpoch(2000);
    r.text = "second\n";
    QVERIFY(store.write("second", r));

    ScriptedPrompts prompts;
    prompts.answerMessage(PromptAnswer::Yes);
    prompts.answerMessage(PromptAnswer::Yes);
    DocumentRecovery recovery(f.documents.get(), store.folder());
    recovery.offerLeftOver();
    QVERIFY(prompts.allAnswered());
    QCOMPARE(f.windowCount(), 2);
    QStringList texts;
    for (CQvasmDoc *doc : f.documents->documents()) {
        QVERIFY(doc->IsModified());
        texts << doc->fileText();
    }
    texts.sort();
    QCOMPARE(texts, QStringList({"first\n", "second\n"}));
    QVERIFY(store.leftOver().isEmpty()); // both taken back
    // and kept under their new names at once, not only after the next idle time
    QCOMPARE(copies(store.folder()).size(), 2);
}

void tst_Recovery::aCopyThatCannotBeWrittenIsSaid()
{
    // The folder can't be made: a file has the name of its parent.
    DocumentFixture f;
    const QString blocker = f.write("data", "a file, not a folder\n");
    DocumentRecovery recovery(f.documents.get(), blocker + "/recovery");
    recovery.setIdleDelay(0);
    QSignalSpy failed(&recovery, &DocumentRecovery::copyFailed);
    const QString file = f.write("a.asm", "a\r\n");
    makeTheEdit(f.documents->openDocument(file));
    QTRY_VERIFY(!failed.isEmpty());
    const QString said = failed.first().first().toString();
    QVERIFY(said.contains(file));
    QVERIFY(said.contains("Not a directory"));
    QCOMPARE(readFileBytes(blocker), QByteArray("a file, not a folder\n"));
}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsSet("QVASMIDE_RECOVERY_CHILD"))
        return runChild(argc, argv);
    QApplication app(argc, argv);
    tst_Recovery test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_recovery.moc"
