#include "EditorViews.h"
#include "ScriptedPrompts.h"
#include "base/AppInfo.h"
#include "editor/ui/EditorAids.h"
#include "frame/AcceleratorTables.h"
#include "frame/CommandRouter.h"
#include "frame/MenuResources.h"
#include "frame/ui/CommandMenu.h"
#include "make/ui/CDisassembleDlg.h"

#include <QAction>
#include <QClipboard>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>

// A document window inside the frame as the user meets it: every accelerator key reaches its
// command, the Edit menu opened from the keyboard, the window's icon, and where the file dialogs
// of its commands start.
class tst_DocumentWindow : public QObject
{
    Q_OBJECT

private slots:
    void everyAcceleratorRunsItsCommand_data();
    void everyAcceleratorRunsItsCommand();
    void editMenuFromTheKeyboard_data();
    void editMenuFromTheKeyboard();
    void maximisedWindowShowsTheProgramIcon();
    void fileDialogsStartBesideTheDocument_data();
    void fileDialogsStartBesideTheDocument();
    void disassemblerDialogKeepsItsFile();
};

void tst_DocumentWindow::everyAcceleratorRunsItsCommand_data()
{
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<int>("id");
    // With a document window active the document table comes first, then the frame's.
    for (const Accelerator &a : AcceleratorTables::effective(true)) {
        const QByteArray name = a.keys.toString().toLatin1() + " runs " + QByteArray::number(a.id);
        QTest::newRow(name.constData()) << a.keys << a.id;
    }
}

void tst_DocumentWindow::everyAcceleratorRunsItsCommand()
{
    QFETCH(QKeySequence, keys);
    QFETCH(int, id);
    // Declared before the fixture: the frame's route holds on to it until the frame is gone.
    CommandMap recorder;
    QList<int> ran;
    DocumentFixture f;
    CQvasmView *view = openView(f, "mov ax, bx\r\n");
    QVERIFY(view);
    QVERIFY(f.frame->isDocumentMenuShown());

    // Every command of the tables runs into the recorder, first on the route, so that the keys
    // are what is tested, not what their commands do.
    for (const Accelerator &a : AcceleratorTables::effective(true)) {
        recorder.on(a.id, [&ran, id = a.id] { ran << id; });
        recorder.onUpdate(a.id, [](CommandUpdate &u) { u.enable(); });
    }
    CommandRouter &router = f.frame->router();
    const QList<const CommandMap *> route = router.owners();
    router.setOwnerChain(
        [&recorder, route] { return QList<const CommandMap *>{&recorder} + route; });
    router.refresh();

    // The one answer to the key in the window is the command's action.
    QList<QObject *> answers;
    for (QAction *action : f.frame->findChildren<QAction *>()) {
        if (action->isEnabled() && action->shortcuts().contains(keys))
            answers << action;
    }
    for (QShortcut *shortcut : f.frame->findChildren<QShortcut *>()) {
        if (shortcut->isEnabled() && shortcut->keys().contains(keys))
            answers << shortcut;
    }
    QCOMPARE(answers, QList<QObject *>{f.frame->commandAction(id)});

    const QKeyCombination key = keys[0];
    QTest::keyClick(view, key.key(), key.keyboardModifiers());
    QCOMPARE(ran, QList<int>{id});
}

void tst_DocumentWindow::editMenuFromTheKeyboard_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<bool>("clipboardText");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("paste") << int(ID_EDIT_PASTE) << true << true;
    QTest::newRow("paste with nothing to paste") << int(ID_EDIT_PASTE) << false << false;
    QTest::newRow("cut") << int(ID_EDIT_CUT) << true << true;
    QTest::newRow("copy") << int(ID_EDIT_COPY) << true << true;
    QTest::newRow("undo") << int(ID_EDIT_UNDO) << true << true;
    QTest::newRow("redo") << int(ID_EDIT_REDO) << true << true;
    QTest::newRow("select all") << int(ID_EDIT_SELECT_ALL) << true << true;
}

void tst_DocumentWindow::editMenuFromTheKeyboard()
{
    QFETCH(int, id);
    QFETCH(bool, clipboardText);
    QFETCH(bool, enabled);
    DocumentFixture f;
    CQvasmView *view = openView(f, "mov ax, bx\r\n");
    QVERIFY(view);
    // Two edits, one of them undone, and a selection: every Edit command has something to do.
    QTest::keyClick(view, Qt::Key_X);
    QTest::keyClick(view, Qt::Key_End);
    QTest::keyClick(view, Qt::Key_Y);
    view->undo();
    view->selectAll();
    if (clipboardText)
        QGuiApplication::clipboard()->setText(QStringLiteral("nop"));
    else
        QGuiApplication::clipboard()->clear();

    // Alt+E: the menu bar takes the keyboard while the menu is open.
    QMenuBar *bar = f.frame->menuBar();
    QTest::keyClick(view, Qt::Key_E, Qt::AltModifier);
    if (QApplication::focusWidget() != bar)
        bar->setFocus(Qt::MenuBarFocusReason); // styles without menu-bar keyboard navigation
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(bar));
    f.frame->router().refresh();
    QCOMPARE(f.frame->commandAction(id)->isEnabled(), enabled);
    if (QWidget *menu = QApplication::activePopupWidget())
        menu->close();
    QGuiApplication::clipboard()->clear();
}

