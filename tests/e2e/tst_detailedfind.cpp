#include "FirstStart.h"
#include "app/ui/CQvasmApp.h"
#include "app/ui/DocumentSubsystem.h"
#include "app/ui/DocumentTemplate.h"
#include "app/ui/Subsystems.h"
#include "base/CommandIds.h"
#include "editor/CQvasmDoc.h"
#include "editor/ui/CQvasmDocTemplate.h"
#include "frame/CommandRouter.h"
#include "frame/FindState.h"
#include "frame/ui/CFindBar.h"
#include "frame/ui/CMainFrame.h"
#include "frame/ui/DocumentWindow.h"
#include "make/ui/CMyView.h"
#include "search/ui/CFindInFilesDlg.h"

#include "ModalDriver.h"
#include "ScriptedPrompts.h"
#include "TestFiles.h"
#include "TestSettings.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>

// Detailed Find as a user drives it in the whole program: the Find bar's first button opens the
// dialog, the search fills the output pane, a double-click on a hit opens its file at the line;
// then the advanced form finds a file by name and opens it.
class tst_DetailedFind : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void findBarButtonSearchesAndDoubleClickGoesToTheHit();
    void advancedFormFindsAFileAndOpensIt();

private:
    static void check(QCheckBox *box);
    QPlainTextEdit *activeEditor() const;
    CQvasmDoc *activeDocument() const;

    std::optional<TestSettings> m_settings;
    QTemporaryDir m_dir;
    QString m_src; // ends in "/"
};

void tst_DetailedFind::initTestCase()
{
    m_settings.emplace();
    CQvasmApp &app = *CQvasmApp::instance();
    QVERIFY(startForTheFirstTime(app, qEnvironmentVariable("QVASMIDE_PROGRAM_DIR")));

    m_src = m_dir.filePath("my src") + u'/';
    QVERIFY(QDir().mkpath(m_src + "lib"));
    QVERIFY(writeFileBytes(m_src + "main.asm",
                           "        include lib/io.inc\r\n"
                           "start:  mov     si, bufptr\r\n"
                           "        ret\r\n"));
    QVERIFY(writeFileBytes(m_src + "lib/io.asm",
                           "; input and output\r\n"
                           "read:   mov     ah, 3fh\r\n"
                           "        mov     dx, BufPtr\r\n"
                           "        int     21h\r\n"));
    QVERIFY(writeFileBytes(m_src + "lib/io.inc", "bufptr  dw      0\r\n"));
}

void tst_DetailedFind::cleanupTestCase()
{
    closeTheProgram();
    m_settings.reset();
}

void tst_DetailedFind::check(QCheckBox *box)
{
    // On the box itself: a stretched check box takes no click past its text.
    if (!box->isChecked())
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    QVERIFY(box->isChecked());
}

QPlainTextEdit *tst_DetailedFind::activeEditor() const
{
    DocumentWindow *window = CQvasmApp::instance()->mainFrame()->activeDocumentWindow();
    return window ? window->editorView() : nullptr;
}

CQvasmDoc *tst_DetailedFind::activeDocument() const
{
    return sourceDocuments(*CQvasmApp::instance())->activeDocument();
}

