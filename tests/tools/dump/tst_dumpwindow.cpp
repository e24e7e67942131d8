#include "DumpView.h"
#include "DumpWindow.h"
#include "ScriptedPrompts.h"
#include "TestFiles.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QtMath>

#include <atomic>
#include <fcntl.h>
#include <limits>
#include <thread>
#include <unistd.h>

class tst_DumpWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void failedOrCancelledOpenChangesNothing();
    void bigFilesScrollToTheirLastRow_data();
    void bigFilesScrollToTheirLastRow();
    void typedOffsets_data();
    void typedOffsets();
    void clickAndShiftClickSelect();
    void everyCellClickedSelectsItsByte_data();
    void everyCellClickedSelectsItsByte();
    void keysMoveAndExtendTheSelection();
    void selectionIsCopiedAsHex();
    void copyWhileTheFileShrinks();
    void fileChangedOnDisk_data();
    void fileChangedOnDisk();
    void fileShrinksWhileRowsArePainted_data();
    void fileShrinksWhileRowsArePainted();

private:
    QString write(const QString &name, const QByteArray &bytes);
    // A sparse file of `size` bytes: costs no disk, reads as zeros.
    QString sparse(const QString &name, qint64 size);

    QTemporaryDir m_dir;
    QString m_small;
    std::unique_ptr<ScriptedPrompts> m_prompts;
    std::unique_ptr<DumpWindow> m_window;
};

QString tst_DumpWindow::write(const QString &name, const QByteArray &bytes)
{
    return writeFileBytes(m_dir.filePath(name), bytes) ? m_dir.filePath(name) : QString();
}

QString tst_DumpWindow::sparse(const QString &name, qint64 size)
{
    QFile file(m_dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || !file.resize(size))
        return {};
    return file.fileName();
}

void tst_DumpWindow::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QByteArray bytes(1000, Qt::Uninitialized);
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i);
    m_small = write("small.bin", bytes);
}

