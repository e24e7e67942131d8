#include "app/FirstRunSetup.h"

#include "TestFiles.h"
#include "TestSettings.h"

#include <QFile>
#include <QTest>

// The first start: nothing written until the notice is accepted, then every default in order.
class tst_FirstRunSetup : public QObject
{
    Q_OBJECT

private slots:
    void defaultsInTheirOrder();
    void declinedTwiceLeavesNothing();
    void acceptedWritesEveryDefault();
    void installedStoreIsNotAsked_data();
    void installedStoreIsNotAsked();
};

void tst_FirstRunSetup::defaultsInTheirOrder()
{
    QStringList keys;
    for (const SettingValue &v : FirstRunSetup::defaults("/opt/qvasmide"))
        keys << v.section + "/" + v.key + "=" + v.value.toString();
    const QStringList expected{
        "Settings/Installed=1",
        "Settings/empty=0",
        "Settings/loadws=0",
        "Configuration/home_url=https://www.kestrelmoor.example/",
        "Configuration/tools_dir=/opt/qvasmide/tools/",
        "Settings/tip_num=0",
        "Settings/tips=1",
        "Settings/tabstops=2",
        "Settings/tabstospaces=1",
        "FindBar/Match Case=0",
        "FindBar/Match Word=0",
        "FindBar/Search Subs=1",
        "FindBar/Expanded=0",
        "FindBar/Close on Open=0",
        "Settings/colorcase_insensitive=1",
        "Settings/useformatting=1",
        "Settings/usememberpopup=1",
        "Settings/CRComment_indx=15",
        "Settings/CRComment_rgb=1952024",
        "Settings/CRDirectives_indx=15",
        "Settings/CRDirectives_rgb=16711808",
        "Settings/CRInstructions_indx=15",
        "Settings/CRInstructions_rgb=16711680",
        "Settings/CRRegisters_indx=15",
        "Settings/CRRegisters_rgb=16711935",
        "Settings/CRStrings_indx=9",
        "Settings/CRStrings_rgb=136",
        "Settings/CRSymbols_indx=3",
        "Settings/CRSymbols_rgb=2763430",
    };
    QCOMPARE(keys, expected);
}

void tst_FirstRunSetup::declinedTwiceLeavesNothing()
{
    TestSettings settings;
    int asked = 0;
    for (int start = 0; start < 2; ++start) {
        QVERIFY(!FirstRunSetup::run(settings.store(), "/opt/q", [&asked] {
            ++asked;
            return false;
        }));
    }
    QCOMPARE(asked, 2);
    settings.store().sync();
    QVERIFY(!settings.store().contains("Settings", "Installed"));
    QVERIFY(!settings.store().contains("Settings", "useformatting"));
    // Nothing written means no file either.
    QVERIFY(!QFile::exists(settings.filePath()));
}

void tst_FirstRunSetup::acceptedWritesEveryDefault()
{
    TestSettings settings;
    QVERIFY(FirstRunSetup::run(settings.store(), "/opt/q", [] { return true; }));
    SettingsStore reread(settings.filePath());
    for (const SettingValue &v : FirstRunSetup::defaults("/opt/q")) {
        if (v.value.typeId() == QMetaType::QString)
            QCOMPARE(reread.readString(v.section, v.key, "absent"), v.value.toString());
        else
            QCOMPARE(reread.readInt(v.section, v.key, -1), v.value.toInt());
    }
    QVERIFY(FirstRunSetup::isInstalled(reread));
    // Keys without a first-run value stay for their owners to write.
    QVERIFY(!reread.contains("Settings", "lastws"));
    QVERIFY(!reread.contains("FindBar", "Find Down"));
}

void tst_FirstRunSetup::installedStoreIsNotAsked_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<bool>("asks");
    QTest::newRow("installed") << QByteArray("[Settings]\nInstalled=1\n") << false;
    QTest::newRow("installed-zero") << QByteArray("[Settings]\nInstalled=0\n") << true;
    QTest::newRow("unreadable-file") << QByteArray("\xff\xfe\x00[[", 5) << true;
}

void tst_FirstRunSetup::installedStoreIsNotAsked()
{
    QFETCH(QByteArray, ini);
    QFETCH(bool, asks);
    TestSettings settings;
    QVERIFY(writeFileBytes(settings.filePath(), ini));
    SettingsStore store(settings.filePath());
    bool asked = false;
    QVERIFY(FirstRunSetup::run(store, "/opt/q", [&asked] {
        asked = true;
        return true;
    }));
    QCOMPARE(asked, asks);
}

QTEST_GUILESS_MAIN(tst_FirstRunSetup)
#include "tst_firstrunsetup.moc"
