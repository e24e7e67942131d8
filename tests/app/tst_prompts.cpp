#include "ScriptedPrompts.h"

#include <QTest>

class tst_Prompts : public QObject
{
    Q_OBJECT

private slots:
    void classicFiltersBecomeQtFilters_data();
    void classicFiltersBecomeQtFilters();
    void scriptedAnswersComeInOrderAndAreRecorded();
};

void tst_Prompts::classicFiltersBecomeQtFilters_data()
{
    QTest::addColumn<QString>("classic");
    QTest::addColumn<QString>("qt");
    QTest::newRow("open-dialog")
        << ".asm files (.asm)|*.asm|.asm files (.inc)|*.inc|All Files (*.*)|*.*||"
        << ".asm files (.asm) (*.asm);;.asm files (.inc) (*.inc);;All Files (*.*) (*)";
    QTest::newRow("several-patterns") << "Sources|*.asm;*.inc||"
                                      << "Sources (*.asm *.inc)";
    QTest::newRow("empty") << ""
                           << "";
}

void tst_Prompts::classicFiltersBecomeQtFilters()
{
    QFETCH(QString, classic);
    QFETCH(QString, qt);
    QCOMPARE(Prompts::filterFromClassic(classic), qt);
}

void tst_Prompts::scriptedAnswersComeInOrderAndAreRecorded()
{
    ScriptedPrompts prompts;
    prompts.answerMessage(PromptAnswer::No);
    prompts.answerSaveFile("/tmp/x.asm");
    QCOMPARE(Prompts::instance().message("Save changes to: a", PromptButtons::YesNoCancel),
             PromptAnswer::No);
    FileDialogRequest req;
    req.caption = "Save As";
    QCOMPARE(Prompts::instance().saveFile(req), QString("/tmp/x.asm"));
    QVERIFY(prompts.allAnswered());
    QCOMPARE(prompts.messagesAsked(), QStringList{"Save changes to: a"});
    QCOMPARE(prompts.asked().at(0).buttons, PromptButtons::YesNoCancel);
}

QTEST_GUILESS_MAIN(tst_Prompts)
#include "tst_prompts.moc"
