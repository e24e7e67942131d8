#include "search/FileNamePattern.h"
#include "search/FileNameWalk.h"
#include "search/ui/CFindInFilesDlg.h"

#include "ScriptedPrompts.h"
#include "TestFiles.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

// The "Find in File(s)" dialog: its fields from the choices and back, the enabling rules, the
// switch between the simple and the advanced form, the folder browser, and the advanced form's
// file walk with Open.
class tst_FindInFilesDlg : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void fieldsComeFromTheChoicesAndGoBack();
    void findNeedsSearchText_data();
    void findNeedsSearchText();
    void typesTakeAtMost128Characters_data();
    void typesTakeAtMost128Characters();
    void layoutSwitchKeepsWidthAndEnablesTheWalk();
    void walkStepsThroughMatchesToNoMore();
    void fieldChangeRestartsTheWalk_data();
    void fieldChangeRestartsTheWalk();
    void patternWithPathIsRefused();
    void folderBrowser_data();
    void folderBrowser();
    void openFound_data();
    void openFound();
    void endings_data();
    void endings();

private:
    FindInFilesChoices advancedChoices() const;
    template<typename T>
    static T *control(const QDialog &dlg, int id)
    {
        return dlg.findChild<T *>(QStringLiteral("ctl_%1").arg(id));
    }
    static void click(const QDialog &dlg, int id)
    {
        QPushButton *b = control<QPushButton>(dlg, id);
        QVERIFY(b);
        QVERIFY(b->isEnabled());
        b->click();
    }

    QTemporaryDir m_dir;
    QString m_root; // ends in "/"
};

void tst_FindInFilesDlg::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_root = m_dir.path() + u'/';
    // Two matching files a level apart, and one that does not match.
    QVERIFY(QDir().mkpath(m_root + "sub"));
    QVERIFY(writeFileBytes(m_root + "first.asm", "mov ax, bx\n"));
    QVERIFY(writeFileBytes(m_root + "notes.txt", "x\n"));
    QVERIFY(writeFileBytes(m_root + "sub/SECOND.ASM", "ret\n"));
}

FindInFilesChoices tst_FindInFilesDlg::advancedChoices() const
{
    FindInFilesChoices c;
    c.text = QStringLiteral("ax");
    c.types = QStringLiteral("*.asm");
    c.folder = m_dir.path(); // without its final "/": the walk adds it
    c.fileNamePattern = QStringLiteral("*.asm");
    c.subFolders = true;
    c.advanced = true;
    return c;
}

void tst_FindInFilesDlg::fieldsComeFromTheChoicesAndGoBack()
{
    FindInFilesChoices in;
    in.text = QStringLiteral("bufptr");
    in.types = QStringLiteral("*.inc");
    in.folder = QStringLiteral("/src");
    in.fileNamePattern = QStringLiteral("*.lst");
    in.matchCase = true;
    in.subFolders = true;
    in.closeOnOpen = true;
    CFindInFilesDlg dlg(in, {});
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Find in File(s)"));
    QCOMPARE(control<QLineEdit>(dlg, 1047)->text(), in.text);
    QCOMPARE(control<QComboBox>(dlg, 1084)->currentText(), in.types);
    QCOMPARE(control<QComboBox>(dlg, 1084)->itemText(0), QStringLiteral("*.asm, *.inc"));
    QCOMPARE(control<QComboBox>(dlg, 1084)->itemText(1), QStringLiteral("*.*"));
    QCOMPARE(control<QLineEdit>(dlg, 1055)->text(), in.folder);
    QCOMPARE(control<QLineEdit>(dlg, 1054)->text(), in.fileNamePattern);
    QVERIFY(control<QCheckBox>(dlg, 1048)->isChecked());
    QVERIFY(!control<QCheckBox>(dlg, 1049)->isChecked());
    QVERIFY(control<QCheckBox>(dlg, 1051)->isChecked());

    control<QCheckBox>(dlg, 1049)->click();
    control<QCheckBox>(dlg, 1048)->click();
    control<QComboBox>(dlg, 1084)->setCurrentIndex(1);
    click(dlg, 5);
    const FindInFilesChoices out = dlg.choices();
    QVERIFY(out.wholeWord);
    QVERIFY(!out.matchCase);
    QVERIFY(out.advanced);
    QCOMPARE(out.types, QStringLiteral("*.*"));
    QCOMPARE(out.text, in.text);
    QCOMPARE(out.folder, in.folder);
    QCOMPARE(out.fileNamePattern, in.fileNamePattern);
    QVERIFY(out.subFolders && out.closeOnOpen);
}

void tst_FindInFilesDlg::findNeedsSearchText_data()
{
    QTest::addColumn<QString>("opening");
    QTest::addColumn<QString>("typed"); // replaces the field; "-": left alone
    QTest::addColumn<bool>("enabled");
    QTest::newRow("opens empty") << QString() << "-" << false;
    QTest::newRow("opens with text") << "ax"
                                     << "-" << true;
    QTest::newRow("text typed") << QString() << "a" << true;
    QTest::newRow("text cleared") << "ax"
                                  << "" << false;
}

