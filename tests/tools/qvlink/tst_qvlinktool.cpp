#include <QtTest>
class tst_QvLinkTool : public QObject
{
    Q_OBJECT
};
QTEST_GUILESS_MAIN(tst_QvLinkTool)
#include "tst_qvlinktool.moc"
