#include "base/CommandIds.h"
#include "frame/CommandRouter.h"
#include "frame/FindHistory.h"
#include "frame/FindState.h"
#include "frame/ui/CFindCombo.h"
#include "frame/ui/CMainFrame.h"
#include "frame/ui/CStatusLine.h"
#include "make/ui/CMyView.h"
#include "search/ui/CFindInFilesDlg.h"
#include "search/ui/FindInFilesCommand.h"
#include "search/ui/FindInFilesRun.h"

#include "DocWindowStub.h"
#include "ModalDriver.h"
#include "ScriptedPrompts.h"
#include "TestFiles.h"
#include "TestSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDockWidget>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <optional>

// Detailed Find on a document window: when it is enabled, what the dialog starts with, what its
// ending leaves in the find state, and the search it starts: the output pane's lines in the
// walk's order, the count line, and Esc, Cancel, a new search or another writer stopping it.
class tst_FindInFilesCommand : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void enabledOnlyWhileADocumentWindowIsActive();
    void startingText_data();
    void startingText();
    void endingDecidesWhatIsKept_data();
    void endingDecidesWhatIsKept();
    void emptyFolderSearchesTheDocumentsFolder();
    void paneShowsHitsInTheWalksOrderThenTheCount();
    void countLineWithoutHits_data();
    void countLineWithoutHits();
    void escOrCancelStopsTheSearch_data();
    void escOrCancelStopsTheSearch();
    void anotherWriterClearingThePaneEndsTheSearch();
    void newSearchReplacesTheRunningOne();
    void closingTheFrameWhileSearching();

private:
    using Fill = std::function<void(CFindInFilesDlg *)>;
    // Detailed Find with the dialog filled by fill and ended with button.
    void detailedFind(const Fill &fill, int button = CFindInFilesDlg::Find);
    bool waitForTheSearch();
    DocWindowStub *addWindow(const QString &path = {});
    QStringList paneLines() const;
    void writeTree();
    static void setText(CFindInFilesDlg *dlg, int id, const QString &text)
    {
        auto *edit = dlg->findChild<QLineEdit *>(QStringLiteral("ctl_%1").arg(id));
        QVERIFY(edit);
        edit->setText(text);
    }

    std::optional<TestSettings> m_settings;
    std::unique_ptr<CMainFrame> m_frame;
    FindInFilesCommand *m_command = nullptr;
    CMyView *m_pane = nullptr;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_root;
    QStringList m_opened;
    std::optional<QSignalSpy> m_finished;
};

void tst_FindInFilesCommand::init()
{
    m_settings.emplace();
    m_dir = std::make_unique<QTemporaryDir>();
    m_root = m_dir->path() + u'/';
    m_opened.clear();
    m_frame = std::make_unique<CMainFrame>();
    m_pane = new CMyView;
    m_frame->setOutputPane(m_pane);
    m_command = new FindInFilesCommand(
        m_frame.get(),
        [this](const QString &path) {
            m_opened << path;
            return true;
        },
        [](QMdiSubWindow *w) { return static_cast<DocWindowStub *>(w)->path; });
    m_frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_frame.get()));
}

void tst_FindInFilesCommand::cleanup()
{
    m_finished.reset();
    m_frame.reset();
    m_settings.reset();
    m_dir.reset();
}

DocWindowStub *tst_FindInFilesCommand::addWindow(const QString &path)
{
    auto *w = new DocWindowStub(path.isEmpty() ? QStringLiteral("untitled1.asm")
                                               : QFileInfo(path).fileName());
    w->path = path;
    m_frame->mdiArea()->addSubWindow(w);
    w->show();
    m_frame->mdiArea()->setActiveSubWindow(w);
    m_frame->router().refresh();
    return w;
}

void tst_FindInFilesCommand::detailedFind(const Fill &fill, int button)
{
    bool shown = false;
    ModalDriver<CFindInFilesDlg> driver([&](CFindInFilesDlg *dlg) {
        shown = true;
        fill(dlg);
        auto *b = dlg->findChild<QPushButton *>(QStringLiteral("ctl_%1").arg(button));
        if (b)
            b->click();
        else
            QTest::keyClick(dlg, Qt::Key_Escape);
        if (dlg->isVisible())
            dlg->reject(); // a button that was off: never left up to hang the test
    });
    QVERIFY(m_frame->router().dispatch(ID_EDIT_DETAILED_FIND));
    QVERIFY(shown);
    QVERIFY(!driver.failed());
    if (button == CFindInFilesDlg::Find) {
        QVERIFY(m_command->lastRun());
        m_finished.emplace(m_command->lastRun(), &FindInFilesRun::finished);
    }
}

