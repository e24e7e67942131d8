#include "EditorViews.h"
#include "ModalDriver.h"
#include "ScriptedPrompts.h"
#include "editor/ui/CSignatureDlg.h"
#include "editor/ui/CSyntaxColorer.h"
#include "editor/ui/EditorAids.h"
#include "editor/ui/ViewTextCommands.h"
#include "frame/CommandRouter.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>

// The text commands through the command route of a real editor view, as menu picks send them.
class tst_TextCommands : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void selectionCommands_data();
    void selectionCommands();
    void cleanTrailingSpacesIsOneUndoStepOfItsOwn();
    void insertFile_data();
    void insertFile();
    void commentBlock_data();
    void commentBlock();
    void insertSignature();

private:
    void run(int id) { m_fixture->frame->router().dispatch(id); }
    bool enabled(int id) { return m_fixture->frame->router().isEnabled(id); }

    std::unique_ptr<DocumentFixture> m_fixture;
    std::unique_ptr<ScriptedPrompts> m_prompts;
    EditorAids *m_aids = nullptr; // the frame's
};

void tst_TextCommands::init()
{
    m_fixture = std::make_unique<DocumentFixture>();
    m_aids = new EditorAids(m_fixture->frame.get());
    ProgramValues::instance().formatting = true;
    m_prompts = std::make_unique<ScriptedPrompts>();
    m_aids->setModifierQuery([] { return Qt::KeyboardModifiers(); });
}

void tst_TextCommands::cleanup()
{
    QVERIFY2(m_prompts->allAnswered(), qPrintable(m_prompts->unexpected().join("; ")));
    m_fixture.reset();
    m_prompts.reset();
}

void tst_TextCommands::selectionCommands_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("tabstops");
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<bool>("staysSelected");

    QTest::newRow("lower case") << int(ID_EDIT_LOWERCASE) << 2 << QByteArray("MOV AX,BX\r\nRET")
                                << "mov ax,bx\nret" << true;
    QTest::newRow("tabify with 4: eight blanks, three stay")
        << int(ID_EDIT_TABIFY) << 4 << QByteArray("        mov   ax") << "\t\tmov   ax" << false;
}

void tst_TextCommands::selectionCommands()
{
    QFETCH(int, id);
    QFETCH(int, tabstops);
    QFETCH(QByteArray, before);
    QFETCH(QString, after);
    QFETCH(bool, staysSelected);

    m_fixture->settings.store().writeInt("Settings", "tabstops", tabstops);
    CQvasmView *view = openView(*m_fixture, before);
    QVERIFY(view);
    QVERIFY(!enabled(id)); // nothing selected
    view->selectAll();
    QVERIFY(enabled(id));
    run(id);
    QCOMPARE(viewText(view), after);
    QVERIFY(view->GetDocument()->IsModified());
    if (staysSelected)
        QCOMPARE(view->textCursor().selectedText().size(), after.size());
    else
        QCOMPARE(view->textCursor().position(), after.size());
    view->undo();
    QCOMPARE(viewText(view), QString::fromLatin1(before).replace("\r\n", "\n"));
}

void tst_TextCommands::cleanTrailingSpacesIsOneUndoStepOfItsOwn()
{
    CQvasmView *view = openView(*m_fixture, "mov ax,1   \r\n      \r\nret");
    QVERIFY(view);
    CQvasmDoc *doc = view->GetDocument();
    QTextDocument *text = view->document();
    // Colours as a fresh scan gives them, line by line.
    const auto colouredRight = [&] {
        QCoreApplication::processEvents();
        for (QTextBlock b = text->begin(); b.isValid(); b = b.next()) {
            if (b.layout()->formats() != CSyntaxColorer::instance()->printFormats(*view, b))
                return false;
        }
        return true;
    };
    QVERIFY(!doc->IsModified());
    view->setSelection(text->lastBlock().position() + 3, text->lastBlock().position() + 3);
    QTest::keyClicks(view, " bx"); // one undo step, as typing goes

    view->setSelection(1, 12);
    run(ID_EDIT_CLEAN_TRAILING_SPACES);
    QCOMPARE(viewText(view), "mov ax,1\n      \nret bx");
    QVERIFY(doc->IsModified());
    // The selection stays on the same text.
    QCOMPARE(view->textCursor().anchor(), 1);
    QCOMPARE(view->textCursor().position(), 9);
    QVERIFY(colouredRight());
    // Nothing left to clean: no step is added, so one Undo still brings the blanks back.
    run(ID_EDIT_CLEAN_TRAILING_SPACES);

    view->undo(); // the blanks come back, and only they
    QCOMPARE(viewText(view), "mov ax,1   \n      \nret bx");
    QVERIFY(doc->IsModified());
    QVERIFY(colouredRight());
    view->undo(); // then the typing goes
    QCOMPARE(viewText(view), "mov ax,1   \n      \nret");
    QVERIFY(!doc->IsModified());
    QVERIFY(colouredRight());
    view->redo();
    view->redo();
    QCOMPARE(viewText(view), "mov ax,1\n      \nret bx");
    QVERIFY(colouredRight());
}