void tst_DocumentWindow::maximisedWindowShowsTheProgramIcon()
{
    DocumentFixture f;
    CQvasmView *view = openView(f, "nop\r\n");
    QVERIFY(view);
    QMdiSubWindow *window = f.frame->activeDocumentFrame();
    QVERIFY(window->isMaximized());
    // Maximised, the window's icon is the first thing on the menu bar.
    QWidget *label = f.frame->menuBar()->cornerWidget(Qt::TopLeftCorner);
    QVERIFY(label && label->isVisible());
    const QImage shown = label->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    const QImage program = QIcon(QLatin1String(AppInfo::IconPath))
                               .pixmap(label->size())
                               .toImage()
                               .convertToFormat(QImage::Format_ARGB32);
    // Drawn over the menu bar: where the icon is opaque, the label shows exactly its pixels.
    int opaque = 0;
    for (int y = 0; y < program.height(); ++y) {
        for (int x = 0; x < program.width(); ++x) {
            if (qAlpha(program.pixel(x, y)) != 255)
                continue;
            ++opaque;
            QCOMPARE(shown.pixel(x, y), program.pixel(x, y));
        }
    }
    QVERIFY(opaque > 0);
}

void tst_DocumentWindow::fileDialogsStartBesideTheDocument_data()
{
    QTest::addColumn<int>("id");       // the command that asks for a file
    QTest::addColumn<QString>("open"); // "file", "untitled", "" (no document)
    QTest::addColumn<bool>("workspace");
    QTest::addColumn<QString>("folder"); // "document", "workspace", "working"

    QTest::newRow("open: the document's folder")
        << int(ID_FILE_OPEN) << "file" << true << "document";
    QTest::newRow("open: untitled, the workspace's folder")
        << int(ID_FILE_OPEN) << "untitled" << true << "workspace";
    QTest::newRow("open: nothing open, the working folder")
        << int(ID_FILE_OPEN) << "" << false << "working";
    QTest::newRow("insert file: the document's folder")
        << int(ID_INSERT_FILE_TEXT) << "file" << false << "document";
    QTest::newRow("insert file: untitled, no workspace, the working folder")
        << int(ID_INSERT_FILE_TEXT) << "untitled" << false << "working";
}

void tst_DocumentWindow::fileDialogsStartBesideTheDocument()
{
    QFETCH(int, id);
    QFETCH(QString, open);
    QFETCH(bool, workspace);
    QFETCH(QString, folder);
    DocumentFixture f;
    new EditorAids(f.frame.get()); // Insert File
    f.frame->setDocumentOpener([&f](const QString &path) { f.documents->openDocument(path); });
    ScriptedPrompts prompts;
    QDir root(f.dir.path());
    QVERIFY(root.mkpath("src") && root.mkpath("ws"));
    if (open == QLatin1String("file")) {
        QVERIFY(f.documents->openDocument(f.write("src/a.asm", "nop\r\n")));
    } else if (open == QLatin1String("untitled")) {
        f.modifiers = Qt::ShiftModifier;
        QVERIFY(f.documents->createNewDocument());
    }
    if (workspace) {
        WorkspaceRecord::instance().setOpen(true);
        WorkspaceRecord::instance().setWorkspaceFilePath(f.path("ws/w.qvw"));
    }
    const QString expected = folder == QLatin1String("document")    ? root.filePath("src")
                             : folder == QLatin1String("workspace") ? root.filePath("ws")
                                                                    : QDir::currentPath();
    prompts.answerOpenFiles({});
    QVERIFY(f.frame->router().dispatch(id));
    QVERIFY(prompts.allAnswered());
    QCOMPARE(prompts.asked().first().file.directory, expected);
    WorkspaceRecord::instance().clear();
}

void tst_DocumentWindow::disassemblerDialogKeepsItsFile()
{
    DocumentFixture f;
    ScriptedPrompts prompts;
    QVERIFY(QDir(f.dir.path()).mkpath("src"));
    QVERIFY(f.documents->openDocument(f.write("src/boot.asm", "nop\r\n")));
    const QString binary = f.write("boot.bin", "\x90");

    // The first time "..." starts beside the active document (the installer hands the dialog
    // the documents' folder).
    CDisassembleDlg first([&f] { return f.documents->dialogFolder(); });
    QVERIFY(first.file().isEmpty());
    prompts.answerOpenFiles({binary});
    first.findChild<QPushButton *>("ctl_1021")->click();
    QCOMPARE(prompts.asked().at(0).file.directory, f.path("src"));
    first.findChild<QPushButton *>("ctl_1")->click();
    QCOMPARE(first.result(), int(QDialog::Accepted));

    // The next time the file is there again, "..." starting at it, and can go straight away.
    CDisassembleDlg next;
    QCOMPARE(next.file(), binary);
    QVERIFY(next.findChild<QPushButton *>("ctl_1")->isEnabled());
    prompts.answerOpenFiles({});
    next.findChild<QPushButton *>("ctl_1021")->click();
    QCOMPARE(prompts.asked().at(1).file.directory, binary);
    QVERIFY(prompts.allAnswered());
}

QTEST_MAIN(tst_DocumentWindow)
#include "tst_documentwindow.moc"
