#include "make/AssemblerOptions.h"
#include "make/MakeSettings.h"
#include "make/ui/CMakeSet1.h"
#include "make/ui/CMakeSet2.h"
#include "make/ui/CMakeSettingsSheet.h"
#include "workspace/WorkspaceRecord.h"

#include "ScriptedPrompts.h"
#include "TestSettings.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

// The Make Settings sheet: what it shows with and without a workspace, its enabling rules, its
// browse buttons, and what OK and Cancel keep.
class tst_MakeSettings : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void optionsFollowTheWorkspace_data();
    void optionsFollowTheWorkspace();
    void controlsFollowTheirBoxes_data();
    void controlsFollowTheirBoxes();
    void okStoresPathsAndOptions();
    void okWithoutWorkspaceStoresDefaults();
    void cancelChangesNothing();
    void browseButtonsFillTheirEdits_data();
    void browseButtonsFillTheirEdits();
    void postBuildEditHoldsWhatTheFieldKeeps();

private:
    template<typename T>
    static T *ctl(QWidget *w, int id)
    {
        return w->findChild<T *>(QStringLiteral("ctl_%1").arg(id));
    }
    static void openWorkspace(const AssemblerOptions &options);

    std::optional<TestSettings> m_settings;
};

void tst_MakeSettings::init()
{
    m_settings.emplace();
    WorkspaceRecord::instance().clear();
}

void tst_MakeSettings::cleanup()
{
    WorkspaceRecord::instance().clear();
    m_settings.reset();
}

void tst_MakeSettings::openWorkspace(const AssemblerOptions &options)
{
    WorkspaceRecord &record = WorkspaceRecord::instance();
    record.clear();
    record.setOpen(true);
    options.storeInto(record);
}

void tst_MakeSettings::optionsFollowTheWorkspace_data()
{
    QTest::addColumn<bool>("workspace");
    QTest::newRow("without-workspace-only-paths-change") << false;
    QTest::newRow("workspace-options-show-and-enable") << true;
}

void tst_MakeSettings::optionsFollowTheWorkspace()
{
    QFETCH(bool, workspace);
    MakeSettings::savePaths({"/opt/qvasm", "/opt/qvdisasm", "/inc", "/lib", "/opt/qvlink"});
    AssemblerOptions o;
    o.alphabetizeSegments = o.useJumps = o.bootDriveB = o.validateBootSector = true;
    o.postBuild = "cp a b\nls";
    if (workspace)
        openWorkspace(o);
    CMakeSettingsSheet sheet;
    sheet.load();
    QCOMPARE(ctl<QLineEdit>(&sheet, 1005)->text(), QStringLiteral("/opt/qvasm"));
    QCOMPARE(ctl<QLineEdit>(&sheet, 1023)->text(), QStringLiteral("/opt/qvlink"));
    for (int id : {1005, 1020, 1023, 1014, 1017})
        QVERIFY(ctl<QLineEdit>(&sheet, id)->isEnabled());
    // Shown, and never changeable here.
    for (int id : {1010, 1013}) {
        QCOMPARE(ctl<QCheckBox>(&sheet, id)->isChecked(), workspace);
        QVERIFY(!ctl<QCheckBox>(&sheet, id)->isEnabled());
    }
    for (int id : {1009, 1008, 1007, 1016, 1063, 1012, 1011})
        QVERIFY2(ctl<QWidget>(&sheet, id)->isEnabled() == workspace,
                 qPrintable(QString::number(id)));
    QCOMPARE(ctl<QComboBox>(&sheet, 1063)->currentIndex(), workspace ? 1 : -1);
    QCOMPARE(ctl<QPlainTextEdit>(&sheet, 1101)->isEnabled(), workspace);
    QCOMPARE(ctl<QPlainTextEdit>(&sheet, 1101)->toPlainText(), workspace ? o.postBuild : QString());
}

void tst_MakeSettings::controlsFollowTheirBoxes_data()
{
    QTest::addColumn<int>("box");
    QTest::addColumn<QList<int>>("followers");

    QTest::newRow("create listing enables open and page breaks") << 1008 << QList<int>{1019, 1022};
    QTest::newRow("boot sector enables the drive") << 1016 << QList<int>{1063};
}

void tst_MakeSettings::controlsFollowTheirBoxes()
{
    QFETCH(int, box);
    QFETCH(QList<int>, followers);
    openWorkspace({});
    CMakeSettingsSheet sheet;
    sheet.load();
    for (int id : followers)
        QVERIFY(!ctl<QWidget>(&sheet, id)->isEnabled());
    ctl<QCheckBox>(&sheet, box)->click();
    for (int id : followers)
        QVERIFY(ctl<QWidget>(&sheet, id)->isEnabled());
    ctl<QCheckBox>(&sheet, box)->click();
    for (int id : followers)
        QVERIFY(!ctl<QWidget>(&sheet, id)->isEnabled());

    // The include path edit is read-only, not disabled, while its box is clear.
    auto *include = ctl<QLineEdit>(&sheet, 1062);
    QVERIFY(include->isEnabled() && include->isReadOnly());
    ctl<QCheckBox>(&sheet, 1012)->click();
    QVERIFY(!include->isReadOnly());
}

