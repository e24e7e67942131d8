#include "DocumentFixture.h"
#include "ModalDriver.h"
#include "ScriptedPrompts.h"
#include "editor/SourceFileCodec.h"
#include "frame/CommandRouter.h"
#include "frame/FindHistory.h"
#include "frame/FindState.h"
#include "frame/MenuResources.h"
#include "frame/ui/CFindBar.h"
#include "frame/ui/CFindCombo.h"
#include "frame/ui/CStatusLine.h"
#include "frame/ui/CommandMenu.h"
#include "search/ui/CFindReplaceDlg.h"
#include "search/ui/CGoToDlg.h"
#include "search/ui/FindCommands.h"
#include "search/ui/FindCommandsHost.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTextBlock>

// Find, Replace, Find Next and Go To through the command route of a real editor view, as the
// keys and menu picks send them.
class tst_FindCommands : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void startingText_data();
    void startingText();
    void findNext_data();
    void findNext();
    void findNextScrollsTheOccurrenceIntoView();
    void findNextFromTheBoxGivesTheKeysBackToTheEditor();
    void findNextWithAnEmptyBoxOpensFind();
    void dialogFindNextRunsDownWhateverTheDirection();
    void closingTheDialogStoresItsChoices();
    void dialogKeys();
    void dialogStartsFromTheFindState();
    void secondFindOrReplaceBringsTheOneDialogForward_data();
    void secondFindOrReplaceBringsTheOneDialogForward();
    void closingTheDocumentWithTheDialogOpenKeepsItsChoices();
    void replace_data();
    void replace();
    void replaceAll_data();
    void replaceAll();
    void replaceLeavesAReadOnlyTextAlone();
    void goTo_data();
    void goTo();
    void goToButtonWaitsForText();
    void bookmarksAreDisabled();

private:
    CQvasmView *open(const QByteArray &bytes, const QString &name = "a.asm");
    void run(int id) { m_fixture->frame->router().dispatch(id); }
    CFindCombo *box() const { return m_fixture->frame->findCombo(); }
    QString pane() const
    {
        return m_fixture->frame->statusLine()->paneText(CStatusLine::MessagePane);
    }
    CFindReplaceDlg *dialogOf(CQvasmView *view) const
    {
        auto *commands = view->findChild<FindCommands *>();
        return commands ? commands->dialog() : nullptr;
    }
    static QString text(const CQvasmView *view)
    {
        return SourceFileCodec::documentText(*view->document());
    }
    static QPair<int, int> selection(const CQvasmView *view)
    {
        return {view->textCursor().selectionStart(), view->textCursor().selectionEnd()};
    }
    template<typename T>
    static T *control(QWidget *dialog, int id)
    {
        return dialog->findChild<T *>(QStringLiteral("ctl_%1").arg(id));
    }

    std::unique_ptr<DocumentFixture> m_fixture;
    std::unique_ptr<ScriptedPrompts> m_prompts;
    FindCommandsHost *m_host = nullptr;
    Qt::KeyboardModifiers m_modifiers = Qt::NoModifier;
};

void tst_FindCommands::init()
{
    m_fixture = std::make_unique<DocumentFixture>();
    m_host = new FindCommandsHost(m_fixture->frame.get());
    m_host->setModifierQuery([this] { return m_modifiers; });
    m_modifiers = Qt::NoModifier;
    m_prompts = std::make_unique<ScriptedPrompts>();
}

void tst_FindCommands::cleanup()
{
    QVERIFY2(m_prompts->allAnswered(), qPrintable(m_prompts->unexpected().join("; ")));
    m_fixture.reset();
    m_prompts.reset();
}

CQvasmView *tst_FindCommands::open(const QByteArray &bytes, const QString &name)
{
    CQvasmDoc *doc = m_fixture->documents->openDocument(m_fixture->write(name, bytes));
    if (!doc)
        return nullptr;
    CQvasmView *view = CChildFrame::viewOf(doc);
    view->setFocus();
    // The Find bar's box takes keys only while a document window is active.
    if (!QTest::qWaitFor([this] { return box()->isEnabled(); }))
        return nullptr;
    return view;
}

