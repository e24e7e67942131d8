// The qvlink program through its command line: the output the Build Window reads, the exit
// code, the switches, and bad input of every kind ending in an error line and no .exe.
#include "OmfBuilder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

Q_DECLARE_METATYPE(std::string)

namespace {

using OB = OmfBuilder;

QString qvlink()
{
    return qEnvironmentVariable("QVASMIDE_PROGRAM_DIR") + "/tools/qvlink";
}

struct Run
{
    int exitCode = -1;
    QString out;
};

Run run(const QStringList &args, const QString &dir)
{
    QProcess p;
    p.setWorkingDirectory(dir);
    p.start(qvlink(), args);
    Run r;
    if (!p.waitForFinished(30000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.exitCode = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    return r;
}

void writeFile(const QString &path, const std::string &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes.data(), qint64(bytes.size()));
}

// A program that links: code, a stack and a start address; `externals` names left unresolved.
std::string goodObject(int externals = 0)
{
    OB b;
    b.theadr().lnames({"", "CODE", "STACK"});
    b.segdef(0x68, 4, 2, 2).segdef(0x74, 0x40, 3, 3).ledata(1, 0, "\xB4\x4C\xCD\x21");
    for (int i = 0; i < externals; ++i)
        b.extdef({"missing" + std::to_string(i)});
    b.modendStart(0, 1, 0, 1, 0);
    return b.bytes;
}

std::string withSegments(int count)
{
    OB b;
    b.theadr().lnames({"", "C"});
    for (int i = 0; i < count; ++i)
        b.segdef(0x28, 1, 2, 2);
    b.modendStart(0, 1, 0, 1, 0);
    return b.bytes;
}

} // namespace

class tst_QvLinkTool : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void linksAndReports();
    void badInput_data();
    void badInput();
    void specialFiles_data();
    void specialFiles();
    void switches_data();
    void switches();
    void targetThatIsNotAFile();
    void mapThatIsNotAFile();
    void targetThatIsAnObject();
    void exitCodeStopsAt255_data();
    void exitCodeStopsAt255();
};

void tst_QvLinkTool::initTestCase()
{
    QVERIFY2(QFile::exists(qvlink()), qPrintable(qvlink()));
}

void tst_QvLinkTool::linksAndReports()
{
    QTemporaryDir dir;
    writeFile(dir.filePath("prog.obj"), goodObject());
    const Run r = run({"prog.obj", "/m"}, dir.path());
    QCOMPARE(r.exitCode, 0);
    const QStringList lines = r.out.split("\r\n");
    QCOMPARE(lines.first(), QString());
    QCOMPARE(lines.at(1), QString());
    QVERIFY(lines.at(2).startsWith("Symbol space free:"));
    QCOMPARE(lines.at(3), QString("Total errors:        0"));
    QCOMPARE(lines.at(4), QString("Total diags:         0"));
    QVERIFY2(r.out.contains("Bytes written:       36 to prog.exe\r\n"), qPrintable(r.out));
    QVERIFY(r.out.contains("Map:                 prog.map\r\n"));
    QVERIFY(!r.out.contains('\n' + QString("\n"))); // every line ends in CR LF
    QCOMPARE(QFileInfo(dir.filePath("prog.exe")).size(), 36);
    QVERIFY(QFile::exists(dir.filePath("prog.map")));
}

