// The object reader on records built byte by byte: what it takes from good records, and the
// first bad record of a broken file named with what is wrong with it.
#include "OmfBuilder.h"
#include "qvlink/ObjectReader.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QtTest>

using qvlink::ObjectModule;
using qvlink::ObjectReader;

Q_DECLARE_METATYPE(std::string)

namespace {

// A module with one public code segment of `length` bytes (segment 1, names "" and "CODE").
OmfBuilder codeModule(uint32_t length = 16)
{
    OmfBuilder b;
    b.theadr().lnames({"", "CODE"}).segdef(0x48, length, 2, 2);
    return b;
}

// One "A" inside `levels` repeat blocks that each repeat once: the innermost sits at depth
// `levels` of the reader's count, which starts at 0.
std::string nestedRepeat(int levels)
{
    std::string block = OmfBuilder::repeat(1, "A");
    for (int i = 0; i < levels; ++i)
        block = OmfBuilder::w(1) + OmfBuilder::w(1) + block;
    return block;
}

std::string hexOf(const std::vector<uint8_t> &bytes, size_t n)
{
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(n))
        .toHex(' ')
        .toUpper()
        .toStdString();
}

} // namespace

class tst_ObjectReader : public QObject
{
    Q_OBJECT

private slots:
    void readsData_data();
    void readsData();
    void threadsGiveFrameAndTarget();
    void twoByteIndexes();
    void refuses_data();
    void refuses();
    void thousandSegments();
    void recordFraming();
    void randomBytesNeverCrash();
};

void tst_ObjectReader::readsData_data()
{
    QTest::addColumn<std::string>("object");
    QTest::addColumn<QString>("image"); // the segment's first bytes

    QTest::newRow("checksum 0 means not computed")
        << OmfBuilder(codeModule(4))
               .record(0xA0, std::string("\x01\x00\x00\x90\x90", 5), false)
               .modend()
               .bytes
        << "90 90 00 00";
    QTest::newRow("data that ends at the segment's end")
        << codeModule(4).ledata(1, 2, "\xAA\xBB").modend().bytes << "00 00 AA BB";
    QTest::newRow("iterated bytes")
        << codeModule(6).lidata(1, 0, OmfBuilder::repeat(3, "AB")).modend().bytes
        << "41 42 41 42 41 42";
    QTest::newRow("repeat blocks at the nesting limit")
        << codeModule(16).lidata(1, 0, nestedRepeat(ObjectReader::MaxRepeatNesting)).modend().bytes
        << "41";
    QTest::newRow("nested repeat blocks")
        << codeModule(14)
               .lidata(1,
                       0,
                       OmfBuilder::repeatBlocks(2,
                                                {OmfBuilder::repeat(3, "AB"),
                                                 OmfBuilder::repeat(1, "C")}))
               .modend()
               .bytes
        << "41 42 41 42 41 42 43 41 42 41 42 41 42 43";
    QTest::newRow("a block repeated no times writes nothing")
        << codeModule(2)
               .lidata(1,
                       0,
                       OmfBuilder::repeatBlocks(0, {OmfBuilder::repeat(60000, "ABCD")})
                           + OmfBuilder::repeat(2, "Z"))
               .modend()
               .bytes
        << "5A 5A";
}

void tst_ObjectReader::readsData()
{
    QFETCH(std::string, object);
    QFETCH(QString, image);
    ObjectModule m;
    const ObjectReader::Result r = ObjectReader::read(object, m);
    QVERIFY2(r.ok, r.error.c_str());
    QCOMPARE(m.segments.size(), size_t(1));
    const size_t n = size_t(image.count(' ') + 1);
    QCOMPARE(QString::fromStdString(hexOf(m.segments[0].data, n)), image);
}

void tst_ObjectReader::threadsGiveFrameAndTarget()
{
    // Target thread 2 = segment 1, frame thread 1 = the target's frame (F5); a FIXUP with both
    // F and T set takes them, and its displacement still follows.
    const std::string threads = std::string("\x02\x01", 2) + "\x55";
    const std::string fix = std::string("\xC4\x00", 2) + char(0x80 | 0x10 | 0x08 | 0x02)
                            + OmfBuilder::w(6);
    OmfBuilder b = codeModule(4);
    b.ledata(1, 0, std::string(4, '\0')).fixupp(threads + fix).modend();
    ObjectModule m;
    const ObjectReader::Result r = ObjectReader::read(b.bytes, m);
    QVERIFY2(r.ok, r.error.c_str());
    QCOMPARE(m.fixups.size(), size_t(1));
    const qvlink::ObjFixup &f = m.fixups[0];
    QCOMPARE(f.frameMethod, uint8_t(qvlink::FrameTarget));
    QCOMPARE(f.targetMethod, uint8_t(qvlink::TargetSegment));
    QCOMPARE(f.targetDatum, 0u);
    QCOMPARE(f.displacement, 6u);
    QCOMPARE(f.location, uint8_t(qvlink::LocOffset16));
}

