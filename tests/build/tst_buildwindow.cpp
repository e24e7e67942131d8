#include "build/BuildOutput.h"
#include "build/CBuildWindowDlg.h"
#include "build/CaptureBuffer.h"

#include "ScriptedPrompts.h"

#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

// The Build Window over a capture: what it lists and totals, which row it selects, and what its
// buttons and the list's double-click do.
class tst_BuildWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void listsAndTotalsTheCapture_data();
    void listsAndTotalsTheCapture();
    void capturesLengthIsReDerived();
    void buttonsFollowTheSelectedRow_data();
    void buttonsFollowTheSelectedRow();
    void goToKeepsTheSelection();
    void keptSelectionIsSelectedAgain_data();
    void keptSelectionIsSelectedAgain();
    void errorInfoExplainsTheSelectedCode();
    void doubleClickOnContinuationExplainsAndStays();
    void closeReadsTheTotalsBack();

private:
    static QString boxText(const CBuildWindowDlg &dlg, int id);
};

namespace {

const QByteArray kExample = "\r\n"
                            "\tfoo.asm (12):  error 0Ch  x\r\n"
                            "\r\n"
                            "Symbols: 100\r\n"
                            "Errors: 1\r\n"
                            "Diags: 0\r\n";

const QByteArray kThree = "\r\n"
                          "\t/s/a.asm (3):  error 22h Syntax error\r\n"
                          "     mov ax,,\r\n"
                          "\t/s/a.asm (9):   diag 76h Could use SHORT jump\r\n"
                          "\t/s/b.inc (1):  error 9Ah odd\r\n"
                          "\r\n"
                          "Symbol space free: 1234\r\n"
                          "Total errors: 2\r\n"
                          "Total diags: 1\r\n";

} // namespace

void tst_BuildWindow::init()
{
    BuildOutput::setKeptSelection(-1);
}

QString tst_BuildWindow::boxText(const CBuildWindowDlg &dlg, int id)
{
    auto *box = dlg.findChild<QLineEdit *>(QStringLiteral("ctl_%1").arg(id));
    return box ? box->text() : QStringLiteral("<none>");
}

void tst_BuildWindow::listsAndTotalsTheCapture_data()
{
    QTest::addColumn<QByteArray>("capture");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QStringList>("totals"); // free, errors, diags

    QTest::newRow("one error") << kExample << 1 << QStringList{"100", "1", "0"};
    QTest::newRow("errors, continuation and diagnostic")
        << kThree << 4 << QStringList{"1234", "2", "1"};
    QTest::newRow("empty first line lists nothing")
        << QByteArray("\r\n\r\nA: 5\r\nB: 6\r\nC: 7\r\n") << 0 << QStringList{"5", "6", "7"};
    QTest::newRow("nothing at all") << QByteArray() << 0 << QStringList{"0", "0", "0"};
}

void tst_BuildWindow::listsAndTotalsTheCapture()
{
    QFETCH(QByteArray, capture);
    QFETCH(int, rows);
    QFETCH(QStringList, totals);
    CBuildWindowDlg dlg(capture, QStringLiteral("03h"));
    auto *list = dlg.findChild<QListView *>(QStringLiteral("ctl_1036"));
    QVERIFY(list);
    QCOMPARE(list->model()->rowCount(), rows);
    QCOMPARE(boxText(dlg, 1040), totals.at(0));
    QCOMPARE(boxText(dlg, 1038), totals.at(1));
    QCOMPARE(boxText(dlg, 1039), totals.at(2));
    QCOMPARE(boxText(dlg, 1041), QStringLiteral("03h"));
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Build Window"));
    if (rows > 0)
        QVERIFY(!list->model()->index(0, 0).data().toString().contains('\t'));
}

void tst_BuildWindow::capturesLengthIsReDerived()
{
    QByteArray withNul = kExample;
    withNul.insert(kExample.indexOf("Errors"), '\0');
    CaptureBuffer::instance().store(withNul.constData(), withNul.size());
    CaptureBuffer::instance().setLength(0);
    CBuildWindowDlg dlg(QStringLiteral("01h"));
    QCOMPARE(CaptureBuffer::instance().length(), quint32(kExample.indexOf("Errors")));
    QCOMPARE(dlg.output().count(), 1);
    QCOMPARE(boxText(dlg, 1040), QStringLiteral("100"));
    QCOMPARE(boxText(dlg, 1038), QStringLiteral("0")); // past the NUL nothing is read
}

void tst_BuildWindow::buttonsFollowTheSelectedRow_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("enabled");

    QTest::newRow("error line") << 0 << true;
    QTest::newRow("continuation line") << 1 << false;
    QTest::newRow("diagnostic line") << 2 << true;
}

