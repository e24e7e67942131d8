#include "ScriptedPrompts.h"
#include "workspace/ui/CCreateNewLocationDlg.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

// The "Create New ..." dialog 137 as a user fills it in: what its modes offer, the messages that
// keep it open, the folder it may create. The naming rules themselves are the core tests'.
class tst_CreateNewDialogs : public QObject
{
    Q_OBJECT

private slots:
    void modesFillAndDisableTheControls_data();
    void modesFillAndDisableTheControls();
    void okClosesOnlyWhenAllIsWell_data();
    void okClosesOnlyWhenAllIsWell();
    void browsePutsTheChosenFolderIn();
};

namespace {

template<typename T>
T *child(QWidget *dialog, const char *id)
{
    return dialog->findChild<T *>(QLatin1String(id));
}

using Setup = CCreateNewLocationDlg::Setup;
using Mode = CreateNewRules::Mode;

Setup setupFor(Mode mode, const QString &current, bool follow = false)
{
    Setup s;
    s.mode = mode;
    s.followName = follow;
    s.currentFolder = current;
    return s;
}

} // namespace

Q_DECLARE_METATYPE(CreateNewRules::Mode)

void tst_CreateNewDialogs::modesFillAndDisableTheControls_data()
{
    QTest::addColumn<Mode>("mode");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<bool>("sourceEnabled");
    QTest::addColumn<bool>("targetEnabled");
    QTest::addColumn<bool>("okEnabled");

    QTest::newRow("file mode") << Mode::File << QStringList{"New .ASM file", "New .INC file"}
                               << true << false << false;
    QTest::newRow("project mode") << Mode::Project
                                  << QStringList{"New .COM project", "New .EXE project"} << true
                                  << true << false;
    QTest::newRow("list mode") << Mode::List << QStringList{"/w/a.asm", "/w/b.inc"} << false
                               << false << true;
}

void tst_CreateNewDialogs::modesFillAndDisableTheControls()
{
    QFETCH(Mode, mode);
    QFETCH(QStringList, items);
    QFETCH(bool, sourceEnabled);
    QFETCH(bool, targetEnabled);
    QFETCH(bool, okEnabled);
    QTemporaryDir dir;
    Setup s = setupFor(mode, dir.path());
    s.entryPaths = {QStringLiteral("/w/a.asm"), QStringLiteral("/w/b.inc")};
    s.mainFile = QStringLiteral("/w/src/main.asm");
    CCreateNewLocationDlg dialog(s);
    QListWidget *list = child<QListWidget>(&dialog, "ctl_1008");
    QStringList shown;
    for (int i = 0; i < list->count(); ++i)
        shown << list->item(i)->text();
    QCOMPARE(shown, items);
    QCOMPARE(list->currentRow(), 0);
    QCOMPARE(child<QLineEdit>(&dialog, "ctl_1009")->isEnabled(), sourceEnabled);
    QCOMPARE(child<QLineEdit>(&dialog, "ctl_1010")->isEnabled(), sourceEnabled);
    QCOMPARE(child<QPushButton>(&dialog, "ctl_1011")->isEnabled(), sourceEnabled);
    QCOMPARE(child<QLineEdit>(&dialog, "ctl_1012")->isEnabled(), targetEnabled);
    QCOMPARE(child<QPushButton>(&dialog, "ctl_1")->isEnabled(), okEnabled);
    // File mode starts in the main file's folder, the others in the current folder.
    const QString location = child<QLineEdit>(&dialog, "ctl_1010")->text();
    QCOMPARE(location, mode == Mode::File ? QStringLiteral("/w/src/") : dir.path() + "/");
}

void tst_CreateNewDialogs::okClosesOnlyWhenAllIsWell_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focused"); // empty: accepted

    const QString create = "Location path does not exist, create?";
    const int ok = int(PromptAnswer::Ok);
    QTest::newRow("blank in the source") << "my prog"
                                         << "" << ok << "Filename contains illegal characters1."
                                         << "ctl_1009";
    QTest::newRow("hyphen in the target")
        << "prog"
        << "out-1.com" << ok << "Filename contains illegal characters0."
        << "ctl_1012";
    QTest::newRow("folder declined") << "hello"
                                     << "" << int(PromptAnswer::No) << create << "ctl_1";
    QTest::newRow("folder created") << "hello"
                                    << "" << int(PromptAnswer::Yes) << create << "";
}

void tst_CreateNewDialogs::okClosesOnlyWhenAllIsWell()
{
    QFETCH(QString, source);
    QFETCH(QString, target);
    QFETCH(int, answer);
    QFETCH(QString, message);
    QFETCH(QString, focused);
    QTemporaryDir dir;
    ScriptedPrompts prompts;
    CCreateNewLocationDlg dialog(setupFor(Mode::Project, dir.path(), true));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QTest::keyClicks(child<QLineEdit>(&dialog, "ctl_1009"), source);
    child<QLineEdit>(&dialog, "ctl_1012")->setText(target);
    child<QListWidget>(&dialog, "ctl_1008")->setCurrentRow(1);
    child<QPushButton>(&dialog, "ctl_1")->setFocus();
    prompts.answerMessage(PromptAnswer(answer));
    dialog.accept();
    QCOMPARE(prompts.messagesAsked(), QStringList{message});
    QCOMPARE(dialog.isVisible(), !focused.isEmpty());
    QCOMPARE(QFileInfo(dir.filePath(source)).isDir(), focused.isEmpty());
    if (focused.isEmpty()) {
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.sourceName(), QStringLiteral("hello.asm"));
        QCOMPARE(dialog.targetName(), QStringLiteral("hello.obj"));
        QCOMPARE(dialog.location(), dir.filePath("hello/"));
    } else {
        QCOMPARE(QApplication::focusWidget()->objectName(), focused);
        // The location still follows the name: a failed OK does not count as touching it.
        QVERIFY(!dialog.locationTouched());
    }
}

void tst_CreateNewDialogs::browsePutsTheChosenFolderIn()
{
    QTemporaryDir dir;
    ScriptedPrompts prompts;
    CCreateNewLocationDlg dialog(setupFor(Mode::Project, dir.path(), true));
    prompts.answerFolder(QStringLiteral("/tmp"));
    child<QPushButton>(&dialog, "ctl_1011")->click();
    QCOMPARE(prompts.asked().at(0).text, QStringLiteral("Select a Starting Directory"));
    // A chosen folder is not replaced by the name any more; a cancelled choice changes nothing.
    QTest::keyClicks(child<QLineEdit>(&dialog, "ctl_1009"), QStringLiteral("abc"));
    prompts.answerFolder(QString());
    child<QPushButton>(&dialog, "ctl_1011")->click();
    QCOMPARE(child<QLineEdit>(&dialog, "ctl_1010")->text(), QStringLiteral("/tmp"));
    QVERIFY(prompts.allAnswered());
}

QTEST_MAIN(tst_CreateNewDialogs)
#include "tst_createnewdialogs.moc"