void tst_FindInFilesDlg::findNeedsSearchText()
{
    QFETCH(QString, opening);
    QFETCH(QString, typed);
    QFETCH(bool, enabled);
    FindInFilesChoices c;
    c.text = opening;
    CFindInFilesDlg dlg(c, {});
    if (typed != "-")
        control<QLineEdit>(dlg, 1047)->setText(typed);
    QCOMPARE(control<QPushButton>(dlg, 1)->isEnabled(), enabled);
}

void tst_FindInFilesDlg::typesTakeAtMost128Characters_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("kept");
    QTest::newRow("128 kept whole") << 128 << 128;
    QTest::newRow("129 cut to 128") << 129 << 128;
}

void tst_FindInFilesDlg::typesTakeAtMost128Characters()
{
    QFETCH(int, length);
    QFETCH(int, kept);
    CFindInFilesDlg dlg(FindInFilesChoices(), {});
    auto *types = control<QComboBox>(dlg, 1084);
    types->lineEdit()->clear();
    QTest::keyClicks(types->lineEdit(), QString(length, u'a'));
    QCOMPARE(dlg.choices().types.size(), kept);
}

void tst_FindInFilesDlg::layoutSwitchKeepsWidthAndEnablesTheWalk()
{
    FindInFilesChoices c = advancedChoices();
    c.advanced = false;
    CFindInFilesDlg dlg(c, {});
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    auto *layoutSwitch = control<QPushButton>(dlg, 5);
    QCOMPARE(layoutSwitch->text(), QStringLiteral("&Advanced"));
    QVERIFY(!control<QLineEdit>(dlg, 1054)->isVisible());
    QVERIFY(!control<QLineEdit>(dlg, 1054)->isEnabled());
    const QSize simple = dlg.size();

    layoutSwitch->click();
    QTRY_VERIFY(dlg.height() > simple.height());
    QCOMPARE(dlg.width(), simple.width());
    QCOMPARE(layoutSwitch->text(), QStringLiteral(" &Simple "));
    QVERIFY(control<QLineEdit>(dlg, 1054)->isVisible());
    QVERIFY(control<QLineEdit>(dlg, 1054)->isEnabled());
    // The pattern was there from the start: Find File works without touching a field.
    QVERIFY(control<QPushButton>(dlg, 3)->isEnabled());
    QVERIFY(!control<QPushButton>(dlg, 4)->isEnabled());

    layoutSwitch->click();
    QTRY_COMPARE(dlg.size(), simple);
    QVERIFY(!dlg.choices().advanced);
}

void tst_FindInFilesDlg::walkStepsThroughMatchesToNoMore()
{
    CFindInFilesDlg dlg(advancedChoices(), {});
    auto *findFile = control<QPushButton>(dlg, 3);
    auto *found = control<QLineEdit>(dlg, 1056);
    auto *open = control<QPushButton>(dlg, 4);
    QCOMPARE(findFile->text(), FileNameWalk::kFindFile);
    QVERIFY(found->text().isEmpty());

    // A folder's files before its sub-folders; the capitals match without Match Case.
    click(dlg, 3);
    QCOMPARE(found->text(), m_root + "first.asm");
    QCOMPARE(findFile->text(), QStringLiteral("&Next File"));
    QVERIFY(open->isEnabled());
    click(dlg, 3);
    QCOMPARE(found->text(), m_root + "sub/SECOND.ASM");
    QCOMPARE(found->cursorPosition(), found->text().size());
    click(dlg, 3);
    QCOMPARE(found->text(), QStringLiteral("No more files matching the search field."));
    QCOMPARE(findFile->text(), QStringLiteral(" No More "));
    QVERIFY(!findFile->isEnabled());
    QVERIFY(!open->isEnabled());
    // Switching forms does not bring a finished walk back.
    click(dlg, 5);
    click(dlg, 5);
    QVERIFY(!findFile->isEnabled());
}

void tst_FindInFilesDlg::fieldChangeRestartsTheWalk_data()
{
    QTest::addColumn<int>("control");
    QTest::addColumn<bool>("restarts");
    QTest::newRow("file-name pattern") << 1054 << true;
    QTest::newRow("folder") << 1055 << true;
    QTest::newRow("match case") << 1048 << true;
    QTest::newRow("sub-folders") << 1050 << true;
    QTest::newRow("whole word leaves the walk") << 1049 << false;
    QTest::newRow("search text leaves the walk") << 1047 << false;
}