void tst_ObjectReader::twoByteIndexes()
{
    // Names past 127 are named by two-byte indexes.
    OmfBuilder b;
    b.theadr();
    std::string names;
    for (int i = 0; i < 200; ++i)
        names += OmfBuilder::name("N" + std::to_string(i));
    b.record(0x96, names).segdef(0x48, 2, 150, 199).modend();
    ObjectModule m;
    const ObjectReader::Result r = ObjectReader::read(b.bytes, m);
    QVERIFY2(r.ok, r.error.c_str());
    QCOMPARE(m.segments[0].name, std::string("N149"));
    QCOMPARE(m.segments[0].className, std::string("N198"));
}

void tst_ObjectReader::refuses_data()
{
    QTest::addColumn<std::string>("object");
    QTest::addColumn<QString>("error");

    const std::string good = codeModule(4).ledata(1, 0, "\x90\x90\x90\x90").modend().bytes;
    QTest::newRow("empty file") << std::string() << "an empty file";
    QTest::newRow("not an object") << std::string("MZ\x90\x00", 4) << "not an object file";
    QTest::newRow("truncated in a record's header")
        << good.substr(0, good.size() - 3) << "ends inside the record's header";
    QTest::newRow("truncated in a record")
        << good.substr(0, good.size() - 2) << "the file ends before the record's";
    QTest::newRow("truncated after a record")
        << good.substr(0, good.size() - 5) << "ends without a MODEND";
    std::string badSum = good;
    badSum[good.size() - 6] ^= 1; // the last LEDATA byte
    QTest::newRow("wrong checksum") << badSum << "record 4 (LEDATA) at 001Eh: wrong checksum";
    QTest::newRow("record of length 0")
        << codeModule().bytes + std::string("\x96\x00\x00", 3) << "length 0";
    QTest::newRow("record ends inside its fields")
        << OmfBuilder().theadr().lnames({"", "C"}).record(0x98, "\x48\x10").modend().bytes
        << "record 3 (SEGDEF) at 0011h: the record ends too early";
    QTest::newRow("unknown record type")
        << codeModule().record(0x7E, "x").modend().bytes << "unknown record type";
    QTest::newRow("32-bit record") << codeModule().record(0xA1, "\x01\x00\x00\x00\x00").bytes
                                   << "32-bit records are not supported";
    QTest::newRow("library") << OmfBuilder().theadr().record(0xF0, "\x00\x00").bytes << "a library";
    QTest::newRow("name index out of range")
        << OmfBuilder().theadr().lnames({"", "C"}).segdef(0x48, 2, 3, 1).modend().bytes
        << "name index 3 not defined";
    QTest::newRow("name index 0") << OmfBuilder().theadr().lnames({"", "C"}).segdef(0x48, 2, 0, 1).bytes
                                  << "name index 0 not defined";
    QTest::newRow("segment index out of range")
        << codeModule().ledata(2, 0, "\x90").modend().bytes << "segment index 2 not defined";
    QTest::newRow("group index out of range")
        << codeModule().pubdef(1, 1, {{"x", 0}}).modend().bytes << "group index 1 not defined";
    QTest::newRow("external index out of range")
        << codeModule()
               .ledata(1, 0, "\x00\x00")
               .fixupp(OmfBuilder::fixup(true, 1, 0, OmfBuilder::fixData(5, 0, 2, 1, 0)))
               .modend()
               .bytes
        << "external index 1 not defined";
    QTest::newRow("fixup past its data record")
        << codeModule()
               .ledata(1, 0, "\x00\x00")
               .fixupp(OmfBuilder::fixup(true, 1, 1, OmfBuilder::fixData(5, 0, 0, 1, 0)))
               .modend()
               .bytes
        << "fixup at 0001h lies outside its data record";
    QTest::newRow("fixup with no data record")
        << codeModule().fixupp(OmfBuilder::fixup(true, 1, 0, OmfBuilder::fixData(5, 0, 0, 1, 0))).bytes
        << "no data record before it";
    QTest::newRow("undefined target thread")
        << codeModule().ledata(1, 0, "\x00\x00").fixupp(std::string("\xC4\x00\x5B", 3)).bytes
        << "target thread 3 not defined";
    QTest::newRow("fixup location not known")
        << codeModule()
               .ledata(1, 0, "\x00\x00\x00\x00")
               .fixupp(OmfBuilder::fixup(true, 7, 0, OmfBuilder::fixData(5, 0, 0, 1, 0)))
               .bytes
        << "fixup location 7 is not supported";
    QTest::newRow("data past the segment's end")
        << codeModule(4).ledata(1, 3, "\x90\x90").bytes << "data beyond the end of segment CODE";
    QTest::newRow("iterated data past the segment's end")
        << codeModule(5).lidata(1, 0, OmfBuilder::repeat(3, "AB")).bytes
        << "iterated data beyond the end";
    QTest::newRow("iterated data that repeats itself a billion times")
        << codeModule(16)
               .lidata(1,
                       0,
                       OmfBuilder::repeatBlocks(
                           65535,
                           {OmfBuilder::repeatBlocks(65535, {OmfBuilder::repeat(65535, "ABCD")})}))
               .bytes
        << "iterated data beyond the end";
    QTest::newRow("repeat blocks nested 20 deep")
        << codeModule(16).lidata(1, 0, nestedRepeat(20)).bytes << "nested too deeply";
    QTest::newRow("repeat blocks one level past the limit")
        << codeModule(16).lidata(1, 0, nestedRepeat(ObjectReader::MaxRepeatNesting + 1)).bytes
        << "nested too deeply";
    QTest::newRow("segments over 1 MiB") << [] {
        OmfBuilder b;
        b.theadr().lnames({"", "C"});
        for (int i = 0; i < 17; ++i)
            b.record(0x98, std::string("\x4A\x00\x00\x02\x02\x01", 6));
        return b.bytes;
    }() << "more than 1 MiB";
}