void tst_DumpWindow::init()
{
    m_prompts = std::make_unique<ScriptedPrompts>();
    m_window = std::make_unique<DumpWindow>();
    m_window->resize(1200, 600);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void tst_DumpWindow::cleanup()
{
    m_window.reset();
    QVERIFY2(m_prompts->allAnswered(), qPrintable(m_prompts->unexpected().join("; ")));
    m_prompts.reset();
}

void tst_DumpWindow::failedOrCancelledOpenChangesNothing()
{
    m_prompts->answerOpenFiles({});
    QVERIFY(!m_window->askForFile());
    QCOMPARE(m_window->windowTitle(), "Dump");

    QVERIFY(m_window->openFile(m_small));
    m_window->view()->setSelection(5, 5);
    m_prompts->answerMessage(PromptAnswer::Ok);
    QVERIFY(!m_window->openFile(m_dir.path()));
    QCOMPARE(m_prompts->messagesAsked(), QStringList{m_dir.path() + " is a folder, not a file."});
    QCOMPARE(m_window->filePath(), m_small);
    QCOMPARE(m_window->view()->dataSize(), 1000);
    QCOMPARE(m_window->view()->cursorOffset(), 5);
    QCOMPARE(m_window->windowTitle(), "small.bin - Dump");
}

void tst_DumpWindow::bigFilesScrollToTheirLastRow_data()
{
    QTest::addColumn<qint64>("size");
    // 4 G rows: more than a scroll bar's int can count one by one.
    QTest::newRow("64GB") << (qint64(1) << 36);
    QTest::newRow("odd-size-short-last-row") << (qint64(1) << 30) + 7;
}

void tst_DumpWindow::bigFilesScrollToTheirLastRow()
{
    QFETCH(qint64, size);
    const QString path = sparse(QString::number(size), size);
    if (path.isEmpty())
        QSKIP("no sparse files here");
    DumpView *view = m_window->view();
    QSignalSpy painted(view, &DumpView::firstRowsPainted);
    QVERIFY(m_window->openFile(path));
    QVERIFY(painted.wait());

    const qint64 rows = (size + 15) / 16;
    QCOMPARE(view->rowCount(), rows);
    QScrollBar *bar = view->verticalScrollBar();
    QVERIFY(bar->maximum() > 0);
    QVERIFY(bar->maximum() <= std::numeric_limits<int>::max());

    bar->setValue(bar->maximum());
    QCOMPARE(view->topRow(), rows - view->visibleRows());
    bar->setValue(bar->maximum() / 2);
    QVERIFY(qAbs(view->topRow() - rows / 2) <= rows / 1000 + 16);
    bar->setValue(0);
    QCOMPARE(view->topRow(), 0);

    view->setFocus();
    QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(view->cursorOffset(), size - 1);
    QCOMPARE(view->topRow(), rows - view->visibleRows());
    QCOMPARE(bar->value(), bar->maximum());
    QTest::keyClick(view, Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(view->topRow(), 0);
    QCOMPARE(bar->value(), 0);
}

void tst_DumpWindow::typedOffsets_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<qint64>("cursor");
    QTest::addColumn<QString>("message");
    QTest::newRow("inside") << "3E7" << qint64(999) << "";
    QTest::newRow("beyond-the-end")
        << "3E8" << qint64(0) << "Offset 3E8h is beyond the end of the file (1,000 bytes).";
    QTest::newRow("not-hex") << "12G" << qint64(0)
                             << "\"12G\" is not an offset. Type it in hex, for example 7C00 or "
                                "0x7C00.";
}

void tst_DumpWindow::typedOffsets()
{
    QFETCH(QString, typed);
    QFETCH(qint64, cursor);
    QFETCH(QString, message);
    QVERIFY(m_window->openFile(m_small));
    if (!message.isEmpty())
        m_prompts->answerMessage(PromptAnswer::Ok);

    m_window->findChild<QAction *>("actionGoToOffset")->trigger();
    auto *edit = m_window->findChild<QLineEdit *>("offsetEdit");
    QTRY_VERIFY(edit->hasFocus());
    QTest::keyClicks(edit, typed);
    QTest::keyClick(edit, Qt::Key_Return);

    QCOMPARE(m_window->view()->cursorOffset(), cursor);
    QCOMPARE(m_prompts->messagesAsked(), message.isEmpty() ? QStringList() : QStringList{message});
    if (message.isEmpty()) {
        const qint64 row = cursor / 16;
        QVERIFY(row >= m_window->view()->topRow());
        QVERIFY(row < m_window->view()->topRow() + m_window->view()->visibleRows());
    }
}

void tst_DumpWindow::clickAndShiftClickSelect()
{
    // Which column hits which byte is the format's test; here the mouse reaches it, in the
    // hex block after its gap and in the characters.
    QVERIFY(m_window->openFile(m_small));
    DumpView *view = m_window->view();
    for (bool character : {false, true}) {
        const qint64 offset = character ? 0x35 : 0x28;
        QTest::mouseClick(view->viewport(),
                          Qt::LeftButton,
                          {},
                          view->cellRect(offset, character).center());
        QCOMPARE(view->cursorOffset(), offset);
        QCOMPARE(view->selectionLength(), 1);
        // Shift-click on the row below extends from here.
        QTest::mouseClick(view->viewport(),
                          Qt::LeftButton,
                          Qt::ShiftModifier,
                          view->cellRect(offset + 16, character).center());
        QCOMPARE(view->selectionStart(), offset);
        QCOMPARE(view->selectionLength(), 17);
    }
}

void tst_DumpWindow::everyCellClickedSelectsItsByte_data()
{
    QTest::addColumn<QFont>("font");
    QTest::addColumn<bool>("fractional"); // the advance is not a whole number of pixels

    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    QTest::newRow("system fixed font") << font << false;
    font.setHintingPreference(QFont::PreferFullHinting);
    for (int pixels : {8, 13, 20}) {
        font.setPixelSize(pixels);
        QTest::addRow("%d px, hinted", pixels) << font << false;
    }
    // Unhinted, the advance keeps its fraction, which adds up along the 70 cells of a row.
    font.setHintingPreference(QFont::PreferNoHinting);
    for (int pixels : {9, 13, 17, 23}) {
        font.setPixelSize(pixels);
        QTest::addRow("%d px, fractional advance", pixels) << font << true;
    }
    font.setPointSizeF(10.5);
    QTest::newRow("10.5 pt, fractional advance") << font << true;
}

void tst_DumpWindow::everyCellClickedSelectsItsByte()
{
    QFETCH(QFont, font);
    QFETCH(bool, fractional);
    QVERIFY(m_window->openFile(m_small));
    DumpView *view = m_window->view();
    view->setFont(font);
    m_window->resize(2000, 600);
    QTRY_COMPARE(view->horizontalScrollBar()->maximum(), 0);

    // Where the text really is: a row is drawn as one string, so each cell begins at the advance
    // of the text before it.
    const QFontMetricsF metrics(view->font(), view->viewport());
    const qreal advance = metrics.horizontalAdvance(QLatin1Char('0'));
    if (fractional && advance == qFloor(advance))
        QSKIP("this font engine gives whole-pixel advances here");
    const int line = 2;
    const qint64 rowStart = line * DumpFormat::BytesPerRow;
    const QByteArray bytes = readFileBytes(m_small).mid(rowStart, DumpFormat::BytesPerRow);
    const QString row = view->format().row(rowStart,
                                           reinterpret_cast<const uchar *>(bytes.constData()),
                                           DumpFormat::BytesPerRow);
    const int lineHeight = QFontMetrics(view->font()).height();
    const qreal y = DumpView::Margin + line * lineHeight + lineHeight / 2.0;
    for (bool character : {false, true}) {
        for (int byte = 0; byte < DumpFormat::BytesPerRow; ++byte) {
            const int column = character ? view->format().charColumn(byte)
                                         : view->format().hexColumn(byte);
            const int cells = character ? 1 : 2;
            const qreal x = DumpView::Margin + metrics.horizontalAdvance(row.left(column))
                            + metrics.horizontalAdvance(row.mid(column, cells)) / 2;
            const QPoint centre(qFloor(x), qFloor(y));
            const QString where = QStringLiteral("%1 %2 at x %3")
                                      .arg(character ? "character" : "hex pair")
                                      .arg(byte)
                                      .arg(x);
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, centre);
            QVERIFY2(view->cursorOffset() == rowStart + byte, qPrintable(where));
            // The highlight covers the text it stands for.
            QVERIFY2(view->cellRect(rowStart + byte, character).contains(centre), qPrintable(where));
        }
    }
}

