#include "EditorViews.h"
#include "ScriptedPrompts.h"
#include "editor/ui/CHelpPopup.h"
#include "editor/ui/EditorAids.h"
#include "frame/CommandRouter.h"
#include "frame/MenuResources.h"
#include "frame/ui/CommandMenu.h"

#include <QCursor>
#include <QLabel>
#include <QTextBlock>

// Context help and the right-click menus of a real editor view.
class tst_ContextHelp : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void popupFitsTheFrame_data();
    void popupFitsTheFrame();
    void helpOnTheWordAtTheCaret();
    void nextKeyOrClickClosesThePopupAndStillArrives();
    void missingHelpFileIsReportedAtEveryRequest();
    void rightClickMenus_data();
    void rightClickMenus();

private:
    QLabel *popup() const { return CHelpPopup::of(m_fixture->frame.get())->popup(); }
    void run(int id) { m_fixture->frame->router().dispatch(id); }

    std::unique_ptr<DocumentFixture> m_fixture;
    std::unique_ptr<ScriptedPrompts> m_prompts;
    QTemporaryDir m_program;
};

void tst_ContextHelp::init()
{
    m_fixture = std::make_unique<DocumentFixture>();
    m_fixture->frame->resize(800, 600);
    new EditorAids(m_fixture->frame.get());
    m_prompts = std::make_unique<ScriptedPrompts>();
    ProgramValues::instance().programFolder = m_program.path();
    writeFileBytes(m_program.filePath("qvasmide.hlt"),
                   "[>MOV<]\r\n{Moves data.\r\n\tmov dest, src}");
}

void tst_ContextHelp::cleanup()
{
    QVERIFY2(m_prompts->allAnswered(), qPrintable(m_prompts->unexpected().join("; ")));
    m_fixture.reset();
    m_prompts.reset();
}

void tst_ContextHelp::popupFitsTheFrame_data()
{
    QTest::addColumn<QRect>("client");
    QTest::addColumn<QPoint>("anchor");
    QTest::addColumn<QSize>("text");
    QTest::addColumn<QRect>("expected");

    const QRect client(0, 0, 400, 300);
    QTest::newRow("room enough: at the anchor, 6 pixels larger")
        << client << QPoint(10, 10) << QSize(100, 50) << QRect(10, 10, 106, 56);
    QTest::newRow("near the right edge: moved left")
        << client << QPoint(350, 10) << QSize(100, 50) << QRect(295, 10, 106, 56);
    QTest::newRow("wider than the frame: at its left edge")
        << client << QPoint(50, 10) << QSize(500, 50) << QRect(0, 10, 506, 56);
    QTest::newRow("client away from the origin") << QRect(20, 30, 400, 300) << QPoint(410, 300)
                                                 << QSize(100, 50) << QRect(315, 275, 106, 56);
}

void tst_ContextHelp::popupFitsTheFrame()
{
    QFETCH(QRect, client);
    QFETCH(QPoint, anchor);
    QFETCH(QSize, text);
    QFETCH(QRect, expected);
    QCOMPARE(CHelpPopup::fitRect(anchor, text, client), expected);
}

void tst_ContextHelp::helpOnTheWordAtTheCaret()
{
    CQvasmView *view = openView(*m_fixture, "nop\r\nmov ax,bx");
    QVERIFY(view);
    const QTextBlock line = view->document()->lastBlock();

    // The entry, found whatever the case, tabs as two blanks, below the caret; where the word
    // under the caret is and how the pop-up fits the frame are the core's tests.
    view->setSelection(line.position(), line.position());
    run(ID_HELP_AT_CARET);
    QVERIFY(popup());
    QCOMPARE(popup()->text(), "Moves data.\n  mov dest, src");
    QWidget *host = popup()->parentWidget();
    QVERIFY(qobject_cast<QMdiSubWindow *>(host));
    QCOMPARE(popup()->pos(),
             view->viewport()->mapTo(host, view->cursorRect().topLeft() + QPoint(0, 20)));
    // The box has the room its text needs with the same margin on every side: nothing runs
    // into the right border.
    QVERIFY2(popup()->sizeHint().width() <= popup()->width(),
             qPrintable(QStringLiteral("needs %1, has %2")
                            .arg(popup()->sizeHint().width())
                            .arg(popup()->width())));

    // Help > Context Help puts it at the mouse pointer.
    QCursor::setPos(view->viewport()->mapToGlobal(QPoint(30, 40)));
    run(ID_HELP_CONTEXT);
    QCOMPARE(popup()->pos(), host->mapFromGlobal(QCursor::pos()));
}