void tst_FindCommands::startingText_data()
{
    QTest::addColumn<QString>("boxText");
    QTest::addColumn<QString>("typed");        // keys typed into the box afterwards
    QTest::addColumn<bool>("boxTextSelected"); // part of the box's text selected
    QTest::addColumn<int>("selStart");
    QTest::addColumn<int>("selEnd");
    QTest::addColumn<QString>("expected");

    // The text is "mov ax,bx\nint 21h".
    QTest::newRow("the editor's selection, box untouched") << "old"
                                                           << "" << false << 4 << 6 << "ax";
    QTest::newRow("typed into the box: the box wins") << ""
                                                      << "dx" << false << 4 << 6 << "dx";
    QTest::newRow("box text selected: the box wins") << "old"
                                                     << "" << true << 4 << 6 << "old";
    QTest::newRow("no selection: the box's text") << "old"
                                                  << "" << false << 3 << 3 << "old";
    QTest::newRow("a selection over two lines loses its break")
        << ""
        << "" << false << 7 << 13 << "bxint";
}

void tst_FindCommands::startingText()
{
    QFETCH(QString, boxText);
    QFETCH(QString, typed);
    QFETCH(bool, boxTextSelected);
    QFETCH(int, selStart);
    QFETCH(int, selEnd);
    QFETCH(QString, expected);

    CQvasmView *view = open("mov ax,bx\r\nint 21h");
    QVERIFY(view);
    box()->setEditText(boxText);
    if (!typed.isEmpty())
        QTest::keyClicks(box()->lineEdit(), typed);
    if (boxTextSelected)
        box()->lineEdit()->setSelection(0, 1);
    view->setSelection(selStart, selEnd);
    run(ID_EDIT_FIND);
    CFindReplaceDlg *dialog = dialogOf(view);
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->form(), CFindReplaceDlg::Form::Find);
    QCOMPARE(dialog->choices().findText, expected);
    // Taking the starting text forgets the typing.
    QCOMPARE(m_fixture->frame->findState().findTextTyped, 0);
}

void tst_FindCommands::findNext_data()
{
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("find");
    QTest::addColumn<bool>("shift");
    QTest::addColumn<int>("expectedStart"); // -1: nothing found
    QTest::addColumn<QString>("expectedPane");

    // Offsets:                  0         1         2
    //                           0123456789012345678901234567
    const QByteArray three = "push ax\r\npush bx\r\npush cx";
    QTest::newRow("F3: the next one below") << three << 1 << "push" << false << 8 << "Ready...";
    QTest::newRow("F3 at the end: wraps to the one above")
        << QByteArray("mov ax,1\r\nret") << 12 << "mov" << false << 0 << "Passed end of file";
    QTest::newRow("Shift+F3: the nearest above, not the first")
        << three << 15 << "push" << true << 8 << "Ready...";
    QTest::newRow("Shift+F3 with the only one below: wraps to it")
        << QByteArray("mov ax,1\r\nret") << 0 << "ret" << true << 9 << "Passed end of file";
    QTest::newRow("letter case ignored") << three << 1 << "PUSH" << false << 8 << "Ready...";
    QTest::newRow("nothing there: No more found")
        << three << 3 << "pop" << false << -1 << "Ready...";
}