void tst_DumpWindow::keysMoveAndExtendTheSelection()
{
    QVERIFY(m_window->openFile(m_small));
    DumpView *view = m_window->view();
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Right);
    QTest::keyClick(view, Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(view->selectionStart(), 1);
    QCOMPARE(view->selectionLength(), 17);
    QTest::keyClick(view, Qt::Key_Left);
    QCOMPARE(view->cursorOffset(), 16);
    QCOMPARE(view->selectionLength(), 1);
    // Never past either end.
    QTest::keyClick(view, Qt::Key_Up);
    QTest::keyClick(view, Qt::Key_Up);
    QCOMPARE(view->cursorOffset(), 0);
    QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(view, Qt::Key_Down);
    QCOMPARE(view->cursorOffset(), 999);
    QTest::keyClick(view, Qt::Key_PageUp);
    QCOMPARE(view->cursorOffset(), 999 - 16 * view->visibleRows());
}

void tst_DumpWindow::selectionIsCopiedAsHex()
{
    QVERIFY(m_window->openFile(m_small));
    m_window->view()->setSelection(0x21, 0x0E); // backwards: anchor after cursor
    QAction *copy = m_window->findChild<QAction *>("actionCopy");
    copy->trigger();
    const QString copied = "0E 0F 10 11 12 13 14 15 16 17 18 19 1A 1B 1C 1D\n1E 1F 20 21";
    QCOMPARE(QApplication::clipboard()->text(), copied);

    // One byte over the limit is refused and the clipboard keeps what it had.
    const QString path = sparse("huge-selection", DumpWindow::MaxCopyBytes + 1);
    if (path.isEmpty())
        QSKIP("no sparse files here");
    QVERIFY(m_window->openFile(path));
    m_window->findChild<QAction *>("actionSelectAll")->trigger();
    m_prompts->answerMessage(PromptAnswer::Ok);
    copy->trigger();
    QCOMPARE(m_prompts->messagesAsked(),
             QStringList{"The selection of 16,777,217 bytes is too large to copy; at most "
                         "16,777,216 bytes can be copied as hex."});
    QCOMPARE(QApplication::clipboard()->text(), copied);
}

void tst_DumpWindow::copyWhileTheFileShrinks()
{
    // Another program shortens and regrows the file while selections are copied: the copy must
    // never touch the mapping's pages past the file's end of the moment (SIGBUS), and says so
    // when the bytes were gone.
    constexpr qint64 Size = 4 * 1024 * 1024;
    const QString path = sparse("shrinking.bin", Size);
    if (path.isEmpty())
        QSKIP("no sparse files here");
    QVERIFY(m_window->openFile(path));
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CLOEXEC);
    QVERIFY(fd >= 0);
    std::atomic<bool> stop = false;
    std::atomic<int> toggles = 0;
    std::thread shrinker([&] {
        while (!stop) {
            if (::ftruncate(fd, Size / 2) != 0 || ::ftruncate(fd, Size) != 0)
                break;
            ++toggles;
        }
    });
    constexpr int Copies = 12;
    for (int i = 0; i < Copies; ++i)
        m_prompts->answerMessage(PromptAnswer::Ok);
    int copied = 0;
    for (int i = 0; i < Copies; ++i) {
        QApplication::clipboard()->clear();
        m_window->view()->setSelection(0, Size - 1);
        m_window->findChild<QAction *>("actionCopy")->trigger();
        if (QApplication::clipboard()->text().size() == 3 * Size - 1)
            ++copied;
    }
    stop = true;
    shrinker.join();
    ::close(fd);
    QVERIFY(toggles > 0);
    const QString changed = path + " changed on disk while it was copied; nothing was copied.";
    QCOMPARE(m_prompts->messagesAsked().size() + copied, Copies);
    for (const QString &message : m_prompts->messagesAsked())
        QCOMPARE(message, changed);
    m_prompts->clear(); // the answers the copies that got all their bytes did not need
}

