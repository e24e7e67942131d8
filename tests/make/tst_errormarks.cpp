#include "DocumentFixture.h"
#include "base/CommandIds.h"
#include "frame/AcceleratorTables.h"
#include "frame/CommandRouter.h"
#include "frame/ui/CStatusLine.h"
#include "make/ui/ErrorMarks.h"
#include "make/ui/SourceNavigator.h"

#include <QTextBlock>

// The errors of a run in the editors of their files and Next / Previous Error over them, on the
// real frame, template and views: files open at the run and files opened later, F4 and Shift+F4
// across files with wrapping, edits since the run, and the next run replacing the marks.
class tst_ErrorMarks : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void marksReachOpenFilesAndFilesOpenedLater();
    void nextAndPreviousErrorGoAcrossFilesAndWrap();
    void nextErrorFindsTheLineAfterEdits();
    void nextRunReplacesTheMarks();
    void f4IsFreeInBothTables();
    void listingGutterShowsEachFilesOwnLines();
    void marksReachAFileOpenedThroughALinkedFolder();

private:
    QString file(const QString &name);
    QByteArray output(const QList<QPair<QString, int>> &errors) const;
    CQvasmView *activeView() const;
    QList<int> marked(const QString &name) const;

    std::unique_ptr<DocumentFixture> m_f;
    ErrorMarks *m_marks = nullptr;
};

void tst_ErrorMarks::init()
{
    m_f = std::make_unique<DocumentFixture>();
    CQvasmDocTemplate *documents = m_f->documents.get();
    m_marks = new ErrorMarks(m_f->frame.get(),
                             SourceNavigator(m_f->frame.get(), [documents](const QString &path) {
                                 return documents->openDocument(path);
                             }));
}

void tst_ErrorMarks::cleanup()
{
    m_f.reset();
}

QString tst_ErrorMarks::file(const QString &name)
{
    QByteArray text;
    for (int i = 1; i <= 12; ++i)
        text += name.toUtf8() + " line " + QByteArray::number(i) + "\r\n";
    return m_f->write(name, text);
}

QByteArray tst_ErrorMarks::output(const QList<QPair<QString, int>> &errors) const
{
    QByteArray out = "\r\n";
    for (const auto &[name, line] : errors) {
        out += "\t" + m_f->path(name).toUtf8() + " (" + QByteArray::number(line)
               + "):  error 22h Syntax error\r\n";
    }
    return out + "\r\nSymbol space free: 1\r\nTotal errors: 1\r\nTotal diags: 0\r\n";
}

CQvasmView *tst_ErrorMarks::activeView() const
{
    CQvasmDoc *doc = m_f->documents->activeDocument();
    return doc ? CChildFrame::viewOf(doc) : nullptr;
}

QList<int> tst_ErrorMarks::marked(const QString &name) const
{
    CQvasmDoc *doc = m_f->documents->findDocument(m_f->path(name));
    QList<int> lines;
    if (doc) {
        for (const LineMark &mark : CChildFrame::viewOf(doc)->lineMarks())
            lines << mark.line;
    }
    return lines;
}

void tst_ErrorMarks::marksReachOpenFilesAndFilesOpenedLater()
{
    const QString a = file("a.asm");
    const QString b = file("b.inc");
    QVERIFY(m_f->documents->openDocument(a));
    m_marks->takeRun(output({{"a.asm", 3}, {"b.inc", 7}, {"a.asm", 9}}));
    QCOMPARE(marked("a.asm"), (QList<int>{3, 9}));

    QVERIFY(m_f->documents->openDocument(b));
    QCOMPARE(marked("b.inc"), QList<int>{7});
    QVERIFY(CChildFrame::viewOf(m_f->documents->findDocument(b))
                ->lineMarkToolTip(7)
                .startsWith("error 22h: Syntax error\n\nQVASM error return information:\n"));
}

