#include "Options.h"

#include <QTest>

#include <string>
#include <vector>

using namespace qvdisasm;

class tst_DisasmCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void switchesAreRead_data();
    void switchesAreRead();
    void badArgumentsAreRefused_data();
    void badArgumentsAreRefused();
};

namespace {

CommandLine parse(const QStringList &arguments)
{
    std::vector<std::string> storage;
    for (const QString &a : arguments)
        storage.push_back(a.toStdString());
    std::vector<std::string_view> views(storage.begin(), storage.end());
    return parseCommandLine(views);
}

} // namespace

void tst_DisasmCommandLine::switchesAreRead_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("file");
    QTest::addColumn<quint32>("origin");
    QTest::addColumn<quint32>("skip");
    QTest::addColumn<bool>("showBytes");
    QTest::addColumn<bool>("showOffset");
    QTest::addColumn<bool>("bits32");

    // What the IDE sends with its defaults.
    QTest::newRow("ide-defaults") << QStringList{"/a/b.com",
                                                 "/o0x00000100",
                                                 "/e0x00000000",
                                                 "/n",
                                                 "/N",
                                                 "/b"}
                                  << "/a/b.com" << 0x100u << 0u << false << false << false;
    QTest::newRow("boot-sector-32bit")
        << QStringList{"boot.bin", "/o0x00007C00", "/e0x00000200", "/B"} << "boot.bin" << 0x7C00u
        << 0x200u << true << true << true;
    // A path may begin like a switch; only exact switches count.
    QTest::newRow("path-starting-like-switches")
        << QStringList{"/opt/x.bin", "/N"} << "/opt/x.bin" << 0u << 0u << true << false << false;
    QTest::newRow("decimal-and-suffix-numbers") << QStringList{"f", "/o31744", "/e200h"} << "f"
                                                << 31744u << 0x200u << true << true << false;
    QTest::newRow("largest-skip") << QStringList{"f", "/e0xFFFFFFFF"} << "f" << 0u << 0xFFFFFFFFu
                                  << true << true << false;
    QTest::newRow("last-mode-wins")
        << QStringList{"f", "/B", "/b"} << "f" << 0u << 0u << true << true << false;
}

void tst_DisasmCommandLine::switchesAreRead()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, file);
    QFETCH(quint32, origin);
    QFETCH(quint32, skip);
    QFETCH(bool, showBytes);
    QFETCH(bool, showOffset);
    QFETCH(bool, bits32);
    const CommandLine result = parse(arguments);
    QVERIFY2(result.options.has_value(), result.error.c_str());
    const Options &o = *result.options;
    QCOMPARE(QString::fromStdString(o.file), file);
    QCOMPARE(o.origin, origin);
    QCOMPARE(o.skip, skip);
    QCOMPARE(o.showBytes, showBytes);
    QCOMPARE(o.showOffset, showOffset);
    QCOMPARE(o.bits32, bits32);
}

void tst_DisasmCommandLine::badArgumentsAreRefused_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("error");
    // No arguments, a skip past 4 GB and unknown switches: see the tool's own test.

    QTest::newRow("only-switches") << QStringList{"/n", "/N"} << QString(Usage);
    QTest::newRow("origin-beyond-4GB")
        << QStringList{"f", "/o4294967296"} << "origin is not a number below 4 GB: /o4294967296";
    QTest::newRow("hex-without-digits")
        << QStringList{"f", "/o0x"} << "origin is not a number below 4 GB: /o0x";
    QTest::newRow("hex-digit-in-decimal")
        << QStringList{"f", "/e7C00"} << "skip is not a number below 4 GB: /e7C00";
    QTest::newRow("second-file") << QStringList{"a", "b"} << "unknown switch: b";
    QTest::newRow("empty-argument") << QStringList{"a", ""} << "empty argument";
}

void tst_DisasmCommandLine::badArgumentsAreRefused()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, error);
    const CommandLine result = parse(arguments);
    QVERIFY(!result.options.has_value());
    QCOMPARE(QString::fromStdString(result.error), error);
}

QTEST_APPLESS_MAIN(tst_DisasmCommandLine)
#include "tst_disasmcommandline.moc"