void tst_DetailedFind::findBarButtonSearchesAndDoubleClickGoesToTheHit()
{
    CQvasmApp &app = *CQvasmApp::instance();
    CMainFrame *frame = app.mainFrame();
    QAction *detailedFind = frame->commandAction(ID_EDIT_DETAILED_FIND);
    QVERIFY(detailedFind);
    auto *button = frame->findBar()->widgetForAction(detailedFind);
    QVERIFY(button);
    frame->router().refresh();
    QVERIFY(!button->isEnabled()); // no document window yet

    QVERIFY(app.OpenDocumentFile(m_src + "main.asm"));
    frame->router().refresh();
    QVERIFY(button->isEnabled());
    // The word under the caret's selection becomes the search text.
    QPlainTextEdit *editor = activeEditor();
    QTextCursor c(editor->document()->findBlockByNumber(1));
    c.movePosition(QTextCursor::EndOfBlock);
    c.movePosition(QTextCursor::PreviousWord, QTextCursor::KeepAnchor);
    editor->setTextCursor(c);

    QString startingText;
    ModalDriver<CFindInFilesDlg> driver([&](CFindInFilesDlg *dlg) {
        startingText = dlg->findChild<QLineEdit *>("ctl_1047")->text();
        auto *folder = dlg->findChild<QLineEdit *>("ctl_1055");
        folder->clear(); // the document's folder
        auto *types = dlg->findChild<QComboBox *>("ctl_1084");
        types->setCurrentIndex(0); // "*.asm, *.inc"
        check(dlg->findChild<QCheckBox *>("ctl_1050"));
        check(dlg->findChild<QCheckBox *>("ctl_1049"));
        QTest::mouseClick(dlg->findChild<QPushButton *>("ctl_1"), Qt::LeftButton);
        if (dlg->isVisible())
            dlg->reject(); // never left up to hang the test
    });
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(!driver.failed());
    QCOMPARE(startingText, QStringLiteral("bufptr"));

    auto *pane = qobject_cast<CMyView *>(frame->outputPane());
    QVERIFY(pane);
    QTRY_VERIFY(pane->toPlainText().contains("occurrence(s) found."));
    QCOMPARE(pane->toPlainText().split(u'\n'),
             QStringList({"Searching for 'bufptr'",
                          m_src + "main.asm(2): start:  mov     si, bufptr",
                          m_src + "lib/io.asm(3): mov     dx, BufPtr",
                          m_src + "lib/io.inc(1): bufptr  dw      0",
                          "3 occurrence(s) found.",
                          ""}));
    QVERIFY(pane->isVisible());
    QCOMPARE(frame->findState().lastPath, m_src);

    // The user's double-click on the io.asm line.
    const QTextBlock hit = pane->document()->findBlockByNumber(2);
    const QPoint at = pane->cursorRect(QTextCursor(hit)).center() + QPoint(20, 0);
    QTest::mouseDClick(pane->viewport(), Qt::LeftButton, {}, at);
    QTRY_VERIFY(activeDocument() && activeDocument()->GetPathName() == m_src + "lib/io.asm");
    QCOMPARE(activeEditor()->textCursor().blockNumber(), 2);
}

void tst_DetailedFind::advancedFormFindsAFileAndOpensIt()
{
    CMainFrame *frame = CQvasmApp::instance()->mainFrame();
    QVERIFY(frame->findState().expanded == 0);
    QString found;
    ModalDriver<CFindInFilesDlg> driver([&](CFindInFilesDlg *dlg) {
        // The folder the last search used comes back.
        QCOMPARE(dlg->findChild<QLineEdit *>("ctl_1055")->text(), m_src);
        QTest::mouseClick(dlg->findChild<QPushButton *>("ctl_5"), Qt::LeftButton);
        auto *pattern = dlg->findChild<QLineEdit *>("ctl_1054");
        QTest::keyClicks(pattern, "*.INC");
        check(dlg->findChild<QCheckBox *>("ctl_1051"));
        QTest::mouseClick(dlg->findChild<QPushButton *>("ctl_3"), Qt::LeftButton);
        found = dlg->findChild<QLineEdit *>("ctl_1056")->text();
        QTest::mouseClick(dlg->findChild<QPushButton *>("ctl_4"), Qt::LeftButton);
        if (dlg->isVisible())
            dlg->reject(); // never left up to hang the test
    });
    QVERIFY(frame->router().dispatch(ID_EDIT_DETAILED_FIND));
    QVERIFY(!driver.failed());
    QCOMPARE(found, m_src + "lib/io.inc");
    QCOMPARE(activeDocument()->GetPathName(), m_src + "lib/io.inc");
    QVERIFY(!QApplication::activeModalWidget());
    QCOMPARE(frame->findState().expanded, 1);
    QCOMPARE(frame->findState().lastFind, QStringLiteral("*.INC"));
    QCOMPARE(frame->findState().closeOnOpen, 1);
}

int main(int argc, char *argv[])
{
    CQvasmApp app(argc, argv);
    app.setSingleInstanceCheck(false);
    tst_DetailedFind test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_detailedfind.moc"