void tst_QvLinkTool::badInput_data()
{
    QTest::addColumn<std::string>("object");
    QTest::addColumn<QString>("error"); // the error line after the object's path

    const std::string good = goodObject();
    QTest::newRow("truncated object")
        << good.substr(0, good.size() - 4)
        << " (0):  error 05h Error reading Source File:  record 6 (MODEND) at 0039h: the file "
           "ends before the record's 7 bytes";
    std::string badSum = good;
    badSum[0x35] ^= 0x20; // a byte of LEDATA's data
    QTest::newRow("wrong checksum")
        << badSum
        << " (0):  error 05h Error reading Source File:  record 5 (LEDATA) at 002Eh: "
           "wrong checksum";
    OB outside;
    outside.theadr().lnames({"", "C"}).segdef(0x68, 4, 2, 2).ledata(1, 0, "\x90\x90");
    outside.fixupp(OB::fixup(true, 1, 1, OB::fixData(5, 0, 0, 1, 0))).modend();
    QTest::newRow("fixup outside its record")
        << outside.bytes
        << " (0):  error 05h Error reading Source File:  record 5 (FIXUPP) at "
           "0024h: fixup at 0001h lies outside its data record";
    QTest::newRow("too many segments")
        << withSegments(5000)
        << " (0):  error 05h Error reading Source File:  record 4099 "
           "(SEGDEF) at 0A011h: more than 4096 segments";
    QRandomGenerator random(1717);
    std::string noise;
    for (int i = 0; i < 4096; ++i)
        noise.push_back(char(random.bounded(256)));
    QTest::newRow("random bytes") << noise
                                  << " (0):  error 05h Error reading Source File:  not an object "
                                     "file (it must begin with a THEADR record)";
    QTest::newRow("unresolved external")
        << goodObject(1) << " (0):  error 21h Symbol not defined:  missing0";
}

void tst_QvLinkTool::badInput()
{
    QFETCH(std::string, object);
    QFETCH(QString, error);
    QTemporaryDir dir;
    writeFile(dir.filePath("bad.obj"), object);
    // An older .exe and map of the same name go: they are not what this run would have made.
    writeFile(dir.filePath("bad.exe"), "old");
    writeFile(dir.filePath("bad.map"), "old");
    const Run r = run({"bad.obj", "/m"}, dir.path());
    QCOMPARE(r.exitCode, 1);
    const QString line = "\t" + QDir(dir.path()).absoluteFilePath("bad.obj") + error + "\r\n";
    QVERIFY2(r.out.startsWith("\r\n" + line), qPrintable(r.out));
    QVERIFY(r.out.contains("Total errors:        1\r\n"));
    QVERIFY(!QFile::exists(dir.filePath("bad.exe")));
    QVERIFY(!QFile::exists(dir.filePath("bad.map")));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"bad.obj"}); // no temporary
}

void tst_QvLinkTool::specialFiles_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("error");
    QTest::newRow("missing object") << "missing"
                                    << "error 03h Source File Not Found\r\n";
    QTest::newRow("named pipe") << "fifo"
                                << "error 05h Error reading Source File:  not a regular file";
    QTest::newRow("folder") << "folder"
                            << "error 05h Error reading Source File:  a folder, not a file";
}

void tst_QvLinkTool::specialFiles()
{
    QFETCH(QString, kind);
    QFETCH(QString, error);
    QTemporaryDir dir;
    const QString path = dir.filePath("x.obj");
    if (kind == "fifo")
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else if (kind == "folder")
        QVERIFY(QDir(dir.path()).mkdir("x.obj"));
    // A pipe nobody writes to would hang a reader that waits for it: this must end at once.
    const Run r = run({"x.obj"}, dir.path());
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.out.contains(QDir(dir.path()).absoluteFilePath("x.obj") + " (0):  " + error),
             qPrintable(r.out));
    QVERIFY(!QFile::exists(dir.filePath("x.exe")));
}

