// The program on a screen of device pixel ratio 2 (QT_SCALE_FACTOR=2, set by the test's
// environment): the window, its icons and its text are drawn at twice the pixels, from the
// drawings themselves, not a small bitmap blown up.
#include "FirstStart.h"
#include "app/ui/CQvasmApp.h"
#include "app/ui/DocumentTemplate.h"
#include "app/ui/Subsystems.h"
#include "base/AppInfo.h"
#include "frame/ui/CMainFrame.h"

#include "TestSettings.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

class tst_HiDpi : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void windowIsDrawnAtTwice();
    void iconsAreDrawnAtTwiceFromTheirDrawing();
    void toolBarIconsHaveTwiceThePixels();

private:
    std::optional<TestSettings> m_settings;
};

void tst_HiDpi::initTestCase()
{
    m_settings.emplace();
    CQvasmApp &app = *CQvasmApp::instance();
    QVERIFY(startForTheFirstTime(app, qEnvironmentVariable("QVASMIDE_PROGRAM_DIR")));
}

void tst_HiDpi::cleanupTestCase()
{
    closeTheProgram();
    m_settings.reset();
}

void tst_HiDpi::windowIsDrawnAtTwice()
{
    CMainFrame *frame = CQvasmApp::instance()->mainFrame();
    QCOMPARE(frame->devicePixelRatioF(), 2.0);
    // Text and lines are painted into a buffer of twice the pixels.
    const QPixmap picture = frame->grab();
    QCOMPARE(picture.devicePixelRatio(), 2.0);
    QCOMPARE(picture.size(), frame->size() * 2);
}

void tst_HiDpi::iconsAreDrawnAtTwiceFromTheirDrawing()
{
    // The program's icon at 32 logical pixels is 64 device pixels, and they are the drawing's own
    // (the SVG rendered at 64), not a 32-pixel picture scaled up.
    const QIcon icon = CQvasmApp::instance()->mainFrame()->windowIcon();
    QVERIFY(!icon.isNull());
    const QPixmap pixmap = icon.pixmap(QSize(32, 32), 2.0);
    QCOMPARE(pixmap.devicePixelRatio(), 2.0);
    QCOMPARE(pixmap.size(), QSize(64, 64));

    QSvgRenderer svg(QString::fromLatin1(AppInfo::IconPath));
    QVERIFY(svg.isValid());
    QImage drawn(64, 64, QImage::Format_ARGB32_Premultiplied);
    drawn.fill(Qt::transparent);
    QPainter painter(&drawn);
    svg.render(&painter);
    painter.end();
    QImage blownUp(32, 32, QImage::Format_ARGB32_Premultiplied);
    blownUp.fill(Qt::transparent);
    QPainter small(&blownUp);
    svg.render(&small);
    small.end();
    QImage shown = pixmap.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    shown.setDevicePixelRatio(1.0); // the pixels alone are compared
    QCOMPARE(shown, drawn);
    QVERIFY(shown != blownUp.scaled(64, 64));
}

void tst_HiDpi::toolBarIconsHaveTwiceThePixels()
{
    CMainFrame *frame = CQvasmApp::instance()->mainFrame();
    int checked = 0;
    for (QToolBar *bar : frame->findChildren<QToolBar *>()) {
        for (QToolButton *button : bar->findChildren<QToolButton *>()) {
            if (button->icon().isNull())
                continue;
            const QPixmap pixmap = button->icon().pixmap(button->iconSize(),
                                                         button->devicePixelRatioF());
            // A drawing that is not square keeps its shape: it fills one side of the doubled box.
            const QSize box = button->iconSize() * 2;
            QVERIFY2(pixmap.width() == box.width() || pixmap.height() == box.height(),
                     qPrintable(button->toolTip()));
            QVERIFY(pixmap.width() <= box.width() && pixmap.height() <= box.height());
            ++checked;
        }
    }
    QVERIFY(checked > 10);
}

int main(int argc, char *argv[])
{
    CQvasmApp app(argc, argv);
    app.setSingleInstanceCheck(false);
    tst_HiDpi test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_hidpi.moc"
