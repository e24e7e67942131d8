#include "ScriptedPrompts.h"
#include "workspace/CCreateNewDlg.h"
#include "workspace/CCreateNewLocationDlg.h"

#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

// The two "Create New ..." dialogs as a user fills them in: the modes of dialog 137, the
// location that follows the name, the messages that keep it open, the folder it may create.
class tst_CreateNewDialogs : public QObject
{
    Q_OBJECT

private slots:
    void kindDialogOffersFourKinds();
    void modesFillAndDisableTheControls_data();
    void modesFillAndDisableTheControls();
    void locationFollowsTheNameUntilTouched();
    void okAddsExtensionsAndCreatesTheFolder();
    void illegalNamesKeepTheDialogOpen_data();
    void illegalNamesKeepTheDialogOpen();
    void declinedFolderKeepsTheDialogOpen();
    void browsePutsTheChosenFolderIn();
    void listModeReturnsTheChosenMember();
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

void tst_CreateNewDialogs::kindDialogOffersFourKinds()
{
    CCreateNewDlg dialog;
    QListWidget *list = child<QListWidget>(&dialog, "ctl_1008");
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Create New ..."));
    QCOMPARE(list->count(), 4);
    QCOMPARE(list->item(3)->text(), QStringLiteral("other file type"));
    QCOMPARE(list->currentRow(), 0);
    QCOMPARE(dialog.chosenIndex(), -1);
    list->setCurrentRow(2);
    child<QPushButton>(&dialog, "ctl_1")->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.chosenIndex(), 2);
}

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

void tst_CreateNewDialogs::locationFollowsTheNameUntilTouched()
{
    QTemporaryDir dir;
    CCreateNewLocationDlg dialog(setupFor(Mode::Project, dir.path(), true));
    QLineEdit *source = child<QLineEdit>(&dialog, "ctl_1009");
    QLineEdit *location = child<QLineEdit>(&dialog, "ctl_1010");
    QPushButton *ok = child<QPushButton>(&dialog, "ctl_1");
    QTest::keyClicks(source, QStringLiteral("hello.asm"));
    QCOMPARE(location->text(), dir.path() + QStringLiteral("/hello"));
    QVERIFY(ok->isEnabled());
    // Only a dot after the first character starts the extension.
    source->setText(QStringLiteral(".asm"));
    QCOMPARE(location->text(), dir.path() + QStringLiteral("/.asm"));
    QVERIFY(ok->isEnabled());
    source->clear();
    QVERIFY(!ok->isEnabled());
    // Typing into the location stops it following.
    QTest::keyClicks(location, QStringLiteral("x"));
    QTest::keyClicks(source, QStringLiteral("other"));
    QCOMPARE(location->text(), dir.path() + QStringLiteral("/x"));
    QVERIFY(dialog.locationTouched());

    // Add new file does not follow at all.
    CCreateNewLocationDlg fileDialog(setupFor(Mode::File, dir.path(), false));
    QTest::keyClicks(child<QLineEdit>(&fileDialog, "ctl_1009"), QStringLiteral("part"));
    QCOMPARE(child<QLineEdit>(&fileDialog, "ctl_1010")->text(), dir.path() + "/");
}

void tst_CreateNewDialogs::okAddsExtensionsAndCreatesTheFolder()
{
    QTemporaryDir dir;
    ScriptedPrompts prompts;
    CCreateNewLocationDlg dialog(setupFor(Mode::Project, dir.path(), true));
    QTest::keyClicks(child<QLineEdit>(&dialog, "ctl_1009"), QStringLiteral("hello"));
    child<QListWidget>(&dialog, "ctl_1008")->setCurrentRow(1);
    prompts.answerMessage(PromptAnswer::Yes);
    dialog.accept();
    QCOMPARE(prompts.messagesAsked(), QStringList{"Location path does not exist, create?"});
    QCOMPARE(prompts.asked().at(0).buttons, PromptButtons::YesNo);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.sourceName(), QStringLiteral("hello.asm"));
    QCOMPARE(dialog.targetName(), QStringLiteral("hello.obj"));
    QCOMPARE(dialog.chosenIndex(), 1);
    QCOMPARE(dialog.location(), dir.path() + QStringLiteral("/hello/"));
    QVERIFY(QFileInfo(dir.path() + QStringLiteral("/hello")).isDir());
    QCOMPARE(child<QLineEdit>(&dialog, "ctl_1012")->text(), QStringLiteral("hello.obj"));

    // A new include file gets ".inc"; an existing location asks nothing.
    CCreateNewLocationDlg fileDialog(setupFor(Mode::File, dir.path()));
    QTest::keyClicks(child<QLineEdit>(&fileDialog, "ctl_1009"), QStringLiteral("defs"));
    child<QListWidget>(&fileDialog, "ctl_1008")->setCurrentRow(1);
    fileDialog.accept();
    QCOMPARE(fileDialog.result(), int(QDialog::Accepted));
    QCOMPARE(fileDialog.sourceName(), QStringLiteral("defs.inc"));
    QCOMPARE(fileDialog.location(), dir.path() + "/");
    QVERIFY(prompts.allAnswered());
}

