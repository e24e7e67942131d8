// One keystroke in a coloured 200,000-line source, through the real editor view:
//   bench_keystroke [FILE]
// Without a file it generates the 10 MiB source with gen_data.py and keeps its first 200,000
// lines. The view shows the middle of the text; each keystroke is a key press and release sent
// to the view and the event loop run until nothing is pending (the caret line's recolour, the
// pass over the lines in view and the repaint included). Figures: median, 90th percentile and
// maximum in microseconds, for a letter typed in a line, a double quote (it opens a string that
// runs on over the following lines) and Enter, with formatting on and, for comparison, off; each
// without the gutter and with line numbers and 1,000 error marks (one every 200 lines, and one
// on every fourth line around the middle, where the typing is).
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.

#include "base/ProgramValues.h"
#include "base/SettingsStore.h"
#include "editor/CQvasmDoc.h"
#include "editor/LineMarks.h"
#include "editor/ui/CChildFrame.h"
#include "editor/ui/CQvasmDocTemplate.h"
#include "editor/ui/CQvasmView.h"
#include "editor/ui/EditorAids.h"
#include "frame/ui/CMainFrame.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextBlock>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kLines = 200000;

qint64 keystroke(CQvasmView *view, int key, const QString &text)
{
    QElapsedTimer timer;
    timer.start();
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(view, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(view, &release);
    QCoreApplication::processEvents();
    return timer.nsecsElapsed();
}

void report(const char *what, std::vector<qint64> ns)
{
    std::sort(ns.begin(), ns.end());
    std::printf("  %-44s median %7.1f us   p90 %7.1f us   max %8.1f us   (%zu keys)\n",
                what,
                ns[ns.size() / 2] / 1e3,
                ns[ns.size() * 9 / 10] / 1e3,
                ns.back() / 1e3,
                ns.size());
}

void measure(CQvasmDocTemplate &documents, const QString &path, bool formatting, bool gutter)
{
    ProgramValues::instance().formatting = formatting;
    CQvasmDoc *doc = documents.openDocument(path);
    if (!doc) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(path));
        std::exit(1);
    }
    CQvasmView *view = CChildFrame::viewOf(doc);
    view->setLineNumbersShown(gutter);
    if (gutter && qEnvironmentVariableIsEmpty("BENCH_NO_MARKS")) {
        QList<LineMark> marks;
        for (int line = 1; marks.size() < 900; line += 200)
            marks.append(
                {line, LineMark::Kind::Error, QStringLiteral("error 22h: Syntax error"), 0});
        for (int line = kLines / 2 - 200; marks.size() < 1000; line += 4)
            marks.append({line, LineMark::Kind::Diagnostic, QStringLiteral("diag 76h"), 0});
        view->setLineMarks(marks);
    }
    view->setFocus();
    QCoreApplication::processEvents();
    std::printf("formatting %s, %s, %d lines:\n",
                formatting ? "on" : "off",
                gutter ? "line numbers and 1,000 marks" : "no gutter",
                doc->textDocument()->blockCount());

    // In the middle of the text: a word typed into each line of code, line after line.
    QTextBlock block = doc->textDocument()->findBlockByNumber(kLines / 2);
    const auto nextCodeLine = [&block] {
        block = block.next();
        while (block.isValid() && !block.text().startsWith(QLatin1String("        ")))
            block = block.next();
    };
    nextCodeLine();
    view->setSelection(block.position() + 8, block.position() + 8);
    view->centerCursor();
    QCoreApplication::processEvents();

    std::vector<qint64> letters;
    for (int i = 0; i < 400; ++i) {
        if (i % 8 == 0) {
            nextCodeLine();
            view->setSelection(block.position() + 8, block.position() + 8);
            view->ensureCursorVisible();
            QCoreApplication::processEvents();
        }
        letters.push_back(keystroke(view, Qt::Key_A + i % 26, QString(QChar(u'a' + i % 26))));
    }
    report("a letter in a line", letters);

    std::vector<qint64> quotes;
    for (int i = 0; i < 60; ++i) {
        quotes.push_back(keystroke(view, Qt::Key_QuoteDbl, QStringLiteral("\"")));
        keystroke(view, Qt::Key_Backspace, QString());
    }
    report("a double quote (a string runs on below)", quotes);

    std::vector<qint64> enters;
    for (int i = 0; i < 60; ++i) {
        enters.push_back(keystroke(view, Qt::Key_Return, QStringLiteral("\r")));
        keystroke(view, Qt::Key_Backspace, QString());
    }
    report("Enter (auto-indent)", enters);

    doc->SetModifiedFlag(false);
    documents.closeAllDocuments();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    SettingsStore::setFilePath(dir.filePath("qvasmide.ini"));
    SettingsStore::instance().writeInt("Settings", "usememberpopup", 0);

    QString source = app.arguments().value(1);
    if (source.isEmpty()) {
        const QString big = dir.filePath("asm_10M.asm");
        if (QProcess::execute("python3",
                              {QVASMIDE_BENCH_DIR "/gen_data.py",
                               "file",
                               "--size",
                               "10MiB",
                               "--seed",
                               "1",
                               "--out",
                               big})
            != 0) {
            std::fprintf(stderr, "gen_data.py failed\n");
            return 1;
        }
        source = big;
    }
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(source));
        return 1;
    }
    QByteArray cut;
    for (int l = 0; l < kLines && !in.atEnd(); ++l)
        cut += in.readLine();
    const QString path = dir.filePath("lines200k.asm");
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(cut) != cut.size())
        return 1;
    out.close();

    CMainFrame frame;
    frame.resize(1200, 900);
    CQvasmDocTemplate documents;
    documents.setMainFrame(&frame);
    new EditorAids(&frame);
    frame.show();
    QCoreApplication::processEvents();

    // Alternating, each on a freshly opened text.
    const int rounds = qEnvironmentVariableIntValue("BENCH_ROUNDS") > 0
                           ? qEnvironmentVariableIntValue("BENCH_ROUNDS")
                           : 2;
    for (int round = 0; round < rounds; ++round) {
        for (bool gutter : {false, true}) {
            measure(documents, path, true, gutter);
            measure(documents, path, false, gutter);
        }
    }
    return 0;
}