void tst_TextCommands::insertFile_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("inserted");

    QTest::newRow("as text") << int(ID_INSERT_FILE_TEXT) << QByteArray("push ax\r\npop ax\r\n")
                             << "push ax\npop ax\n";
    // The dump's layout is the transform's business.
    QTest::newRow("as binary") << int(ID_INSERT_FILE_BINARY) << QByteArray("\x48\x69\x0A")
                               << "  db    48h,  69h,  0Ah " + QString(78, u' ') + " ;  Hi\u00B7\n";
}

void tst_TextCommands::insertFile()
{
    QFETCH(int, id);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, inserted);
    const QString file = m_fixture->write("part.inc", bytes);
    CQvasmView *view = openView(*m_fixture, "nop\r\nret");
    QVERIFY(view);
    view->setSelection(0, 3);
    m_prompts->answerOpenFiles({file});
    run(id);
    QCOMPARE(viewText(view), inserted + "\nret");
    QVERIFY(!view->document()->firstBlock().layout()->formats().isEmpty());
    view->undo();
    QCOMPARE(viewText(view), "nop\nret");

    // A file that cannot be read is reported; a cancelled dialog inserts nothing.
    m_prompts->answerOpenFiles({m_fixture->path("missing.inc")});
    m_prompts->answerMessage(PromptAnswer::Ok);
    run(id);
    QVERIFY(m_prompts->asked().last().text.contains("missing.inc"));
    m_prompts->answerOpenFiles({});
    run(id);
    QCOMPARE(viewText(view), "nop\nret");
}

void tst_TextCommands::commentBlock_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("after");
    QTest::addColumn<bool>("refused");

    QTest::newRow("caret only: the template")
        << QByteArray("ret") << 0 << 0
        << "\ncomment %  ---- The following is a comment block\n\n  Place your comment here\n\n"
           "        %  ---- This is the end of the comment block\nret"
        << false;
    // The whole selection counts, however long: a closer beyond 64,000 characters would end the
    // block early.
    const QByteArray longText = QByteArray(64000, 'a') + "~";
    QTest::newRow("a long selection, closer near its end")
        << longText << 0 << int(longText.size())
        << "comment ` \n" + QString::fromLatin1(longText) + "\n`\n"
        << false;
    QTest::newRow("every closer taken: nothing changes")
        << QByteArray("~`_!@#$%^&{}=*/<>-+") << 0 << 19 << "~`_!@#$%^&{}=*/<>-+" << true;
}

void tst_TextCommands::commentBlock()
{
    QFETCH(QByteArray, before);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QString, after);
    QFETCH(bool, refused);
    CQvasmView *view = openView(*m_fixture, before);
    QVERIFY(view);
    view->setSelection(from, to);
    if (refused)
        m_prompts->answerMessage(PromptAnswer::Ok);
    run(ID_INSERT_COMMENT_BLOCK);
    QCOMPARE(viewText(view), after);
    if (refused) {
        QVERIFY(
            m_prompts->asked().last().text.startsWith("Tried all of the following characters:"));
        QVERIFY(!view->GetDocument()->IsModified());
        return;
    }
    view->undo();
    QCOMPARE(viewText(view), QString::fromLatin1(before).replace("\r\n", "\n"));
}

void tst_TextCommands::insertSignature()
{
    CQvasmView *view = openView(*m_fixture, "ret");
    QVERIFY(view);
    SettingsStore &store = m_fixture->settings.store();

    // Shift held: the stored signature (or its default) goes in without a dialog.
    m_aids->setModifierQuery([] { return Qt::KeyboardModifiers(Qt::ShiftModifier); });
    run(ID_INSERT_SIGNATURE);
    QCOMPARE(viewText(view), "Your sig goes hereret");
    m_aids->setModifierQuery([] { return Qt::KeyboardModifiers(); });

    // OK replaces the selection with the dialog's text and stores it.
    view->selectAll();
    ModalDriver<CSignatureDlg> ok([](CSignatureDlg *dialog) {
        auto *edit = dialog->findChild<QPlainTextEdit *>("ctl_1075");
        QCOMPARE(edit->toPlainText(), "Your sig goes here");
        edit->setPlainText(QString(2100, u'x'));
        QCOMPARE(edit->toPlainText().size(), CSignatureDlg::MaxLength);
        edit->setPlainText("; by me\n; 2024");
        dialog->findChild<QPushButton *>("ctl_1")->click();
    });
    run(ID_INSERT_SIGNATURE);
    QVERIFY(!ok.failed());
    QCOMPARE(viewText(view), "; by me\n; 2024");
    QCOMPARE(store.readString("Settings", "sig"), "; by me\n; 2024");

    ModalDriver<CSignatureDlg> cancel([](CSignatureDlg *dialog) {
        dialog->findChild<QPlainTextEdit *>("ctl_1075")->setPlainText("other");
        dialog->findChild<QPushButton *>("ctl_2")->click();
    });
    run(ID_INSERT_SIGNATURE);
    QVERIFY(!cancel.failed());
    QCOMPARE(viewText(view), "; by me\n; 2024");
    QCOMPARE(store.readString("Settings", "sig"), "; by me\n; 2024");
}

QTEST_MAIN(tst_TextCommands)
#include "tst_textcommands.moc"