void tst_ErrorMarks::nextAndPreviousErrorGoAcrossFilesAndWrap()
{
    const QString a = file("a.asm");
    file("b.inc");
    QVERIFY(m_f->documents->openDocument(a));
    m_marks->takeRun(output({{"a.asm", 9}, {"b.inc", 7}, {"a.asm", 3}}));
    activeView()->setFocus();

    struct Stop
    {
        bool forward;
        QString name;
        int line;
        QString status;
    };
    const QList<Stop> stops = {
        {true, "a.asm", 3, "Error 1 of 3: Syntax error"},
        {true, "a.asm", 9, "Error 2 of 3: Syntax error"},
        {true, "b.inc", 7, "Error 3 of 3: Syntax error"}, // not open yet: it opens
        {true, "a.asm", 3, "Error 1 of 3: Syntax error"}, // round again
        {false, "b.inc", 7, "Error 3 of 3: Syntax error"},
        {false, "a.asm", 9, "Error 2 of 3: Syntax error"},
    };
    for (const Stop &stop : stops) {
        // The keys themselves, as the user presses them in the editor.
        QTest::keyClick(activeView(), Qt::Key_F4, stop.forward ? Qt::NoModifier : Qt::ShiftModifier);
        CQvasmView *view = activeView();
        QVERIFY(view);
        QCOMPARE(view->GetDocument()->GetPathName(), m_f->path(stop.name));
        const QTextCursor caret = view->textCursor();
        QCOMPARE(caret.blockNumber() + 1, stop.line);
        QCOMPARE(caret.positionInBlock(), 0);
        QVERIFY(!caret.hasSelection());
        QCOMPARE(m_f->frame->statusLine()->paneText(CStatusLine::MessagePane), stop.status);
    }
}

void tst_ErrorMarks::nextErrorFindsTheLineAfterEdits()
{
    QVERIFY(m_f->documents->openDocument(file("a.asm")));
    m_marks->takeRun(output({{"a.asm", 5}, {"a.asm", 8}}));
    CQvasmView *view = activeView();
    view->setFocus();
    // Two lines in above the first error, the second error's line deleted.
    QTextCursor cursor(view->document()->findBlockByNumber(7));
    cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    QTextCursor(view->document()->findBlockByNumber(0)).insertText("one\ntwo\n");
    view->moveCursor(QTextCursor::Start);

    QVERIFY(m_f->frame->router().dispatch(ID_MAKE_NEXT_ERROR));
    QCOMPARE(view->textCursor().blockNumber() + 1, 7);
    QCOMPARE(m_f->frame->statusLine()->paneText(CStatusLine::MessagePane),
             QStringLiteral("Error 1 of 1: Syntax error"));
    QVERIFY(m_f->frame->router().dispatch(ID_MAKE_NEXT_ERROR));
    QCOMPARE(view->textCursor().blockNumber() + 1, 7); // the only one left
    QCOMPARE(m_marks->anchors().count(), 1);
}

void tst_ErrorMarks::nextRunReplacesTheMarks()
{
    QVERIFY(m_f->documents->openDocument(file("a.asm")));
    QVERIFY(!m_f->frame->commandAction(ID_MAKE_NEXT_ERROR)->isEnabled());
    m_marks->takeRun(output({{"a.asm", 2}, {"a.asm", 4}}));
    m_f->frame->router().refresh();
    QVERIFY(m_f->frame->commandAction(ID_MAKE_NEXT_ERROR)->isEnabled());
    m_marks->takeRun(output({{"a.asm", 11}}));
    QCOMPARE(marked("a.asm"), QList<int>{11});
    activeView()->setFocus();
    QVERIFY(m_f->frame->router().dispatch(ID_MAKE_NEXT_ERROR));
    CStatusLine *status = m_f->frame->statusLine();
    QVERIFY(status->paneText(CStatusLine::MessagePane).startsWith("Error 1 of 1"));

    // A clean run leaves nothing marked and nothing to go to, and no count of the run before
    // in the status line; a message of somebody else's stays.
    const QByteArray clean
        = "\r\n\r\nSymbol space free: 1\r\nTotal errors: 0\r\nTotal diags: 0\r\n";
    m_marks->takeRun(clean);
    QCOMPARE(status->paneText(CStatusLine::MessagePane), CStatusLine::readyText());
    m_f->frame->ShowStatusMessage(CStatusLine::MessagePane, "Passed end of file", Qt::yellow);
    m_marks->takeRun(clean);
    QCOMPARE(status->paneText(CStatusLine::MessagePane), QStringLiteral("Passed end of file"));
    QCOMPARE(marked("a.asm"), QList<int>{});
    m_f->frame->router().refresh();
    QVERIFY(!m_f->frame->commandAction(ID_MAKE_NEXT_ERROR)->isEnabled());
    QVERIFY(!m_f->frame->commandAction(ID_MAKE_PREV_ERROR)->isEnabled());
}

