#include "DocumentFixture.h"
#include "ModalDriver.h"
#include "editor/CMemberPopupDlg.h"
#include "editor/EditorAids.h"
#include "editor/ViewTypingAids.h"

#include <QListWidget>

// The typing aids through a real editor view: keys as the user presses them.
class tst_ViewTypingAids : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void tabKeys_data();
    void tabKeys();
    void enterKeepsIndentationAndBackspaceTakesItBack_data();
    void enterKeepsIndentationAndBackspaceTakesItBack();
    void memberPopupOffersTheStructuresMembers_data();
    void memberPopupOffersTheStructuresMembers();

private:
    CQvasmView *open(const QString &name, const QByteArray &text);
    QString text(const CQvasmView *view) const
    {
        return SourceFileCodec::documentText(*view->document());
    }

    std::unique_ptr<DocumentFixture> m_fixture;
};

void tst_ViewTypingAids::init()
{
    m_fixture = std::make_unique<DocumentFixture>();
    new EditorAids(m_fixture->frame.get());
    ViewTypingAids::setAutoIndentFlag(false);
}

void tst_ViewTypingAids::cleanup()
{
    m_fixture.reset();
}

CQvasmView *tst_ViewTypingAids::open(const QString &name, const QByteArray &bytes)
{
    CQvasmDoc *doc = m_fixture->documents->openDocument(m_fixture->write(name, bytes));
    if (!doc)
        return nullptr;
    doc->view()->setFocus();
    return doc->view();
}

void tst_ViewTypingAids::tabKeys_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<int>("anchor");
    QTest::addColumn<int>("position");
    QTest::addColumn<bool>("shift");
    QTest::addColumn<int>("tabstops");
    QTest::addColumn<int>("tabsToSpaces");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("afterAnchor");
    QTest::addColumn<int>("afterPosition");

    QTest::newRow("one line: tabstops blanks")
        << QByteArray("mov") << 0 << 0 << false << 4 << 1 << "    mov" << 4 << 4;
    QTest::newRow("block ending at a line start leaves that line out")
        << QByteArray("a\nb\nc\nd\ne\nf\n") << 4 << 10 << false << 4 << 1
        << "a\nb\n    c\n    d\n    e\nf\n"
        << 4 << 22;
    QTest::newRow("block outdent: blanks then a tab, a letter stays")
        << QByteArray("  \tmov\nxyz") << 0 << 10 << true << 4 << 1 << "mov\nxyz" << 0 << 7;
    QTest::newRow("one line outdent never indents")
        << QByteArray("    mov") << 7 << 7 << true << 2 << 1 << "  mov" << 5 << 5;
}

void tst_ViewTypingAids::tabKeys()
{
    QFETCH(QByteArray, before);
    QFETCH(int, anchor);
    QFETCH(int, position);
    QFETCH(bool, shift);
    QFETCH(int, tabstops);
    QFETCH(int, tabsToSpaces);
    QFETCH(QString, after);
    QFETCH(int, afterAnchor);
    QFETCH(int, afterPosition);

    m_fixture->settings.store().writeInt("Settings", "tabstops", tabstops);
    m_fixture->settings.store().writeInt("Settings", "tabstospaces", tabsToSpaces);
    CQvasmView *view = open("a.asm", before);
    QVERIFY(view);
    view->setSelection(anchor, position);
    if (shift)
        QTest::keyClick(view, Qt::Key_Backtab, Qt::ShiftModifier);
    else
        QTest::keyClick(view, Qt::Key_Tab);
    QCOMPARE(text(view), after);
    QCOMPARE(view->textCursor().anchor(), afterAnchor);
    QCOMPARE(view->textCursor().position(), afterPosition);
    // One undo step brings the text back.
    if (after != QString::fromLatin1(before)) {
        view->undo();
        QCOMPARE(text(view), QString::fromLatin1(before));
    }
}

void tst_ViewTypingAids::enterKeepsIndentationAndBackspaceTakesItBack_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("keys"); // < Left, b Backspace, other characters typed
    QTest::addColumn<QString>("after");

    QTest::newRow("tabs copied, backspace after a tab deletes nothing")
        << QByteArray("\t\tmov ax,bx") << "b"
        << "\t\tmov ax,bx\n\t\t";
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
    CQvasmView *view = open("a.asm", line);
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
    QCOMPARE(text(view), after);
}

void tst_ViewTypingAids::memberPopupOffersTheStructuresMembers_data()
{
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<QByteArray>("include");  // defs.inc on disk; empty for none
    QTest::addColumn<QString>("includeEdit"); // typed into its open window, unsaved
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("offered");

    const QByteArray point = "POINT struct\r\nx dword ?\r\ny dword ?\r\nPOINT ends\r\n";
    QTest::newRow("variable, structure in the document")
        << point + "pt st POINT\r\n"
        << QByteArray() << QString() << "pt." << QStringList{"x", "y"};
    QTest::newRow("structure name and arrow")
        << point << QByteArray() << QString() << "POINT->" << QStringList{"x", "y"};
    QTest::newRow("structure in an include file on disk")
        << QByteArray("include 'defs.inc'\r\npt st POINT\r\n") << point << QString() << "pt."
        << QStringList{"x", "y"};
    QTest::newRow("open include window, unsaved edits")
        << QByteArray("include 'defs.inc'\r\n") << point << "z dword ?\n"
        << "POINT->" << QStringList{"x", "y", "z"};
}

void tst_ViewTypingAids::memberPopupOffersTheStructuresMembers()
{
    QFETCH(QByteArray, source);
    QFETCH(QByteArray, include);
    QFETCH(QString, includeEdit);
    QFETCH(QString, typed);
    QFETCH(QStringList, offered);

    m_fixture->settings.store().writeInt("Settings", "usememberpopup", 1);
    if (!include.isEmpty())
        m_fixture->write("defs.inc", include);
    if (!includeEdit.isEmpty()) {
        CQvasmDoc *inc = m_fixture->documents->openDocument(m_fixture->path("defs.inc"));
        QVERIFY(inc);
        QTextCursor c(inc->textDocument());
        c.movePosition(QTextCursor::Start);
        c.movePosition(QTextCursor::NextBlock);
        c.insertText(includeEdit);
    }
    CQvasmView *view = open("main.asm", source);
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
    QTest::keyClicks(view, typed);
    QTRY_VERIFY(driver.done());
    QVERIFY(!driver.failed());
    QCOMPARE(shown, offered);
    QVERIFY(text(view).endsWith(typed + offered.at(1)));

    // Escape inserts nothing; nor does typing inside a comment or a string ask at all.
    ModalDriver<CMemberPopupDlg> escape(
        [](CMemberPopupDlg *popup) { QTest::keyClick(popup->list(), Qt::Key_Escape); });
    QTest::keyClick(view, Qt::Key_Return);
    QTest::keyClicks(view, typed);
    QTRY_VERIFY(escape.done());
    QVERIFY(text(view).endsWith(typed));
    m_fixture->settings.store().writeInt("Settings", "usememberpopup", 0);
    auto *aids = view->findChild<ViewTypingAids *>();
    for (const char *prefix : {"; ", "db 'a ", "db \"a "}) {
        QTest::keyClick(view, Qt::Key_Return);
        QTest::keyClicks(view, QString::fromLatin1(prefix) + typed);
        QVERIFY2(aids->membersAtCaret().isEmpty(), prefix);
    }
}

QTEST_MAIN(tst_ViewTypingAids)
#include "tst_viewtypingaids.moc"