void tst_FindCommands::findNext()
{
    QFETCH(QByteArray, source);
    QFETCH(int, caret);
    QFETCH(QString, find);
    QFETCH(bool, shift);
    QFETCH(int, expectedStart);
    QFETCH(QString, expectedPane);

    CQvasmView *view = open(source);
    QVERIFY(view);
    view->setSelection(caret, caret);
    box()->setEditText(find);
    m_modifiers = shift ? Qt::ShiftModifier : Qt::NoModifier;
    if (expectedStart < 0)
        m_prompts->answerMessage(PromptAnswer::Ok);
    run(ID_EDIT_FIND_NEXT);
    if (expectedStart < 0) {
        QCOMPARE(m_prompts->messagesAsked(), QStringList{"No more found!"});
        QCOMPARE(m_prompts->asked().at(0).icon, PromptIcon::Exclamation);
        QCOMPARE(selection(view), qMakePair(caret, caret));
    } else {
        QCOMPARE(selection(view), qMakePair(expectedStart, expectedStart + int(find.size())));
    }
    QCOMPARE(pane(), expectedPane);
    // A text not listed yet goes on top of the history.
    QCOMPARE(m_fixture->frame->findHistory().entries().value(0), find);
}

void tst_FindCommands::findNextScrollsTheOccurrenceIntoView()
{
    QByteArray source;
    for (int i = 0; i < 2000; ++i)
        source += "nop\r\n";
    source += "target:\r\n";
    CQvasmView *view = open(source);
    QVERIFY(view);
    view->resize(400, 300);
    view->setSelection(0, 0);
    QCOMPARE(view->verticalScrollBar()->value(), 0);
    box()->setEditText("target");
    run(ID_EDIT_FIND_NEXT);
    QCOMPARE(view->textCursor().selectedText(), QStringLiteral("target"));
    QVERIFY(view->verticalScrollBar()->value() > 0);
    QVERIFY(view->viewport()->rect().contains(view->cursorRect().center()));
}

void tst_FindCommands::findNextFromTheBoxGivesTheKeysBackToTheEditor()
{
    CQvasmView *view = open("mov ax,1\r\nmov bx,2");
    QVERIFY(view);
    view->setSelection(0, 0);
    // A narrow window puts the box into the bar's overflow.
    m_fixture->frame->resize(1200, 700);
    QTRY_VERIFY(box()->isVisible());
    box()->setFocus();
    QTRY_VERIFY(box()->hasFocus());
    QTest::keyClicks(box(), "bx");
    QTest::keyClick(box(), Qt::Key_F3);
    QCOMPARE(view->textCursor().selectedText(), QStringLiteral("bx"));
    QTRY_VERIFY(view->hasFocus());
    // Find Next's own history rule: the box keeps its text.
    QCOMPARE(box()->currentText(), QStringLiteral("bx"));
}

void tst_FindCommands::findNextWithAnEmptyBoxOpensFind()
{
    CQvasmView *view = open("mov ax,1");
    QVERIFY(view);
    view->setSelection(4, 6);
    box()->setEditText(QString());
    run(ID_EDIT_FIND_NEXT);
    CFindReplaceDlg *dialog = dialogOf(view);
    QVERIFY(dialog);
    QCOMPARE(dialog->form(), CFindReplaceDlg::Form::Find);
    QCOMPARE(dialog->choices().findText, QStringLiteral("ax"));
    QCOMPARE(selection(view), qMakePair(4, 6));
}

void tst_FindCommands::dialogFindNextRunsDownWhateverTheDirection()
{
    CQvasmView *view = open("inc ax\r\ninc bx\r\ninc cx");
    QVERIFY(view);
    view->setSelection(8, 8);
    box()->setEditText("inc");
    run(ID_EDIT_FIND);
    CFindReplaceDlg *dialog = dialogOf(view);
    QVERIFY(dialog);
    control<QRadioButton>(dialog, CFindReplaceDlg::UpButton)->setChecked(true);
    m_modifiers = Qt::ShiftModifier; // Shift only turns Find Next round
    control<QPushButton>(dialog, CFindReplaceDlg::FindNextButton)->click();
    QCOMPARE(selection(view), qMakePair(14, 17));
    QCOMPARE(pane(), QStringLiteral("Ready..."));
    control<QPushButton>(dialog, CFindReplaceDlg::FindNextButton)->click();
    QCOMPARE(selection(view), qMakePair(0, 3));
    QCOMPARE(pane(), QStringLiteral("Passed end of file"));
}