void tst_QvLinkTool::switches_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("made");   // files the run leaves besides prog.obj, sorted
    QTest::addColumn<QString>("output"); // a line of the output
    QTest::addColumn<int>("exitCode");

    QTest::newRow("default name from the first object") << QStringList{"prog.obj"} << "prog.exe"
                                                        << "to prog.exe" << 0;
    QTest::newRow("/e names the program")
        << QStringList{"prog.obj", "/e{out/run.exe}"} << "out/run.exe"
        << "to out/run.exe" << 0;
    QTest::newRow("/e name with a blank, split")
        << QStringList{"/e{my", "prog.exe}", "prog.obj"} << "my prog.exe"
        << "to my prog.exe" << 0;
    QTest::newRow("/m adds the map") << QStringList{"prog.obj", "/m"} << "prog.exe prog.map"
                                     << "Map:                 prog.map" << 0;
    QTest::newRow("unknown switch") << QStringList{"prog.obj", "/q"} << ""
                                    << "\t- (0):  error 22h Syntax error:  /q" << 1;
    QTest::newRow("/e without its braces closed")
        << QStringList{"prog.obj", "/e{x.exe"} << ""
        << "\t- (0):  error 22h Syntax error:  /e{x.exe" << 1;
    QTest::newRow("no object") << QStringList{"/m"} << ""
                               << "\t- (0):  error 03h Source File Not Found:  no object file given"
                               << 1;
}

void tst_QvLinkTool::switches()
{
    QFETCH(QStringList, args);
    QFETCH(QString, made);
    QFETCH(QString, output);
    QFETCH(int, exitCode);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("out"));
    writeFile(dir.filePath("prog.obj"), goodObject());
    const Run r = run(args, dir.path());
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2(r.out.contains(output), qPrintable(r.out));
    QStringList files;
    for (const QString &sub : {QString("."), QString("out")}) {
        for (const QString &f : QDir(dir.filePath(sub)).entryList(QDir::Files))
            files << (sub == "." ? f : sub + "/" + f);
    }
    files.removeAll("prog.obj");
    files.sort();
    QCOMPARE(files.join(' '), made);
}

void tst_QvLinkTool::targetThatIsNotAFile()
{
    QTemporaryDir dir;
    writeFile(dir.filePath("prog.obj"), goodObject());
    QVERIFY(QDir(dir.path()).mkdir("prog.exe"));
    const Run r = run({"prog.obj"}, dir.path());
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.out.contains(
                 "error 07h Error creating Target File:  prog.exe: a folder, not a file"),
             qPrintable(r.out));
    QVERIFY(QFileInfo(dir.filePath("prog.exe")).isDir());
}

// The map's name taken by a pipe: the run fails, so the .exe written just before it goes, and
// the report claims no bytes written.
void tst_QvLinkTool::mapThatIsNotAFile()
{
    QTemporaryDir dir;
    writeFile(dir.filePath("prog.obj"), goodObject());
    QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath("prog.map")).constData(), 0600), 0);
    const Run r = run({"prog.obj", "/m"}, dir.path());
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.out.contains("error 07h Error creating Target File:  prog.map: not a regular file"),
             qPrintable(r.out));
    QVERIFY2(!r.out.contains("Bytes written") && !r.out.contains("Map:"), qPrintable(r.out));
    QVERIFY(!QFileInfo::exists(dir.filePath("prog.exe")));
}

void tst_QvLinkTool::targetThatIsAnObject()
{
    QTemporaryDir dir;
    const std::string object = goodObject();
    writeFile(dir.filePath("prog.obj"), object);
    const Run r = run({"prog.obj", "/e{prog.obj}"}, dir.path());
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.out.contains("error 06h"), qPrintable(r.out));
    QFile f(dir.filePath("prog.obj"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll().toStdString(), object);
}

void tst_QvLinkTool::exitCodeStopsAt255_data()
{
    QTest::addColumn<int>("errors");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("254 errors") << 254 << 254;
    QTest::newRow("255 errors") << 255 << 255;
    QTest::newRow("256 errors") << 256 << 255;
}

void tst_QvLinkTool::exitCodeStopsAt255()
{
    QFETCH(int, errors);
    QFETCH(int, exitCode);
    QTemporaryDir dir;
    writeFile(dir.filePath("prog.obj"), goodObject(errors));
    const Run r = run({"prog.obj"}, dir.path());
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY(r.out.contains(QString("Total errors:        %1\r\n").arg(errors)));
}

QTEST_GUILESS_MAIN(tst_QvLinkTool)
#include "tst_qvlinktool.moc"
