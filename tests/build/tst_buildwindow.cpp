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
// buttons and the list's double-click do. How a capture is read is the parser's test.
class tst_BuildWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void listsAndTotalsTheCapture();
    void capturesLengthIsReDerived();
    void buttonsFollowTheSelectedRow();
    void goToKeepsTheSelection();
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

void tst_BuildWindow::listsAndTotalsTheCapture()
{
    CBuildWindowDlg dlg(kThree, QStringLiteral("03h"));
    auto *list = dlg.findChild<QListView *>(QStringLiteral("ctl_1036"));
    QCOMPARE(list->model()->rowCount(), 4);
    QVERIFY(!list->model()->index(0, 0).data().toString().contains('\t'));
    QCOMPARE(boxText(dlg, 1040), QStringLiteral("1234"));
    QCOMPARE(boxText(dlg, 1038), QStringLiteral("2"));
    QCOMPARE(boxText(dlg, 1039), QStringLiteral("1"));
    QCOMPARE(boxText(dlg, 1041), QStringLiteral("03h"));
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

void tst_BuildWindow::buttonsFollowTheSelectedRow()
{
    CBuildWindowDlg dlg(kThree, QStringLiteral("03h"));
    for (int row : {1, 2}) { // a continuation line, then a diagnostic
        dlg.selectRow(row);
        QCOMPARE(dlg.findChild<QPushButton *>("ctl_1")->isEnabled(), row == 2);
        QCOMPARE(dlg.findChild<QPushButton *>("ctl_3")->isEnabled(), row == 2);
        QVERIFY(dlg.findChild<QPushButton *>("ctl_2")->isEnabled());
    }
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

void tst_BuildWindow::errorInfoExplainsTheSelectedCode()
{
    ScriptedPrompts prompts;
    prompts.answerMessage(PromptAnswer::Ok);
    CBuildWindowDlg example(kExample, QStringLiteral("01h"));
    example.findChild<QPushButton *>("ctl_3")->click();
    QCOMPARE(prompts.asked().at(0).text,
             QStringLiteral("QVASM error return information:\nError:   Ch\n"
                            ":  Include file not found"));
    QCOMPARE(prompts.asked().at(0).icon, PromptIcon::Information);
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
    QCOMPARE(dlg.selectedRow(), 1); // the kept row comes back
    dlg.findChild<QPushButton *>("ctl_2")->click();
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QCOMPARE(dlg.totalErrors(), 2u);
    QCOMPARE(dlg.totalDiagnostics(), 1u);
    QCOMPARE(dlg.fileName(), QString());
    QCOMPARE(BuildOutput::keptSelection(), 1); // only Go To keeps a selection
}

QTEST_MAIN(tst_BuildWindow)
#include "tst_buildwindow.moc"
