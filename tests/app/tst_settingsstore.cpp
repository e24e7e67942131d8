#include "TestSettings.h"

#include <QFile>
#include <QTest>

class tst_SettingsStore : public QObject
{
    Q_OBJECT

private slots:
    void absentValuesYieldTheReadersDefault();
    void roundTripsEachType();
    void mistypedOrGarbageValuesYieldTheDefault_data();
    void mistypedOrGarbageValuesYieldTheDefault();
    void unreadableFileYieldsDefaults();
    void removeAllLeavesNothing();
};

void tst_SettingsStore::absentValuesYieldTheReadersDefault()
{
    TestSettings settings;
    SettingsStore &s = settings.store();
    // Two readers of one key may pass different defaults; each gets its own.
    QCOMPARE(s.readInt("Settings", "tabstops", 2), 2);
    QCOMPARE(s.readInt("Settings", "tabstops", 7), 7);
    QCOMPARE(s.readString("Configuration", "tools_dir", "./"), QString("./"));
    QVERIFY(s.readBinary("Settings", "Font").isNull());
}

void tst_SettingsStore::roundTripsEachType()
{
    TestSettings settings;
    {
        SettingsStore &s = settings.store();
        s.writeInt("Settings", "CRComment_rgb", 0x1DC918);
        s.writeInt("Settings", "big", int(0xFFFFFFFFu));
        s.writeString("Recent Workspace List", "WorkSpace1", "/home/u/a b, c.qvw");
        s.writeString("FindBar", "item00", "mov ax, [bx]");
        s.writeBinary("Settings", "ToolbarState", QByteArray("\x00\x01\xff", 3));
        s.sync();
    }
    // A second store on the same file sees what the first wrote.
    SettingsStore again(settings.filePath());
    QCOMPARE(again.readInt("Settings", "CRComment_rgb", 0), 0x1DC918);
    QCOMPARE(quint32(again.readInt("Settings", "big", 0)), 0xFFFFFFFFu);
    QCOMPARE(again.readString("Recent Workspace List", "WorkSpace1"), QString("/home/u/a b, c.qvw"));
    QCOMPARE(again.readString("FindBar", "item00"), QString("mov ax, [bx]"));
    QCOMPARE(again.readBinary("Settings", "ToolbarState"), QByteArray("\x00\x01\xff", 3));
}

void tst_SettingsStore::mistypedOrGarbageValuesYieldTheDefault_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::newRow("text-for-integer") << QByteArray("[Settings]\ntabstops=lots\n");
    QTest::newRow("binary-for-integer") << QByteArray("[Settings]\ntabstops=@ByteArray(ab)\n");
    QTest::newRow("too-large") << QByteArray("[Settings]\ntabstops=99999999999\n");
    QTest::newRow("empty") << QByteArray("[Settings]\ntabstops=\n");
}

void tst_SettingsStore::mistypedOrGarbageValuesYieldTheDefault()
{
    QFETCH(QByteArray, ini);
    TestSettings settings;
    QFile f(settings.filePath());
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(ini);
    f.close();
    SettingsStore s(settings.filePath());
    QCOMPARE(s.readInt("Settings", "tabstops", 2), 2);
}

void tst_SettingsStore::unreadableFileYieldsDefaults()
{
    TestSettings settings;
    QFile f(settings.filePath());
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QByteArray("\x00\xff[[[\n=\n[Settings\nInstalled", 27));
    f.close();
    SettingsStore s(settings.filePath());
    QCOMPARE(s.readInt("Settings", "Installed", 0), 0);
    QCOMPARE(s.readString("Settings", "lastws"), QString());
}

void tst_SettingsStore::removeAllLeavesNothing()
{
    TestSettings settings;
    SettingsStore &s = settings.store();
    s.writeInt("Settings", "Installed", 1);
    s.writeString("Make", "apath", "/x");
    s.sync();
    QVERIFY(QFile::exists(settings.filePath()));
    QVERIFY(s.removeAll());
    QVERIFY(!QFile::exists(settings.filePath()));
    QCOMPARE(s.readInt("Settings", "Installed", 0), 0);
}

QTEST_GUILESS_MAIN(tst_SettingsStore)
#include "tst_settingsstore.moc"