void tst_ContextHelp::nextKeyOrClickClosesThePopupAndStillArrives()
{
    CQvasmView *view = openView(*m_fixture, "mov ax,bx");
    QVERIFY(view);
    run(ID_HELP_AT_CARET);
    QVERIFY(popup());
    QTest::keyClick(view, Qt::Key_Z);
    QVERIFY(!popup());
    QCOMPARE(view->toPlainText(), "zmov ax,bx");

    view->setSelection(1, 1);
    run(ID_HELP_AT_CARET);
    QVERIFY(popup());
    const QRect end = view->cursorRect(QTextCursor(view->document()->lastBlock()));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, end.center() + QPoint(200, 0));
    QVERIFY(!popup());
    QCOMPARE(view->textCursor().position(), 10);
}

void tst_ContextHelp::missingHelpFileIsReportedAtEveryRequest()
{
    QFile::remove(m_program.filePath("qvasmide.hlt"));
    CQvasmView *view = openView(*m_fixture, "mov ax,bx");
    QVERIFY(view);
    const QString message = "Could not find: [" + m_program.filePath("qvasmide.hlt") + "]";
    m_prompts->answerMessage(PromptAnswer::Ok);
    run(ID_HELP_AT_CARET);
    // A file that appears later does not count until the next start.
    writeFileBytes(m_program.filePath("qvasmide.hlt"), "[>mov<]{x}");
    m_prompts->answerMessage(PromptAnswer::Ok);
    run(ID_HELP_AT_CARET);
    QCOMPARE(m_prompts->messagesAsked(), QStringList({message, message}));
    QVERIFY(!popup());
}

void tst_ContextHelp::rightClickMenus_data()
{
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("column"); // where on the second line the click falls; -1 past its end
    QTest::addColumn<int>("menu");
    QTest::addColumn<QString>("helpText");
    QTest::addColumn<QString>("definitionText");

    const int shift = Qt::ShiftModifier, ctrl = Qt::ControlModifier;
    const int standard = MenuResources::EditorStandard, shiftMenu = MenuResources::EditorShift;
    // clang-format off
    QTest::newRow("no keys: standard") << 0 << 1 << standard << "" << "";
    QTest::newRow("shift on a word: named items") << shift << 1 << shiftMenu
        << "Help on \"mov\"" << "Go to definition of \"mov\"";
    QTest::newRow("shift on no word: no selection") << shift << -1 << shiftMenu
        << "no selection" << "no selection";
    QTest::newRow("ctrl") << ctrl << 1 << int(MenuResources::EditorCtrl) << "" << "";
    QTest::newRow("shift and ctrl") << (shift | ctrl) << 1 << int(MenuResources::EditorShiftCtrl)
        << "" << "";
    // clang-format on
}

void tst_ContextHelp::rightClickMenus()
{
    QFETCH(int, modifiers);
    QFETCH(int, column);
    QFETCH(int, menu);
    QFETCH(QString, helpText);
    QFETCH(QString, definitionText);

    CQvasmView *view = openView(*m_fixture, "nop\r\nmov ax,bx");
    QVERIFY(view);
    const QTextBlock line = view->document()->lastBlock();
    QTextCursor at(line);
    at.setPosition(line.position() + qMax(column, 0));
    QPoint point = view->cursorRect(at).center() + QPoint(2, 0);
    if (column < 0)
        point.rx() += 400;
    const auto mods = Qt::KeyboardModifiers(modifiers);
    QTest::mousePress(view->viewport(), Qt::RightButton, mods, point);
    QTest::mouseRelease(view->viewport(), Qt::RightButton, mods, point);

    CommandMenu *shown = m_fixture->frame->contextMenu(menu);
    QTRY_VERIFY(shown->isVisible());
    for (int other = 0; other < 4; ++other)
        QVERIFY(other == menu || !m_fixture->frame->contextMenu(other)->isVisible());
    if (menu == MenuResources::EditorShift) {
        // The caret went to the pointer first.
        QCOMPARE(view->textCursor().blockNumber(), 1);
        const auto text = [&](int id) { return m_fixture->frame->router().action(id)->text(); };
        QCOMPARE(text(ID_HELP_CONTEXT), helpText);
        QCOMPARE(text(ID_GOTO_DEFINITION), definitionText);
    }
    shown->hide();
}

QTEST_MAIN(tst_ContextHelp)
#include "tst_contexthelp.moc"