void tst_FindCommands::closingTheDialogStoresItsChoices()
{
    CQvasmView *view = open("mov ax,1");
    QVERIFY(view);
    m_fixture->frame->AddFindHistory("older");
    run(ID_EDIT_REPLACE);
    QPointer<CFindReplaceDlg> dialog = dialogOf(view);
    QVERIFY(dialog);
    control<QLineEdit>(dialog, CFindReplaceDlg::FindWhatEdit)->setText("Ax");
    control<QLineEdit>(dialog, CFindReplaceDlg::ReplaceWithEdit)->setText("eax");
    control<QCheckBox>(dialog, CFindReplaceDlg::MatchCaseBox)->setChecked(true);
    control<QCheckBox>(dialog, CFindReplaceDlg::WholeWordBox)->setChecked(true);
    control<QRadioButton>(dialog, CFindReplaceDlg::DownButton)->setChecked(true);
    control<QPushButton>(dialog, CFindReplaceDlg::CloseButton)->click();
    QTRY_VERIFY(!dialog);
    QVERIFY(!dialogOf(view));

    const FindState &state = m_fixture->frame->findState();
    QVERIFY(state.matchCase);
    QVERIFY(state.matchWord);
    QVERIFY(state.findDown);
    QCOMPARE(state.lastReplace, QStringLiteral("eax"));
    QCOMPARE(m_fixture->frame->findHistory().entries(), (QStringList{"Ax", "older"}));
    QCOMPARE(box()->currentText(), QStringLiteral("Ax"));
}

void tst_FindCommands::dialogKeys()
{
    CQvasmView *view = open("mov ax,1\r\nmov bx,ax");
    QVERIFY(view);
    view->setSelection(4, 6);
    run(ID_EDIT_FIND);
    QPointer<CFindReplaceDlg> dialog = dialogOf(view);
    QVERIFY(dialog);
    QApplication::setActiveWindow(dialog);
    QTRY_VERIFY(dialog->isActiveWindow());
    auto *findWhat = control<QLineEdit>(dialog, CFindReplaceDlg::FindWhatEdit);
    // Enter is Find Next.
    QTest::keyClick(findWhat, Qt::Key_Return);
    QCOMPARE(selection(view), qMakePair(16, 18));
    QVERIFY(dialog->isVisible());
    // Esc closes it, and the keys go back to the editor.
    QTest::keyClick(findWhat, Qt::Key_Escape);
    QTRY_VERIFY(!dialog);
    QTRY_VERIFY(view->hasFocus());
    QCOMPARE(m_fixture->frame->findHistory().entries().value(0), QStringLiteral("ax"));
}

void tst_FindCommands::dialogStartsFromTheFindState()
{
    CQvasmView *view = open("mov ax,1");
    QVERIFY(view);
    FindState &state = m_fixture->frame->findState();
    state.matchCase = true;
    state.matchWord = false;
    state.findDown = true;
    state.lastReplace = "bx";
    run(ID_EDIT_REPLACE);
    CFindReplaceDlg *dialog = dialogOf(view);
    QVERIFY(dialog);
    const CFindReplaceDlg::Choices choices = dialog->choices();
    QVERIFY(choices.matchCase);
    QVERIFY(!choices.wholeWord);
    QVERIFY(choices.down);
    QCOMPARE(choices.replaceText, QStringLiteral("bx"));
    // Nothing to look for yet: nothing to press.
    QVERIFY(!control<QPushButton>(dialog, CFindReplaceDlg::FindNextButton)->isEnabled());
    QVERIFY(!control<QPushButton>(dialog, CFindReplaceDlg::ReplaceAllButton)->isEnabled());
}

