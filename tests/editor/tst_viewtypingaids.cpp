#include "EditorViews.h"
#include "ModalDriver.h"
#include "editor/ui/CMemberPopupDlg.h"
#include "editor/ui/EditorAids.h"
#include "editor/ui/ViewTypingAids.h"

#include <QListWidget>
#include <QTextBlock>

// The typing aids through a real editor view: keys as the user presses them.
class tst_ViewTypingAids : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void tabKeysFollowTheSettings();
    void enterKeepsIndentationAndBackspaceTakesItBack_data();
    void enterKeepsIndentationAndBackspaceTakesItBack();
    void memberPopupOffersTheStructuresMembers();

private:
    std::unique_ptr<DocumentFixture> m_fixture;
};

void tst_ViewTypingAids::init()
{
    m_fixture = std::make_unique<DocumentFixture>();
    new EditorAids(m_fixture->frame.get()); // a fresh auto-indent flag for each test
}

void tst_ViewTypingAids::cleanup()
{
    m_fixture.reset();
}

void tst_ViewTypingAids::tabKeysFollowTheSettings()
{
    // The rules are the core's; this proves the keys and the settings reach them.
    m_fixture->settings.store().writeInt("Settings", "tabstops", 4);
    CQvasmView *view = openView(*m_fixture, "mov");
    QTest::keyClick(view, Qt::Key_Tab);
    QCOMPARE(viewText(view), "    mov");
    QCOMPARE(view->textCursor().position(), 4);

    // Shift+Tab over a block: blanks then a tab go, a letter stays.
    CQvasmView *block = openView(*m_fixture, "  \tmov\nxyz", "b.asm");
    block->setSelection(0, 10);
    QTest::keyClick(block, Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(viewText(block), "mov\nxyz");
    QCOMPARE(block->textCursor().anchor(), 0);
    QCOMPARE(block->textCursor().position(), 7);
}

void tst_ViewTypingAids::enterKeepsIndentationAndBackspaceTakesItBack_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("keys"); // < Left, b Backspace, other characters typed
    QTest::addColumn<QString>("after");

    QTest::newRow("blanks copied, backspace deletes them all") << QByteArray("    mov ax,bx") << "b"
                                                               << "    mov ax,bx\n";
    QTest::newRow("the flag survives Left") << QByteArray("    mov") << "<b"
                                            << "    mov\n ";
    QTest::newRow("a typed character ends it") << QByteArray("    mov") << "xb"
                                               << "    mov\n    ";
}

void tst_ViewTypingAids::enterKeepsIndentationAndBackspaceTakesItBack()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, keys);
    QFETCH(QString, after);
    CQvasmView *view = openView(*m_fixture, line);
    QVERIFY(view);
    view->moveCursor(QTextCursor::End);
    QTest::keyClick(view, Qt::Key_Return);
    QCOMPARE(view->document()->blockCount(), 2);
    for (QChar k : keys) {
        if (k == u'<')
            QTest::keyClick(view, Qt::Key_Left);
        else if (k == u'b')
            QTest::keyClick(view, Qt::Key_Backspace);
        else
            QTest::keyClicks(view, QString(k));
    }
    QCOMPARE(viewText(view), after);
}

void tst_ViewTypingAids::memberPopupOffersTheStructuresMembers()
{
    // Which structure and which file: the collector's test. Here: the pop-up, its keys and the
    // unsaved text of an open include window.
    m_fixture->settings.store().writeInt("Settings", "usememberpopup", 1);
    CQvasmDoc *inc = m_fixture->documents->openDocument(
        m_fixture->write("defs.inc", "POINT struct\r\nx dword ?\r\ny dword ?\r\nPOINT ends\r\n"));
    QVERIFY(inc);
    QTextCursor(inc->textDocument()->findBlockByNumber(1)).insertText("z dword ?\n");
    CQvasmView *view = openView(*m_fixture, "include 'defs.inc'\r\npt st POINT\r\n", "main.asm");
    QVERIFY(view);
    view->moveCursor(QTextCursor::End);

    QStringList shown;
    ModalDriver<CMemberPopupDlg> driver([&shown](CMemberPopupDlg *popup) {
        for (int i = 0; i < popup->list()->count(); ++i)
            shown << popup->list()->item(i)->text();
        // The first name is highlighted; Down moves on to the next.
        QTest::keyClick(popup->list(), Qt::Key_Down);
        QTest::keyClick(popup->list(), Qt::Key_Return);
    });
    QTest::keyClicks(view, "pt.");
    QTRY_VERIFY(driver.done());
    QVERIFY(!driver.failed());
    QCOMPARE(shown, (QStringList{"x", "y", "z"}));
    QVERIFY(viewText(view).endsWith("pt.y"));

    // The arrow asks too; Escape inserts nothing.
    ModalDriver<CMemberPopupDlg> escape(
        [](CMemberPopupDlg *popup) { QTest::keyClick(popup->list(), Qt::Key_Escape); });
    QTest::keyClick(view, Qt::Key_Return);
    QTest::keyClicks(view, "POINT->");
    QTRY_VERIFY(escape.done());
    QVERIFY(viewText(view).endsWith("POINT->"));
}

QTEST_MAIN(tst_ViewTypingAids)
#include "tst_viewtypingaids.moc"
