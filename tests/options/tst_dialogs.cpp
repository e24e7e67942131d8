#include "options/ui/CAboutDlg.h"
#include "options/ui/CFirstTimeInstallDlg.h"

#include <QPushButton>
#include <QTest>
#include <QTimer>

// The about box and the first-run notice, as the user meets them.
class tst_Dialogs : public QObject
{
    Q_OBJECT

private slots:
    void aboutBox();
    void firstRunNotice_data();
    void firstRunNotice();
};

void tst_Dialogs::aboutBox()
{
    CAboutDlg about;
    auto *version = about.findChild<QPushButton *>("ctl_1070");
    QVERIFY(!version->isEnabled()); // no version check yet

    int checks = 0;
    about.setVersionCheck([&checks] { ++checks; });
    QVERIFY(version->isEnabled());
    version->click();
    QCOMPARE(checks, 1);
}

void tst_Dialogs::firstRunNotice_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("result");
    QTest::newRow("accept") << "ctl_1" << int(QDialog::Accepted);
    QTest::newRow("cancel") << "ctl_2" << int(QDialog::Rejected);
}

void tst_Dialogs::firstRunNotice()
{
    QFETCH(QString, button);
    QFETCH(int, result);
    CFirstTimeInstallDlg notice;
    QVERIFY(notice.findChild<QPushButton *>("ctl_1")->isDefault());
    // As start-up shows it: modal, answered by a click once it is up.
    QTimer::singleShot(0, &notice, [&notice, button] {
        notice.findChild<QPushButton *>(button)->click();
    });
    QCOMPARE(notice.exec(), result);
}

QTEST_MAIN(tst_Dialogs)
#include "tst_dialogs.moc"