void tst_FindCommands::secondFindOrReplaceBringsTheOneDialogForward_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("second");
    QTest::addColumn<bool>("replaceShown");

    QTest::newRow("Find, then Replace") << int(ID_EDIT_FIND) << int(ID_EDIT_REPLACE) << true;
    QTest::newRow("Replace, then Find") << int(ID_EDIT_REPLACE) << int(ID_EDIT_FIND) << false;
    QTest::newRow("Find twice") << int(ID_EDIT_FIND) << int(ID_EDIT_FIND) << false;
}

void tst_FindCommands::secondFindOrReplaceBringsTheOneDialogForward()
{
    QFETCH(int, first);
    QFETCH(int, second);
    QFETCH(bool, replaceShown);

    CQvasmView *view = open("mov ax,1");
    QVERIFY(view);
    run(first);
    QPointer<CFindReplaceDlg> dialog = dialogOf(view);
    QVERIFY(dialog);
    dialog->hide(); // behind other windows or minimised: it must come back
    view->setSelection(4, 6);
    run(second);
    QCOMPARE(dialogOf(view), dialog.data());
    QCOMPARE(view->findChildren<CFindReplaceDlg *>().size(), 1);
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->form() == CFindReplaceDlg::Form::Replace, replaceShown);
    QCOMPARE(control<QPushButton>(dialog, CFindReplaceDlg::ReplaceAllButton)->isVisible(),
             replaceShown);
    QCOMPARE(dialog->windowTitle(),
             replaceShown ? QStringLiteral("Replace") : QStringLiteral("Find"));
    QCOMPARE(dialog->choices().findText, QStringLiteral("ax"));
}

void tst_FindCommands::closingTheDocumentWithTheDialogOpenKeepsItsChoices()
{
    CQvasmView *view = open("mov ax,1");
    QVERIFY(view);
    run(ID_EDIT_REPLACE);
    QPointer<CFindReplaceDlg> dialog = dialogOf(view);
    QVERIFY(dialog);
    control<QLineEdit>(dialog, CFindReplaceDlg::FindWhatEdit)->setText("ax");
    control<QLineEdit>(dialog, CFindReplaceDlg::ReplaceWithEdit)->setText("dx");
    m_fixture->documents->closeAllDocuments();
    DocumentFixture::settle();
    QVERIFY(!dialog);
    QCOMPARE(m_fixture->frame->findState().lastReplace, QStringLiteral("dx"));
    QCOMPARE(m_fixture->frame->findHistory().entries().value(0), QStringLiteral("ax"));
}

void tst_FindCommands::replace_data()
{
    QTest::addColumn<int>("selStart");
    QTest::addColumn<int>("selEnd");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("expectedStart"); // the next occurrence selected; -1: none
    QTest::addColumn<QString>("expectedPane");

    // "mov ax,ax\nadd ax,1": find "ax", replace with "eax".
    QTest::newRow("an occurrence selected: replaced, the next one selected")
        << 4 << 6 << "mov eax,ax\nadd ax,1" << 8 << "Ready...";
    QTest::newRow("nothing selected: only searches")
        << 0 << 0 << "mov ax,ax\nadd ax,1" << 4 << "Ready...";
    QTest::newRow("a selection that is no occurrence is replaced all the same")
        << 0 << 3 << "eax ax,ax\nadd ax,1" << 4 << "Ready...";
    QTest::newRow("the last one replaced: wraps to the first")
        << 14 << 16 << "mov ax,ax\nadd eax,1" << 4 << "Passed end of file";
}

void tst_FindCommands::replace()
{
    QFETCH(int, selStart);
    QFETCH(int, selEnd);
    QFETCH(QString, after);
    QFETCH(int, expectedStart);
    QFETCH(QString, expectedPane);

    CQvasmView *view = open("mov ax,ax\r\nadd ax,1");
    QVERIFY(view);
    box()->setEditText("ax");
    m_fixture->frame->findState().lastReplace = "eax";
    run(ID_EDIT_REPLACE);
    CFindReplaceDlg *dialog = dialogOf(view);
    QVERIFY(dialog);
    control<QLineEdit>(dialog, CFindReplaceDlg::FindWhatEdit)->setText("ax");
    view->setSelection(selStart, selEnd);
    control<QPushButton>(dialog, CFindReplaceDlg::ReplaceButton)->click();
    QCOMPARE(text(view), after);
    QCOMPARE(selection(view), qMakePair(expectedStart, expectedStart + 2));
    QCOMPARE(pane(), expectedPane);
    // The editor's Undo takes a replacement back.
    if (after != "mov ax,ax\nadd ax,1") {
        view->undo();
        QCOMPARE(text(view), QStringLiteral("mov ax,ax\nadd ax,1"));
    }
}