bool tst_FindInFilesCommand::waitForTheSearch()
{
    if (!m_finished)
        return false;
    if (m_finished->isEmpty() && !m_finished->wait(20000))
        return false;
    return m_finished->size() == 1;
}

QStringList tst_FindInFilesCommand::paneLines() const
{
    return m_pane->toPlainText().split(u'\n');
}

void tst_FindInFilesCommand::writeTree()
{
    // Hits in .asm files of every level first, then in .inc files: the walk runs per pattern.
    QVERIFY(QDir().mkpath(m_root + "sub/deeper"));
    QVERIFY(writeFileBytes(m_root + "top.asm", "\tmov ax, bx\r\nmov eax, 1\nxor ax,ax"));
    QVERIFY(writeFileBytes(m_root + "top.inc", "ax equ 1\n"));
    QVERIFY(writeFileBytes(m_root + "sub/mid.asm", "nothing\n  push ax\n"));
    QVERIFY(writeFileBytes(m_root + "sub/deeper/low.asm", "ax_1 db 0\nAX\n"));
    QVERIFY(writeFileBytes(m_root + "sub/skip.txt", "ax\n"));
}

void tst_FindInFilesCommand::enabledOnlyWhileADocumentWindowIsActive()
{
    QVERIFY(!m_frame->router().isEnabled(ID_EDIT_DETAILED_FIND));
    DocWindowStub *w = addWindow();
    QVERIFY(m_frame->router().isEnabled(ID_EDIT_DETAILED_FIND));
    w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    m_frame->router().refresh();
    QVERIFY(!m_frame->router().isEnabled(ID_EDIT_DETAILED_FIND));
}

void tst_FindInFilesCommand::startingText_data()
{
    QTest::addColumn<QString>("selection");
    QTest::addColumn<bool>("typedInFindBar");
    QTest::addColumn<QString>("expected");
    QTest::newRow("the editor's selection") << "bufptr" << false << "bufptr";
    QTest::newRow("typed into the find bar wins") << "bufptr" << true << "typed";
    QTest::newRow("no selection: the find bar's text") << "" << false << "typed";
}

void tst_FindInFilesCommand::startingText()
{
    QFETCH(QString, selection);
    QFETCH(bool, typedInFindBar);
    QFETCH(QString, expected);
    DocWindowStub *w = addWindow();
    w->editor->setPlainText("mov " + selection + ", 1");
    if (!selection.isEmpty()) {
        QTextCursor c = w->editor->textCursor();
        c.setPosition(4);
        c.setPosition(4 + int(selection.size()), QTextCursor::KeepAnchor);
        w->editor->setTextCursor(c);
    }
    m_frame->findCombo()->setEditText(QStringLiteral("typed"));
    m_frame->findState().findTextTyped = typedInFindBar ? 1 : 0;
    QString shown;
    detailedFind([&](CFindInFilesDlg *dlg) { shown = dlg->choices().text; },
                 CFindInFilesDlg::Cancelled);
    QCOMPARE(shown, expected);
    QCOMPARE(m_frame->findState().findTextTyped, 0);
}

void tst_FindInFilesCommand::endingDecidesWhatIsKept_data()
{
    QTest::addColumn<int>("button"); // 0: Esc
    QTest::addColumn<bool>("kept");
    QTest::addColumn<bool>("searched");
    QTest::newRow("Find keeps and searches") << int(CFindInFilesDlg::Find) << true << true;
    QTest::newRow("Close keeps without searching") << int(CFindInFilesDlg::Close) << true << false;
    QTest::newRow("Cancel keeps nothing") << int(CFindInFilesDlg::Cancelled) << false << false;
    QTest::newRow("Esc keeps nothing") << 0 << false << false;
}