void tst_DumpWindow::fileChangedOnDisk_data()
{
    QTest::addColumn<qint64>("newSize"); // -1: deleted
    QTest::addColumn<qint64>("shownSize");
    QTest::addColumn<qint64>("cursor");
    QTest::addColumn<QString>("message");
    // Painting from the old mapping's pages past the new end would kill the program (SIGBUS).
    QTest::newRow("shortened") << qint64(1000) << qint64(1000) << qint64(999) << "";
    QTest::newRow("grown") << qint64(100000) << qint64(100000) << qint64(60000) << "";
    QTest::newRow("emptied") << qint64(0) << qint64(0) << qint64(0)
                             << "%1 changed on disk and can no longer be shown:\n%1 is empty.";
    // The mapping keeps the bytes of a deleted file; they stay on show.
    QTest::newRow("deleted") << qint64(-1) << qint64(65536) << qint64(60000) << "";
}

void tst_DumpWindow::fileChangedOnDisk()
{
    QFETCH(qint64, newSize);
    QFETCH(qint64, shownSize);
    QFETCH(qint64, cursor);
    QFETCH(QString, message);
    const QString path = write("changing.bin", QByteArray(65536, 'x'));
    QVERIFY(m_window->openFile(path));
    DumpView *view = m_window->view();
    QVERIFY(view->goToOffset(60000));
    if (!message.isEmpty())
        m_prompts->answerMessage(PromptAnswer::Ok);

    if (newSize < 0) {
        QVERIFY(QFile::remove(path));
    } else {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.resize(newSize));
    }
    view->viewport()->repaint(); // before the change notice has come
    QTRY_COMPARE(view->dataSize(), shownSize);
    QCOMPARE(view->cursorOffset(), cursor);
    if (!message.isEmpty()) {
        QTRY_COMPARE(m_prompts->messagesAsked(), QStringList{message.arg(path)});
        QCOMPARE(m_window->windowTitle(), "Dump");
    } else {
        QCOMPARE(m_window->windowTitle(), "changing.bin - Dump");
    }
}

void tst_DumpWindow::fileShrinksWhileRowsArePainted_data()
{
    QTest::addColumn<qint64>("newSize");
    QTest::addColumn<qint64>("cursor");
    QTest::addColumn<QString>("message");
    // The rows in sight start four rows before the 4 KB page at 61440; the cursor is on the
    // first of them. A mapped page wholly past the end is the one that kills when touched.
    QTest::newRow("cut-before-the-rows-in-sight") << qint64(1000) << qint64(999) << "";
    QTest::newRow("cut-inside-the-rows-in-sight-at-a-page") << qint64(61440) << qint64(61376) << "";
    // Past the rows in sight the paint has all it needs; the change notice still comes.
    QTest::newRow("cut-after-the-rows-in-sight") << qint64(65000) << qint64(61376) << "";
    QTest::newRow("emptied") << qint64(0) << qint64(0)
                             << "%1 changed on disk and can no longer be shown:\n%1 is empty.";
}

void tst_DumpWindow::fileShrinksWhileRowsArePainted()
{
    QFETCH(qint64, newSize);
    QFETCH(qint64, cursor);
    QFETCH(QString, message);
    const QString path = write("shrinking.bin", QByteArray(65536, 'x'));
    QVERIFY(m_window->openFile(path));
    DumpView *view = m_window->view();
    QVERIFY(view->goToOffset(61376));
    view->setTopRow(61376 / 16);
    QCOMPARE(view->topRow(), 61376 / 16);
    QVERIFY(view->topRow() * 16 + view->visibleRows() * 16 < 65000);
    if (!message.isEmpty())
        m_prompts->answerMessage(PromptAnswer::Ok);

    // Connected after the window's own check of the size, so the file shrinks after that check
    // and before the rows are read: touching the old mapping there would kill the program.
    QObject guard;
    bool shrunk = false;
    connect(view, &DumpView::aboutToPaint, &guard, [&] {
        if (!shrunk)
            shrunk = QFile::resize(path, newSize);
    });
    view->viewport()->repaint();
    QVERIFY(shrunk);
    QTRY_COMPARE(view->dataSize(), newSize);
    QCOMPARE(view->cursorOffset(), cursor);
    if (!message.isEmpty()) {
        QTRY_COMPARE(m_prompts->messagesAsked(), QStringList{message.arg(path)});
        QCOMPARE(m_window->windowTitle(), "Dump");
    }
}

QTEST_MAIN(tst_DumpWindow)
#include "tst_dumpwindow.moc"