void tst_MakeSettings::okStoresPathsAndOptions()
{
    openWorkspace({});
    CMakeSettingsSheet sheet;
    sheet.load();
    ctl<QLineEdit>(&sheet, 1005)->setText("/home/u/my tools/qvasm");
    ctl<QLineEdit>(&sheet, 1017)->setText("/home/u/lib");
    ctl<QLineEdit>(&sheet, 1023)->setText("/home/u/my tools/qvlink");
    ctl<QCheckBox>(&sheet, 1009)->click();
    ctl<QCheckBox>(&sheet, 1016)->click(); // drive left unselected: A:
    ctl<QCheckBox>(&sheet, 1012)->click();
    ctl<QLineEdit>(&sheet, 1062)->setText("/inc");
    ctl<QPlainTextEdit>(&sheet, 1101)->setPlainText("a\n\nb");
    ctl<QPushButton>(&sheet, 1)->click();
    QCOMPARE(sheet.result(), int(QDialog::Accepted));
    sheet.store();

    QCOMPARE(MakeSettings::assemblerPath(), QStringLiteral("/home/u/my tools/qvasm"));
    QCOMPARE(MakeSettings::libraryPath(), QStringLiteral("/home/u/lib"));
    QCOMPARE(MakeSettings::linkerPath(), QStringLiteral("/home/u/my tools/qvlink"));
    const WorkspaceRecord &record = WorkspaceRecord::instance();
    QVERIFY(record.option(WorkspaceRecord::Option::BeepOnError));
    QVERIFY(record.option(WorkspaceRecord::Option::ValidateBootSector));
    QVERIFY(!record.option(WorkspaceRecord::Option::BootDriveB));
    QVERIFY(record.option(WorkspaceRecord::Option::UseIncludePath));
    QCOMPARE(record.includePath(), QStringLiteral("/inc"));
    QCOMPARE(record.postBuildCommands(), QStringLiteral("a\r\n\r\nb"));
}

void tst_MakeSettings::okWithoutWorkspaceStoresDefaults()
{
    WorkspaceRecord &record = WorkspaceRecord::instance();
    record.setOption(WorkspaceRecord::Option::UseOptimizer, true);
    record.setIncludePath("/left/over");
    CMakeSettingsSheet sheet;
    sheet.load();
    ctl<QLineEdit>(&sheet, 1020)->setText("/opt/qvdisasm");
    sheet.accept();
    sheet.store();
    QCOMPARE(MakeSettings::disassemblerPath(), QStringLiteral("/opt/qvdisasm"));
    QVERIFY(!record.option(WorkspaceRecord::Option::UseOptimizer));
    QCOMPARE(record.includePath(), QString());
    QVERIFY(!record.isOpen());
}

void tst_MakeSettings::cancelChangesNothing()
{
    MakeSettings::savePaths({"/a", "/d", "", "", "/l"});
    AssemblerOptions o;
    o.useOptimizer = true;
    openWorkspace(o);
    // The real modal run, answered from the event loop.
    QTimer::singleShot(0, [] {
        auto *sheet = qobject_cast<CMakeSettingsSheet *>(QApplication::activeModalWidget());
        QVERIFY(sheet);
        sheet->findChild<QLineEdit *>("ctl_1005")->setText("/elsewhere");
        sheet->findChild<QLineEdit *>("ctl_1023")->setText("/elsewhere");
        sheet->findChild<QCheckBox *>("ctl_1007")->click();
        sheet->findChild<QPushButton *>("ctl_2")->click();
    });
    QVERIFY(!CMakeSettingsSheet::run(nullptr));
    QCOMPARE(MakeSettings::assemblerPath(), QStringLiteral("/a"));
    QCOMPARE(MakeSettings::linkerPath(), QStringLiteral("/l"));
    QVERIFY(WorkspaceRecord::instance().option(WorkspaceRecord::Option::UseOptimizer));
}

void tst_MakeSettings::browseButtonsFillTheirEdits_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("edit");
    QTest::addColumn<bool>("folder");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("expected");

    QTest::newRow("assembler") << 1006 << 1005 << false << "/opt/tools/qvasm"
                               << "/opt/tools/qvasm";
    QTest::newRow("linker") << 1024 << 1023 << false << "/opt/tools/qvlink"
                            << "/opt/tools/qvlink";
    QTest::newRow("library folder cancelled") << 1018 << 1017 << true << ""
                                              << "/before";
}

void tst_MakeSettings::browseButtonsFillTheirEdits()
{
    QFETCH(int, button);
    QFETCH(int, edit);
    QFETCH(bool, folder);
    QFETCH(QString, answer);
    QFETCH(QString, expected);
    ScriptedPrompts prompts;
    if (folder)
        prompts.answerFolder(answer);
    else
        prompts.answerOpenFiles(answer.isEmpty() ? QStringList() : QStringList{answer});
    CMakeSet1 page;
    ctl<QLineEdit>(&page, edit)->setText("/before");
    ctl<QPushButton>(&page, button)->click();
    QCOMPARE(ctl<QLineEdit>(&page, edit)->text(), expected);
    QVERIFY(prompts.allAnswered());
    const ScriptedPrompts::Question &q = prompts.asked().at(0);
    if (folder) {
        QCOMPARE(q.text, QStringLiteral("Select a Starting Directory"));
    } else {
        QCOMPARE(q.file.directory, QStringLiteral("/before"));
        // Tools here have no extension, so every file is offered first.
        QVERIFY(q.file.filter.startsWith("All Files (*.*) (*)"));
    }
}

void tst_MakeSettings::postBuildEditHoldsWhatTheFieldKeeps()
{
    CMakeSet2 page;
    page.setWorkspaceOpen(true);
    auto *edit = ctl<QPlainTextEdit>(&page, 1101);
    edit->setPlainText(QString(1000, 'a'));
    // Typing past the field's end keeps what fits.
    QTest::keyClicks(edit, QString(30, 'b'));
    QCOMPARE(page.postBuild().size(), 1024);
    // Each line break takes two bytes in the workspace field.
    edit->setPlainText(QString(1020, 'c') + "\n\n\n");
    QCOMPARE(page.postBuild(), QString(1020, 'c') + "\n\n");
}

QTEST_MAIN(tst_MakeSettings)
#include "tst_makesettings.moc"