void tst_ErrorMarks::f4IsFreeInBothTables()
{
    for (bool documentActive : {false, true}) {
        QCOMPARE(AcceleratorTables::keyText(ID_MAKE_NEXT_ERROR, documentActive),
                 QStringLiteral("F4"));
        QCOMPARE(AcceleratorTables::keyText(ID_MAKE_PREV_ERROR, documentActive),
                 QStringLiteral("Shift+F4"));
        int taken = 0;
        for (const Accelerator &a : AcceleratorTables::effective(documentActive))
            taken += a.keys == QKeySequence(Qt::Key_F4) ? 1 : 0;
        QCOMPARE(taken, 1);
    }
}

void tst_ErrorMarks::listingGutterShowsEachFilesOwnLines()
{
    const QString a = file("a.asm");
    const QString b = file("b.inc");
    QVERIFY(m_f->documents->openDocument(a));
    const QByteArray listing = "QVASM listing of " + a.toUtf8()
                               + "\r\n\r\n  Line  Addr  Bytes                     Source\r\n\r\n"
                                 "     5  0100  B4 09                       mov ah,9\r\n"
                                 "     6  0102                              include b.inc\r\n"
                                 "        ---- "
                               + b.toUtf8()
                               + "\r\n"
                                 "     1  0102  BA 08 01                    mov dx,offset msg\r\n"
                                 "        ---- "
                               + a.toUtf8()
                               + "\r\n"
                                 "     7  0105  CD 21                       int 21h\r\n"
                                 "\r\nSymbols:\r\n";
    m_marks->takeListing(ListingMap::parse(listing));
    CQvasmView *view = activeView();
    view->setFocus();
    QCOMPARE(view->lineAnnotation(5), QStringLiteral("0100  B4 09"));
    QCOMPARE(view->lineAnnotation(1), QString()); // b.inc's line 1 is not a.asm's
    m_f->frame->router().refresh();
    QVERIFY(m_f->frame->commandAction(ID_VIEW_LISTING_GUTTER)->isEnabled());

    // Off until asked for; then a column of its own in the gutter.
    const int narrow = view->gutterWidth();
    QVERIFY(!view->annotationsShown());
    QVERIFY(m_f->frame->router().dispatch(ID_VIEW_LISTING_GUTTER));
    QVERIFY(view->annotationsShown());
    QVERIFY(view->gutterWidth() > narrow);

    // The texts go with their lines: Enter at the start of line 5, then line 1 deleted.
    QTextCursor cursor(view->document()->findBlockByNumber(4));
    view->setTextCursor(cursor);
    QTest::keyClick(view, Qt::Key_Return);
    QCOMPARE(view->lineAnnotation(6), QStringLiteral("0100  B4 09"));
    QCOMPARE(view->lineAnnotation(8), QStringLiteral("0105  CD 21"));
    QCOMPARE(view->lineAnnotation(5), QString());
    cursor = QTextCursor(view->document()->firstBlock());
    cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor);
    view->setTextCursor(cursor);
    QTest::keyClick(view, Qt::Key_Delete);
    QCOMPARE(view->lineAnnotation(5), QStringLiteral("0100  B4 09"));
    QVERIFY(m_f->frame->router().dispatch(ID_EDIT_UNDO));
    QCOMPARE(view->lineAnnotation(6), QStringLiteral("0100  B4 09"));

    // A file opened later gets its own lines, shown as the others are.
    QVERIFY(m_f->documents->openDocument(b));
    QCOMPARE(activeView()->lineAnnotation(1), QStringLiteral("0102  BA 08 01"));
    QVERIFY(activeView()->annotationsShown());
}

void tst_ErrorMarks::marksReachAFileOpenedThroughALinkedFolder()
{
    file("a.asm");
    const QString linked = m_f->path("linked");
    QVERIFY(QFile::link(m_f->dir.path(), linked));
    QVERIFY(m_f->documents->openDocument(linked + "/a.asm"));
    // The run names the file by its real folder.
    m_marks->takeRun(output({{"a.asm", 4}}));
    QCOMPARE(activeView()->lineMarks().size(), 1);
    QCOMPARE(activeView()->lineMarks()[0].line, 4);
}

QTEST_MAIN(tst_ErrorMarks)
#include "tst_errormarks.moc"