void tst_FindInFilesDlg::fieldChangeRestartsTheWalk()
{
    QFETCH(int, control);
    QFETCH(bool, restarts);
    CFindInFilesDlg dlg(advancedChoices(), {});
    auto *found = tst_FindInFilesDlg::control<QLineEdit>(dlg, 1056);
    click(dlg, 3);
    click(dlg, 3);
    click(dlg, 3); // " No More "
    QVERIFY(!tst_FindInFilesDlg::control<QPushButton>(dlg, 3)->isEnabled());

    QWidget *w = dlg.findChild<QWidget *>(QStringLiteral("ctl_%1").arg(control));
    if (auto *box = qobject_cast<QCheckBox *>(w)) {
        box->click();
        box->click(); // back as it was: the change itself restarts
    } else {
        auto *edit = qobject_cast<QLineEdit *>(w);
        QVERIFY(edit);
        edit->setText(edit->text() + u'x');
        edit->setText(edit->text().chopped(1));
    }
    auto *findFile = tst_FindInFilesDlg::control<QPushButton>(dlg, 3);
    if (!restarts) {
        QCOMPARE(findFile->text(), QStringLiteral(" No More "));
        QVERIFY(!findFile->isEnabled());
        return;
    }
    QCOMPARE(findFile->text(), QStringLiteral("F&ind File"));
    QVERIFY(findFile->isEnabled());
    QVERIFY(found->text().isEmpty());
    QVERIFY(!tst_FindInFilesDlg::control<QPushButton>(dlg, 4)->isEnabled());
    click(dlg, 3);
    QCOMPARE(found->text(), m_root + "first.asm");
}

void tst_FindInFilesDlg::patternWithPathIsRefused()
{
    FindInFilesChoices c = advancedChoices();
    c.fileNamePattern = QStringLiteral("sub/*.asm");
    CFindInFilesDlg dlg(c, {});
    ScriptedPrompts prompts;
    prompts.answerMessage(PromptAnswer::Ok);
    click(dlg, 3);
    QCOMPARE(prompts.messagesAsked(),
             QStringList{"'Find what:' should not contain a path.\nUse the 'In Path:' field."});
    QVERIFY(control<QLineEdit>(dlg, 1056)->text().isEmpty());
    QCOMPARE(control<QPushButton>(dlg, 3)->text(), FileNameWalk::kFindFile);
    QVERIFY(prompts.allAnswered());
}

void tst_FindInFilesDlg::folderBrowser_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("expected");
    QTest::newRow("confirmed replaces the folder") << "/chosen"
                                                   << "/chosen";
    QTest::newRow("cancelled keeps the folder") << QString() << "/typed";
}

void tst_FindInFilesDlg::folderBrowser()
{
    QFETCH(QString, answer);
    QFETCH(QString, expected);
    FindInFilesChoices c;
    c.folder = QStringLiteral("/typed");
    CFindInFilesDlg dlg(c, {});
    ScriptedPrompts prompts;
    prompts.answerFolder(answer);
    click(dlg, 1033);
    QCOMPARE(prompts.asked().size(), 1);
    QCOMPARE(prompts.asked().at(0).caption, QStringLiteral("Select a Starting Directory"));
    QCOMPARE(prompts.asked().at(0).file.directory, QStringLiteral("/typed"));
    QCOMPARE(control<QLineEdit>(dlg, 1055)->text(), expected);
}

void tst_FindInFilesDlg::openFound_data()
{
    QTest::addColumn<bool>("closeOnOpen");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<bool>("closes");
    QTest::newRow("close on open") << true << true << true;
    QTest::newRow("stays up without close on open") << false << true << false;
    QTest::newRow("stays up when the file did not open") << true << false << false;
}

void tst_FindInFilesDlg::openFound()
{
    QFETCH(bool, closeOnOpen);
    QFETCH(bool, opens);
    QFETCH(bool, closes);
    FindInFilesChoices c = advancedChoices();
    c.closeOnOpen = closeOnOpen;
    QStringList opened;
    CFindInFilesDlg dlg(c, [&](const QString &path) {
        opened << path;
        return opens;
    });
    dlg.show();
    click(dlg, 3);
    click(dlg, 4);
    QCOMPARE(opened, QStringList{m_root + "first.asm"});
    QCOMPARE(dlg.isVisible(), !closes);
    if (closes)
        QCOMPARE(dlg.ending(), CFindInFilesDlg::Close);
}

void tst_FindInFilesDlg::endings_data()
{
    QTest::addColumn<int>("button"); // 0: Esc
    QTest::addColumn<int>("ending");
    QTest::newRow("Find") << 1 << int(CFindInFilesDlg::Find);
    QTest::newRow("Close") << 8 << int(CFindInFilesDlg::Close);
    QTest::newRow("Cancel") << 2 << int(CFindInFilesDlg::Cancelled);
    QTest::newRow("Esc") << 0 << int(CFindInFilesDlg::Cancelled);
}

void tst_FindInFilesDlg::endings()
{
    QFETCH(int, button);
    QFETCH(int, ending);
    CFindInFilesDlg dlg(advancedChoices(), {});
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    if (button)
        click(dlg, button);
    else
        QTest::keyClick(&dlg, Qt::Key_Escape);
    QVERIFY(!dlg.isVisible());
    QCOMPARE(int(dlg.ending()), ending);
}

QTEST_MAIN(tst_FindInFilesDlg)
#include "tst_findinfilesdlg.moc"