void tst_FindInFilesCommand::endingDecidesWhatIsKept()
{
    QFETCH(int, button);
    QFETCH(bool, kept);
    QFETCH(bool, searched);
    writeTree();
    addWindow();
    FindState &state = m_frame->findState();
    state.lastPath = m_dir->path(); // no final "/"
    state.types = QStringLiteral("*.asm");
    m_pane->setPlainText(QStringLiteral("earlier output"));
    m_frame->viewBar()->hide();

    detailedFind(
        [](CFindInFilesDlg *dlg) {
            setText(dlg, 1047, QStringLiteral("ax"));
            setText(dlg, 1054, QStringLiteral("*.lst"));
            dlg->findChild<QCheckBox *>("ctl_1049")->setChecked(true);
            dlg->findChild<QCheckBox *>("ctl_1050")->setChecked(true);
            dlg->findChild<QCheckBox *>("ctl_1051")->setChecked(true);
            dlg->findChild<QComboBox *>("ctl_1084")->setEditText(QStringLiteral("*.asm, *.inc"));
            dlg->setAdvanced(true);
        },
        button);
    if (searched)
        QVERIFY(waitForTheSearch());

    QCOMPARE(m_frame->findHistory().find(QStringLiteral("ax")) >= 0, kept);
    QCOMPARE(state.matchWord, kept);
    QCOMPARE(state.searchSubs, kept ? 1 : 0);
    QCOMPARE(state.closeOnOpen, kept ? 1 : 0);
    QCOMPARE(state.expanded, kept ? 1 : 0);
    QCOMPARE(state.lastFind, kept ? QStringLiteral("*.lst") : QString());
    QCOMPARE(state.types, kept ? QStringLiteral("*.asm, *.inc") : QStringLiteral("*.asm"));
    // The folder as the search used it, with its final "/"; as typed after Close.
    QCOMPARE(state.lastPath, searched ? m_root : m_dir->path());
    QCOMPARE(m_pane->toPlainText() == QStringLiteral("earlier output"), !searched);
    QCOMPARE(m_frame->viewBar()->isVisible(), searched);
}

void tst_FindInFilesCommand::emptyFolderSearchesTheDocumentsFolder()
{
    writeTree();
    addWindow(m_root + "sub/mid.asm");
    m_frame->findState().types = QStringLiteral("*.asm");
    detailedFind([](CFindInFilesDlg *dlg) {
        setText(dlg, 1047, QStringLiteral("push"));
        setText(dlg, 1055, QString());
    });
    QVERIFY(waitForTheSearch());
    QCOMPARE(paneLines(),
             QStringList({"Searching for 'push'",
                          m_root + "sub/mid.asm(2): push ax",
                          "1 occurrence(s) found.",
                          ""}));
    QCOMPARE(m_frame->findState().lastPath, m_root + "sub/");
}

void tst_FindInFilesCommand::paneShowsHitsInTheWalksOrderThenTheCount()
{
    writeTree();
    addWindow();
    detailedFind([this](CFindInFilesDlg *dlg) {
        setText(dlg, 1047, QStringLiteral("ax"));
        setText(dlg, 1055, m_root);
        dlg->findChild<QComboBox *>("ctl_1084")->setEditText(QStringLiteral("*.asm, *.inc"));
        dlg->findChild<QCheckBox *>("ctl_1049")->setChecked(true);
        dlg->findChild<QCheckBox *>("ctl_1050")->setChecked(true);
    });
    QVERIFY(waitForTheSearch());
    QCOMPARE(m_finished->at(0).at(0).toLongLong(), 6);
    QCOMPARE(m_finished->at(0).at(1).toBool(), false);
    // A line with two hits is written twice; leading tabs and the CR go, a last line without
    // its LF comes whole; whole words skip eax and ax_1 and take AX when case does not count.
    QCOMPARE(paneLines(),
             QStringList({"Searching for 'ax'",
                          m_root + "top.asm(1): mov ax, bx",
                          m_root + "top.asm(3): xor ax,ax",
                          m_root + "top.asm(3): xor ax,ax",
                          m_root + "sub/mid.asm(2): push ax",
                          m_root + "sub/deeper/low.asm(2): AX",
                          m_root + "top.inc(1): ax equ 1",
                          "6 occurrence(s) found.",
                          ""}));
    // The status line's Cancel went with the search.
    QVERIFY(!m_frame->statusLine()->findChild<QToolButton *>("cancelSearch"));
}

void tst_FindInFilesCommand::countLineWithoutHits_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("types");
    QTest::newRow("no occurrence") << "absent"
                                   << "*.asm";
    QTest::newRow("empty types") << "ax"
                                 << "";
    QTest::newRow("leading comma") << "ax"
                                   << ",*.asm";
}

void tst_FindInFilesCommand::countLineWithoutHits()
{
    QFETCH(QString, text);
    QFETCH(QString, types);
    writeTree();
    addWindow();
    detailedFind([&](CFindInFilesDlg *dlg) {
        setText(dlg, 1047, text);
        setText(dlg, 1055, m_root);
        dlg->findChild<QComboBox *>("ctl_1084")->setEditText(types);
    });
    QVERIFY(waitForTheSearch());
    QCOMPARE(paneLines(),
             QStringList({"Searching for '" + text + "'", "0 occurrence(s) found.", ""}));
}

