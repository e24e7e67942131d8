// The real program ended from outside (a logout's SIGHUP, a SIGTERM, Ctrl+C): it keeps what
// closing its window keeps, and ends with status 0.

#include "TestFiles.h"
#include "WorkspaceFiles.h"
#include "app/ui/SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

class tst_EndedFromOutside : public QObject
{
    Q_OBJECT

private slots:
    void closingStateIsKept_data();
    void closingStateIsKept();
};

void tst_EndedFromOutside::closingStateIsKept_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGHUP") << int(SIGHUP);
    QTest::newRow("SIGINT") << int(SIGINT);
}

void tst_EndedFromOutside::closingStateIsKept()
{
    QFETCH(int, signal);
    QTemporaryDir home;
    const QString config = home.filePath("config");
    const QString runtime = home.filePath("runtime");
    QVERIFY(QDir().mkpath(config + "/Kestrelmoor Software"));
    QVERIFY(QDir().mkpath(runtime));
    QVERIFY(QFile::setPermissions(runtime,
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                      | QFileDevice::ExeOwner));
    const QString settings = config + "/Kestrelmoor Software/qvasmide.ini";
    // Set up before: no first-run notice, no tip, nothing modal at start.
    QVERIFY(writeFileBytes(settings, "[Settings]\nInstalled=1\ntips=0\n"));
    const QString source = home.filePath("main.asm");
    QVERIFY(writeFileBytes(source, "org 100h\r\nret\r\n"));
    const QString workspace = writeWorkspaceFile(home.filePath("proj.qvw"),
                                                 source,
                                                 {member(source, true, true)});

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", config);
    env.insert("XDG_DATA_HOME", home.filePath("data"));
    env.insert("XDG_RUNTIME_DIR", runtime);
    env.insert("QT_QPA_PLATFORM", "offscreen");
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(qEnvironmentVariable("QVASMIDE_PROGRAM_DIR") + "/qvasmide", {workspace});
    QVERIFY(program.waitForStarted());

    // Its main loop answers a hand-over only once start-up (the workspace included) is done.
    qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
    SingleInstance probe(SingleInstance::serverNameFor(settings));
    QDeadlineTimer deadline(60000);
    bool running = false;
    while (!running && !deadline.hasExpired() && program.state() == QProcess::Running) {
        running = probe.handOff({});
        if (!running)
            QTest::qWait(100);
    }
    QVERIFY(running);

    ::kill(pid_t(program.processId()), signal);
    QVERIFY(program.waitForFinished(30000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);

    QSettings stored(settings, QSettings::IniFormat);
    stored.beginGroup("Recent Workspace List");
    QStringList recent;
    for (const QString &key : stored.childKeys())
        recent << stored.value(key).toString();
    QVERIFY2(recent.contains(workspace), qPrintable(recent.join(", ")));
}

QTEST_GUILESS_MAIN(tst_EndedFromOutside)
#include "tst_endedfromoutside.moc"