void tst_CreateNewDialogs::illegalNamesKeepTheDialogOpen_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focused");

    QTest::newRow("blank in the source") << "my prog"
                                         << ""
                                         << "Filename contains illegal characters1."
                                         << "ctl_1009";
    QTest::newRow("hyphen in the target") << "prog"
                                          << "out-1.com"
                                          << "Filename contains illegal characters0."
                                          << "ctl_1012";
}

void tst_CreateNewDialogs::illegalNamesKeepTheDialogOpen()
{
    QFETCH(QString, source);
    QFETCH(QString, target);
    QFETCH(QString, message);
    QFETCH(QString, focused);
    QTemporaryDir dir;
    ScriptedPrompts prompts;
    CCreateNewLocationDlg dialog(setupFor(Mode::Project, dir.path(), true));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    child<QLineEdit>(&dialog, "ctl_1009")->setText(source);
    child<QLineEdit>(&dialog, "ctl_1012")->setText(target);
    prompts.answerMessage(PromptAnswer::Ok);
    dialog.accept();
    QCOMPARE(prompts.messagesAsked(), QStringList{message});
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.result(), 0);
    QCOMPARE(QApplication::focusWidget()->objectName(), focused);
    // The location still follows the name: the failed OK did not count as touching it.
    QVERIFY(!dialog.locationTouched());
    QVERIFY(prompts.allAnswered());
}

void tst_CreateNewDialogs::declinedFolderKeepsTheDialogOpen()
{
    QTemporaryDir dir;
    ScriptedPrompts prompts;
    CCreateNewLocationDlg dialog(setupFor(Mode::Project, dir.path(), true));
    QTest::keyClicks(child<QLineEdit>(&dialog, "ctl_1009"), QStringLiteral("proj"));
    prompts.answerMessage(PromptAnswer::No);
    dialog.accept();
    QCOMPARE(dialog.result(), 0);
    QVERIFY(!QFileInfo::exists(dir.path() + QStringLiteral("/proj")));
    QVERIFY(!dialog.locationTouched());
    // A location of the root itself exists and is taken as it stands.
    child<QLineEdit>(&dialog, "ctl_1010")->setText(QStringLiteral("/"));
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.location(), QStringLiteral("/"));
    QVERIFY(prompts.allAnswered());
}

void tst_CreateNewDialogs::browsePutsTheChosenFolderIn()
{
    QTemporaryDir dir;
    ScriptedPrompts prompts;
    CCreateNewLocationDlg dialog(setupFor(Mode::Project, dir.path(), true));
    prompts.answerFolder(QStringLiteral("/tmp"));
    child<QPushButton>(&dialog, "ctl_1011")->click();
    QCOMPARE(prompts.asked().at(0).text, QStringLiteral("Select a Starting Directory"));
    QCOMPARE(child<QLineEdit>(&dialog, "ctl_1010")->text(), QStringLiteral("/tmp"));
    // A chosen folder is not replaced by the name any more.
    QTest::keyClicks(child<QLineEdit>(&dialog, "ctl_1009"), QStringLiteral("abc"));
    QCOMPARE(child<QLineEdit>(&dialog, "ctl_1010")->text(), QStringLiteral("/tmp"));
    prompts.answerFolder(QString()); // cancelled: nothing changes
    child<QPushButton>(&dialog, "ctl_1011")->click();
    QCOMPARE(child<QLineEdit>(&dialog, "ctl_1010")->text(), QStringLiteral("/tmp"));
    QVERIFY(prompts.allAnswered());
}

void tst_CreateNewDialogs::listModeReturnsTheChosenMember()
{
    QTemporaryDir dir;
    ScriptedPrompts prompts;
    Setup s = setupFor(Mode::List, dir.path());
    s.entryPaths = {dir.path() + "/a.asm", dir.path() + "/b inc-file.inc"};
    CCreateNewLocationDlg dialog(s);
    child<QListWidget>(&dialog, "ctl_1008")->setCurrentRow(1);
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.chosenIndex(), 1);
    // Member paths are never checked as names.
    QCOMPARE(dialog.sourceName(), dir.path() + "/b inc-file.inc");
    QVERIFY(prompts.allAnswered());
}

QTEST_MAIN(tst_CreateNewDialogs)
#include "tst_createnewdialogs.moc"