void tst_FindInFilesCommand::escOrCancelStopsTheSearch_data()
{
    QTest::addColumn<bool>("esc");
    QTest::newRow("Esc in the main window") << true;
    QTest::newRow("Cancel in the status line") << false;
}

void tst_FindInFilesCommand::escOrCancelStopsTheSearch()
{
    QFETCH(bool, esc);
    // Enough files that the search is still going when the key comes.
    const int files = 1500;
    QByteArray text;
    for (int i = 0; i < 40; ++i)
        text += "        mov bufptr, ax\n";
    for (int i = 0; i < files; ++i)
        QVERIFY(writeFileBytes(m_root + QStringLiteral("f%1.asm").arg(i), text));
    DocWindowStub *w = addWindow();
    detailedFind([this](CFindInFilesDlg *dlg) {
        setText(dlg, 1047, QStringLiteral("bufptr"));
        setText(dlg, 1055, m_root);
        dlg->findChild<QComboBox *>("ctl_1084")->setEditText(QStringLiteral("*.asm"));
    });
    FindInFilesRun *run = m_command->lastRun();
    QVERIFY(run->isRunning());
    auto *cancel = m_frame->statusLine()->findChild<QToolButton *>("cancelSearch");
    QVERIFY(cancel);
    QVERIFY(cancel->isVisible());
    if (esc) {
        w->editor->setFocus();
        QTest::keyClick(w->editor, Qt::Key_Escape);
    } else {
        cancel->click();
    }
    // Stopping: no second Cancel to press.
    QVERIFY(!cancel->isEnabled());
    QVERIFY(waitForTheSearch());
    const qint64 count = m_finished->at(0).at(0).toLongLong();
    const bool cancelled = m_finished->at(0).at(1).toBool();
    QVERIFY(cancelled || count == files * 40);
    // The count line says how many the pane shows.
    const QStringList lines = paneLines();
    QCOMPARE(lines.size(), int(count) + 3);
    QCOMPARE(lines.at(lines.size() - 2), QStringLiteral("%1 occurrence(s) found.").arg(count));
    QVERIFY(!m_frame->statusLine()->findChild<QToolButton *>("cancelSearch"));
    // Esc without a search does nothing more.
    QTest::keyClick(w->editor, Qt::Key_Escape);
    QCOMPARE(paneLines(), lines);
}

void tst_FindInFilesCommand::anotherWriterClearingThePaneEndsTheSearch()
{
    writeTree();
    addWindow();
    detailedFind([this](CFindInFilesDlg *dlg) {
        setText(dlg, 1047, QStringLiteral("ax"));
        setText(dlg, 1055, m_root);
        dlg->findChild<QCheckBox *>("ctl_1050")->setChecked(true);
    });
    m_pane->Clear();
    m_pane->Append(QStringLiteral("build output\r\n "), 15);
    QVERIFY(waitForTheSearch());
    QCOMPARE(m_pane->toPlainText(), QStringLiteral("build output\n"));
}

void tst_FindInFilesCommand::newSearchReplacesTheRunningOne()
{
    writeTree();
    addWindow();
    const auto search = [this](const QString &text) {
        return [this, text](CFindInFilesDlg *dlg) {
            setText(dlg, 1047, text);
            setText(dlg, 1055, m_root);
            dlg->findChild<QCheckBox *>("ctl_1050")->setChecked(true);
        };
    };
    detailedFind(search(QStringLiteral("ax")));
    QPointer<FindInFilesRun> first = m_command->lastRun();
    detailedFind(search(QStringLiteral("push")));
    QVERIFY(!first);
    QVERIFY(waitForTheSearch());
    QCOMPARE(paneLines(),
             QStringList({"Searching for 'push'",
                          m_root + "sub/mid.asm(2): push ax",
                          "1 occurrence(s) found.",
                          ""}));
}

void tst_FindInFilesCommand::closingTheFrameWhileSearching()
{
    writeTree();
    addWindow();
    detailedFind([this](CFindInFilesDlg *dlg) {
        setText(dlg, 1047, QStringLiteral("ax"));
        setText(dlg, 1055, m_root);
    });
    QPointer<FindInFilesRun> run = m_command->lastRun();
    m_finished.reset();
    m_frame.reset();
    QVERIFY(!run);
    QCoreApplication::processEvents(); // nothing arrives for what is gone
}

QTEST_MAIN(tst_FindInFilesCommand)
#include "tst_findinfilescommand.moc"
