#include "TestFiles.h"
#include "TestSettings.h"

#include <QFile>
#include <QTest>

class tst_SettingsStore : public QObject
{
    Q_OBJECT

private slots:
    void roundTripsEachTypeWithTheReadersDefault();
    void badFilesAndValuesYieldTheDefault_data();
    void badFilesAndValuesYieldTheDefault();
    void removeAllLeavesNothing();
};

void tst_SettingsStore::roundTripsEachTypeWithTheReadersDefault()
{
    TestSettings settings;
    SettingsStore &s = settings.store();
    // Two readers of one absent key may pass different defaults; each gets its own.
    QCOMPARE(s.readInt("Settings", "tabstops", 2), 2);
    QCOMPARE(s.readInt("Settings", "tabstops", 7), 7);
    QVERIFY(s.readBinary("Settings", "Font").isNull());
    s.writeInt("Settings", "big", int(0xFFFFFFFFu));
    s.writeString("Recent Workspace List", "WorkSpace1", "/home/u/a b, c.qvw");
    s.writeBinary("Settings", "ToolbarState", QByteArray("\x00\x01\xff", 3));
    s.sync();
    // A second store on the same file sees what the first wrote.
    SettingsStore again(settings.filePath());
    QCOMPARE(quint32(again.readInt("Settings", "big", 0)), 0xFFFFFFFFu);
    QCOMPARE(again.readString("Recent Workspace List", "WorkSpace1"), QString("/home/u/a b, c.qvw"));
    QCOMPARE(again.readBinary("Settings", "ToolbarState"), QByteArray("\x00\x01\xff", 3));
}

void tst_SettingsStore::badFilesAndValuesYieldTheDefault_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::newRow("text-for-integer") << QByteArray("[Settings]\ntabstops=lots\n");
    QTest::newRow("binary-for-integer") << QByteArray("[Settings]\ntabstops=@ByteArray(ab)\n");
    QTest::newRow("too-large") << QByteArray("[Settings]\ntabstops=99999999999\n");
    QTest::newRow("empty") << QByteArray("[Settings]\ntabstops=\n");
    QTest::newRow("unreadable-file") << QByteArray("\x00\xff[[[\n=\n[Settings\ntabstops", 26);
}

void tst_SettingsStore::badFilesAndValuesYieldTheDefault()
{
    QFETCH(QByteArray, ini);
    TestSettings settings;
    QVERIFY(writeFileBytes(settings.filePath(), ini));
    SettingsStore s(settings.filePath());
    QCOMPARE(s.readInt("Settings", "tabstops", 2), 2);
    QCOMPARE(s.readString("Settings", "lastws", "x"), QString("x"));
}

void tst_SettingsStore::removeAllLeavesNothing()
{
    TestSettings settings;
    SettingsStore &s = settings.store();
    s.writeInt("Settings", "Installed", 1);
    s.sync();
    QVERIFY(QFile::exists(settings.filePath()));
    QVERIFY(s.removeAll());
    QVERIFY(!QFile::exists(settings.filePath()));
    QCOMPARE(s.readInt("Settings", "Installed", 0), 0);
}

QTEST_GUILESS_MAIN(tst_SettingsStore)
#include "tst_settingsstore.moc"
