// Detailed Find as the user meets it: from the click on the dialog's Find to the count line in
// the output pane, painted, through the real command, dialog, worker thread and pane.
//
//   bench_findinfilesdlg [--runs N] [--text bufptr] [--types "*.asm, *.inc"] FOLDER
//
// Case-blind, whole words, sub-folders (grep -rniw). Prints the hit lines written, then the
// median, minimum and maximum wall time. QT_QPA_PLATFORM=offscreen, or a display.
#include "BenchSupport.h"
#include "base/CommandIds.h"
#include "base/CommandMap.h"
#include "base/SettingsStore.h"
#include "frame/CommandRouter.h"
#include "frame/ui/CMainFrame.h"
#include "frame/ui/DocumentWindow.h"
#include "make/ui/CMyView.h"
#include "search/ui/CFindInFilesDlg.h"
#include "search/ui/FindInFilesCommand.h"
#include "search/ui/FindInFilesRun.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDockWidget>
#include <QEventLoop>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTimer>

#include <cstdio>
#include <vector>

namespace {

// A document window as the frame sees one: the command needs only its view table.
class Window : public QMdiSubWindow, public DocumentWindow
{
public:
    Window()
    {
        m_editor = new QPlainTextEdit;
        setWidget(m_editor);
    }
    CommandMap *viewCommands() override { return &m_view; }
    CommandMap *documentCommands() override { return &m_doc; }
    CommandMap *frameCommands() override { return &m_frame; }
    QPlainTextEdit *editorView() override { return m_editor; }

private:
    CommandMap m_view, m_doc, m_frame;
    QPlainTextEdit *m_editor;
};

} // namespace

int main(int argc, char **argv)
{
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &text) {
        if (type != QtWarningMsg || !text.contains(QLatin1String("does not support")))
            std::fprintf(stderr, "%s\n", qPrintable(text));
    });
    QApplication app(argc, argv);
    int runs = 9;
    QString text = QStringLiteral("bufptr");
    QString types = QStringLiteral("*.asm, *.inc");
    QString folder;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--runs") && i + 1 < args.size())
            runs = args[++i].toInt();
        else if (args[i] == QLatin1String("--text") && i + 1 < args.size())
            text = args[++i];
        else if (args[i] == QLatin1String("--types") && i + 1 < args.size())
            types = args[++i];
        else
            folder = args[i];
    }
    if (folder.isEmpty() || runs < 1) {
        std::fprintf(stderr, "usage: bench_findinfilesdlg [--runs N] [--text T] [--types L] DIR\n");
        return 2;
    }
    BenchPrompts prompts;
    Prompts::setInstance(&prompts);
    QTemporaryDir dir;
    SettingsStore::setFilePath(dir.filePath("qvasmide.ini"));

    CMainFrame frame;
    auto *pane = new CMyView;
    frame.setOutputPane(pane);
    auto *command = new FindInFilesCommand(
        &frame, [](const QString &) { return false; }, [](QMdiSubWindow *) { return QString(); });
    frame.resize(1000, 700);
    frame.show();
    auto *window = new Window;
    frame.mdiArea()->addSubWindow(window);
    window->showMaximized();
    frame.mdiArea()->setActiveSubWindow(window);
    frame.router().refresh();
    frame.viewBar()->show();

    std::vector<double> times;
    qint64 lines = 0;
    for (int r = 0; r <= runs; ++r) { // the first run warms the page cache and the pane
        qint64 clicked = 0;
        QTimer::singleShot(0, &frame, [&] {
            auto *dlg = qobject_cast<CFindInFilesDlg *>(QApplication::activeModalWidget());
            if (!dlg) {
                std::fprintf(stderr, "no dialog\n");
                std::exit(1);
            }
            dlg->findChild<QLineEdit *>(QStringLiteral("ctl_1047"))->setText(text);
            dlg->findChild<QComboBox *>(QStringLiteral("ctl_1084"))->setEditText(types);
            dlg->findChild<QLineEdit *>(QStringLiteral("ctl_1055"))->setText(folder);
            dlg->findChild<QCheckBox *>(QStringLiteral("ctl_1048"))->setChecked(false);
            dlg->findChild<QCheckBox *>(QStringLiteral("ctl_1049"))->setChecked(true);
            dlg->findChild<QCheckBox *>(QStringLiteral("ctl_1050"))->setChecked(true);
            clicked = monotonicNs();
            dlg->findChild<QPushButton *>(QStringLiteral("ctl_1"))->click();
        });
        frame.router().dispatch(ID_EDIT_DETAILED_FIND);
        FindInFilesRun *run = command->lastRun();
        if (!run) {
            std::fprintf(stderr, "no search\n");
            return 1;
        }
        QEventLoop loop;
        QObject::connect(run, &FindInFilesRun::finished, &loop, [&](qint64 count, bool) {
            lines = count;
            loop.quit();
        });
        if (run->isRunning())
            loop.exec();
        // The count line is in the pane; the user sees it once it is painted.
        pane->repaint();
        const qint64 shown = monotonicNs();
        if (r > 0)
            times.push_back((shown - clicked) / 1e6);
        QCoreApplication::processEvents();
    }
    const QString last = pane->document()->lastBlock().previous().text();
    std::printf("%lld hit lines, pane ends with: %s\n", (long long) lines, qPrintable(last));
    std::printf("Find -> count line painted: median %.1f ms, min %.1f, max %.1f (%d runs)\n",
                median(times),
                *std::min_element(times.begin(), times.end()),
                *std::max_element(times.begin(), times.end()),
                runs);
    return 0;
}