void tst_ObjectReader::refuses()
{
    QFETCH(std::string, object);
    QFETCH(QString, error);
    ObjectModule m;
    const ObjectReader::Result r = ObjectReader::read(object, m);
    QVERIFY(!r.ok);
    QVERIFY2(QString::fromStdString(r.error).contains(error), r.error.c_str());
}

void tst_ObjectReader::thousandSegments()
{
    // A thousand segments are read; past the limit the file is refused, not read on.
    for (const uint32_t count : {1000u, ObjectReader::MaxSegments, ObjectReader::MaxSegments + 1}) {
        OmfBuilder b;
        b.theadr().lnames({"", "C"});
        for (uint32_t i = 0; i < count; ++i)
            b.segdef(0x28, 1, 2, 2);
        b.modend();
        ObjectModule m;
        const ObjectReader::Result r = ObjectReader::read(b.bytes, m);
        QCOMPARE(r.ok, count <= ObjectReader::MaxSegments);
        if (r.ok)
            QCOMPARE(m.segments.size(), size_t(count));
        else
            QVERIFY2(r.error.find("more than 4096 segments") != std::string::npos, r.error.c_str());
    }
}

void tst_ObjectReader::recordFraming()
{
    // Each record with its offset and length; a bad checksum is flagged, a zero one holds, and
    // a record running past the end stops the list.
    OmfBuilder b = codeModule(4);
    b.record(0xA0, std::string("\x01\x00\x00\x90", 4), false).ledata(1, 1, "\x90");
    std::string bytes = b.modend().bytes;
    bytes[bytes.size() - 6] ^= 1; // the second LEDATA's data byte
    bool complete = false;
    std::vector<ObjectReader::Record> records = ObjectReader::records(bytes, &complete);
    QVERIFY(complete);
    QStringList seen;
    for (const ObjectReader::Record &r : records)
        seen << QString("%1@%2+%3%4")
                    .arg(QString::fromStdString(ObjectReader::recordName(r.type)))
                    .arg(r.offset)
                    .arg(r.length)
                    .arg(r.checksumZero ? " zero"
                         : r.checksumOk ? ""
                                        : " bad");
    QCOMPARE(seen.join(", "),
             QString("THEADR@0+6, LNAMES@10+6, SEGDEF@20+6, LEDATA@30+4 zero, LEDATA@38+4 bad, "
                     "MODEND@46+1"));
    records = ObjectReader::records(bytes.substr(0, bytes.size() - 1), &complete);
    QVERIFY(!complete);
    QCOMPARE(records.size(), size_t(5));
}

void tst_ObjectReader::randomBytesNeverCrash()
{
    // Random bodies behind a good header: every one is either read or refused, quickly.
    QRandomGenerator random(17);
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < 2000; ++i) {
        std::string bytes = OmfBuilder().theadr().bytes;
        const int n = int(random.bounded(1, 300));
        for (int k = 0; k < n; ++k)
            bytes.push_back(char(random.bounded(256)));
        ObjectModule m;
        const ObjectReader::Result r = ObjectReader::read(bytes, m);
        QVERIFY(r.ok || !r.error.empty());
    }
    QVERIFY(timer.elapsed() < 20000);
}

QTEST_GUILESS_MAIN(tst_ObjectReader)
#include "tst_objectreader.moc"
