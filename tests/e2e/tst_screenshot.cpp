// The picture of the program the README shows: a workspace opened from the command line (its
// tree, its coloured main file), Assemble on a source with an error, and the Build Window over
// the main window, on an X server, written where QVASMIDE_SCREENSHOT says (the build folder;
// `./dev screenshot` copies it into docs/).
#include "FirstStart.h"
#include "app/ui/CQvasmApp.h"
#include "app/ui/DocumentTemplate.h"
#include "app/ui/Subsystems.h"
#include "base/CommandIds.h"
#include "frame/CommandRouter.h"
#include "frame/ui/CMainFrame.h"
#include "frame/ui/DocumentWindow.h"
#include "make/ui/CBuildWindowDlg.h"
#include "make/ui/CMyView.h"
#include "workspace/WorkspaceRecord.h"

#include "TestFiles.h"
#include "TestSettings.h"
#include "WorkspaceFiles.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

class tst_Screenshot : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void mainWindowWithBuildWindow();

private:
    std::optional<TestSettings> m_settings;
    QTemporaryDir m_dir;
};

void tst_Screenshot::initTestCase()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X server (run under xvfb-run)");
    const QString programDir = qEnvironmentVariable("QVASMIDE_PROGRAM_DIR");
    if (!QFileInfo(programDir + "/tools/qvasm").isExecutable())
        QSKIP("qvasm is not built");
    m_settings.emplace();

    // A small .COM project as the wizard leaves it, with one mistake in it.
    const QString project = m_dir.filePath("hello");
    QVERIFY(QDir().mkpath(project));
    const QString main = project + "/hello.asm";
    QVERIFY(writeFileBytes(main,
                           "; hello.asm - prints a greeting\r\n"
                           ".model tiny\r\n"
                           ".code\r\n"
                           "        org     100h\r\n"
                           "start:\r\n"
                           "        mov     dx, offset greeting\r\n"
                           "        mov     ah, 9           ; DOS: print string\r\n"
                           "        int     21h\r\n"
                           "        mov     cx, count\r\n"
                           "        mov     ax, 4C00h       ; DOS: end program\r\n"
                           "        int     21h\r\n"
                           "\r\n"
                           "greeting db     'Hello from QVASM!', 13, 10, '$'\r\n"
                           ".end\r\n"));
    QVERIFY(QFile::copy(programDir + "/tools/include/qvasmc.inc", project + "/qvasmc.inc"));
    WorkspaceRecord r;
    r.setOpen(true);
    r.setWorkspaceFilePath(project + "/hello.qvw");
    r.setMainFile(main);
    r.setTargetFile(project + "/hello.com");
    r.appendEntry(member(main, true, true));
    r.appendEntry(member(project + "/qvasmc.inc"));
    QVERIFY(r.save());

    CQvasmApp &app = *CQvasmApp::instance();
    app.setCommandLineFile(project + "/hello.qvw");
    QVERIFY(startForTheFirstTime(app, programDir));
    CMainFrame *frame = app.mainFrame();
    QVERIFY(frame);
    frame->setGeometry(QRect(0, 0, 1000, 660));
    QVERIFY(QTest::qWaitForWindowExposed(frame));
}

void tst_Screenshot::cleanupTestCase()
{
    closeTheProgram();
    m_settings.reset();
}

void tst_Screenshot::mainWindowWithBuildWindow()
{
    CMainFrame *frame = CQvasmApp::instance()->mainFrame();
    QTRY_VERIFY(frame->activeDocumentWindow());
    QTRY_VERIFY(frame->treeControl()->model()->rowCount() > 0);
    frame->treeControl()->expandAll();
    if (QMdiSubWindow *w = frame->activeDocumentFrame())
        w->showMaximized();
    QTRY_VERIFY(frame->windowTitle().contains("hello.asm"));

    QImage shot;
    int rows = -1;
    auto *watcher = new QTimer(this);
    watcher->setInterval(20);
    connect(watcher, &QTimer::timeout, this, [&] {
        auto *dlg = qobject_cast<CBuildWindowDlg *>(QApplication::activeModalWidget());
        if (!dlg || !dlg->isVisible())
            return;
        watcher->stop();
        rows = dlg->output().count();
        dlg->selectRow(0);
        // Beside the source, so both show. The picture is what each window paints, put together
        // where they stand: no window manager draws frames here, and nothing waits on the server.
        dlg->resize(dlg->minimumSizeHint());
        dlg->move(frame->geometry().right() - dlg->width() - 16,
                  frame->geometry().bottom() - dlg->height() - 40);
        shot = frame->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QPainter painter(&shot);
        painter.drawPixmap(dlg->geometry().topLeft() - frame->geometry().topLeft(), dlg->grab());
        painter.end();
        dlg->findChild<QPushButton *>("ctl_2")->click(); // Close
    });
    watcher->start();
    QVERIFY(frame->router().dispatch(ID_MAKE_ASSEMBLE));
    delete watcher;

    QVERIFY2(rows >= 1, qPrintable(QString::number(rows)));
    QVERIFY(!shot.isNull());
    QCOMPARE(shot.size(), frame->size());
    // A coloured source: many colours, not a blank or one-colour screen.
    QSet<QRgb> colours;
    for (int y = 0; y < shot.height(); y += 3)
        for (int x = 0; x < shot.width(); x += 3)
            colours.insert(shot.pixel(x, y));
    QVERIFY2(colours.size() > 50, qPrintable(QString::number(colours.size())));

    const QString out = qEnvironmentVariable("QVASMIDE_SCREENSHOT");
    QVERIFY(!out.isEmpty());
    QVERIFY(QDir().mkpath(QFileInfo(out).absolutePath()));
    QVERIFY(shot.save(out, "PNG"));
}

int main(int argc, char *argv[])
{
    CQvasmApp app(argc, argv);
    app.setSingleInstanceCheck(false);
    tst_Screenshot test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_screenshot.moc"
