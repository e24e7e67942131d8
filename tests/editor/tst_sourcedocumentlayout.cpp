#include "editor/ui/SourceDocumentLayout.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include <memory>

// The source layout on a bare editor: which lines keep their shaped text between layouts.
class tst_SourceDocumentLayout : public QObject
{
    Q_OBJECT

private slots:
    void longLinesKeepTheirShapes_data();
    void longLinesKeepTheirShapes();
};

void tst_SourceDocumentLayout::longLinesKeepTheirShapes_data()
{
    QTest::addColumn<int>("characters");
    QTest::addColumn<bool>("kept");
    QTest::addColumn<bool>("keptOnceTyped");
    // A block's length counts its end, so a line of LongLine characters is one past the limit.
    QTest::newRow("source-line") << 40 << false << false;
    QTest::newRow("at-the-limit") << SourceDocumentLayout::LongLine - 1 << false << true;
    QTest::newRow("one-past-the-limit") << SourceDocumentLayout::LongLine << true << true;
    QTest::newRow("megabyte-line") << (1 << 20) << true << true;
}

void tst_SourceDocumentLayout::longLinesKeepTheirShapes()
{
    QFETCH(int, characters);
    QFETCH(bool, kept);
    QFETCH(bool, keptOnceTyped);
    const QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    std::unique_ptr<QTextDocument> doc(SourceDocumentLayout::createDocument(font, 32));
    doc->setPlainText(QStringLiteral("start:\n") + QString(characters, QLatin1Char('a'))
                      + QStringLiteral("\nret"));
    QPlainTextEdit view;
    view.setDocument(doc.get());
    view.resize(400, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QCoreApplication::processEvents();

    const QTextBlock line = doc->findBlockByNumber(1);
    QCOMPARE(line.layout()->cacheEnabled(), kept);
    QVERIFY(!doc->firstBlock().layout()->cacheEnabled());

    // Typing into the line lays it out again (a line typed past the limit starts keeping its
    // shapes), and the text is what was typed.
    QTextCursor cursor(line);
    cursor.setPosition(line.position() + characters / 2);
    view.setTextCursor(cursor);
    QTest::keyClick(&view, Qt::Key_B);
    QCoreApplication::processEvents();
    QCOMPARE(doc->findBlockByNumber(1).layout()->cacheEnabled(), keptOnceTyped);
    QCOMPARE(doc->findBlockByNumber(1).text().size(), characters + 1);
    QCOMPARE(doc->findBlockByNumber(1).text().at(characters / 2), QLatin1Char('b'));
}

QTEST_MAIN(tst_SourceDocumentLayout)
#include "tst_sourcedocumentlayout.moc"