void tst_FindCommands::replaceAll_data()
{
    QTest::addColumn<QString>("find");
    QTest::addColumn<QString>("replaceWith");
    QTest::addColumn<bool>("wholeWord");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("expectedPane");

    QTest::newRow("the replace text holds the find text: one pass, then done")
        << "ax"
        << "eax" << false << "mov eeax,eax\nadd eax,1"
        << "3 occurrences replaced";
    QTest::newRow("whole words only") << "ax"
                                      << "bx" << true << "mov eax,bx\nadd bx,1"
                                      << "2 occurrences replaced";
    QTest::newRow("one") << "add"
                         << "sub" << false << "mov eax,ax\nsub ax,1"
                         << "1 occurrence replaced";
}

void tst_FindCommands::replaceAll()
{
    QFETCH(QString, find);
    QFETCH(QString, replaceWith);
    QFETCH(bool, wholeWord);
    QFETCH(QString, after);
    QFETCH(QString, expectedPane);

    CQvasmView *view = open("mov eax,ax\r\nadd ax,1");
    QVERIFY(view);
    view->setSelection(12, 12); // the pass covers the whole text, wherever the caret is
    run(ID_EDIT_REPLACE);
    CFindReplaceDlg *dialog = dialogOf(view);
    QVERIFY(dialog);
    control<QLineEdit>(dialog, CFindReplaceDlg::FindWhatEdit)->setText(find);
    control<QLineEdit>(dialog, CFindReplaceDlg::ReplaceWithEdit)->setText(replaceWith);
    control<QCheckBox>(dialog, CFindReplaceDlg::WholeWordBox)->setChecked(wholeWord);
    control<QPushButton>(dialog, CFindReplaceDlg::ReplaceAllButton)->click();
    QCOMPARE(text(view), after);
    QCOMPARE(pane(), expectedPane);
    QCOMPARE(view->textCursor().selectedText(), replaceWith);
    view->undo();
    QCOMPARE(text(view), QStringLiteral("mov eax,ax\nadd ax,1"));
}

void tst_FindCommands::replaceLeavesAReadOnlyTextAlone()
{
    CQvasmView *view = open("mov ax,ax");
    QVERIFY(view);
    view->setReadOnly(true);
    run(ID_EDIT_REPLACE);
    CFindReplaceDlg *dialog = dialogOf(view);
    QVERIFY(dialog);
    control<QLineEdit>(dialog, CFindReplaceDlg::FindWhatEdit)->setText("ax");
    control<QLineEdit>(dialog, CFindReplaceDlg::ReplaceWithEdit)->setText("bx");
    view->setSelection(4, 6);
    control<QPushButton>(dialog, CFindReplaceDlg::ReplaceButton)->click();
    QCOMPARE(selection(view), qMakePair(7, 9)); // searched on
    control<QPushButton>(dialog, CFindReplaceDlg::ReplaceAllButton)->click();
    QCOMPARE(text(view), QStringLiteral("mov ax,ax"));
}

void tst_FindCommands::goTo_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("expectedLine"); // from 1; 0: the caret stays

    QTest::newRow("a line") << "3" << 3;
    QTest::newRow("digits, then letters: 12abc is line 12") << "12abc" << 12;
    QTest::newRow("blanks and a plus sign first") << "  +2" << 2;
    QTest::newRow("the first line") << "1" << 1;
    QTest::newRow("the last line") << "20" << 20;
    QTest::newRow("past the end: the last line") << "21" << 20;
    QTest::newRow("far too large: the last line") << "99999999999999" << 20;
    QTest::newRow("0 does nothing") << "0" << 0;
    QTest::newRow("a negative number does nothing") << "-5" << 0;
    QTest::newRow("no digits does nothing") << "abc" << 0;
}

