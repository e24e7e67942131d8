#include <QtTest>
class tst_QvLinkPrograms : public QObject
{
    Q_OBJECT
};
QTEST_GUILESS_MAIN(tst_QvLinkPrograms)
#include "tst_qvlinkprograms.moc"