void tst_BuildWindow::buttonsFollowTheSelectedRow()
{
    QFETCH(int, row);
    QFETCH(bool, enabled);
    CBuildWindowDlg dlg(kThree, QStringLiteral("03h"));
    dlg.selectRow(row);
    QCOMPARE(dlg.selectedRow(), row);
    QCOMPARE(dlg.findChild<QPushButton *>("ctl_1")->isEnabled(), enabled);
    QCOMPARE(dlg.findChild<QPushButton *>("ctl_3")->isEnabled(), enabled);
    QVERIFY(dlg.findChild<QPushButton *>("ctl_2")->isEnabled());
}

void tst_BuildWindow::goToKeepsTheSelection()
{
    ScriptedPrompts prompts;
    CBuildWindowDlg dlg(kThree, QStringLiteral("03h"));
    QCOMPARE(dlg.selectedRow(), 3); // a fresh selection is the last row
    dlg.selectRow(2);
    dlg.findChild<QPushButton *>("ctl_1")->click();
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(dlg.fileName(), QStringLiteral("/s/a.asm"));
    QCOMPARE(dlg.lineNumber(), 9);
    QCOMPARE(dlg.totalErrors(), 2u);
    QCOMPARE(BuildOutput::keptSelection(), 2);
    QVERIFY(prompts.asked().isEmpty());
}

void tst_BuildWindow::keptSelectionIsSelectedAgain_data()
{
    QTest::addColumn<int>("kept");
    QTest::addColumn<int>("selected");

    QTest::newRow("fresh selection is the last row") << -1 << 3;
    QTest::newRow("kept row") << 3 << 3;
    QTest::newRow("kept first row") << 0 << 0;
    QTest::newRow("kept row beyond a shorter list") << 7 << -1;
}

void tst_BuildWindow::keptSelectionIsSelectedAgain()
{
    QFETCH(int, kept);
    QFETCH(int, selected);
    BuildOutput::setKeptSelection(kept);
    CBuildWindowDlg dlg(kThree, QStringLiteral("03h"));
    QCOMPARE(dlg.selectedRow(), selected);
    QCOMPARE(dlg.findChild<QPushButton *>("ctl_1")->isEnabled(), selected == 0 || selected == 3);
}

void tst_BuildWindow::errorInfoExplainsTheSelectedCode()
{
    ScriptedPrompts prompts;
    prompts.answerMessage(PromptAnswer::Ok);
    prompts.answerMessage(PromptAnswer::Ok);
    CBuildWindowDlg example(kExample, QStringLiteral("01h"));
    example.findChild<QPushButton *>("ctl_3")->click();
    CBuildWindowDlg three(kThree, QStringLiteral("03h"));
    three.selectRow(3); // code 9Ah is past the catalogue
    three.findChild<QPushButton *>("ctl_3")->click();

    QCOMPARE(prompts.asked().size(), 2);
    QCOMPARE(prompts.asked().at(0).text,
             QStringLiteral("QVASM error return information:\nError:   Ch\n"
                            ":  Include file not found"));
    QCOMPARE(prompts.asked().at(0).icon, PromptIcon::Information);
    QCOMPARE(prompts.asked().at(1).text,
             QStringLiteral("QVASM error return information:\nError:  99h\n"
                            ":  Internal Asembler Error"));
    QVERIFY(prompts.allAnswered());
}

void tst_BuildWindow::doubleClickOnContinuationExplainsAndStays()
{
    ScriptedPrompts prompts;
    prompts.answerMessage(PromptAnswer::Ok);
    CBuildWindowDlg dlg(kThree, QStringLiteral("03h"));
    QSignalSpy finished(&dlg, &QDialog::finished);
    auto *list = dlg.findChild<QListView *>("ctl_1036");
    emit list->doubleClicked(list->model()->index(1, 0));
    QCOMPARE(prompts.messagesAsked(), QStringList{"Use Main Error line for this error"});
    QCOMPARE(finished.count(), 0);

    emit list->doubleClicked(list->model()->index(0, 0));
    QCOMPARE(finished.count(), 1);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(dlg.lineNumber(), 3);
    QCOMPARE(BuildOutput::keptSelection(), 0);
    QVERIFY(prompts.allAnswered());
}

void tst_BuildWindow::closeReadsTheTotalsBack()
{
    BuildOutput::setKeptSelection(1);
    CBuildWindowDlg dlg(kThree, QStringLiteral("03h"));
    dlg.findChild<QPushButton *>("ctl_2")->click();
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QCOMPARE(dlg.totalErrors(), 2u);
    QCOMPARE(dlg.totalDiagnostics(), 1u);
    QCOMPARE(dlg.fileName(), QString());
    QCOMPARE(BuildOutput::keptSelection(), 1); // only Go To keeps a selection
}

QTEST_MAIN(tst_BuildWindow)
#include "tst_buildwindow.moc"