void tst_FindCommands::goTo()
{
    QFETCH(QString, typed);
    QFETCH(int, expectedLine);

    QByteArray source;
    for (int i = 1; i <= 20; ++i)
        source += "line " + QByteArray::number(i) + (i < 20 ? "\r\n" : "");
    CQvasmView *view = open(source);
    QVERIFY(view);
    view->setSelection(2, 4);
    ModalDriver<CGoToDlg> driver([typed](CGoToDlg *dialog) {
        QTest::keyClicks(control<QLineEdit>(dialog, 1041), typed);
        control<QPushButton>(dialog, 1)->click();
    });
    run(ID_EDIT_GOTO);
    QVERIFY(!driver.failed());
    if (expectedLine == 0) {
        QCOMPARE(selection(view), qMakePair(2, 4));
        return;
    }
    QVERIFY(!view->textCursor().hasSelection());
    QCOMPARE(view->textCursor().blockNumber(), expectedLine - 1);
    QCOMPARE(view->textCursor().positionInBlock(), 0);
}

void tst_FindCommands::goToButtonWaitsForText()
{
    CQvasmView *view = open("a\r\nb\r\nc");
    QVERIFY(view);
    view->setSelection(0, 0);
    bool disabledAtFirst = false;
    bool enabledWithText = false;
    bool disabledAgain = false;
    QString kind;
    ModalDriver<CGoToDlg> driver([&](CGoToDlg *dialog) {
        auto *goTo = control<QPushButton>(dialog, 1);
        auto *edit = control<QLineEdit>(dialog, 1041);
        kind = control<QListWidget>(dialog, 1036)->currentItem()->text();
        disabledAtFirst = !goTo->isEnabled();
        QTest::keyClick(edit, Qt::Key_Return); // nothing typed: Enter does not go
        QTest::keyClicks(edit, "3");
        enabledWithText = goTo->isEnabled();
        edit->clear();
        disabledAgain = !goTo->isEnabled();
        QTest::keyClicks(edit, "3");
        control<QPushButton>(dialog, 2)->click(); // Close: nowhere
    });
    run(ID_EDIT_GOTO);
    QVERIFY(!driver.failed());
    QCOMPARE(kind, QStringLiteral("Line"));
    QVERIFY(disabledAtFirst);
    QVERIFY(enabledWithText);
    QVERIFY(disabledAgain);
    QCOMPARE(view->textCursor().position(), 0);
}

void tst_FindCommands::bookmarksAreDisabled()
{
    CQvasmView *view = open("mov ax,1");
    QVERIFY(view);
    CommandRouter &router = m_fixture->frame->router();
    for (int id : {ID_EDIT_FIND, ID_EDIT_REPLACE, ID_EDIT_FIND_NEXT, ID_EDIT_GOTO})
        QVERIFY2(router.isEnabled(id), qPrintable(QString::number(id)));
    for (int id : {ID_BOOKMARK_GOTO, ID_BOOKMARK_INSERT, ID_BOOKMARK_DELETE})
        QVERIFY2(!router.isEnabled(id), qPrintable(QString::number(id)));
    m_fixture->frame->requestCommandUpdate();
    QTRY_VERIFY(!m_fixture->frame->commandAction(ID_BOOKMARK_INSERT)->isEnabled());
    QVERIFY(!m_fixture->frame->commandAction(ID_BOOKMARK_DELETE)->isEnabled());
    QTRY_VERIFY(m_fixture->frame->commandAction(ID_EDIT_GOTO)->isEnabled());
}

QTEST_MAIN(tst_FindCommands)
#include "tst_findcommands.moc"
